// The detail panel's costs on the generated catalogue of scale 1 (5,026 units):
// one update of the panel (table, title, both series rebuilt, chart replotted)
// and one selection by arrow key through the whole road (list move, list
// notification, detail filter, detail update, key-up handler, queued replot).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <memory>
#include <qcustomplot.h>

#include "detailpanel.h"
#include "generate.h"
#include "cataloguefile.h"
#include "mainwindow.h"
#include "messages.h"
#include "populationchart.h"
#include "unitlist.h"

namespace {

void ignoreMessage(const QString&, const QString&, bool) {}

std::unique_ptr<QTemporaryDir> catalogueDir;
std::unique_ptr<MainWindow> theWindow;
int replots = 0;

// The chart, made now if the window has not painted yet.
QCustomPlot* chart()
{
    theWindow->detailPanel().makeChart();
    return theWindow->detailPanel().chart();
}

// The window over the generated catalogue, built once.
MainWindow& window()
{
    if (!theWindow) {
        catalogueDir = std::make_unique<QTemporaryDir>();
        const QString path = catalogueDir->filePath(QStringLiteral("catalogue.pkt"));
        QFile file(path);
        const std::string& packet = bench::cachedPacket(1);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(packet.data(), static_cast<qint64>(packet.size())) != static_cast<qint64>(packet.size()))
            qFatal("cannot write the benchmark catalogue");
        file.close();
        theWindow = std::make_unique<MainWindow>(readCatalogue(path).store);
        if (!theWindow->catalogueLoaded())
            qFatal("the benchmark catalogue did not load");
        QObject::connect(chart(), &QCustomPlot::afterReplot, [] { ++replots; });
    }
    return *theWindow;
}

// One update of the detail panel for the unit the detail view holds, and the
// replot it queued, as the event loop runs it.
void BM_DetailUpdate(benchmark::State& state)
{
    MainWindow& catalogueWindow = window();
    catalogueWindow.listAll();
    // A municipality: twelve numbers, most of them with a thousands point.
    const auto move = [](UnitList* list, int rows) {
        for (int i = 0; i < rows; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(list, &press);
        }
    };
    move(catalogueWindow.findChild<UnitList*>(QStringLiteral("municipalityList")), static_cast<int>(state.range(0)));
    QCoreApplication::processEvents();
    replots = 0;
    for (auto _ : state) {
        catalogueWindow.detailPanel().fill();
        QCoreApplication::processEvents();
    }
    state.counters["graphs"] = chart()->graphCount();
    state.counters["replots"] = benchmark::Counter(replots, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DetailUpdate)->Arg(0)->Arg(500)->Unit(benchmark::kMicrosecond);

// Down arrow pressed and released in the entity list: the list moves its view
// by one, whose notification filters the detail view, whose notification
// updates the panel; the key-up handler shows the unit again; then the queued
// replot runs.
void BM_ArrowKeySelection(benchmark::State& state)
{
    MainWindow& catalogueWindow = window();
    catalogueWindow.listAll();
    auto* list = catalogueWindow.findChild<UnitList*>(QStringLiteral("entityList"));
    const catalogue::View& view = catalogueWindow.entityView();
    const auto toFirst = [list] {
        QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
        QApplication::sendEvent(list, &home);
    };
    toFirst();
    QCoreApplication::processEvents();
    replots = 0;
    for (auto _ : state) {
        if (view.eof())
            toFirst();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
        QApplication::sendEvent(list, &release);
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = view.recordCount();
    state.counters["graphs"] = chart()->graphCount();
    state.counters["replots"] = benchmark::Counter(replots, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ArrowKeySelection)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("POBLACION"));
    ui::setMessageSink(&ignoreMessage);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theWindow.reset();
    catalogueDir.reset();
    return 0;
}
