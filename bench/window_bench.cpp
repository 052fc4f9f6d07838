// The main window on a generated catalogue shaped like the shipped one
// (5,026 units): FormCreate, one search with all its nested notifications,
// and "Listar todas".
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "generate.h"
#include "report.h"
#include "searchedit.h"
#include "tform1.h"

namespace {

QString g_packet;

void ignoreMessage(const QString&, const QString&, bool) {}

std::unique_ptr<TForm1> shownWindow()
{
    auto form = std::make_unique<TForm1>(nullptr, g_packet);
    form->show();
    QApplication::processEvents();
    return form;
}

void BM_WindowCreation(benchmark::State& state)
{
    for (auto _ : state) {
        TForm1 form(nullptr, g_packet);
        benchmark::DoNotOptimize(form.LoadError);
        state.PauseTiming();
        if (!form.LoadError.isEmpty())
            state.SkipWithError(form.LoadErrorMessage.toStdString().c_str());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowCreation)->Unit(benchmark::kMillisecond);

void BM_FormCreate(benchmark::State& state)
{
    auto form = shownWindow();
    for (auto _ : state)
        form->FormCreate();
    if (!form->LoadError.isEmpty())
        state.SkipWithError(form->LoadErrorMessage.toStdString().c_str());
}
BENCHMARK(BM_FormCreate)->Unit(benchmark::kMillisecond);

// The same on the catalogue the program carries (a Qt resource, which may be
// stored compressed).
void BM_FormCreateEmbedded(benchmark::State& state)
{
    TForm1 form(nullptr);
    for (auto _ : state)
        form.FormCreate();
    state.counters["units"] = static_cast<double>(form.ClientDataSet4.table().recordCount());
    if (!form.LoadError.isEmpty())
        state.SkipWithError(form.LoadErrorMessage.toStdString().c_str());
}
BENCHMARK(BM_FormCreateEmbedded)->Unit(benchmark::kMillisecond);

// One search on the catalogue the program carries.
void BM_SearchEmbedded(benchmark::State& state, const char* text)
{
    TForm1 form(nullptr);
    form.show();
    QApplication::processEvents();
    for (auto _ : state) {
        state.PauseTiming();
        form.BitBtn3Click();
        form.Edit1->setText(QString::fromUtf8(text));
        state.ResumeTiming();
        form.SpeedButton1Click();
    }
    state.counters["hits"] = form.ClientDataSet1.recordCount() + form.ClientDataSet2.recordCount()
                             + form.ClientDataSet3.recordCount();
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
    auto form = shownWindow();
    for (auto _ : state) {
        state.PauseTiming();
        form->BitBtn3Click();
        form->Edit1->setText(QString::fromUtf8(text));
        state.ResumeTiming();
        form->SpeedButton1Click();
    }
    state.counters["hits"] = form->ClientDataSet1.recordCount() + form->ClientDataSet2.recordCount()
                             + form->ClientDataSet3.recordCount();
}
BENCHMARK_CAPTURE(BM_Search, SAN, "SAN")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, LA, "LA")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, none, "QQQ")->Unit(benchmark::kMillisecond);

void BM_ListAll(benchmark::State& state)
{
    auto form = shownWindow();
    for (auto _ : state) {
        state.PauseTiming();
        form->Edit1->setText(QStringLiteral("SAN"));
        form->SpeedButton1Click();
        state.ResumeTiming();
        form->BitBtn3Click();
    }
    state.counters["hits"] = form->ClientDataSet1.recordCount() + form->ClientDataSet2.recordCount()
                             + form->ClientDataSet3.recordCount();
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
