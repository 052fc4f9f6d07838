#pragma once
// Workbooks written through the workbook module (export/workbookmodule.h),
// which is loaded the first time one is written and stays loaded: the
// program starts without libxlsxwriter and what it links.

#include <QString>
#include <span>
#include <string>

#include "unitrows.h"

namespace exportui {

// The folder the program's modules lie in: the module path the build gives,
// from the program's own folder ("../lib/x86_64-linux-gnu/poblacion" from
// /usr/bin in the package).
QString moduleFolder();

// exporting::writeWorkbook through the module in `folder`. Throws
// exporting::ExportError with the writer's reason, or, where the module
// cannot be loaded, one that names it: "No se puede escribir el libro de
// Excel: falta el módulo /usr/lib/…/poblacion/workbook.so." (or "… no se
// puede cargar el módulo …: <the loader's reason>"). Nothing is written then.
void writeWorkbook(const std::string& path, std::span<const exporting::UnitRow> rows,
                   const QString& folder = moduleFolder());

} // namespace exportui
