// The first search of a fresh main window on the embedded catalogue: the
// window is created, shown and left to settle as a user finds it, then the
// search is timed. A search in a window that never painted (typed ahead of
// the window) is timed too.
#include <QApplication>
#include <QTest>
#include <benchmark/benchmark.h>
#include <memory>

#include "cataloguefile.h"
#include "mainwindow.h"
#include "messages.h"
#include "searchbox.h"

namespace {

void ignoreMessage(const QString&, const QString&, bool) {}

void search(benchmark::State& state, MainWindow& window, const char* text)
{
    window.findChild<SearchBox*>(QStringLiteral("searchBox"))->setText(QString::fromUtf8(text));
    state.ResumeTiming();
    window.search();
    state.PauseTiming();
    state.counters["hits"] = window.municipalityView().recordCount() + window.entityView().recordCount()
                             + window.nucleusView().recordCount();
}

void BM_FirstSearch(benchmark::State& state, const char* text)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<MainWindow>(readCatalogue(QStringLiteral(":/PUEBLOS")).store);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            state.SkipWithError("the window was never exposed");
        QTest::qWait(50);
        search(state, *window, text);
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_FirstSearch, SAN, "SAN")->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_FirstSearch, all, "")->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_SearchBeforeThePaint(benchmark::State& state, const char* text)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<MainWindow>(readCatalogue(QStringLiteral(":/PUEBLOS")).store);
        search(state, *window, text);
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_SearchBeforeThePaint, SAN, "SAN")->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ui::setMessageSink(&ignoreMessage);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
