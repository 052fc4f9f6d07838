#pragma once
// The detail panel of the main window: the selected unit's kind and name, its
// note, its census table and its population chart, inside a sunken frame.
// The panel owns the detail view, which holds the one unit shown (filtered
// by "ident = N"), and the binding that links the note to it.

#include <QFrame>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "census.h"
#include "viewbinding.h"

class CensusTable;
class NoteView;
class PopulationChart;
class QLabel;
class QMimeData;

class DetailPanel : public QFrame {
    Q_OBJECT
public:
    explicit DetailPanel(QWidget* parent = nullptr);

    // The detail view: the window loads the catalogue into it and closes it.
    catalogue::View& view() { return detail_.view; }
    const catalogue::View& view() const { return detail_.view; }

    // Puts the detail view on the unit with this identifier (its notification
    // fills title, table and chart), then links the note and shows the title.
    void showUnit(std::int32_t ident);
    // Only puts the detail view on the unit: a blank panel stays blank (the
    // load leaves the view on the first nucleus that way).
    void holdUnit(std::int32_t ident);
    // Measures the hidden title, loading its face, so that the first unit
    // shown does not wait for it.
    void prepareTitle();

    // The chart, made blank when first asked for: the window asks once its
    // first frame is on the screen, and the first unit shown asks first if
    // it comes first. Until then the panel is blank and the chart's place
    // empty. Null until made.
    void makeChart();
    PopulationChart* chart() const { return chart_; }

    // Fills title, census table and chart from the unit the detail view holds;
    // the detail view's notification. The title stays hidden, and unmeasured,
    // until showUnit.
    void fill();

    // Blanks the panel: the note unlinked (empty), the title hidden, the
    // census values empty, the chart without series.
    void blank();

    // Empties the chart and closes the detail view (the window is closing).
    void closeView();

    // Whether the note is linked to the detail view (between showUnit and blank).
    bool noteLinked() const { return detail_.binding.isEnabled(); }

    // The note, the first of the panel's controls in the window's tab order.
    NoteView* note() const { return note_; }

    // The identifier of the unit shown; none while the panel is blank (after
    // a search the detail view still holds a unit, but none is shown).
    std::optional<std::int32_t> shownUnit() const;

    // The unit shown as a small table, for the clipboard
    // (exporting::copiedTable): a header line ("Unidad", "Tipo", "Código"
    // where the catalogue has the field CODIGO, the twelve years) and a line
    // of values (the name as the title gives it, the kind, the code, the
    // twelve figures as bare whole numbers, "98397", an empty cell for "-"),
    // as text with tabs between cells and as an HTML table.
    // Null while the panel is blank.
    std::unique_ptr<QMimeData> unitTable() const;
    // Puts unitTable() on the clipboard. While the panel is blank it does
    // nothing, and the clipboard keeps what it holds.
    void copyUnit() const;

signals:
    // The panel came to show a unit, another one, or none (blank).
    void shownUnitChanged();

protected:
    // A right click on the census table offers "Copiar" (the table itself
    // takes no clicks, so that it never shows a selection).
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void createControls();
    void nameForAssistiveTechnology();
    // Brings what assistive technology reads in step with what is shown.
    void updateAccessibleText();
    QString fieldText(std::string_view name) const;

    BoundView detail_;
    QLabel* title_ = nullptr;
    NoteView* note_ = nullptr;
    QLabel* censusHeading_ = nullptr;
    CensusTable* censusTable_ = nullptr;
    PopulationChart* chart_ = nullptr;
};
