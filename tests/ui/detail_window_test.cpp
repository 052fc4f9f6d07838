// The detail panel inside the real main window, on the detail test catalogue:
// units are selected through the search box and the lists, as a user does.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <qcustomplot.h>
#include <vector>

#include "dbgrid.h"
#include "report.h"
#include "searchedit.h"
#include "stringgrid.h"
#include "tform1.h"

namespace {

struct Recorded {
    QString text;
    bool error = false;
};
std::vector<Recorded>& recorded()
{
    static std::vector<Recorded> messages;
    return messages;
}
void record(const QString&, const QString& text, bool error) { recorded().push_back({text, error}); }

constexpr double kMissing = -1; // stands for NaN in the expected series

class DetailWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        recorded().clear();
        ui::setMessageSink(&record);
        form = std::make_unique<TForm1>(nullptr, QStringLiteral(TEST_PACKET_DIR "/detail.pkt"));
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        ASSERT_TRUE(form->LoadError.isEmpty()) << form->LoadErrorMessage.toStdString();
    }
    void TearDown() override
    {
        form.reset();
        ui::setMessageSink(nullptr);
        recorded().clear();
    }

    void search(const QString& text)
    {
        form->Edit1->setFocus();
        form->Edit1->clear();
        QTest::keyClicks(form->Edit1, text);
        QTest::keyClick(form->Edit1, Qt::Key_Return);
    }
    void listAll() { QTest::mouseClick(form->BitBtn3, Qt::LeftButton); }

    static void clickRow(DBGrid* grid, int row)
    {
        const QPoint centre = grid->visualRect(grid->model()->index(row, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    }
    // Arrow key pressed and released in a list, as the keyboard delivers it.
    static void down(DBGrid* grid) { QTest::keyClick(grid, Qt::Key_Down); }

    QStringList valueRows() const
    {
        QStringList cells;
        for (int row : {1, 3})
            for (int col = 0; col < 6; ++col)
                cells << form->StringGrid1->Cells(col, row);
        return cells;
    }

    // The two series hold exactly these values (kMissing for a gap).
    void expectSeries(const std::vector<double>& values)
    {
        ASSERT_EQ(form->Chart1->graphCount(), 2);
        ASSERT_NE(form->LineSeries, nullptr);
        ASSERT_NE(form->PointSeries, nullptr);
        EXPECT_EQ(form->Chart1->graph(0), form->LineSeries);
        EXPECT_EQ(form->Chart1->graph(1), form->PointSeries);
        EXPECT_EQ(form->LineSeries->lineStyle(), QCPGraph::lsLine);
        EXPECT_EQ(form->PointSeries->lineStyle(), QCPGraph::lsNone);
        for (QCPGraph* graph : {form->LineSeries, form->PointSeries}) {
            ASSERT_EQ(graph->data()->size(), 12);
            for (int i = 0; i < 12; ++i) {
                const double value = graph->data()->at(i)->value;
                EXPECT_EQ(graph->data()->at(i)->key, i);
                if (values[static_cast<std::size_t>(i)] == kMissing)
                    EXPECT_TRUE(std::isnan(value)) << i << ": " << value;
                else
                    EXPECT_EQ(value, values[static_cast<std::size_t>(i)]) << i;
            }
        }
    }

    void expectTitle(const QString& title)
    {
        EXPECT_EQ(form->Label8->text(), title);
        EXPECT_TRUE(form->Label8->isVisibleTo(form.get()));
        // The title's width follows its caption.
        EXPECT_EQ(form->Label8->width(), form->Label8->sizeHint().width());
    }

    void expectNoMessages()
    {
        for (const Recorded& message : recorded())
            ADD_FAILURE() << "message shown: " << message.text.toStdString();
    }

    void expectBlank()
    {
        EXPECT_EQ(form->Chart1->graphCount(), 0);
        EXPECT_EQ(form->LineSeries, nullptr);
        EXPECT_EQ(form->PointSeries, nullptr);
        EXPECT_EQ(valueRows(), QStringList(12, QString()));
        EXPECT_FALSE(form->Label8->isVisibleTo(form.get()));
    }

    std::unique_ptr<TForm1> form;
};

} // namespace

