#pragma once

// What every benchmark program shares: its common options, the median of its runs and the
// bounds of its views. Header only, so the programs that do not link BenchClient use it too.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <windows.h>

#include "render/View.h"

// A view given by its bounds alone; spans and steps are the caller's, which knows the picture.
inline View ViewBounds(double xMin, double xMax, double yMin, double yMax)
{
    View view{};
    view.xMin = xMin;
    view.xMax = xMax;
    view.yMin = yMin;
    view.yMax = yMax;
    return view;
}

// The view with the spans and steps of a width x height picture, as the window works them out.
inline View WithSteps(View view, int width, int height)
{
    view.UpdateSpans();
    view.UpdateSteps(width, height);
    return view;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct BenchOptions {
    int runs;
    bool raw = false; // one line per run, for scripts/bench.sh to set against another build's runs
};

// One --raw line, "case NAME figures...", out at once: when a run dies part way (its Wine server
// gone), the cases it finished still reach scripts/bench.sh, which runs only the rest again.
inline void PrintRawCase(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::fputs("case ", stdout);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

// The last --raw line, only when every case ran: a Wine process whose server went away can end
// with status 0 and no output, so the script asks for this line rather than trust the status.
inline void PrintRawEnd()
{
    std::puts("end");
    std::fflush(stdout);
}

// Reads --runs N and --raw; hands every other argument to `other(option, argc, argv, &i)`, which
// answers whether it took it (and moves i past any value it read). On an unknown option prints
// `usage` and answers false.
template <class Other>
bool ReadBenchOptions(int argc, char** argv, const char* usage, BenchOptions* options, Other other)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--runs" && i + 1 < argc) {
            options->runs = std::max(1, std::atoi(argv[++i]));
        } else if (option == "--raw") {
            options->raw = true;
        } else if (!other(option, argc, argv, &i)) {
            std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
            return false;
        }
    }
    return true;
}

// The processor's clock now, in cycles a second, measured against the performance counter: a
// chain of dependent multiplications takes three cycles each on the processors this runs on
// (a chain of additions of a constant would not do: newer cores fold those as they rename).
// These guests offer no cycle counter of their own. The fastest of several short tries, so that
// a try cut by another thread's turn does not count.
inline double MeasureClockHz()
{
    constexpr int kChainsPerTry = 1 << 17; // 16 multiplications each: about 2 ms at 3 GHz
    constexpr double kCyclesPerChain = 16 * 3;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    double best = 0.0;
    for (int attempt = 0; attempt < 12; ++attempt) {
        uintptr_t value = 3;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        for (int i = 0; i < kChainsPerTry; ++i) {
            __asm__ volatile("imul %0, %0\n\timul %0, %0\n\timul %0, %0\n\timul %0, %0\n\t"
                             "imul %0, %0\n\timul %0, %0\n\timul %0, %0\n\timul %0, %0\n\t"
                             "imul %0, %0\n\timul %0, %0\n\timul %0, %0\n\timul %0, %0\n\t"
                             "imul %0, %0\n\timul %0, %0\n\timul %0, %0\n\timul %0, %0"
                             : "+r"(value));
        }
        QueryPerformanceCounter(&end);
        const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
        best = std::max(best, kCyclesPerChain * kChainsPerTry / seconds);
    }
    return best;
}
