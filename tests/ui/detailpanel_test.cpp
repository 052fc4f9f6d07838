// The detail panel inside the real main window, on the detail test catalogue:
// units are selected through the search box and the lists, as a user does.

#include <QAccessible>

#include <QTextBlock>
#include <QTextLayout>

#include "cp1252text.h"
#include "mainwindow_helpers.h"

using namespace mwtest;

namespace {

constexpr double M = -1; // stands for NaN in an expected series

class DetailPanelTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        open(QStringLiteral(TEST_PACKET_DIR "/detail.pkt"));
        ASSERT_TRUE(window->catalogueLoaded()) << window->loadFailure().toStdString();
    }
    // The title is shown, as wide as its caption.
    void expectTitle(const QString& title)
    {
        EXPECT_EQ(unitTitle()->text(), title);
        EXPECT_TRUE(unitTitle()->isVisibleTo(window.get()));
        EXPECT_EQ(unitTitle()->width(), unitTitle()->sizeHint().width());
    }
    // Two series, line then points, holding exactly these values at x 0..11.
    void expectSeries(const std::vector<double>& values)
    {
        ASSERT_EQ(chart()->graphCount(), 2);
        EXPECT_EQ(chart()->graph(0), chart()->lineSeries());
        EXPECT_EQ(chart()->graph(1), chart()->pointSeries());
        for (QCPGraph* graph : {chart()->lineSeries(), chart()->pointSeries()}) {
            ASSERT_EQ(graph->data()->size(), 12);
            for (int i = 0; i < 12; ++i) {
                const double value = graph->data()->at(i)->value, expected = values[static_cast<std::size_t>(i)];
                EXPECT_EQ(graph->data()->at(i)->key, i);
                EXPECT_TRUE(expected == M ? std::isnan(value) : value == expected) << i << ": " << value;
            }
        }
    }
};

struct Unit {
    const char* search; // nullptr: list every unit
    int list;           // 2 municipalities, 3 entities, 1 nuclei
    int row;
    const char* title;
    QStringList cells; // the value rows; empty: not checked
    std::vector<double> series;
    double axisMaximum;
};

} // namespace

TEST_F(DetailPanelTest, EveryKindOfUnitShowsTitleTableAndChart)
{
    // After listing: municipalities Almudévar, Huesca, Torres de Albarracín,
    // Zaragoza; entities Abejar, Despoblado de Arriba, Hostal, Mas de Blanco;
    // nucleus Valdespartera.
    const Unit units[] = {
        // Gaps at the first, third, sixth and last year.
        {nullptr, 2, 0, "Municipio: Almudévar",
         {"-", "2.506", "-", "2.613", "2.478", "-", "2.410", "2.368", "2.255", "2.178", "2.297", "-"},
         {M, 2506, M, 2613, 2478, M, 2410, 2368, 2255, 2178, 2297, M}, 2743.65},
        {nullptr, 2, 1, "Municipio: Huesca",
         {"12.126", "11.755", "13.113", "14.896", "18.011", "21.100", "24.377", "33.185", "40.538", "44.165",
          "46.243", "49.312"},
         {12126, 11755, 13113, 14896, 18011, 21100, 24377, 33185, 40538, 44165, 46243, 49312}, 51777.6},
        {nullptr, 1, 0, "Núcleo: Valdespartera", {}, {}, 10552.5},
        {nullptr, 3, 1, "Entidad: Despoblado de Arriba", QStringList(12, QStringLiteral("-")),
         std::vector<double>(12, M), 1},
        // Words and nulls where numbers belong: shown as stored, gaps in the
        // chart, no error anywhere (the search itself runs the update too).
        {"HOSTAL", 3, 0, "Entidad: El Ciervo",
         {"Hostal", "El Cier", "", "Hostal", "El Cier", "", "-", "-", "-", "-", "-", "-"},
         std::vector<double>(12, M), 1},
        {"BLANCO", 3, 0, "Entidad: Mas de Blanco",
         {"12 ", " - ", "1.016", "abc", "", "  300", "-", "2.147", "x.1", "-", "+5", "0"},
         {M, M, 1016, M, M, 300, M, 2147, M, M, 5, 0}, 2254.35},
    };
    for (const Unit& unit : units) {
        SCOPED_TRACE(unit.title);
        if (unit.search)
            search(QString::fromUtf8(unit.search));
        else
            listAll();
        expectBlankPanel();
        expectNoMessages();
        UnitList* list = unit.list == 2 ? municipalityList() : unit.list == 3 ? entityList() : nucleusList();
        clickRow(list, unit.row);
        expectTitle(QString::fromUtf8(unit.title));
        if (!unit.cells.isEmpty()) {
            EXPECT_EQ(valueRows(), unit.cells);
        }
        if (!unit.series.empty())
            expectSeries(unit.series);
        ASSERT_EQ(chart()->graphCount(), 2);
        EXPECT_EQ(chart()->yAxis->range().lower, 0);
        EXPECT_EQ(chart()->yAxis->range().upper, unit.axisMaximum);
        expectNoMessages();
    }
}

