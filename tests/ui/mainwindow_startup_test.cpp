// The main window's start-up work: what it leaves undone until it is needed,
// and that whatever it leaves undone is in place before the user can reach it.

#include "mainwindow_helpers.h"

using namespace mwtest;

TEST_F(MainWindowTest, ReloadingBlanksTheListsOnceWithoutLayingOutAnyUnit)
{
    MainWindow& w = open();
    search(QStringLiteral("A"));
    UnitList* lists[] = {municipalityList(), entityList(), nucleusList()};
    for (UnitList* list : lists)
        ASSERT_GT(list->model()->rowCount(), 0);

    // The rows each list holds every time it is rebuilt during the load.
    std::vector<std::vector<int>> rebuilds(3);
    for (std::size_t i = 0; i < 3; ++i) {
        QAbstractItemModel* model = lists[i]->model();
        QObject::connect(model, &QAbstractItemModel::modelReset, model,
                         [&rebuilds, i, model] { rebuilds[i].push_back(model->rowCount()); });
    }
    w.loadCatalogue();
    ASSERT_TRUE(w.catalogueLoaded());
    for (const auto& rows : rebuilds)
        EXPECT_EQ(rows, std::vector<int>{0});
    for (UnitList* list : lists)
        EXPECT_FALSE(list->isEnabled());
}
