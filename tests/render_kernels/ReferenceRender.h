#pragma once

// A plain-loop model of the escape-time kernels, written without the lane types, to check
// every kernel instance against. E is the element type (float or double) and `width` the group
// width, so that grouped lanes (counted again when their orbit comes back, settled by the
// known-inside test only as a whole group, last group cut at colEnd) are modelled as well.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "KernelClient.h"
#include "render/ExpStep.h"
#include "render/LambdaConstant.h"

struct ReferencePixel {
    bool cameBack = false;       // counted again after leaving the radius
    bool knownInside = false;    // settled by the known-inside test
};

struct ReferenceRender {
    std::vector<KernelEvent> events;
    std::vector<ReferencePixel> pixels; // one per SetPixel event, in order
    CallCounts calls;
};

namespace reference {

constexpr int kMaxWidth = 8;

template <class E>
void Step(int formula, E& x, E& y, E x2, E y2, E cr, E ci, E a, E d)
{
    E nx = 0;
    E ny = 0;
    switch (formula) {
    case 1: {
        const E g = x * y;
        nx = ((((x * a - y * d) - x2 * a) + g * d) + y2 * a) + g * d;
        ny = ((((x * d + y * a) - g * a) - x2 * d) - g * a) + y2 * d;
        break;
    }
    case 2:
        nx = (x2 - y2) + cr;
        ny = ((E(2) * x) * y) + ci;
        break;
    case 3:
        nx = ((x2 - y2) * x - (x * E(2)) * y2) + cr;
        ny = ((x2 * E(2) + (x2 - y2)) * y) + ci;
        break;
    case 4:
        nx = ((y2 * y2 + x2 * x2) - (x2 * E(6)) * y2) + cr;
        ny = (((E(4) * x) * y) * (x2 - y2)) + ci;
        break;
    case 5:
        ExpStep(x, y, &nx, &ny);
        break;
    }
    x = nx;
    y = ny;
}

template <class E>
bool InCardioidOrBulb(const E* cr, const E* ci, int width)
{
    const int second = width > 1 ? 1 : 0;
    bool all = true;
    if (cr[0] >= E(-1.25) && cr[second] <= E(-0.75) && ci[0] >= E(-0.25) && ci[second] <= E(0.25)) {
        for (int k = 0; k < width; ++k) {
            const E t = cr[k] + E(1);
            all = all && (t * t + ci[k] * ci[k] < E(0.0625));
        }
        return all;
    }
    if (cr[0] >= E(-0.75) && cr[second] <= E(0.375) && double(ci[0]) >= -0.65 && double(ci[second]) <= 0.65) {
        for (int k = 0; k < width; ++k) {
            const E q = ci[k] * ci[k] + cr[k] * cr[k];
            const E p = E(__builtin_sqrt(double((q - cr[k] * E(0.5)) + E(0.0625))));
            all = all && (p * (q * E(16)) < ((p * E(5)) - cr[k] * E(4)) + E(1));
        }
        return all;
    }
    return false;
}

inline uint8_t IndexFromCount(uint64_t n, uint64_t limit, bool linear)
{
    if (n >= limit - 1) {
        return 255;
    }
    const uint64_t v = linear ? n : static_cast<uint64_t>(4.0 * __builtin_sqrt(double(float(n))));
    return static_cast<uint8_t>(v % 255);
}

} // namespace reference