TEST_F(DetailPanelTest, KindsThatAreNotKnown)
{
    // Units of no known kind are in none of the lists; the detail view is
    // moved onto them directly.
    panel().view().setFilter("ident = 40002");
    panel().view().setFiltered(true);
    EXPECT_EQ(unitTitle()->text(), QStringLiteral("Desconocido: Unidad Rara"));
    expectSeries({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});

    panel().view().setFilter("ident = 40003");
    EXPECT_EQ(unitTitle()->text(), QStringLiteral("Desconocido: Unidad Siete"));
    expectSeries({M, M, M, M, M, M, M, M, M, M, M, 70});
    EXPECT_EQ(chart()->yAxis->range().upper, 73.5);
    expectNoMessages();
}

TEST_F(DetailPanelTest, UpdatesKeepTwoSeriesAndTheChartDrawsThem)
{
    listAll();
    // The same unit again, a key at the list's end: rebuilt, never more than two.
    for (int row = 0; row < 4; ++row) {
        clickRow(entityList(), row);
        clickRow(entityList(), row);
        ASSERT_EQ(chart()->graphCount(), 2) << row;
    }
    clickRow(municipalityList(), 3);
    QTest::keyClick(municipalityList(), Qt::Key_Down);
    expectTitle(QStringLiteral("Municipio: Zaragoza"));
    EXPECT_EQ(censusTable()->cell(5, 3), "638.799");
    EXPECT_EQ(chart()->graphCount(), 2);

    window->close();
    EXPECT_EQ(chart()->graphCount(), 0);
    expectNoMessages();
}

TEST_F(DetailPanelTest, AnEntityWithoutFiguresSaysSoInItsChartAndToAssistiveTechnology)
{
    search(QStringLiteral("DESPOBLADO"));
    ASSERT_EQ(entityList()->model()->rowCount(), 1);
    clickRow(entityList(), 0);
    expectTitle(QStringLiteral("Entidad: Despoblado de Arriba"));
    EXPECT_EQ(valueRows(), QStringList(12, QStringLiteral("-")));
    EXPECT_TRUE(chart()->showsNoFigures());
    QAccessibleInterface* text = QAccessible::queryAccessibleInterface(chart());
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(QAccessible::Description),
              QStringLiteral("Entidad: Despoblado de Arriba. Este catálogo no tiene cifras de esta unidad de 1900 a 2004."));
    expectNoMessages();

    // The next search blanks the panel, sentence included.
    search(QStringLiteral("DESPOBLADO"));
    EXPECT_FALSE(chart()->showsNoFigures());
    EXPECT_EQ(text->text(QAccessible::Description), QString());
}

// The note box shows five lines and has no scroll bars: every note of the
// embedded catalogue, laid out in the box's own font and width, takes five
// lines at most.
TEST(NoteBox, EveryNoteOfTheEmbeddedCatalogueFitsItsFiveLines)
{
    MainWindow window(readCatalogue(QStringLiteral(":/PUEBLOS")).store);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* note = window.findChild<NoteView*>(QStringLiteral("note"));
    ASSERT_NE(note, nullptr);
    const int visible = note->viewport()->height() / note->fontMetrics().lineSpacing();
    EXPECT_EQ(visible, 5);
    const catalogue::View& units = window.municipalityView();
    const catalogue::Table& table = units.table();
    const auto field = static_cast<std::size_t>(table.fieldIndex("COMENTARIO"));
    ASSERT_EQ(table.recordCount(), 2555u);
    int longest = 0;
    for (std::size_t r = 0; r < table.recordCount(); ++r) {
        note->setPlainText(ui::fromCp1252(table.text(r, field)));
        int lines = 0;
        for (QTextBlock b = note->document()->begin(); b.isValid(); b = b.next())
            lines += b.layout()->lineCount();
        longest = std::max(longest, lines);
        EXPECT_LE(lines, visible) << note->toPlainText().toStdString();
    }
    // The longest notes fill the box.
    EXPECT_EQ(longest, 5);
}