TEST_F(DetailWindow, StartsBlankWithTheYearHeadings)
{
    // The creation ran the detail update for the first nucleus and then
    // blanked the panel.
    expectBlank();
    const QStringList years = {"1900", "1910", "1920", "1930", "1940", "1950",
                               "1960", "1970", "1981", "1991", "2001", "2004"};
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(form->StringGrid1->Cells(i % 6, i < 6 ? 0 : 2), years[i]);
    EXPECT_EQ(form->StringGrid1->DefaultColWidth(), 69);
    EXPECT_EQ(form->StringGrid1->Selection(), QRect(QPoint(-1, -1), QPoint(-1, -1)));
    EXPECT_FALSE(form->StringGrid1->isEnabled());

    // The table paints through its cell painter: pink headings, white values.
    const QImage image = form->StringGrid1->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(form->StringGrid1->CellRect(2, 2).topLeft())), QColor(235, 157, 176));
    EXPECT_EQ(QColor(image.pixel(form->StringGrid1->CellRect(2, 3).center())), QColor(Qt::white));
    expectNoMessages();
}

TEST_F(DetailWindow, MunicipalitiesByClickAndArrowKeys)
{
    listAll();
    expectBlank();
    DBGrid* list = form->DBGrid2; // Almudévar, Huesca, Torres de Albarracín, Zaragoza
    ASSERT_EQ(list->model()->rowCount(), 4);

    // A unit with gaps at the first, third, sixth and last year.
    clickRow(list, 0);
    expectTitle(QStringLiteral("Municipio: Almudévar"));
    EXPECT_EQ(valueRows(), QStringList({"-", "2.506", "-", "2.613", "2.478", "-", "2.410", "2.368", "2.255",
                                        "2.178", "2.297", "-"}));
    expectSeries({kMissing, 2506, kMissing, 2613, 2478, kMissing, 2410, 2368, 2255, 2178, 2297, kMissing});
    EXPECT_EQ(form->Chart1->yAxis->range().lower, 0);
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 2743.65);

    // A large town with thousands points.
    down(list);
    expectTitle(QStringLiteral("Municipio: Huesca"));
    EXPECT_EQ(valueRows(), QStringList({"12.126", "11.755", "13.113", "14.896", "18.011", "21.100", "24.377",
                                        "33.185", "40.538", "44.165", "46.243", "49.312"}));
    expectSeries({12126, 11755, 13113, 14896, 18011, 21100, 24377, 33185, 40538, 44165, 46243, 49312});
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 51777.6);

    down(list);
    expectTitle(QStringLiteral("Municipio: Torres de Albarracín"));
    expectSeries({9, 8, kMissing, 7, 6, 5, 4, 3, 2, 1, 0, 0});
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 9.45);

    // Seven-character values.
    down(list);
    expectTitle(QStringLiteral("Municipio: Zaragoza"));
    EXPECT_EQ(form->StringGrid1->Cells(5, 3), "638.799");
    expectSeries({98125, 109635, 140426, 162121, 205094, 244015, 303975, 469366, 571855, 594394, 614905, 638799});
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 670738.95);

    // At the end of the list: the same unit again, still two series.
    down(list);
    expectTitle(QStringLiteral("Municipio: Zaragoza"));
    EXPECT_EQ(form->Chart1->graphCount(), 2);
    expectNoMessages();
}

TEST_F(DetailWindow, RecordWithWordsAndNullsShowsWithoutError)
{
    search(QStringLiteral("HOSTAL"));
    // The search ran the update for this unit inside it and completed.
    EXPECT_EQ(form->Label3->text(), QStringLiteral("Entidades (1)"));
    EXPECT_TRUE(form->DBGrid3->isEnabled());
    expectBlank();
    expectNoMessages();

    clickRow(form->DBGrid3, 0);
    expectTitle(QStringLiteral("Entidad: El Ciervo"));
    EXPECT_EQ(valueRows(), QStringList({"Hostal", "El Cier", "", "Hostal", "El Cier", "", "-", "-", "-", "-", "-",
                                        "-"}));
    expectSeries(std::vector<double>(12, kMissing));
    EXPECT_EQ(form->Chart1->yAxis->range().lower, 0);
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 1);
    expectNoMessages();

    // Listing everything passes over it without a word either.
    listAll();
    EXPECT_EQ(form->Label3->text(), QStringLiteral("Entidades (4)"));
    expectBlank();
    expectNoMessages();
}

