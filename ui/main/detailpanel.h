#pragma once
// The detail panel of the main window: the selected unit's kind and name, its
// note, its census table and its population chart, inside a sunken frame.
// The panel owns the detail view, which holds the one unit shown (filtered
// by "ident = N"), and the binding that links the note to it.

#include <QFrame>
#include <cstdint>
#include <string_view>

#include "viewbinding.h"

class CensusTable;
class NoteView;
class PopulationChart;
class QLabel;

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

    // Fills title, census table and chart from the unit the detail view holds;
    // the detail view's notification. The title stays hidden until showUnit.
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
