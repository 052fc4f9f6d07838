// The catalogue's work for the main window at scale 1 (5,026 units, about
// twice the 2,555 the program carries) and at national size (scale 14, about 70,000): the data work
// of FormCreate, and one search with the detail updates it sets off; beside
// them the floor (an upper-case substring scan of every name) and SQLite in
// memory doing the same queries on the same records. A closing summary gives
// the ratios of the same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cp1252.h"
#include "generate.h"
#include "search.h"
#include "units.h"
#include "view.h"

namespace {

const char* const kKinds[3] = {"2", "3", "4"};

void scales(benchmark::internal::Benchmark* b)
{
    b->Arg(1)->Arg(14)->Unit(benchmark::kMicrosecond);
}

// The four views of the main window with its notifications: a list view's
// afterScroll puts the detail view on its unit, whose own afterScroll reads
// the row for the panel.
struct Window {
    catalogue::View lists[3];
    catalogue::View detail;
    std::size_t read = 0;

    Window()
    {
        for (catalogue::View& list : lists)
            list.afterScroll = [this](catalogue::View& v) {
                if (v.recordCount() == 0)
                    return;
                detail.setFilter("ident = " + std::to_string(v.fieldByName("ident").asInteger()));
                detail.setFiltered(true);
            };
        detail.afterScroll = [this](catalogue::View& v) {
            if (v.recordCount() == 0)
                return;
            for (std::size_t f = 0; f < v.table().fieldCount(); ++f)
                read += catalogue::Field(v, f).text().size();
        };
    }

    // FormCreate's data work: kind filters, four loads, three orders.
    void create(std::string_view packet)
    {
        for (catalogue::View& list : lists)
            list.close();
        detail.close();
        for (int k = 0; k < 3; ++k) {
            lists[k].setFilter(catalogue::kindFilter(catalogue::kUnitKinds[static_cast<std::size_t>(k)]));
            lists[k].setFiltered(true);
        }
        const auto store = catalogue::Store::read(packet);
        for (catalogue::View& list : lists)
            list.load(store);
        detail.load(store);
        for (catalogue::View& list : lists)
            list.setIndexFieldNames("NOMBREBUSC");
    }

    // The three list filters of one search, as the window builds them. Every
    // other search adds what makes a text that must be read again but finds
    // the same: "%" at the end, or for a code's digits a space (dropped, where
    // "%" would make it no code).
    void search(const std::string& text, bool again)
    {
        const bool digits = text.find_first_not_of("0123456789") == std::string::npos;
        const std::string typed = again ? text + (digits ? " " : "%") : text;
        for (int k = 0; k < 3; ++k) {
            lists[k].setFilter(catalogue::nameSearchFilter(catalogue::kUnitKinds[static_cast<std::size_t>(k)],
                                                           typed, true));
            lists[k].setFiltered(true);
        }
    }

