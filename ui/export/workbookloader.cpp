#include "workbookloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <map>

#include "wholefile.h"
#include "workbookmodule.h"

namespace exportui {

namespace {

// The module's function, its library loaded once per path and kept loaded.
exporting::WriteWorkbookFunction* writerIn(const QString& folder)
{
    static std::map<QString, exporting::WriteWorkbookFunction*> loaded;
    const QString path = QDir(folder).absoluteFilePath(QString::fromLatin1(exporting::kWorkbookModuleFile));
    if (const auto it = loaded.find(path); it != loaded.end())
        return it->second;
    const QString cannot = QStringLiteral("No se puede escribir el libro de Excel: ");
    if (!QFileInfo::exists(path))
        throw exporting::ExportError((cannot + QStringLiteral("falta el módulo %1.").arg(QDir::toNativeSeparators(path))).toStdString());
    QLibrary library(path);
    auto* writer = reinterpret_cast<exporting::WriteWorkbookFunction*>(library.resolve(exporting::kWriteWorkbookSymbol));
    if (!writer)
        throw exporting::ExportError((cannot + QStringLiteral("no se puede cargar el módulo %1: %2")
                                                   .arg(QDir::toNativeSeparators(path), library.errorString()))
                                         .toStdString());
    loaded.emplace(path, writer);
    return writer;
}

} // namespace

QString moduleFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/')
                           + QStringLiteral(POBLACION_MODULE_PATH_FROM_BIN));
}

void writeWorkbook(const std::string& path, std::span<const exporting::UnitRow> rows, const QString& folder)
{
    std::string failure;
    if (!writerIn(folder)(path, rows.data(), rows.size(), failure))
        throw exporting::ExportError(failure);
}

} // namespace exportui
