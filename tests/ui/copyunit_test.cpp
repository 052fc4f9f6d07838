// Copying the unit shown: Ctrl+C in a list, on the note, from the window's
// other controls and through the census table's menu, as a small table of
// text and HTML; nothing while the panel is blank.

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTimer>

#include "packet.h"
#include "units.h"

#include "mainwindow_helpers.h"

using namespace mwtest;

namespace {

// window.csv's Abay, the first municipality: its figures as bare whole
// numbers, a missing one ("-" in the table) an empty cell.
const char* const kAbayText =
    "Unidad\tTipo\t1900\t1910\t1920\t1930\t1940\t1950\t1960\t1970\t1981\t1991\t2001\t2004\n"
    "Abay\tMunicipio\t1473\t813\t857\t783\t1104\t\t808\t1793\t1823\t\t1949\t791\n";
const char* const kAbayHtml =
    "<meta charset=\"utf-8\"><table>"
    "<tr><th>Unidad</th><th>Tipo</th><th>1900</th><th>1910</th><th>1920</th><th>1930</th><th>1940</th><th>1950</th>"
    "<th>1960</th><th>1970</th><th>1981</th><th>1991</th><th>2001</th><th>2004</th></tr>"
    "<tr><td>Abay</td><td>Municipio</td><td>1473</td><td>813</td><td>857</td><td>783</td><td>1104</td><td></td>"
    "<td>808</td><td>1793</td><td>1823</td><td></td><td>1949</td><td>791</td></tr></table>";

class CopyUnitTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        QApplication::clipboard()->setText(QStringLiteral("antes"));
    }
    static QString clipboardText() { return QApplication::clipboard()->mimeData()->text(); }
    static QString clipboardHtml() { return QApplication::clipboard()->mimeData()->html(); }
    void copyKeys() { QTest::keyClick(focused(), Qt::Key_C, Qt::ControlModifier); }

    // Right-clicks the census table and, once its menu is up, triggers the
    // entry `text` if it is enabled. Returns the menu's entries and whether
    // each was enabled ("Copiar+", "Copiar-"); empty when no menu came up.
    QStringList useTableMenu(const QString& text)
    {
        QStringList entries;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* action : menu->actions())
                entries << action->text() + (action->isEnabled() ? u'+' : u'-');
            for (QAction* action : menu->actions())
                if (action->text() == text && action->isEnabled())
                    action->trigger();
            menu->close();
        });
        // Through the window, as the window system delivers a click: the
        // context menu event comes from there.
        const QPoint at = censusTable()->mapTo(window.get(), censusTable()->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::RightButton, Qt::NoModifier, at);
        QCoreApplication::processEvents();
        // This platform gives the focus back to no window after a menu.
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return entries;
    }
};

} // namespace

TEST_F(CopyUnitTest, CtrlCInAListCopiesItsUnitAsTextAndHtml)
{
    open();
    listAll();
    clickRow(municipalityList(), 0);
    ASSERT_EQ(focused(), municipalityList());
    copyKeys();
    EXPECT_EQ(clipboardText().toStdString(), kAbayText);
    EXPECT_EQ(clipboardHtml().toStdString(), kAbayHtml);

    // An entity: the dictionary name as the title gives it, its kind, the
    // twelve texts of the table.
    const int row = static_cast<int>(rows(entityList()).indexOf(QStringLiteral("Peña (La) -- Abay")));
    ASSERT_GE(row, 0);
    clickRow(entityList(), 0);
    entityList()->scrollTo(entityList()->model()->index(row, 0));
    clickRow(entityList(), row);
    ASSERT_EQ(focused(), entityList());
    copyKeys();
    EXPECT_EQ(unitTitle()->text(), QStringLiteral("Entidad: Peña (La)"));
    EXPECT_EQ(clipboardText().toStdString(),
              "Unidad\tTipo\t1900\t1910\t1920\t1930\t1940\t1950\t1960\t1970\t1981\t1991\t2001\t2004\n"
              "Peña (La)\tEntidad\t1070\t2629\t1541\t\t1716\t2930\t1726\t1757\t\t\t1702\t2289\n");
    expectNoMessages();
}

// A catalogue whose units carry a CODIGO: two units of one name, with the
// figures of window.csv's Abay and Cutanda, as a packet in `dir`.
QString packetWithCodes(const QTemporaryDir& dir)
{
    catalogue::Table table(catalogue::unitFields(), catalogue::kSpanishTraditional);
    const auto unit = [&](const char* ident, const char* name, const char* note, std::vector<const char*> figures,
                          const char* code) {
        std::vector<std::optional<std::string>> values = {ident, "2", name, name, name, note};
        for (const char* figure : figures)
            values.emplace_back(figure);
        values.emplace_back(code);
        table.addRecord(values);
    };
    unit("20001", "Abay", "Municipio.",
         {"1.473", "813", "857", "783", "1.104", "-", "808", "1.793", "1.823", "-", "1.949", "791"}, "20001");
    unit("20002", "Abay", "Municipio hist\xf3rico.",
         {"-", "2.431", "2.482", "1.508", "1.583", "2.053", "1.006", "1.418", "2.226", "-", "1.500", "2.261"}, "20002");
    const QString path = dir.filePath(QStringLiteral("codigos.pkt"));
    QFile file(path);
    const std::string bytes = catalogue::writePacket(table);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        return {};
    return path;
}

