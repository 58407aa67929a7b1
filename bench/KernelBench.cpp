// One render case per run, for comparing two builds of the kernels by alternating their runs:
//   zorb_kernel_bench_<V> VIEW LANE THREADS RUNS
// VIEW: default | seahorse | exp | lambda | power3 | power4 | large (16000 x 16000, 50 iterations);
// LANE: float | double | scalarfloat | scalardouble. Prints the fastest and the median wall time,
// the fastest CPU time of the process (all threads; on a loaded machine the steadier figure for
// one thread) and the checksum.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BenchClient.h"
#include "BenchSupport.h"
#include "render/Formula.h"

namespace {

struct Case {
    const char* name;
    int formula;
    double xMin, xMax, yMin, yMax;
    uint64_t maxIterations;
    int width, height;
};

const Case kCases[] = {
    {"default", Formula::Power2, -2.0, 1.0, -static_cast<double>(1.3f), static_cast<double>(1.3f), 512, 1280, 960},
    {"seahorse", Formula::Power2, -0.75, -0.74, 0.10925, 0.11675, 2000, 1280, 960},
    {"exp", Formula::Exp, -4.0, 4.0, -3.0, 3.0, 64, 1280, 960},
    {"lambda", Formula::Lambda, -1.0, 2.0, -1.2, 1.2, 512, 1280, 960},
    {"power3", Formula::Power3, -1.2, 1.2, -1.2, 1.2, 512, 1280, 960},
    {"power4", Formula::Power4, -1.2, 1.2, -1.2, 1.2, 512, 1280, 960},
    {"large", Formula::Power2, -1.5, 0.5, -1.0, 1.0, 50, 16000, 16000},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s VIEW LANE THREADS RUNS\n", argv[0]);
        return 2;
    }
    const Case* chosen = nullptr;
    for (const Case& c : kCases) {
        if (std::strcmp(c.name, argv[1]) == 0) {
            chosen = &c;
        }
    }
    LaneFamily family = LaneFamily::kAsPrepared;
    if (std::strcmp(argv[2], "float") == 0) family = LaneFamily::kVectorFloat;
    if (std::strcmp(argv[2], "double") == 0) family = LaneFamily::kVectorDouble;
    if (std::strcmp(argv[2], "scalarfloat") == 0) family = LaneFamily::kScalarFloat;
    if (std::strcmp(argv[2], "scalardouble") == 0) family = LaneFamily::kScalarDouble;
    if (chosen == nullptr) {
        std::fprintf(stderr, "unknown view %s\n", argv[1]);
        return 2;
    }
    BenchRender render;
    render.view = ViewBounds(chosen->xMin, chosen->xMax, chosen->yMin, chosen->yMax);
    render.width = chosen->width;
    render.height = chosen->height;
    render.formula = chosen->formula;
    render.maxIterations = chosen->maxIterations;
    render.family = family;
    render.threads = std::atoi(argv[3]);
    const int runs = std::max(1, std::atoi(argv[4]));
    BenchClient client(render);
    std::vector<double> ms;
    std::vector<double> cpuMs;
    for (int run = 0; run < runs; ++run) {
        if (!client.Run()) {
            std::printf("not available\n");
            return 1;
        }
        cpuMs.push_back(client.CpuSeconds() * 1000.0);
        ms.push_back(client.WallSeconds() * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    std::printf("%s %s threads %d  min %.1f ms  median %.1f ms  cpu %.1f ms  checksum %016llx\n", chosen->name, argv[2],
                render.threads, ms.front(), ms[ms.size() / 2], cpuMs.front(),
                static_cast<unsigned long long>(client.Checksum()));
    return 0;
}
