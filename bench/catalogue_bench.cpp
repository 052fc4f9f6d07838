// The catalogue's costs at scale 1 (5,026 units) and 10 and 100 times it:
// loading a view from the packet, ordering by search name, the search filter,
// the detail filter and the filter of the units of a municipality.

#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "collation.h"
#include "filter.h"
#include "generate.h"
#include "packet.h"
#include "table.h"
#include "view.h"

namespace {

const std::string kSearch = "(tiponum = 2) and (Upper(nombrebusc) like '%SAN%')";
// The same search written differently, so that each assignment parses again.
const std::string kSearchAgain = "(tiponum = 2) and (Upper(nombrebusc) like '%SAN%%')";

void scales(benchmark::internal::Benchmark* b)
{
    b->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);
}

void records(benchmark::State& state, const catalogue::Table& table)
{
    state.counters["records"] = static_cast<double>(table.recordCount());
}

// --- The table alone --------------------------------------------------------

void BM_ReadPacket(benchmark::State& state)
{
    const std::string& packet = bench::cachedPacket(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(catalogue::readPacket(packet));
    state.counters["bytes"] = static_cast<double>(packet.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * packet.size()));
}
BENCHMARK(BM_ReadPacket)->Apply(scales);

void BM_OrderBy(benchmark::State& state)
{
    const catalogue::Table& table = bench::cachedCatalogue(static_cast<int>(state.range(0)));
    const catalogue::Collation collation(table.lcid());
    const auto field = static_cast<std::size_t>(table.fieldIndex("NOMBREBUSC"));
    for (auto _ : state)
        benchmark::DoNotOptimize(catalogue::orderBy(table, field, collation));
    records(state, table);
}
BENCHMARK(BM_OrderBy)->Apply(scales);

// Opening the table locale's collator, as every view does when it opens.
void BM_OpenCollation(benchmark::State& state)
{
    for (auto _ : state) {
        const catalogue::Collation collation(catalogue::kSpanishTraditional);
        benchmark::DoNotOptimize(collation.compare("a", "b"));
    }
}
BENCHMARK(BM_OpenCollation)->Unit(benchmark::kMicrosecond);

// Compiling a filter and testing every record of the table.
void filterTable(benchmark::State& state, const std::string& text)
{
    const catalogue::Table& table = bench::cachedCatalogue(static_cast<int>(state.range(0)));
    const catalogue::Collation collation(table.lcid());
    std::size_t passed = 0;
    for (auto _ : state) {
        const catalogue::Filter filter = catalogue::Filter::compile(text, table, collation);
        passed = 0;
        for (std::size_t r = 0, n = table.recordCount(); r < n; ++r)
            passed += filter.matches(r);
        benchmark::DoNotOptimize(passed);
    }
    records(state, table);
    state.counters["passed"] = static_cast<double>(passed);
}

void BM_FilterTable_Search(benchmark::State& state)
{
    filterTable(state, kSearch);
}
BENCHMARK(BM_FilterTable_Search)->Apply(scales);

void BM_FilterTable_Ident(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    filterTable(state, "ident = " + std::to_string(bench::identOf(3, 1625, scale)));
}
BENCHMARK(BM_FilterTable_Ident)->Apply(scales);

// --- Views, as the main window uses them -------------------------------------

// A list view as at start-up: kind filter set while closed, then loaded from
// a stream over the packet.
void BM_LoadView(benchmark::State& state)
{
    const std::string& packet = bench::cachedPacket(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        catalogue::View view;
        view.setFilter("tiponum = 2");
        view.setFiltered(true);
        std::istringstream stream(packet);
        view.loadFromStream(stream);
        benchmark::DoNotOptimize(view.recordCount());
    }
    state.counters["bytes"] = static_cast<double>(packet.size());
}
BENCHMARK(BM_LoadView)->Apply(scales);

void BM_ViewOrderByName(benchmark::State& state)
{
    catalogue::View view;
    view.setFilter("tiponum = 2");
    view.setFiltered(true);
    view.loadFromBytes(bench::cachedPacket(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        state.PauseTiming();
        view.setIndexFieldNames("");
        state.ResumeTiming();
        view.setIndexFieldNames("NOMBREBUSC");
    }
    records(state, view.table());
}
BENCHMARK(BM_ViewOrderByName)->Apply(scales);

// The search's filter put in force on an open list view ordered by name.
void BM_ViewSearchFilter(benchmark::State& state)
{
    catalogue::View view;
    view.setFilter("tiponum = 2");
    view.setFiltered(true);
    view.loadFromBytes(bench::cachedPacket(static_cast<int>(state.range(0))));
    view.setIndexFieldNames("NOMBREBUSC");
    bool again = false;
    for (auto _ : state) {
        view.setFilter(again ? kSearchAgain : kSearch);
        again = !again;
        benchmark::DoNotOptimize(view.recordCount());
    }
    records(state, view.table());
    state.counters["hits"] = view.recordCount();
}
BENCHMARK(BM_ViewSearchFilter)->Apply(scales);

// The detail view put on one unit by its identifier.
void BM_ViewIdentFilter(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    catalogue::View view;
    view.setFilter("ident = " + std::to_string(bench::identOf(4, 1, scale)));
    view.setFiltered(true);
    view.loadFromBytes(bench::cachedPacket(scale));
    const std::string a = "ident = " + std::to_string(bench::identOf(3, 1625, scale));
    const std::string b = "ident = " + std::to_string(bench::identOf(2, 1, scale));
    bool again = false;
    for (auto _ : state) {
        view.setFilter(again ? b : a);
        again = !again;
        benchmark::DoNotOptimize(view.recordCount());
    }
    records(state, view.table());
    state.counters["hits"] = view.recordCount();
}
BENCHMARK(BM_ViewIdentFilter)->Apply(scales);

// The units of a municipality put in force on an open list view ordered by
// name: the entities whose code begins with one of two prefixes, as the
// territory's filters have them (here on IDENT, the generated catalogues
// having no CODIGO), alternating with another so that each is computed anew.
// "/1" is the filter as the window gives it, which the store answers from its
// indexes; "/0" the same filter behind a double "not", which leaves it to the
// general evaluator.
void BM_ViewUnitsFilter(benchmark::State& state)
{
    const int scale = static_cast<int>(state.range(0));
    const bool indexed = state.range(1) != 0;
    const auto prefix = [scale](int n) {
        std::string ident = std::to_string(bench::identOf(3, n, scale));
        return ident.substr(0, ident.size() - 1);
    };
    const auto filter = [&](int a, int b) {
        const std::string terms = "((ident like '" + prefix(a) + "%') or (ident like '" + prefix(b) + "%'))";
        return "(tiponum = 3) and " + (indexed ? terms : "not (not " + terms + ")");
    };
    const std::string first = filter(1620, 3010);
    const std::string second = filter(1010, 2020);
    catalogue::View view;
    view.setFilter("tiponum = 3");
    view.setFiltered(true);
    view.loadFromBytes(bench::cachedPacket(scale));
    view.setIndexFieldNames("NOMBREBUSC");
    bool again = false;
    for (auto _ : state) {
        view.setFilter(again ? second : first);
        again = !again;
        benchmark::DoNotOptimize(view.recordCount());
    }
    records(state, view.table());
    state.counters["hits"] = view.recordCount();
}
BENCHMARK(BM_ViewUnitsFilter)
    ->ArgsProduct({{1, 10, 100}, {0, 1}})
    ->ArgNames({"scale", "indexed"})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