    int hits() const { return lists[0].recordCount() + lists[1].recordCount() + lists[2].recordCount(); }
};

void BM_FormCreate(benchmark::State& state)
{
    const std::string& packet = bench::cachedPacket(static_cast<int>(state.range(0)));
    Window window;
    for (auto _ : state)
        window.create(packet);
    state.counters["units"] = static_cast<double>(window.detail.table().recordCount());
}
BENCHMARK(BM_FormCreate)->Apply(scales);

void BM_Search(benchmark::State& state, const std::string& text)
{
    Window window;
    window.create(bench::cachedPacket(static_cast<int>(state.range(0))));
    bool again = false;
    for (auto _ : state) {
        window.search(text, again);
        again = !again;
    }
    state.counters["hits"] = window.hits();
}
BENCHMARK_CAPTURE(BM_Search, SAN, std::string("SAN"))->Apply(scales);
BENCHMARK_CAPTURE(BM_Search, LA, std::string("LA"))->Apply(scales);
// Texts with a space or hyphen search the natural names too (the generated
// names hold no Almunia or Aínsa; LA MA finds Ma... (La)).
BENCHMARK_CAPTURE(BM_Search, LA_ALMUNIA, std::string("LA ALMUNIA"))->Apply(scales);
BENCHMARK_CAPTURE(BM_Search, AINSA_SOBRARBE, std::string("AINSA SOBRARBE"))->Apply(scales);
BENCHMARK_CAPTURE(BM_Search, LA_MA, std::string("LA MA"))->Apply(scales);
BENCHMARK_CAPTURE(BM_Search, EL, std::string("EL"))->Apply(scales);
// Texts typed otherwise: spaces at the ends or doubled, "n" and "u" for the
// names' "ñ" and "ü" (SAN and LA above hold an "N" or not), a code's digits
// (1001 begins the codes of eleven municipalities and their units).
BENCHMARK_CAPTURE(BM_Search, EL_, std::string("EL "))->Apply(scales);
BENCHMARK_CAPTURE(BM_Search, LA__MA, std::string("LA  MA"))->Apply(scales);
BENCHMARK_CAPTURE(BM_Search, CODE_1001, std::string("1001"))->Apply(scales);

// The floor: every search name in capitals, back to back, tested for the text.
void BM_RawScan(benchmark::State& state, const std::string& text)
{
    const catalogue::Table& table = bench::cachedCatalogue(static_cast<int>(state.range(0)));
    const auto field = static_cast<std::size_t>(table.fieldIndex("NOMBREBUSC"));
    std::string names;
    std::vector<std::size_t> ends;
    for (std::size_t r = 0; r < table.recordCount(); ++r) {
        names += catalogue::cp1252::upper(table.text(r, field));
        ends.push_back(names.size());
    }
    int hits = 0;
    for (auto _ : state) {
        hits = 0;
        const std::string_view all = names;
        std::size_t start = 0;
        for (std::size_t end : ends) {
            hits += all.substr(start, end - start).find(text) != std::string_view::npos;
            start = end;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
}
BENCHMARK_CAPTURE(BM_RawScan, SAN, std::string("SAN"))->Apply(scales);
BENCHMARK_CAPTURE(BM_RawScan, LA, std::string("LA"))->Apply(scales);

// SQLite in memory with the same records, indexed by kind and name (binary
// order) and by identifier: the three list queries and, for the first unit
// of each, the detail row.
class Sqlite {
public:
    explicit Sqlite(const catalogue::Table& table)
    {
        sqlite3_open(":memory:", &db_);
        std::string columns = "ident INTEGER PRIMARY KEY, tiponum TEXT, nombrebusc TEXT, nombreupper TEXT, "
                              "naturalupper TEXT, plainupper TEXT, codigo TEXT";
        std::string marks = "?,?,?,?,?,?,?";
        const auto code = static_cast<std::size_t>(table.fieldIndex(catalogue::kCodeField));
        for (std::size_t f = 3; f < table.fieldCount(); ++f) {
            columns += ", c" + std::to_string(f) + " TEXT";
            marks += ",?";
        }
        exec("CREATE TABLE units (" + columns + ")");
        exec("BEGIN");
        sqlite3_stmt* insert = prepare("INSERT INTO units VALUES (" + marks + ")");
        for (std::size_t r = 0; r < table.recordCount(); ++r) {
            sqlite3_bind_int(insert, 1, std::stoi(std::string(table.text(r, 0))));
            const std::string upper = catalogue::cp1252::upper(table.text(r, 2));
            bindText(insert, 2, table, r, 1);
            bindText(insert, 3, table, r, 2);
            sqlite3_bind_text(insert, 4, upper.data(), static_cast<int>(upper.size()), SQLITE_TRANSIENT);
            const std::string natural = catalogue::naturalName(upper);
            std::string plain;
            catalogue::appendPlainName(natural, plain);
            sqlite3_bind_text(insert, 5, natural.data(), static_cast<int>(natural.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 6, plain.data(), static_cast<int>(plain.size()), SQLITE_TRANSIENT);
            bindText(insert, 7, table, r, code);
            for (std::size_t f = 3; f < table.fieldCount(); ++f)
                bindText(insert, static_cast<int>(f) + 5, table, r, f);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        exec("COMMIT");
        // Covering the list query, so that it never reads the rows.
        exec("CREATE INDEX kind_name ON units (tiponum, nombrebusc, nombreupper, naturalupper, plainupper, codigo)");
        list_ = prepare("SELECT ident FROM units WHERE tiponum = ? AND instr(nombreupper, ?) > 0 ORDER BY nombrebusc");
        // The search as people type it: the name, its natural and plain
        // forms, the code's beginning (a null text tests nothing).
        any_ = prepare("SELECT ident FROM units WHERE tiponum = ?1 AND (instr(nombreupper, ?2) > 0 OR "
                       "instr(naturalupper, ?3) > 0 OR instr(plainupper, ?3) > 0 OR substr(codigo, 1, length(?4)) = ?4) "
                       "ORDER BY nombrebusc");
        row_ = prepare("SELECT * FROM units WHERE ident = ?");
    }
    ~Sqlite()
    {
        sqlite3_finalize(any_);
        sqlite3_finalize(list_);
        sqlite3_finalize(row_);
        sqlite3_close(db_);
    }
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;

    // Returns the units found; `read` counts the bytes of the detail rows.
    int search(const std::string& text, std::size_t& read)
    {
        int hits = 0;
        // What the window's filters test: the text as typed in the names and,
        // as people type it, in their natural and plain forms and the codes.
        const std::string tidied = catalogue::withSpacesTidied(text);
        const bool digits = !tidied.empty() && tidied.find_first_not_of("0123456789") == std::string::npos;
        const bool otherwise = tidied != text || tidied.find_first_of("NU") != std::string::npos || digits;
        sqlite3_stmt* query = otherwise ? any_ : list_;
        for (const char* kind : kKinds) {
            sqlite3_bind_text(query, 1, kind, -1, SQLITE_STATIC);
            sqlite3_bind_text(query, 2, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
            if (otherwise) {
                sqlite3_bind_text(query, 3, tidied.data(), static_cast<int>(tidied.size()), SQLITE_STATIC);
                if (digits)
                    sqlite3_bind_text(query, 4, tidied.data(), static_cast<int>(tidied.size()), SQLITE_STATIC);
                else
                    sqlite3_bind_null(query, 4);
            }
            ids_.clear();
            while (sqlite3_step(query) == SQLITE_ROW)
                ids_.push_back(sqlite3_column_int(query, 0));
            sqlite3_reset(query);
            hits += static_cast<int>(ids_.size());
            if (ids_.empty())
                continue;
            sqlite3_bind_int(row_, 1, ids_.front());
            if (sqlite3_step(row_) == SQLITE_ROW)
                for (int c = 0; c < sqlite3_column_count(row_); ++c)
                    read += static_cast<std::size_t>(sqlite3_column_bytes(row_, c));
            sqlite3_reset(row_);
        }
        return hits;
    }

private:
    void exec(const std::string& sql) { sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }
    sqlite3_stmt* prepare(const std::string& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr);
        return stmt;
    }
    static void bindText(sqlite3_stmt* stmt, int column, const catalogue::Table& table, std::size_t r, std::size_t f)
    {
        if (table.isNull(r, f)) {
            sqlite3_bind_null(stmt, column);
            return;
        }
        const std::string_view text = table.text(r, f);
        sqlite3_bind_text(stmt, column, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* list_ = nullptr;
    sqlite3_stmt* any_ = nullptr;
    sqlite3_stmt* row_ = nullptr;
    std::vector<int> ids_;
};

void BM_SQLite(benchmark::State& state, const std::string& text)
{
    Sqlite db(bench::cachedCatalogue(static_cast<int>(state.range(0))));
    std::size_t read = 0;
    int hits = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(hits = db.search(text, read));
    state.counters["hits"] = hits;
}
BENCHMARK_CAPTURE(BM_SQLite, SAN, std::string("SAN"))->Apply(scales);
BENCHMARK_CAPTURE(BM_SQLite, LA, std::string("LA"))->Apply(scales);
BENCHMARK_CAPTURE(BM_SQLite, EL_, std::string("EL "))->Apply(scales);
BENCHMARK_CAPTURE(BM_SQLite, LA__MA, std::string("LA  MA"))->Apply(scales);
BENCHMARK_CAPTURE(BM_SQLite, CODE_1001, std::string("1001"))->Apply(scales);

// Keeps the CPU time per iteration of every run (the median when repeated),
// for the summary.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> cpu; // microseconds per iteration

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median)
                continue;
            const std::string name = run.run_name.str();
            const double us = run.GetAdjustedCPUTime() * 1e6 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            if (median)
                medians_.insert(name);
            if (median || !medians_.count(name))
                cpu[name] = us;
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::set<std::string> medians_;
};

void summary(const Collector& c)
{
    const auto at = [&c](const std::string& name) {
        const auto it = c.cpu.find(name);
        return it == c.cpu.end() ? 0.0 : it->second;
    };
    std::printf("\nSummary (CPU time per operation):\n");
    for (const char* scale : {"1", "14"}) {
        if (at(std::string("BM_FormCreate/") + scale) > 0)
            std::printf("  scale %-2s FormCreate %.3f ms\n", scale, at(std::string("BM_FormCreate/") + scale) / 1000);
        for (const char* text : {"SAN", "LA", "LA_ALMUNIA", "AINSA_SOBRARBE", "LA_MA", "EL", "EL_", "LA__MA", "CODE_1001"}) {
            const std::string suffix = std::string(text) + "/" + scale;
            const double search = at("BM_Search/" + suffix);
            const double raw = at("BM_RawScan/" + suffix);
            const double sql = at("BM_SQLite/" + suffix);
            if (search <= 0)
                continue;
            std::printf("  scale %-2s search %-14s %.4f ms", scale, text, search / 1000);
            if (raw > 0)
                std::printf("  = %.2f x raw scan (%.4f ms)", search / raw, raw / 1000);
            if (sql > 0)
                std::printf("  SQLite %.4f ms = %.1f x slower", sql / 1000, sql / search);
            std::printf("\n");
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    summary(collector);
    benchmark::Shutdown();
    return 0;
}
