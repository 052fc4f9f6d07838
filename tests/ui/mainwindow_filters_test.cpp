// Every filter the main window gives its views (the kinds at load, the name
// search of each text as people type it, the unit the panel shows) is one the
// catalogue answers from its indexes: a filter text that drifted from those
// shapes would still pass the right units, but through the general
// evaluator, record by record.

#include <string>
#include <vector>

#include "filter.h"
#include "mainwindow_helpers.h"

using namespace mwtest;

namespace {

class MainWindowFiltersTest : public MainWindowTest {
protected:
    // The views' filters, each answered from the indexes and passing as many
    // records as its view holds.
    void expectAnsweredFromTheIndexes(const char* when)
    {
        const catalogue::View* views[] = {&window->municipalityView(), &window->entityView(),
                                          &window->nucleusView(), &window->detailPanel().view()};
        for (const catalogue::View* view : views) {
            SCOPED_TRACE(std::string(when) + ": " + view->filterText());
            ASSERT_TRUE(view->filtered());
            const catalogue::Filter filter =
                catalogue::Filter::compile(view->filterText(), store->table(), store->collation());
            EXPECT_NE(filter.shape().kind, catalogue::Filter::Shape::Kind::Other);
            std::vector<std::uint32_t> rows;
            EXPECT_TRUE(store->select(filter.shape(), -1, rows));
            EXPECT_EQ(rows.size(), static_cast<std::size_t>(view->recordCount()));
        }
    }

    std::shared_ptr<const catalogue::Store> store;
};

TEST_F(MainWindowFiltersTest, EveryFilterOfTheWindowIsAnsweredFromTheIndexes)
{
    store = readCatalogue(QStringLiteral(":/PUEBLOS")).store;
    ASSERT_NE(store, nullptr);
    window = std::make_unique<MainWindow>(store);
    showWindow();
    // The kinds, as loaded.
    EXPECT_EQ(window->municipalityView().filterText(), "tiponum = 2");
    EXPECT_EQ(window->entityView().filterText(), "tiponum = 3");
    EXPECT_EQ(window->nucleusView().filterText(), "tiponum = 4");
    expectAnsweredFromTheIndexes("load");

    // Each form of the search: a word, words, a hyphen, spaces at the ends
    // and doubled, "n" for "ñ", a code's digits, a quote, and the empty text
    // that lists every unit. (A text with the like operator's own "%", "_"
    // or "\" is a pattern, which the evaluator answers record by record.)
    for (const QString& text : {QStringLiteral("SAN"), QStringLiteral("LA ALMUNIA"), QStringLiteral("AINSA-SOBRARBE"),
                                QStringLiteral("  BIEL  "), QStringLiteral("LA  ALMUNIA"), QStringLiteral("ALCANIZ"),
                                QStringLiteral("22909"), QStringLiteral("O'"), QString()}) {
        search(text);
        expectAnsweredFromTheIndexes(text.toStdString().c_str());
        // And the unit shown from a list.
        for (UnitList* list : {municipalityList(), entityList(), nucleusList()}) {
            if (list->model()->rowCount() == 0)
                continue;
            clickRow(list, 0);
            ASSERT_TRUE(panel().shownUnit().has_value());
            expectAnsweredFromTheIndexes(("unit shown after " + text.toStdString()).c_str());
        }
    }
    EXPECT_EQ(window->municipalityView().filterText().rfind("(tiponum = 2) and ", 0), 0u);
}

} // namespace
