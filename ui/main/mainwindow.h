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
#include <memory>

#include "viewbinding.h"

class QLabel;
class QPushButton;
class QToolButton;

class DetailPanel;
class SearchBox;
class UnitList;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    // `catalogue` names the packet to load (a Qt resource or a file); the
    // program always uses the embedded ":/PUEBLOS", tests give their own.
    explicit MainWindow(QWidget* parent = nullptr, const QString& catalogue = QStringLiteral(":/PUEBLOS"));
    ~MainWindow() override;

    // Reads the catalogue before there is a window, on the thread that will
    // make it: while it is held, a window made on that thread finds it read
    // (catalogue::Store::read). Null when it cannot be read; the window's own
    // load then fails and says why.
    static std::shared_ptr<const catalogue::Store> readCatalogueAhead(
        const QString& catalogue = QStringLiteral(":/PUEBLOS"));

    // Loads the catalogue into the four views and puts the window in its
    // start state: the lists off and empty behind their headings, the detail
    // panel blank. The constructor does it once; a failure is kept, not shown.
    void loadCatalogue();
    bool catalogueLoaded() const { return loaded_; }
    // Why the last load failed (the packet's, the filter's or the file's
    // message); empty after a successful load.
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
    // Opens a fresh help window, modally.
    void showHelp();

    // The views behind the lists, and the detail panel, as tests and
    // benchmarks look at them.
    const catalogue::View& municipalityView() const { return municipalities_.view; }
    const catalogue::View& entityView() const { return entities_.view; }
    const catalogue::View& nucleusView() const { return nuclei_.view; }
    DetailPanel& detailPanel() { return *detailPanel_; }

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
    // The detail panel on the list's current unit, if the list has any.
    void showCurrentUnit(const catalogue::View& list);
    // Closes the four views and empties the chart (the window is closing).
    void closeViews();
    void placeWindow();
    // Orders the three list views by search name, if a load left that to be
    // done: loadCatalogue leaves it until the window's first paint is on the
    // screen, and the search, the only way to the lists, does it first.
    void orderLists();

    QString catalogue_;
    BoundView municipalities_;
    BoundView entities_;
    BoundView nuclei_;
    bool loaded_ = false;
    bool listOrderPending_ = false;
    bool loading_ = false; // within loadCatalogue
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

// Where the window goes on a screen: centred, never at 0 or less, and at the
// top on screens under 700 pixels high. `window` is the outer size, frame and
// caption included.
QPoint windowPlacement(const QSize& screen, const QSize& window);
