#pragma once
// The main window: search box, the three lists of municipalities, entities and
// nuclei, and the detail panel of the selected unit.

#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

#include "view.h"

class QCPGraph;
class QCustomPlot;
class QFrame;
class QKeyEvent;
class QLabel;
class QPainter;
class QPushButton;
class QToolButton;

class DataSource;
class DBGrid;
class DBMemo;
class SearchEdit;
class StringGrid;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // `catalogue` names the packet to load (a Qt resource or a file); the
    // program always uses the embedded ":/PUEBLOS", tests give their own.
    explicit TForm1(QWidget* parent = nullptr, const QString& catalogue = QStringLiteral(":/PUEBLOS"));
    ~TForm1() override;

    // Views and their data sources.
    catalogue::View ClientDataSet1; // municipalities
    catalogue::View ClientDataSet2; // population entities
    catalogue::View ClientDataSet3; // nuclei
    catalogue::View ClientDataSet4; // the unit of the detail panel
    DataSource* DataSource1 = nullptr;
    DataSource* DataSource2 = nullptr;
    DataSource* DataSource3 = nullptr;
    DataSource* DataSource4 = nullptr;

    // Empty after a successful load; "MIDAS.DLL" after a failed one.
    QString LoadError;
    // Why the load failed (the packet or filter error's message).
    QString LoadErrorMessage;

    // Controls, named as the window lays them out.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    SearchEdit* Edit1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    DBGrid* DBGrid1 = nullptr; // nuclei
    DBGrid* DBGrid2 = nullptr; // municipalities
    DBGrid* DBGrid3 = nullptr; // entities
    QFrame* Bevel1 = nullptr;
    DBMemo* DBMemo1 = nullptr;
    StringGrid* StringGrid1 = nullptr;
    QCustomPlot* Chart1 = nullptr;
    QPushButton* BitBtn1 = nullptr; // "Ayuda"
    QPushButton* BitBtn2 = nullptr; // "Salir"
    QPushButton* BitBtn3 = nullptr; // "Listar todas las unidades poblacionales"

    // The two series of the shown unit; empty or owned by Chart1.
    QCPGraph* LineSeries = nullptr;
    QCPGraph* PointSeries = nullptr;

    // Handlers.
    void FormCreate();
    void FormClose();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void SpeedButton1Click();
    void Edit1KeyPress(QChar& key);
    void ClientDataSet1AfterScroll(catalogue::View& dataSet);
    void ClientDataSet4AfterScroll(catalogue::View& dataSet);
    void DBGrid1Enter();
    void DBGrid2Enter();
    void DBGrid3Enter();
    void DBGrid1KeyUp(int& key, Qt::KeyboardModifiers shift);
    void DBGrid2KeyUp(int& key, Qt::KeyboardModifiers shift);
    void DBGrid3KeyUp(int& key, Qt::KeyboardModifiers shift);
    void DBGrid1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void DBGrid2MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void DBGrid3MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void StringGrid1DrawCell(QPainter& canvas, int aCol, int aRow, const QRect& rect);

    // Shared routines.
    void FreeChartSeries();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void createControls();
    void applyStartColours(); // creation step 12
    void setUpChart();        // the chart's fixed appearance (creation step 13)
    void placeWindow();       // creation step 15
    void showUnit(catalogue::View& view);

    QString catalogue_;
    QSize placedFrameSize_; // the outer size the window was placed with
    bool framePlaced_ = false; // placed again once the frame became known
};

// Names the application "POBLACION" (the taskbar and the caption of the
// program's message boxes), gives it its icon and puts the toolkit's own
// texts in Spanish.
void prepareApplication();

// A copy of the text without any ".".
QString RemoveDots(const QString& text);

// Where the window goes on a screen (creation step 15): centred, never at 0
// or less, and at the top on screens under 700 pixels high. `window` is the
// outer size, frame and caption included.
QPoint windowPlacement(const QSize& screen, const QSize& window);

// The message telling that the catalogue could not be loaded, and why; empty
// when it was loaded.
QString loadFailureMessage(const TForm1& form);
