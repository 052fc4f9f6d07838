#pragma once
// The main window: the search box, the lists of the municipalities, entities
// and nuclei whose search names contain the text, and the detail panel of the
// unit selected in a list.
//
// Each list shows a view of the catalogue filtered by kind and search text
// and ordered by search name; moving in a list moves its view, and the
// view's notification puts the detail panel on the list's current unit.

#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store.h"
#include "viewbinding.h"

class QLabel;
class QMenuBar;
class QPushButton;
class QToolButton;

class DetailPanel;
class SearchBox;
class UnitList;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // The window over `catalogue`, which its four views share (the program
    // gives the embedded one, readCatalogue(":/PUEBLOS"), tests their own).
    // Null when none could be read: the window works, with empty lists.
    explicit MainWindow(std::shared_ptr<const catalogue::Store> catalogue, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Loads the catalogue into the four views and puts the window in its
    // start state: the lists off and empty behind their headings, the detail
    // panel blank. The constructor does it once; a failure is kept, not shown.
    void loadCatalogue();
    bool catalogueLoaded() const { return loaded_; }
    // Why the last load failed (the filter's or a missing field's message);
    // empty after a successful load or without a catalogue.
    const QString& loadFailure() const { return loadFailure_; }
    // The message telling the user that the catalogue could not be loaded,
    // and why; empty when it was loaded.
    QString loadFailureMessage() const;

    // Lists the units whose search names contain the search box's text (its
    // accented capital vowels taken as plain ones), counts them in the
    // headings and blanks the detail panel.
    void search();
    // The same search with the search box emptied: every unit.
    void listAll();
    // Lists, as a search does (headings with counts, lists with units
    // enabled, the panel blank), the units that pass the three filters, one
    // per list, with `caption` in the search box telling what was listed.
    void listUnits(const std::array<std::string, 3>& filters, const QString& caption);
    // Shows the municipality of this INE code as a click on it in the
    // municipality list would: false when that list does not hold it.
    bool chooseMunicipality(std::string_view code);
    // The catalogue's record of the unit the panel shows; none while blank.
    std::optional<std::size_t> shownRecord() const;
    const std::shared_ptr<const catalogue::Store>& catalogue() const { return catalogue_; }
    // Puts the menu bar above the window's controls, which keep their places
    // and sizes below it: the window grows by the bar's height.
    void setMenuBar(QMenuBar* bar);
    // Whether what start-up leaves until the first frame is done.
    bool startupFinished() const { return startupFinished_; }

    // Opens a fresh help window, modally.
    void showHelp();

    // The views behind the lists, and the detail panel, as tests and
    // benchmarks look at them.
    const catalogue::View& municipalityView() const { return municipalities_.view; }
    const catalogue::View& entityView() const { return entities_.view; }
    const catalogue::View& nucleusView() const { return nuclei_.view; }
    DetailPanel& detailPanel() { return *detailPanel_; }

signals:
    // The panel came to show a unit, another one, or none.
    void shownUnitChanged();

protected:
    // Ctrl+Tab and Ctrl+Shift+Tab on any control go on to the next or the
    // previous one; Enter on a button presses it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void createControls();
    UnitList* createList(const char* name, const QRect& place, BoundView& shown, bool tabWithinList);
    void setColours();
    void nameForAssistiveTechnology();
    void setHeadings(int municipalities, int entities, int nuclei);
    // The lists on these filters, as a search leaves them.
    void showLists(const std::array<std::string, 3>& filters);
    // The detail panel on the list's current unit, if the list has any.
    void showCurrentUnit(const catalogue::View& list);
    // Closes the four views and empties the chart (the window is closing).
    void closeViews();
    void placeWindow();
    // Orders the three list views by search name, if a load left that to be
    // done: loadCatalogue leaves it to finishStartup, and the search, the
    // only way to the lists, does it first if it comes first.
    void orderLists();
    // What start-up leaves until the window's first frame is on the screen:
    // the chart, the lists' order and the face of the panel's title (which
    // the first unit shown would otherwise wait for).
    void finishStartup();

    std::shared_ptr<const catalogue::Store> catalogue_;
    BoundView municipalities_;
    BoundView entities_;
    BoundView nuclei_;
    bool loaded_ = false;
    bool listOrderPending_ = false;
    bool loading_ = false; // within loadCatalogue
    bool startupFinishing_ = false; // finishStartup queued at the first paint
    bool startupFinished_ = false;
    QString loadFailure_;

    QLabel* title_ = nullptr;
    QLabel* instructions_ = nullptr;
    QLabel* searchLabel_ = nullptr;
    SearchBox* searchBox_ = nullptr;
    QToolButton* searchButton_ = nullptr;
    QLabel* municipalityHeading_ = nullptr;
    QLabel* entityHeading_ = nullptr;
    QLabel* nucleusHeading_ = nullptr;
    UnitList* municipalityList_ = nullptr;
    UnitList* entityList_ = nullptr;
    UnitList* nucleusList_ = nullptr;
    DetailPanel* detailPanel_ = nullptr;
    QPushButton* listAllButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;

    QSize placedFrameSize_;    // the outer size the window was placed with
    bool framePlaced_ = false; // placed again once the frame became known
};

// The message telling the user that the catalogue could not be loaded, and
// `why` on a line of its own where it says.
QString catalogueFailureMessage(const QString& why);

// Where the window goes on a screen: centred, never at 0 or less, and at the
// top on screens under 700 pixels high. `window` is the outer size, frame and
// caption included.
QPoint windowPlacement(const QSize& screen, const QSize& window);
