#include "IterationCount.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <thread>

#include "render/Formula.h"
#include "render/LambdaConstant.h"

namespace {

bool InCardioidOrBulb(double re, double im)
{
    const double shifted = re + 1.0;
    if (shifted * shifted + im * im < 0.0625) {
        return true;
    }
    const double q = (re - 0.25) * (re - 0.25) + im * im;
    return q * (q + (re - 0.25)) < 0.25 * im * im;
}

uint32_t OrbitSteps(double re, double im, int formula, uint64_t limit)
{
    std::complex<double> z = formula == Formula::Lambda || formula == Formula::Exp ? std::complex<double>(re, im) : 0.0;
    const std::complex<double> c(re, im);
    const std::complex<double> lambda(LambdaConstant.re, LambdaConstant.im);
    uint64_t steps = 0;
    while (steps < limit && std::norm(z) < 4.0) {
        switch (formula) {
        case Formula::Lambda: z = lambda * (z - z * z); break;
        case Formula::Power3: z = z * z * z + c; break;
        case Formula::Power4: z = (z * z) * (z * z) + c; break;
        case Formula::Exp: z = std::exp(z); break;
        default: z = z * z + c; break;
        }
        ++steps;
    }
    return static_cast<uint32_t>(std::min<uint64_t>(steps, UINT32_MAX));
}

} // namespace

ViewIterations CountViewIterations(const View& view, int width, int height, int formula, uint64_t maxIterations)
{
    ViewIterations counted;
    counted.width = width;
    counted.height = height;
    counted.steps.resize(static_cast<size_t>(width) * height);
    counted.knownInside.resize(counted.steps.size());
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            for (int row = static_cast<int>(t); row < height; row += static_cast<int>(threads)) {
                const double im = (row + 1) * view.stepY - view.yMax;
                for (int x = 0; x < width; ++x) {
                    const double re = view.xMin + x * view.stepX;
                    const size_t i = static_cast<size_t>(row) * width + x;
                    counted.knownInside[i] = formula == Formula::Power2 && InCardioidOrBulb(re, im);
                    counted.steps[i] = OrbitSteps(re, im, formula, maxIterations);
                }
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    return counted;
}

uint64_t ViewIterations::LaneSteps(int laneWidth) const
{
    uint64_t total = 0;
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; x += laneWidth) {
            const int end = std::min(width, x + laneWidth);
            uint32_t longest = 0;
            bool allInside = true;
            for (int k = x; k < end; ++k) {
                const size_t i = static_cast<size_t>(row) * width + k;
                longest = std::max(longest, steps[i]);
                allInside = allInside && knownInside[i];
            }
            if (!allInside) {
                total += static_cast<uint64_t>(longest) * laneWidth;
            }
        }
    }
    return total;
}
