// Loading and writing proposal files of 1,000, 10,000 and 100,000 items, against reading and
// writing the same bytes line by line with plain streams. Prints, after the usual table, the
// ratios of the program's times to the plain-stream times and the heap a loaded file takes per
// byte of file.
//
// The files come from the generator (genproposta.h) into a temporary folder that is removed at
// the end. Run: bench_proposal [Google Benchmark flags, e.g. --benchmark_filter=Load]
#include "genproposta.h"
#include "workspace.h"

#include "data/memtable.h"
#include "proposal/exchangefile.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/savefile.h"
#include "proposal/tables.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace ofx::proposal;

// --- the generated files -------------------------------------------------------------------

ofx::bench::Workspace* workspace = nullptr;  // lives for main's run

// A proposal as a window holds it: the two tables and the process variables.
struct Proposal {
    ofx::data::MemTable lots;
    ofx::data::MemTable items;
    ProcessVariables vars;
    LoadResult loaded;

    Proposal()
    {
        createLotsTable(lots);
        createItemsTable(items);
    }
    // The texts of the window's date fields and memo, as the file gave them.
    ProposalTexts texts() const { return {vars.vDtValidade, vars.vDtPrazo, loaded.observations}; }
};

std::unique_ptr<Proposal> loadOrSkip(benchmark::State& state, const fs::path& path)
{
    auto p = std::make_unique<Proposal>();
    p->loaded = loadProposalFile(path, p->lots, p->items, p->vars);
    if (!p->loaded.ok) {
        state.SkipWithError(p->loaded.message.c_str());
        return nullptr;
    }
    // The writer reads posted rows only; loading leaves the first item in edit state.
    if (p->items.state() != ofx::data::TableState::Browse)
        p->items.post();
    return p;
}

// Bytes the allocator has handed out and not got back (small chunks plus mmapped blocks).
double heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return static_cast<double>(m.uordblks + m.hblkhd);
}

void setBytes(benchmark::State& state, const fs::path& path)
{
    const auto size = static_cast<std::int64_t>(fs::file_size(path));
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}

// --- loading -------------------------------------------------------------------------------

// loadProposalFile into fresh tables and variables. Making and freeing the tables is not timed.
// heap_per_byte: heap taken by the loaded tables per byte of file.
// Cold: the freed heap is given back to the system before each load, so that every load, like
// the first one in a program run, pays for faulting in fresh pages. Warm: the allocator reuses
// the pages of the previous load, which leaves the loader's own cost.
void loadProposalBenchmark(benchmark::State& state, bool cold)
{
    const fs::path& path = workspace->proposal(state.range(0));
    double heapGrowth = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (cold)
            malloc_trim(0);
        auto p = std::make_unique<Proposal>();
        const double before = heapInUse();
        state.ResumeTiming();

        p->loaded = loadProposalFile(path, p->lots, p->items, p->vars);

        state.PauseTiming();
        heapGrowth = heapInUse() - before;
        if (!p->loaded.ok) {
            state.SkipWithError(p->loaded.message.c_str());
            break;
        }
        p.reset();
        state.ResumeTiming();
    }
    setBytes(state, path);
    state.counters["heap_MB"] = heapGrowth / 1e6;
    state.counters["heap_per_byte"] = heapGrowth / static_cast<double>(fs::file_size(path));
}

void BM_LoadProposal(benchmark::State& state) { loadProposalBenchmark(state, true); }
void BM_LoadProposalWarm(benchmark::State& state) { loadProposalBenchmark(state, false); }

// The same bytes through std::ifstream and std::getline.
void BM_PlainRead(benchmark::State& state)
{
    const fs::path& path = workspace->proposal(state.range(0));
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        std::size_t bytes = 0;
        while (std::getline(in, line))
            bytes += line.size();
        benchmark::DoNotOptimize(bytes);
    }
    setBytes(state, path);
}

// --- writing -------------------------------------------------------------------------------

// writeProposal into a file through a stream sink: the writer's own cost plus the stream's,
// without the flush to disk and the rename of the real save.
void BM_WriteProposal(benchmark::State& state)
{
    const fs::path& path = workspace->proposal(state.range(0));
    const auto p = loadOrSkip(state, path);
    if (!p)
        return;
    const fs::path target = workspace->scratch("written.txt");
    for (auto _ : state) {
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        StreamSink sink(out);
        const WriteResult r = writeProposal(sink, p->lots, p->items, p->vars, p->texts());
        out.close();
        if (!r.ok || !out) {
            state.SkipWithError(r.ok ? "stream failed" : r.error.c_str());
            break;
        }
    }
    setBytes(state, path);
}

// saveProposalFile, the real save: temporary file, fsync, rename.
void BM_SaveProposal(benchmark::State& state)
{
    const fs::path& path = workspace->proposal(state.range(0));
    const auto p = loadOrSkip(state, path);
    if (!p)
        return;
    const fs::path target = workspace->scratch("saved.txt");
    for (auto _ : state) {
        const SaveResult r = saveProposalFile(target, p->lots, p->items, p->vars, p->texts());
        if (!r.ok) {
            state.SkipWithError(r.error.c_str());
            break;
        }
    }
    setBytes(state, path);
}