// The events a kernel of element type E and group width `width` should produce for `scene`
// and `formula` (1..5). With stopAtPixel > 0 the flag is cleared at that SetPixel.
template <class E>
ReferenceRender RenderReference(const Scene& scene, int formula, int width, size_t stopAtPixel = 0)
{
    using namespace reference;
    ReferenceRender out;
    const View& v = scene.view;
    const E a = E(LambdaConstant.re);
    const E d = E(LambdaConstant.im);
    const bool isFloat = sizeof(E) == sizeof(float);
    E offsets[kMaxWidth];
    for (int k = 0; k < width; ++k) {
        offsets[k] = E(k * v.stepX);
    }
    const E groupStep = E(width * v.stepX);
    E row = E(scene.rowEnd * v.stepY - v.yMax);
    for (int32_t y = scene.rowEnd; y > scene.rowStart; --y) {
        E column[kMaxWidth];
        for (int k = 0; k < width; ++k) {
            column[k] = E(0 * v.stepX + v.xMin) + offsets[k];
        }
        for (int32_t j = 0; j < scene.colEnd; j += width) {
            E cr[kMaxWidth], ci[kMaxWidth], x[kMaxWidth], yy[kMaxWidth];
            for (int k = 0; k < width; ++k) {
                if (scene.julia) {
                    cr[k] = E(scene.juliaRe);
                    ci[k] = E(scene.juliaIm);
                    x[k] = (E(v.xMin) + E(v.stepX) * E(j)) + offsets[k];
                    yy[k] = E(v.stepY) * E(y) - E(v.yMax);
                } else {
                    cr[k] = column[k];
                    ci[k] = row;
                    x[k] = E(0);
                    yy[k] = E(0);
                }
                // Lambda and exp(z) start at c in set and Julia mode alike.
                if (formula == 1 || formula == 5) {
                    x[k] = cr[k];
                    yy[k] = ci[k];
                }
            }
            if (scene.julia) {
                ++out.calls.juliaRe;
                ++out.calls.juliaIm;
            }
            const int reported = scene.colEnd - j < width ? scene.colEnd - j : width;
            uint8_t index[kMaxWidth];
            float smooth[kMaxWidth];
            ReferencePixel info[kMaxWidth];
            if (formula == 2 && !scene.julia && InCardioidOrBulb(cr, ci, width)) {
                for (int k = 0; k < width; ++k) {
                    index[k] = 255;
                    smooth[k] = 0.0f;
                    info[k].knownInside = true;
                }
            } else {
                ++out.calls.maxIterations;
                uint64_t limit = scene.maxIterations;
                if (isFloat && limit > 0xFFFFFFFFull) {
                    limit = 0xFFFFFFFFull;
                }
                uint64_t n[kMaxWidth] = {};
                E last[kMaxWidth] = {};
                bool previous[kMaxWidth];
                bool left[kMaxWidth] = {};
                for (int k = 0; k < width; ++k) {
                    previous[k] = true;
                }
                for (uint64_t t = 0; limit != 0;) {
                    bool any = false;
                    E x2[kMaxWidth], y2[kMaxWidth];
                    for (int k = 0; k < width; ++k) {
                        x2[k] = x[k] * x[k];
                        y2[k] = yy[k] * yy[k];
                        const E s = x2[k] + y2[k];
                        if (previous[k]) {
                            last[k] = s;
                        }
                        previous[k] = s < E(4);
                        if (previous[k]) {
                            ++n[k];
                            any = true;
                            info[k].cameBack = info[k].cameBack || left[k];
                        } else {
                            left[k] = true;
                        }
                    }
                    if (!any) {
                        break;
                    }
                    for (int k = 0; k < width; ++k) {
                        Step(formula, x[k], yy[k], x2[k], y2[k], cr[k], ci[k], a, d);
                    }
                    if (++t >= limit) {
                        break;
                    }
                }
                for (int k = 0; k < reported; ++k) {
                    if (n[k] < limit - 1) {
                        ++out.calls.linearColouring;
                    }
                    index[k] = IndexFromCount(n[k], limit, scene.linear);
                    smooth[k] = index[k] == 255 ? 0.0f : float(last[k]);
                }
            }
            for (int k = 0; k < reported; ++k) {
                KernelEvent event;
                event.x = uint32_t(j + k);
                event.y = uint32_t(y);
                event.index = index[k];
                event.smooth = smooth[k];
                out.events.push_back(event);
                out.pixels.push_back(info[k]);
            }
            if (stopAtPixel != 0 && out.pixels.size() >= stopAtPixel) {
                return out;
            }
            for (int k = 0; k < width; ++k) {
                column[k] += groupStep;
            }
        }
        row -= E(v.stepY);
        if (y % 16 == 0) {
            KernelEvent progress;
            progress.progress = true;
            out.events.push_back(progress);
        }
    }
    return out;
}
