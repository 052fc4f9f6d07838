// The main window on the generated catalogue of scale 1 (5,026 units, about
// twice the 2,555 the program carries): creating it, loading the catalogue,
// one search with all its nested notifications, and "Listar todas"; and
// loading and searching the catalogue the program carries.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "detailpanel.h"
#include "generate.h"
#include "cataloguefile.h"
#include "mainwindow.h"
#include "messages.h"
#include "searchbox.h"

namespace {

QString g_packet;

void ignoreMessage(const QString&, const QString&, bool) {}

std::unique_ptr<MainWindow> shownWindow()
{
    auto window = std::make_unique<MainWindow>(readCatalogue(g_packet).store);
    window->show();
    QApplication::processEvents();
    return window;
}

void setSearchText(MainWindow& window, const char* text)
{
    window.findChild<SearchBox*>(QStringLiteral("searchBox"))->setText(QString::fromUtf8(text));
}

double hits(const MainWindow& window)
{
    return window.municipalityView().recordCount() + window.entityView().recordCount()
           + window.nucleusView().recordCount();
}

void BM_WindowCreation(benchmark::State& state)
{
    for (auto _ : state) {
        MainWindow window(readCatalogue(g_packet).store);
        benchmark::DoNotOptimize(window.catalogueLoaded());
        state.PauseTiming();
        if (!window.catalogueLoaded())
            state.SkipWithError(window.loadFailure().toStdString().c_str());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowCreation)->Unit(benchmark::kMillisecond);

void BM_LoadCatalogue(benchmark::State& state)
{
    auto window = shownWindow();
    for (auto _ : state)
        window->loadCatalogue();
    if (!window->catalogueLoaded())
        state.SkipWithError(window->loadFailure().toStdString().c_str());
}
BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond);

// The same on the catalogue the program carries (a Qt resource, which may be
// stored compressed).
void BM_LoadCatalogueEmbedded(benchmark::State& state)
{
    MainWindow window(readCatalogue(QStringLiteral(":/PUEBLOS")).store);
    for (auto _ : state)
        window.loadCatalogue();
    state.counters["units"] = static_cast<double>(window.detailPanel().view().table().recordCount());
    if (!window.catalogueLoaded())
        state.SkipWithError(window.loadFailure().toStdString().c_str());
}
BENCHMARK(BM_LoadCatalogueEmbedded)->Unit(benchmark::kMillisecond);

// One search on the catalogue the program carries.
void BM_SearchEmbedded(benchmark::State& state, const char* text)
{
    MainWindow window(readCatalogue(QStringLiteral(":/PUEBLOS")).store);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        window.listAll();
        setSearchText(window, text);
        state.ResumeTiming();
        window.search();
    }
    state.counters["hits"] = hits(window);
}
BENCHMARK_CAPTURE(BM_SearchEmbedded, SAN, "SAN")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchEmbedded, LA, "LA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchEmbedded, LA_ALMUNIA, "LA ALMUNIA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SearchEmbedded, AINSA_SOBRARBE, "AINSA SOBRARBE")->Unit(benchmark::kMillisecond);

// One search: three list filters with their nested showings, headings,
// enabling and blanking; the lists are already shown, as after a first search.
// Every timed search follows another one, so that each view filters anew.
void BM_Search(benchmark::State& state, const char* text)
{
    auto window = shownWindow();
    for (auto _ : state) {
        state.PauseTiming();
        window->listAll();
        setSearchText(*window, text);
        state.ResumeTiming();
        window->search();
    }
    state.counters["hits"] = hits(*window);
}
BENCHMARK_CAPTURE(BM_Search, SAN, "SAN")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, LA, "LA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, none, "QQQ")->Unit(benchmark::kMillisecond);

void BM_ListAll(benchmark::State& state)
{
    auto window = shownWindow();
    for (auto _ : state) {
        state.PauseTiming();
        setSearchText(*window, "SAN");
        window->search();
        state.ResumeTiming();
        window->listAll();
    }
    state.counters["hits"] = hits(*window);
}
BENCHMARK(BM_ListAll)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ui::setMessageSink(&ignoreMessage);

    QTemporaryDir dir;
    g_packet = dir.filePath(QStringLiteral("catalogue.pkt"));
    {
        const std::string& packet = bench::cachedPacket(1);
        QFile file(g_packet);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(packet.data(), static_cast<qint64>(packet.size()));
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
