// A list written through "Exportar lista": the kind by the name's suffix or
// the dialog's filter, read back by unzip and by Python's csv module.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include "../export/export_fixture.h"
#include "listexport.h"
#include "workbookloader.h"
#include "wholefile.h"

using exporttest::output;
using exporttest::rowWithCode;

namespace {

std::vector<exporting::UnitRow> twoRows() { return {rowWithCode("50297"), rowWithCode("509010001")}; }

} // namespace

TEST(ListExport, TheSuffixChoosesTheKind)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("lista.CSV"));
    exportui::writeList(csv, twoRows());
    EXPECT_EQ(output("head -c 8 '" + csv.toStdString() + "'"), "Código,");
    const QString book = dir.filePath(QStringLiteral("lista.xlsx"));
    exportui::writeList(book, twoRows());
    EXPECT_NE(output("unzip -p '" + book.toStdString() + "' xl/worksheets/sheet1.xml").find("<v>98397</v>"),
              std::string::npos);
    EXPECT_THROW(exportui::writeList(dir.filePath(QStringLiteral("no/lista.csv")), twoRows()), exporting::ExportError);
}

TEST(ListExport, TheDialogAddsTheSuffixOfTheKindChosen)
{
    QTemporaryDir dir;
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        shown << dialog->windowTitle() << dialog->nameFilters();
        dialog->selectNameFilter(exportui::kCsvFilter);
        emit dialog->filterSelected(exportui::kCsvFilter);
        dialog->selectFile(dir.filePath(QStringLiteral("comparacion")));
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept, which takes the name typed
    });
    exportui::exportListWithDialog(nullptr, twoRows());
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Exportar lista"), QStringLiteral("Libro de Excel (*.xlsx)"),
                                  QStringLiteral("CSV, valores separados por comas (*.csv)")}));
    const std::string read = output("/usr/bin/python3 -c 'import csv,sys\n"
                                    "rows = list(csv.reader(open(sys.argv[1], encoding=\"utf-8\", newline=\"\")))\n"
                                    "print(rows[1][:6], rows[2][:6])' '"
                                    + dir.filePath(QStringLiteral("comparacion.csv")).toStdString() + "'");
    EXPECT_EQ(read, "['50297', 'Zaragoza', 'Municipio', '', 'Central', '98397'] "
                    "['509010001', 'Biel', 'Entidad', 'Biel', 'Cinco Villas', '']\n");
}

TEST(ListExport, ACancelledDialogWritesNothing)
{
    QTemporaryDir dir;
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    exportui::exportListWithDialog(nullptr, twoRows(), dir.filePath(QStringLiteral("nada")));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty());
}

// The workbook is written by a module the program loads when first asked; a
// module missing or damaged is said in Spanish, and nothing is written.
TEST(ListExport, AWorkbookWithoutItsModuleIsRefusedWithTheModuleNamed)
{
    QTemporaryDir dir;
    const std::string book = dir.filePath(QStringLiteral("lista.xlsx")).toStdString();
    const auto messageOf = [&](const QString& folder) {
        try {
            exportui::writeWorkbook(book, twoRows(), folder);
        } catch (const exporting::ExportError& e) {
            return std::string(e.what());
        }
        return std::string("written");
    };
    const QString empty = dir.filePath(QStringLiteral("sin-modulo"));
    ASSERT_TRUE(QDir().mkpath(empty));
    EXPECT_EQ(messageOf(empty), "No se puede escribir el libro de Excel: falta el módulo " + empty.toStdString()
                                    + "/workbook.so.");

    const QString damaged = dir.filePath(QStringLiteral("modulo-roto"));
    ASSERT_TRUE(QDir().mkpath(damaged));
    QFile notAModule(damaged + QStringLiteral("/workbook.so"));
    ASSERT_TRUE(notAModule.open(QIODevice::WriteOnly));
    notAModule.write("no es un módulo");
    notAModule.close();
    EXPECT_TRUE(messageOf(damaged).starts_with("No se puede escribir el libro de Excel: no se puede cargar el módulo "
                                               + damaged.toStdString() + "/workbook.so: "));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(book)));

    // The program's own folder of modules holds it.
    EXPECT_EQ(messageOf(exportui::moduleFolder()), "written");
    EXPECT_NE(output("unzip -p '" + book + "' xl/worksheets/sheet1.xml").find("<v>98397</v>"), std::string::npos);
}
