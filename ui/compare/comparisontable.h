#pragma once
// The comparison's table: a row per unit with its code, name and kind, the
// twelve census texts as the catalogue stores them ("-" for none), its
// largest figure with the year of it, and the change from its first figure
// to its last in percent. Supr, or "Quitar de la comparación" in the context
// menu, asks to remove the current row; "Vaciar la comparación" asks to
// remove them all. The table only asks: the window removes.

#include <QTableWidget>
#include <vector>

#include "comparedunit.h"

class ComparisonTable : public QTableWidget {
    Q_OBJECT
public:
    // Code, name, kind, the twelve years, largest, its year, change.
    static constexpr int kColumns = 18;
    static constexpr int kFirstYearColumn = 3;
    static constexpr int kLargestColumn = 15;
    static constexpr int kLargestYearColumn = 16;
    static constexpr int kChangeColumn = 17;

    explicit ComparisonTable(QWidget* parent = nullptr);

    // One row per unit, in the order given; the current row stays where it
    // was, or on the last row when there are fewer.
    void showUnits(const std::vector<ComparedUnit>& units);

    // The texts of a row's cells, as shown and printed.
    static QStringList rowTexts(const ComparedUnit& unit);
    static QStringList headerTexts();

signals:
    void removeRequested(int row);
    void clearRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};
