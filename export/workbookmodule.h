#pragma once
// What the workbook module (a shared object the program loads the first time
// it writes a workbook) and the program that loads it agree on: the module's
// file name and the one function it exports.

#include <cstddef>
#include <string>

#include "unitrows.h"

namespace exporting {

// The module's file, in the program's module folder.
inline constexpr char kWorkbookModuleFile[] = "workbook.so";
// The exported function's name and type: writeWorkbook(path, rows); true when
// the file was written, false with the reason (Spanish, UTF-8) in `failure`.
inline constexpr char kWriteWorkbookSymbol[] = "poblacion_write_workbook";
using WriteWorkbookFunction = bool(const std::string& path, const UnitRow* rows, std::size_t count,
                                   std::string& failure);

} // namespace exporting