TEST_F(CopyUnitTest, AUnitCarriesItsCodeWhereTheCatalogueHasOne)
{
    QTemporaryDir dir;
    const QString packet = packetWithCodes(dir);
    ASSERT_FALSE(packet.isEmpty());
    open(packet);
    ASSERT_TRUE(window->catalogueLoaded()) << window->loadFailure().toStdString();
    listAll();
    const char* const header =
        "Unidad\tTipo\tC\xc3\xb3" "digo\t1900\t1910\t1920\t1930\t1940\t1950\t1960\t1970\t1981\t1991\t2001\t2004\n";
    // Two units of one name copy as two different rows.
    clickRow(municipalityList(), 0);
    copyKeys();
    const QString first = clipboardText();
    clickRow(municipalityList(), 1);
    copyKeys();
    const QString second = clipboardText();
    const QStringList copied = QStringList{first, second};
    EXPECT_TRUE(copied.contains(QString::fromUtf8(header) + "Abay\tMunicipio\t20001\t1473\t813\t857\t783\t1104\t\t808\t1793\t1823\t\t1949\t791\n"))
        << first.toStdString();
    EXPECT_TRUE(copied.contains(QString::fromUtf8(header) + "Abay\tMunicipio\t20002\t\t2431\t2482\t1508\t1583\t2053\t1006\t1418\t2226\t\t1500\t2261\n"))
        << second.toStdString();
    EXPECT_TRUE(clipboardHtml().contains(QStringLiteral("<th>Tipo</th><th>Código</th><th>1900</th>")))
        << clipboardHtml().toStdString();
    expectNoMessages();
}

TEST_F(CopyUnitTest, NamesAreEscapedInTheHtml)
{
    open(QStringLiteral(TEST_PACKET_DIR "/detail.pkt"));
    listAll();
    clickRow(entityList(), 4);
    ASSERT_EQ(unitTitle()->text(), QStringLiteral("Entidad: Ventas & Casas <Nuevas> \"del Río\""));
    copyKeys();
    EXPECT_EQ(clipboardText(),
              QStringLiteral("Unidad\tTipo\t1900\t1910\t1920\t1930\t1940\t1950\t1960\t1970\t1981\t1991\t2001\t2004\n"
                             "Ventas & Casas <Nuevas> \"del Río\"\tEntidad\t\t1016\t\t\t\t\t\t\t\t\t0\t7\n"));
    EXPECT_TRUE(clipboardHtml().contains(
        QStringLiteral("<tr><td>Ventas &amp; Casas &lt;Nuevas&gt; &quot;del Río&quot;</td><td>Entidad</td><td></td>"
                       "<td>1016</td>")))
        << clipboardHtml().toStdString();
    expectNoMessages();
}

TEST_F(CopyUnitTest, TheNoteCopiesItsSelectionOrElseTheUnit)
{
    open();
    listAll();
    clickRow(municipalityList(), 0);
    note()->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(focused(), note());
    copyKeys();
    EXPECT_EQ(clipboardText().toStdString(), kAbayText);

    // Shift+End selects to the end of the first line: that text alone is copied.
    QTest::keyClick(note(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(note(), Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    ASSERT_TRUE(note()->textCursor().hasSelection());
    copyKeys();
    EXPECT_EQ(clipboardText(), QStringLiteral("Municipio "));
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasHtml() && clipboardHtml().contains("<table>"));
    expectNoMessages();
}

TEST_F(CopyUnitTest, ABlankPanelCopiesNothingAndLeavesTheClipboard)
{
    open();
    // At start: nothing shown, whatever has the focus.
    for (QWidget* control : {static_cast<QWidget*>(searchBox()), static_cast<QWidget*>(helpButton())}) {
        control->setFocus(Qt::TabFocusReason);
        copyKeys();
        EXPECT_EQ(clipboardText(), QStringLiteral("antes")) << control->objectName().toStdString();
    }

    // A search with the focus in a list: the list keeps a current unit, but
    // the panel shows none, so nothing is copied.
    listAll();
    clickRow(municipalityList(), 2);
    QTest::mouseClick(searchButton(), Qt::LeftButton);
    ASSERT_EQ(focused(), municipalityList());
    expectBlankPanel();
    copyKeys();
    EXPECT_EQ(clipboardText(), QStringLiteral("antes"));
    note()->setFocus(Qt::TabFocusReason);
    copyKeys();
    EXPECT_EQ(clipboardText(), QStringLiteral("antes"));
    EXPECT_EQ(useTableMenu(QStringLiteral("Copiar")), QStringList{QStringLiteral("Copiar-")});
    EXPECT_EQ(clipboardText(), QStringLiteral("antes"));
    expectNoMessages();
}

TEST_F(CopyUnitTest, TheCensusTableMenuAndTheButtonsCopyTheUnitShown)
{
    open();
    listAll();
    clickRow(municipalityList(), 0);
    EXPECT_EQ(useTableMenu(QStringLiteral("Copiar")), QStringList{QStringLiteral("Copiar+")});
    EXPECT_EQ(clipboardText().toStdString(), kAbayText);
    // The table still takes neither the focus nor the click.
    EXPECT_EQ(focused(), municipalityList());
    EXPECT_FALSE(censusTable()->isEnabled());

    QApplication::clipboard()->setText(QStringLiteral("antes"));
    helpButton()->setFocus(Qt::TabFocusReason);
    copyKeys();
    EXPECT_EQ(clipboardText().toStdString(), kAbayText);

    // The search box copies its own selection, never the unit.
    QApplication::clipboard()->setText(QStringLiteral("antes"));
    searchBox()->setFocus(Qt::TabFocusReason);
    copyKeys();
    EXPECT_EQ(clipboardText(), QStringLiteral("antes"));
    expectNoMessages();
}