std::vector<std::string> linesOf(const fs::path& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

void plainWrite(const std::vector<std::string>& lines, const fs::path& target)
{
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

// The same lines through std::ofstream, each followed by "\r\n".
void BM_PlainWrite(benchmark::State& state)
{
    const fs::path& path = workspace->proposal(state.range(0));
    const auto lines = linesOf(path);
    const fs::path target = workspace->scratch("plain.txt");
    for (auto _ : state)
        plainWrite(lines, target);
    setBytes(state, path);
}

// The plain write followed by fsync: the baseline for the real save.
void BM_PlainWriteFsync(benchmark::State& state)
{
    const fs::path& path = workspace->proposal(state.range(0));
    const auto lines = linesOf(path);
    const fs::path target = workspace->scratch("plain-sync.txt");
    for (auto _ : state) {
        plainWrite(lines, target);
        const int fd = ::open(target.c_str(), O_WRONLY);
        if (fd < 0 || ::fsync(fd) != 0) {
            state.SkipWithError("fsync failed");
            if (fd >= 0)
                ::close(fd);
            break;
        }
        ::close(fd);
    }
    setBytes(state, path);
}

void sizes(benchmark::internal::Benchmark* b)
{
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PlainRead)->Apply(sizes);
BENCHMARK(BM_LoadProposal)->Apply(sizes);
BENCHMARK(BM_LoadProposalWarm)->Apply(sizes);
BENCHMARK(BM_PlainWrite)->Apply(sizes);
BENCHMARK(BM_WriteProposal)->Apply(sizes);
BENCHMARK(BM_PlainWriteFsync)->Apply(sizes);
BENCHMARK(BM_SaveProposal)->Apply(sizes);

// --- the ratios ----------------------------------------------------------------------------

// The console table, and each run's time and counters kept for the summary.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular)
    {
    }

    struct Figures {
        double time = 0;  // real time per iteration, ms
        double cpu = 0;   // CPU time per iteration, ms
        std::map<std::string, double> counters;
    };
    // function name -> items -> figures
    std::map<std::string, std::map<long, Figures>> runs;

    void ReportRuns(const std::vector<Run>& reports) override
    {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.error_occurred)
                continue;
            // With repetitions, the median stands for the family; otherwise the one run does.
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate && run.aggregate_name != "median")
                continue;
            Figures& f = runs[run.run_name.function_name][std::atol(run.run_name.args.c_str())];
            if (!aggregate && f.time > 0 && run.repetitions > 1)
                continue;
            const double toMs = 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            f.time = run.GetAdjustedRealTime() * toMs;
            f.cpu = run.GetAdjustedCPUTime() * toMs;
            for (const auto& [name, counter] : run.counters)
                f.counters[name] = counter.value;
        }
    }

    void printSummary() const
    {
        std::printf("\nRazões: tempo do programa / tempo com streams simples, real (CPU entre "
                    "parênteses).\nMetas: carga e gravação <= 3,0; memória <= 1,5 vez o tamanho "
                    "do arquivo.\n");
        std::printf("%7s %15s %15s %15s %15s %9s\n", "itens", "carga", "carga (quente)",
                    "gravação", "salvar+fsync", "memória");
        for (const long items : {1000L, 10000L, 100000L}) {
            std::printf("%7ld %15s %15s %15s %15s %9s\n", items,
                        ratio("BM_LoadProposal", "BM_PlainRead", items).c_str(),
                        ratio("BM_LoadProposalWarm", "BM_PlainRead", items).c_str(),
                        ratio("BM_WriteProposal", "BM_PlainWrite", items).c_str(),
                        ratio("BM_SaveProposal", "BM_PlainWriteFsync", items).c_str(),
                        counter("BM_LoadProposal", "heap_per_byte", items).c_str());
        }
    }

private:
    const Figures* find(const std::string& function, long items) const
    {
        const auto f = runs.find(function);
        if (f == runs.end())
            return nullptr;
        const auto r = f->second.find(items);
        return r == f->second.end() ? nullptr : &r->second;
    }
    std::string ratio(const char* program, const char* plain, long items) const
    {
        const Figures* a = find(program, items);
        const Figures* b = find(plain, items);
        if (!a || !b || b->time <= 0 || b->cpu <= 0)
            return "-";
        return format(a->time / b->time) + " (" + format(a->cpu / b->cpu) + ")";
    }
    std::string counter(const char* function, const char* name, long items) const
    {
        const Figures* a = find(function, items);
        if (!a)
            return "-";
        const auto c = a->counters.find(name);
        return c == a->counters.end() ? "-" : format(c->second);
    }
    static std::string format(double value)
    {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.2f", value);
        for (char& c : buf)
            if (c == '.')
                c = ',';
        return buf;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    ofx::bench::Workspace files;
    workspace = &files;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    workspace = nullptr;
    return 0;
}
