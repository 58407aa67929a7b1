// Render benchmark: fixed views through the real RenderDriverThread, for every kernel family
// of this build, with one thread and with every logical processor. Prints one line per case.
#include <windows.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "BenchClient.h"
#include "BenchSupport.h"
#include "IterationCount.h"
#include "render/BuildConfig.h"
#include "render/Formula.h"
#include "render/Processors.h"

namespace {

constexpr int kRuns = 5;
constexpr int kWidth = 1280;
constexpr int kHeight = 960;

struct BenchView {
    const char* name;
    int formula;
    double xMin, xMax, yMin, yMax;
    uint64_t maxIterations;
};

const BenchView kViews[] = {
    // The window's start-up picture and iteration limit.
    {"default", Formula::Power2, -2.0, 1.0, -static_cast<double>(1.3f), static_cast<double>(1.3f), 512},
    // Seahorse valley: nearly every pixel near the boundary, long orbits.
    {"seahorse", Formula::Power2, -0.75, -0.74, 0.10925, 0.11675, 2000},
    {"exp", Formula::Exp, -4.0, 4.0, -3.0, 3.0, 64},
};

const char* BuildName()
{
    return kBuildAvx ? "Avx" : kBuildSse2 ? "Sse" : "Scalar";
}

// The lanes are named here rather than taken from the engine's kernel tables, so that the
// benchmark builds against older trees too (scripts/bench.sh --against).
const char* LaneName(LaneFamily family)
{
    switch (family) {
    case LaneFamily::kScalarFloat: return "FloatLane";
    case LaneFamily::kScalarDouble: return "DoubleLane";
    case LaneFamily::kVectorFloat: return kBuildAvx ? "Float8Lane" : "Float4Lane";
    case LaneFamily::kVectorDouble: return kBuildAvx ? "Double4Lane" : "Double2Lane";
    default: return "?";
    }
}

LaneFamily ScalarOf(LaneFamily family)
{
    return family == LaneFamily::kVectorFloat || family == LaneFamily::kScalarFloat ? LaneFamily::kScalarFloat
                                                                                     : LaneFamily::kScalarDouble;
}

int LaneWidth(LaneFamily family)
{
    switch (family) {
    case LaneFamily::kVectorFloat: return kBuildAvx ? 8 : 4;
    case LaneFamily::kVectorDouble: return kBuildAvx ? 4 : 2;
    default: return 1;
    }
}

// The cases --skip names (by their --raw names), which a run leaves out: bench.sh runs again only
// the cases that a run that died did not finish.
std::vector<std::string> gSkipped;

std::string CaseName(const char* format, ...)
{
    char name[128];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(name, sizeof(name), format, args);
    va_end(args);
    return name;
}

bool Skipped(const std::string& name)
{
    return std::find(gSkipped.begin(), gSkipped.end(), name) != gSkipped.end();
}

std::string ViewCaseName(const BenchView& view, LaneFamily family, int threads)
{
    return CaseName("%s/%s/%s/t%d", BuildName(), LaneName(family), view.name, threads);
}

struct Result {
    const BenchView* view;
    LaneFamily family;
    int threads;
    double medianMs;
    double medianCpuMs;
    uint64_t checksum; // differs between thread counts: each band accumulates its own rows
};

View ViewOf(const BenchView& view)
{
    return WithSteps(ViewBounds(view.xMin, view.xMax, view.yMin, view.yMax), kWidth, kHeight);
}

// Processor cycles per group step: the process's CPU time at the measured clock over the steps
// a kernel of the lane's width runs for the view (each group runs to its longest orbit). The
// three-group loops' own limit is 3.5 (14 arithmetic operations a step on four pipes).
double CyclesPerGroupStep(double cpuMs, double clockHz, uint64_t laneSteps, int laneWidth)
{
    const double groupSteps = double(laneSteps) / laneWidth;
    return groupSteps > 0 ? cpuMs / 1000.0 * clockHz / groupSteps : 0.0;
}

// raw: one line per run, for scripts/bench.sh to set against another build's runs: the case,
// wall and CPU milliseconds, the checksum and the cycles per group step.
bool Measure(const BenchView& view, LaneFamily family, int threads, int runs, bool raw, double clockHz,
             uint64_t laneSteps, Result* result)
{
    const std::string name = ViewCaseName(view, family, threads);
    BenchRender render;
    render.view = ViewOf(view);
    render.width = kWidth;
    render.height = kHeight;
    render.formula = view.formula;
    render.maxIterations = view.maxIterations;
    render.family = family;
    render.threads = threads;
    BenchClient client(render);
    std::vector<double> ms, cpuMs;
    for (int run = 0; run < runs; ++run) {
        if (!client.Run()) {
            return false;
        }
        ms.push_back(client.WallSeconds() * 1000.0);
        cpuMs.push_back(client.CpuSeconds() * 1000.0);
        if (raw) {
            PrintRawCase("%s %.3f %.3f %016llx %.2f\n", name.c_str(), ms.back(), cpuMs.back(),
                         static_cast<unsigned long long>(client.Checksum()),
                         CyclesPerGroupStep(cpuMs.back(), clockHz, laneSteps, LaneWidth(family)));
        }
    }
    *result = Result{&view, family, threads, Median(ms), Median(cpuMs), client.Checksum()};
    return true;
}

const Result* Find(const std::vector<Result>& results, const BenchView* view, LaneFamily family, int threads)
{
    for (const Result& r : results) {
        if (r.view == view && r.family == family && r.threads == threads) {
            return &r;
        }
    }
    return nullptr;
}

void PrintRatio(const char* label, const Result* numerator, const Result& result)
{
    if (numerator) {
        std::printf("  %s %6.2fx", label, numerator->medianMs / result.medianMs);
    } else {
        std::printf("  %s     -  ", label);
    }
}

// The picture the window would render at 16000 x 16000, bands cut as the window cuts them:
// with every thread and the lanes Prepare picks, and with one thread on each vector lane.
void RunLargeCase(int threads, LaneFamily family, bool raw)
{
    const std::string name = family == LaneFamily::kAsPrepared
                                 ? CaseName("%s/large-16000/t%d", BuildName(), threads)
                                 : CaseName("%s/%s/large-16000/t%d", BuildName(), LaneName(family), threads);
    if (raw && Skipped(name)) {
        return;
    }
    BenchRender render;
    render.view = ViewBounds(-1.5, 0.5, -1.0, 1.0);
    render.width = 16000;
    render.height = 16000;
    render.formula = Formula::Power2;
    render.maxIterations = 50;
    render.family = family;
    render.threads = threads;
    BenchClient client(render);
    if (!client.Run()) {
        return;
    }
    const RenderStats& stats = client.Stats();
    const LaneFamily used = stats.simd ? (stats.useFloat ? LaneFamily::kVectorFloat : LaneFamily::kVectorDouble)
                                       : (stats.useFloat ? LaneFamily::kScalarFloat : LaneFamily::kScalarDouble);
    if (raw) {
        // Named by the lanes asked for: Run fails where they are not available.
        PrintRawCase("%s %.3f %.3f %016llx\n", name.c_str(), client.WallSeconds() * 1000.0, client.CpuSeconds() * 1000.0,
                     static_cast<unsigned long long>(client.Checksum()));
        return;
    }
    std::printf("%-6s %-11s formula 2 large-16000 threads %2d  wall %9.1f ms  render %9.1f ms  CPU %9.1f ms  %7.1f Mpix/s  rows/band %d\n",
                BuildName(), LaneName(used), stats.threadCount, client.WallSeconds() * 1000.0,
                client.RenderSeconds() * 1000.0, client.CpuSeconds() * 1000.0, 256.0 / client.WallSeconds(),
                stats.threadCount > 1 ? 16000 / (4 * stats.threadCount) : 16000);
}

void RunLargeCases(int all, bool raw)
{
    RunLargeCase(all, LaneFamily::kAsPrepared, raw);
    if (!kBuildScalar) {
        RunLargeCase(1, LaneFamily::kVectorFloat, raw);
        RunLargeCase(1, LaneFamily::kVectorDouble, raw);
    }
}

// The floor under every figure above: renders through the real driver whose bands do no work
// (formula 0 runs no kernel), cut as the window cuts the benchmark's picture (one band with one
// thread, four a thread otherwise) and as the large-picture saver cuts a 7680 x 4320 picture
// (one-row bands, passes of as many bands as threads). What is left is the cost of the bands
// themselves: starting and ending their threads and handing them out.
struct FloorCase {
    const char* name;
    int width, height;
    int threads;
    bool saverCut;
};

void RunFloorCases(int all, int runs, bool raw)
{
    std::vector<FloorCase> cases = {{"window-cut", kWidth, kHeight, 1, false}};
    if (all > 1) {
        cases.push_back({"window-cut", kWidth, kHeight, all, false});
    }
    cases.push_back({"saver-cut", 7680, 4320, all, true});
    for (const FloorCase& c : cases) {
        const std::string name = CaseName("%s/floor-%s/t%d", BuildName(), c.name, c.threads);
        if (raw && Skipped(name)) {
            continue;
        }
        BenchRender render;
        render.view = ViewBounds(-2.0, 1.0, -1.3, 1.3);
        render.width = c.width;
        render.height = c.height;
        render.formula = 0;
        render.maxIterations = 64;
        render.threads = c.threads;
        if (c.saverCut) {
            render.rowsPerBand = 1;
            render.bandsPerPass = c.threads;
        }
        BenchClient client(render);
        // The saver's cut takes seconds a render: fewer of them.
        const int caseRuns = c.saverCut ? std::max(1, std::min(runs, 3)) : runs;
        std::vector<double> ms;
        int bands = 0;
        for (int run = 0; run < caseRuns; ++run) {
            client.Run();
            ms.push_back(client.WallSeconds() * 1000.0);
            const int rows = c.saverCut ? 1 : client.Stats().threadCount > 1 ? std::max(1, c.height / (4 * c.threads)) : c.height;
            bands = (c.height + rows - 1) / rows;
            if (raw) {
                PrintRawCase("%s %.3f %.3f\n", name.c_str(), ms.back(), client.CpuSeconds() * 1000.0);
            }
        }
        if (!raw) {
            const double median = Median(ms);
            std::printf("%-6s floor (no kernel) %-10s %5dx%-5d threads %2d  bands %5d  median %9.1f ms  %7.3f ms per band\n",
                        BuildName(), c.name, c.width, c.height, c.threads, bands, median, median / bands);
        }
    }
}

// How long a render takes to end once RenderRunningFlag is cleared, at the window's highest
// iteration limit, on a view whose groups run to the limit (the default view holds points inside the
// set beyond the known-inside test's reach), every logical processor busy.
void RunStopCases(const std::vector<LaneFamily>& families, int all, int runs)
{
    constexpr DWORD kRunMs = 300;
    for (LaneFamily family : families) {
        BenchRender render;
        render.view = ViewOf(kViews[0]);
        render.width = kWidth;
        render.height = kHeight;
        render.formula = 2;
        render.maxIterations = 4294967295u; // the window's highest
        render.family = family;
        render.threads = all;
        BenchClient client(render);
        std::vector<double> ms;
        for (int run = 0; run < runs; ++run) {
            double stopToEnd = 0.0;
            if (!client.RunAndStop(kRunMs, &stopToEnd)) {
                break;
            }
            ms.push_back(stopToEnd);
        }
        if (ms.empty()) {
            continue;
        }
        std::printf("%-6s %-11s stop after %lu ms at the highest limit, threads %2d: flag cleared to render end median %8.2f ms, most %8.2f ms\n",
                    BuildName(), LaneName(family), static_cast<unsigned long>(kRunMs), all, Median(ms),
                    *std::max_element(ms.begin(), ms.end()));
    }
}

} // namespace

