// The exports on the catalogue the program embeds: all 2,555 units from the
// catalogue to an Excel workbook and to CSV (rows built and file written
// whole), and one unit's sheet (Zaragoza) to PDF. Each benchmark is repeated
// and its median kept; the last line of the output gives the medians:
//
//   export: xlsx N ms, csv N ms, pdf N ms, compare redraw N ms
//
// "compare redraw" is the median of BM_CompareRedraw, a comparison of ten
// units redrawn. EXPORT_BENCH_OUTPUT=folder keeps the files written.

#include <benchmark/benchmark.h>

#include "compare_redraw.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <unordered_map>

#include "packet.h"
#include "spreadsheet.h"
#include "workbookloader.h"
#include "unitrows.h"
#include "unitsheet.h"

namespace {

const catalogue::Table& embeddedTable()
{
    static const catalogue::Table table = [] {
        std::ifstream in(PUEBLOS_PACKET, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        return catalogue::readPacket(bytes);
    }();
    return table;
}

// The comarca of each current municipality from IAEST's table in data/.
const std::unordered_map<std::string, std::string>& comarcaTable()
{
    static const std::unordered_map<std::string, std::string> table = [] {
        std::unordered_map<std::string, std::string> comarcas;
        std::ifstream in(SOURCE_DIR "/data/aragon-comarcas-2020.csv");
        std::string line;
        std::getline(in, line); // ine,municipio_iaest,comarca_codigo,comarca (no quoted cells)
        while (std::getline(in, line)) {
            const std::size_t first = line.find(',');
            const std::size_t last = line.rfind(',');
            if (first != std::string::npos && last > first)
                comarcas.emplace(line.substr(0, first), line.substr(last + 1));
        }
        return comarcas;
    }();
    return table;
}

std::string comarcaOf(std::string_view code)
{
    const auto found = comarcaTable().find(std::string(code));
    return found == comarcaTable().end() ? std::string() : found->second;
}

std::vector<std::size_t> allRecords()
{
    std::vector<std::size_t> records(embeddedTable().recordCount());
    std::iota(records.begin(), records.end(), std::size_t{0});
    return records;
}

// Where the files are written: a temporary folder, or the folder that
// EXPORT_BENCH_OUTPUT names, where they are kept to be looked at
// (pdftoppm, LibreOffice).
QDir folder()
{
    static QTemporaryDir temporary;
    const QString kept = qEnvironmentVariable("EXPORT_BENCH_OUTPUT");
    return QDir(kept.isEmpty() ? temporary.path() : kept);
}

std::string pathFor(const char* name) { return folder().filePath(QString::fromUtf8(name)).toStdString(); }

void BM_WorkbookOfAllUnits(benchmark::State& state)
{
    const std::vector<std::size_t> records = allRecords();
    const std::string path = pathFor("todas.xlsx");
    for (auto _ : state) {
        const exporting::UnitRowBuilder builder(embeddedTable(), comarcaOf);
        exportui::writeWorkbook(path, builder.rows(records));
    }
    state.counters["units"] = static_cast<double>(records.size());
    state.counters["comarcas"] = static_cast<double>(comarcaTable().size());
}
BENCHMARK(BM_WorkbookOfAllUnits)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_CsvOfAllUnits(benchmark::State& state)
{
    const std::vector<std::size_t> records = allRecords();
    const std::string path = pathFor("todas.csv");
    for (auto _ : state) {
        const exporting::UnitRowBuilder builder(embeddedTable(), comarcaOf);
        exporting::writeCsv(path, builder.rows(records));
    }
    state.counters["units"] = static_cast<double>(records.size());
}
BENCHMARK(BM_CsvOfAllUnits)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_SheetToPdf(benchmark::State& state)
{
    const exporting::UnitRowBuilder builder(embeddedTable(), comarcaOf);
    const int codeField = embeddedTable().fieldIndex("CODIGO");
    std::size_t zaragoza = 0;
    for (std::size_t record = 0; record < embeddedTable().recordCount(); ++record)
        if (embeddedTable().text(record, static_cast<std::size_t>(codeField)) == "50297")
            zaragoza = record;
    const QString path = folder().filePath(QStringLiteral("Zaragoza 50297.pdf"));
    for (auto _ : state)
        exportui::writeUnitSheetPdf(path, exportui::unitSheetOf(builder, embeddedTable(), zaragoza));
}
BENCHMARK(BM_SheetToPdf)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// A comparison of ten units redrawn, cycling its three measures.
void BM_CompareRedraw(benchmark::State& state)
{
    bench::CompareRedraw comparison;
    const compare::Measure measures[] = {compare::Measure::Population, compare::Measure::Index,
                                         compare::Measure::Change};
    std::size_t next = 0;
    for (auto _ : state)
        comparison.redraw(measures[next++ % std::size(measures)]);
}
BENCHMARK(BM_CompareRedraw)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Shows the runs as the console reporter does and keeps each benchmark's
// median, in milliseconds.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    // In colour only on a terminal, so that the last line is plain text.
    MedianReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedRealTime()
                                                       * benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond)
                                                       / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    std::string figure(const std::string& name) const
    {
        const auto found = medians.find(name);
        if (found == medians.end())
            return "-";
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", found->second);
        return text;
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("export: xlsx %s ms, csv %s ms, pdf %s ms, compare redraw %s ms\n",
                reporter.figure("BM_WorkbookOfAllUnits").c_str(), reporter.figure("BM_CsvOfAllUnits").c_str(),
                reporter.figure("BM_SheetToPdf").c_str(), reporter.figure("BM_CompareRedraw").c_str());
    return 0;
}