TEST_F(DetailWindow, TextsThatAreNoWholeNumberAreGapsInTheChart)
{
    search(QStringLiteral("BLANCO"));
    clickRow(form->DBGrid3, 0);
    expectTitle(QStringLiteral("Entidad: Mas de Blanco"));
    // Shown exactly as stored: blanks kept, null empty.
    EXPECT_EQ(valueRows(), QStringList({"12 ", " - ", "1.016", "abc", "", "  300", "-", "2.147", "x.1", "-", "+5",
                                        "0"}));
    expectSeries({kMissing, kMissing, 1016, kMissing, kMissing, 300, kMissing, 2147, kMissing, kMissing, 5, 0});
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 2254.35);
    expectNoMessages();
}

TEST_F(DetailWindow, AllMissingAndNucleus)
{
    listAll();
    DBGrid* entities = form->DBGrid3; // Abejar, Despoblado de Arriba, Hostal, Mas de Blanco
    clickRow(entities, 1);
    expectTitle(QStringLiteral("Entidad: Despoblado de Arriba"));
    EXPECT_EQ(valueRows(), QStringList(12, QStringLiteral("-")));
    expectSeries(std::vector<double>(12, kMissing));
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 1);

    clickRow(entities, 0);
    expectTitle(QStringLiteral("Entidad: Abejar"));
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 512.4);

    clickRow(form->DBGrid1, 0);
    expectTitle(QStringLiteral("Núcleo: Valdespartera"));
    EXPECT_EQ(form->StringGrid1->Cells(5, 3), "10.050");
    EXPECT_EQ(form->PointSeries->data()->at(11)->value, 10050);
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 10552.5);
    expectNoMessages();
}

TEST_F(DetailWindow, KindsThatAreNotKnown)
{
    // Units of no known kind are in none of the lists; the detail view is
    // moved onto them directly.
    form->ClientDataSet4.setFilter("ident = 40002");
    form->ClientDataSet4.setFiltered(true);
    EXPECT_EQ(form->Label8->text(), QStringLiteral("Desconocido: Unidad Rara"));
    expectSeries({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});

    form->ClientDataSet4.setFilter("ident = 40003");
    EXPECT_EQ(form->Label8->text(), QStringLiteral("Desconocido: Unidad Siete"));
    expectSeries({kMissing, kMissing, kMissing, kMissing, kMissing, kMissing, kMissing, kMissing, kMissing,
                  kMissing, kMissing, 70});
    EXPECT_EQ(form->Chart1->yAxis->range().upper, 73.5);
    expectNoMessages();
}

TEST_F(DetailWindow, SearchLeavesNoSeriesAndUpdatesKeepTwo)
{
    listAll();
    for (int row = 0; row < 4; ++row) {
        clickRow(form->DBGrid3, row);
        ASSERT_EQ(form->Chart1->graphCount(), 2) << row;
        clickRow(form->DBGrid3, row); // the same unit again: rebuilt, still two
        ASSERT_EQ(form->Chart1->graphCount(), 2) << row;
    }
    clickRow(form->DBGrid2, 1);
    EXPECT_EQ(form->Chart1->graphCount(), 2);
    search(QStringLiteral("A"));
    expectBlank();
    clickRow(form->DBGrid2, 0);
    EXPECT_EQ(form->Chart1->graphCount(), 2);
    form->close();
    EXPECT_EQ(form->Chart1->graphCount(), 0);
    expectNoMessages();
}

TEST_F(DetailWindow, ChartDrawsTheSelectedUnit)
{
    listAll();
    clickRow(form->DBGrid2, 1); // Huesca
    form->Chart1->replot();
    const QImage image = form->Chart1->grab().toImage();
    const QRect area = form->Chart1->axisRect()->rect();
    int series = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c(image.pixel(x, y));
            series += c.red() - c.green() >= 45 && c.blue() > c.green() ? 1 : 0;
        }
    EXPECT_GT(series, 200);
    // The window tint behind everything.
    EXPECT_EQ(QColor(image.pixel(area.left() + 2, area.top() + 1)), QColor(255, 238, 221));
}