// Options: --runs N (renders per case, default 5), --raw (one line per run, "case NAME wall_ms
// cpu_ms ...", and "end" once every case ran), --no-large (leaves out the 16000 x 16000 case),
// --no-floor (leaves out the renders without a kernel), --floor-only (only those), --stop-only
// (only the time a stopped render takes to end), --skip NAME (with --raw: leaves out the case of
// that name; repeatable).
int main(int argc, char** argv)
{
    BenchOptions options{5};
    bool large = true;
    bool floor = true;
    bool floorOnly = false;
    bool stopOnly = false;
    const auto noLarge = [&](const std::string& option, int count, char** values, int* i) {
        if (option == "--no-large") {
            large = false;
        } else if (option == "--no-floor") {
            floor = false;
        } else if (option == "--floor-only") {
            floorOnly = true;
        } else if (option == "--stop-only") {
            stopOnly = true;
        } else if (option == "--skip" && *i + 1 < count) {
            gSkipped.push_back(values[++*i]);
        } else {
            return false;
        }
        return true;
    };
    if (!ReadBenchOptions(argc, argv,
                          "[--runs N] [--raw] [--no-large] [--no-floor] [--floor-only] [--stop-only] [--skip NAME]...",
                          &options, noLarge)) {
        return 2;
    }
    const int runs = options.runs;
    const bool raw = options.raw;
    const int all = CountLogicalProcessors();
    std::vector<LaneFamily> families = {LaneFamily::kScalarFloat, LaneFamily::kScalarDouble};
    if (!kBuildScalar) {
        families.push_back(LaneFamily::kVectorFloat);
        families.push_back(LaneFamily::kVectorDouble);
    }
    std::vector<int> threadCounts = {1};
    if (all > 1) {
        threadCounts.push_back(all);
    }

    if (stopOnly) {
        RunStopCases(families, all, runs);
        return 0;
    }
    if (floorOnly) {
        RunFloorCases(all, runs, raw);
        if (raw) {
            PrintRawEnd();
        }
        return 0;
    }
    const double clockHz = MeasureClockHz();
    if (raw) {
        std::printf("clock %.0f\n", clockHz);
    }
    std::vector<ViewIterations> counts;
    for (const BenchView& view : kViews) {
        counts.push_back(CountViewIterations(ViewOf(view), kWidth, kHeight, view.formula, view.maxIterations));
    }
    std::vector<Result> results;
    for (size_t v = 0; v < std::size(kViews); ++v) {
        const BenchView& view = kViews[v];
        for (LaneFamily family : families) {
            for (int threads : threadCounts) {
                if (raw && Skipped(ViewCaseName(view, family, threads))) {
                    continue;
                }
                Result result;
                if (!Measure(view, family, threads, runs, raw, clockHz, counts[v].LaneSteps(LaneWidth(family)), &result)) {
                    if (!raw) {
                        std::printf("%-6s %-11s formula %d %-8s threads %2d  not available on this processor\n",
                                    BuildName(), LaneName(family), view.formula, view.name, threads);
                    }
                    continue;
                }
                results.push_back(result);
            }
        }
    }
    if (floor) {
        RunFloorCases(all, runs, raw);
    }
    if (raw) {
        if (large) {
            RunLargeCases(all, true);
        }
        PrintRawEnd();
        return 0;
    }

    // Lane steps per second and thread: the steps a kernel of the lane's width runs for the
    // view (counted once with a plain loop) over the wall time of all threads.
    std::printf("clock %.2f GHz (dependent additions against the performance counter)\n", clockHz / 1e9);
    std::printf("%-6s %-11s %-9s %-8s %-10s %10s %9s %8s %13s %9s %16s %14s\n", "build", "lane", "formula", "view",
                "threads", "median ms", "CPU ms", "Mpix/s", "Glanes/s/thr", "cyc/step", "vs scalar lane", "vs 1 thread");
    const double megapixels = kWidth * double(kHeight) / 1e6;
    for (size_t v = 0; v < std::size(kViews); ++v) {
        const BenchView& view = kViews[v];
        for (const Result& r : results) {
            if (r.view != &view) {
                continue;
            }
            const uint64_t laneSteps = counts[v].LaneSteps(LaneWidth(r.family));
            std::printf("%-6s %-11s formula %d %-8s threads %2d %10.1f %9.1f %8.1f %13.3f %9.2f", BuildName(),
                        LaneName(r.family), r.view->formula, r.view->name, r.threads, r.medianMs, r.medianCpuMs,
                        megapixels / (r.medianMs / 1000.0), double(laneSteps) / (r.medianMs / 1000.0) / r.threads / 1e9,
                        CyclesPerGroupStep(r.medianCpuMs, clockHz, laneSteps, LaneWidth(r.family)));
            PrintRatio("vs scalar", Find(results, r.view, ScalarOf(r.family), r.threads), r);
            PrintRatio("vs 1 thread", Find(results, r.view, r.family, 1), r);
            std::printf("\n");
        }
    }
    if (large) {
        RunLargeCases(all, false);
    }
    return 0;
}
