#pragma once

#include "render/ExpStep.h"
#include "render/KernelNamespace.h"
#include "render/LambdaConstant.h"
#include "render/OrbitState.h"

// The five iteration formulas as policies of the escape-time kernel. A kernel call makes one
// policy object, calls Init once, then InitZ, IsKnownInside and Iterate per pixel or group.
// Every expression is bracketed in the order it must be evaluated: with one rounding per
// operation and no fused multiply-add, that order is what makes float pictures reproducible.
namespace ZORB_KERNEL_NAMESPACE {

// Formula 1: z <- lambda * (z - z^2), z starting at c.
template <class Lane>
class LambdaFormula {
    using E = typename Lane::Element;

public:
    // Lambda is rounded once per kernel call into the policy object, which lives on the
    // kernel's stack: a float and a double render running at the same time (the window and the
    // large-picture saver) each keep their own rounding.
    void Init()
    {
        lambdaRe_ = Lane(static_cast<E>(LambdaConstant.re));
        lambdaIm_ = Lane(static_cast<E>(LambdaConstant.im));
    }
    static void InitZ(OrbitState<Lane>& orbit)
    {
        orbit.zRe = orbit.cRe;
        orbit.zIm = orbit.cIm;
    }
    static bool IsKnownInside(const OrbitState<Lane>&) { return false; }
    void Iterate(OrbitState<Lane>& orbit) const
    {
        const Lane x = orbit.zRe;
        const Lane y = orbit.zIm;
        const Lane x2 = orbit.zReSq;
        const Lane y2 = orbit.zImSq;
        const Lane a = lambdaRe_;
        const Lane d = lambdaIm_;
        const Lane g = x * y;
        orbit.zReNext = ((((x * a - y * d) - x2 * a) + g * d) + y2 * a) + g * d;
        orbit.zIm = ((((x * d + y * a) - g * a) - x2 * d) - g * a) + y2 * d;
    }

private:
    Lane lambdaRe_;
    Lane lambdaIm_;
};

// Formulas 2, 3 and 4 are written a second time, with the escape test, in the 256-bit lanes'
// three-group loops (avx/PowerLoops.h), operation for operation in the order below; the kernel
// tests hold those loops to the same pictures as the scalar lanes.

// Formula 2: z <- z^2 + c.
template <class Lane>
class Power2Formula {
    using E = typename Lane::Element;

public:
    // The power, for lanes that run this formula's loop from their own code (PowerLoopThree).
    static constexpr int kPower = 2;

    static void Init() {}
    static void InitZ(OrbitState<Lane>&) {}

    // True when every pixel of the group lies in the main cardioid or the period-2 bulb, so
    // the group need not be iterated. Only meaningful with z starting at 0 and c the pixel.
    // The boxes read lanes 0 and 1 (one lane serves as both for a scalar type) and only pick
    // which test runs; the test itself decides for every lane.
    static bool IsKnownInside(const OrbitState<Lane>& orbit)
    {
        constexpr int kSecond = Lane::kWidth > 1 ? 1 : 0;
        E cr[Lane::kWidth];
        E ci[Lane::kWidth];
        orbit.cRe.Store(cr);
        orbit.cIm.Store(ci);
        const Lane& cRe = orbit.cRe;
        const Lane& cIm = orbit.cIm;
        const Lane one(E(1));
        Lane mask;
        if (cr[0] >= E(-1.25) && cr[kSecond] <= E(-0.75) && ci[0] >= E(-0.25) && ci[kSecond] <= E(0.25)) {
            const Lane shifted = cRe + one;
            mask = Lane::LessThan(shifted * shifted + cIm * cIm, Lane(E(0.0625)));
        } else if (cr[0] >= E(-0.75) && cr[kSecond] <= E(0.375) &&
                   static_cast<double>(ci[0]) >= -0.65 && static_cast<double>(ci[kSecond]) <= 0.65) {
            const Lane q = cIm * cIm + cRe * cRe;
            Lane p = (q - cRe * Lane(E(0.5))) + Lane(E(0.0625));
            p.Sqrt();
            mask = Lane::LessThan(p * (q * Lane(E(16))), ((p * Lane(E(5))) - cRe * Lane(E(4))) + one);
        } else {
            return false;
        }
        return Lane::AllLanesSet(mask);
    }

    static void Iterate(OrbitState<Lane>& orbit)
    {
        const Lane two(E(2));
        orbit.zReNext = (orbit.zReSq - orbit.zImSq) + orbit.cRe;
        orbit.zIm = ((two * orbit.zRe) * orbit.zIm) + orbit.cIm;
    }
};

// Formula 3: z <- z^3 + c.
template <class Lane>
class Power3Formula {
    using E = typename Lane::Element;

public:
    static constexpr int kPower = 3;
    static void Init() {}
    static void InitZ(OrbitState<Lane>&) {}
    static bool IsKnownInside(const OrbitState<Lane>&) { return false; }
    static void Iterate(OrbitState<Lane>& orbit)
    {
        const Lane two(E(2));
        const Lane x = orbit.zRe;
        const Lane y = orbit.zIm;
        const Lane x2 = orbit.zReSq;
        const Lane y2 = orbit.zImSq;
        orbit.zReNext = ((x2 - y2) * x - (x * two) * y2) + orbit.cRe;
        orbit.zIm = ((x2 * two + (x2 - y2)) * y) + orbit.cIm;
    }
};

// Formula 4: z <- z^4 + c.
template <class Lane>
class Power4Formula {
    using E = typename Lane::Element;

public:
    static constexpr int kPower = 4;
    static void Init() {}
    static void InitZ(OrbitState<Lane>&) {}
    static bool IsKnownInside(const OrbitState<Lane>&) { return false; }
    static void Iterate(OrbitState<Lane>& orbit)
    {
        const Lane four(E(4));
        const Lane six(E(6));
        const Lane x = orbit.zRe;
        const Lane y = orbit.zIm;
        const Lane x2 = orbit.zReSq;
        const Lane y2 = orbit.zImSq;
        orbit.zReNext = ((y2 * y2 + x2 * x2) - (x2 * six) * y2) + orbit.cRe;
        orbit.zIm = (((four * x) * y) * (x2 - y2)) + orbit.cIm;
    }
};

// Formula 5: z <- exp(z), z starting at c. There is no vector exponential: each lane goes
// through the same scalar step.
template <class Lane>
class ExpFormula {
    using E = typename Lane::Element;

public:
    static void Init() {}
    static void InitZ(OrbitState<Lane>& orbit)
    {
        orbit.zRe = orbit.cRe;
        orbit.zIm = orbit.cIm;
    }
    static bool IsKnownInside(const OrbitState<Lane>&) { return false; }
    static void Iterate(OrbitState<Lane>& orbit)
    {
        E re[Lane::kWidth];
        E im[Lane::kWidth];
        orbit.zRe.Store(re);
        orbit.zIm.Store(im);
        for (int k = 0; k < Lane::kWidth; ++k) {
            ExpStep(re[k], im[k], &re[k], &im[k]);
        }
        orbit.zReNext = Lane::Load(re);
        orbit.zIm = Lane::Load(im);
    }
};

} // namespace ZORB_KERNEL_NAMESPACE
