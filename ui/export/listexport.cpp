#include "listexport.h"

#include <QFile>
#include <QFileDialog>

#include "modaldialog.h"
#include "spreadsheet.h"
#include "workbookloader.h"

namespace exportui {

void writeList(const QString& fileName, std::span<const exporting::UnitRow> rows)
{
    const std::string path = QFile::encodeName(fileName).toStdString();
    if (fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        exporting::writeCsv(path, rows);
    else
        writeWorkbook(path, rows);
}

void exportListWithDialog(QWidget* parent, std::span<const exporting::UnitRow> rows, const QString& suggestedName)
{
    QFileDialog dialog(parent, QStringLiteral("Exportar lista"));
    dialog.setObjectName(QStringLiteral("exportListDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({kWorkbookFilter, kCsvFilter});
    dialog.setDefaultSuffix(QStringLiteral("xlsx"));
    // The suffix follows the kind chosen, so that the dialog asks about
    // replacing the file that is written.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(filter == kCsvFilter ? QStringLiteral("csv") : QStringLiteral("xlsx"));
    });
    dialog.selectFile(suggestedName);
    if (ui::execModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    QString fileName = dialog.selectedFiles().front();
    const bool csv = dialog.selectedNameFilter() == kCsvFilter;
    const QString suffix = csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    if (!fileName.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
        && !fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        fileName += suffix;
    writeList(fileName, rows);
}

} // namespace exportui
