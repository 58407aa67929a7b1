#pragma once

#include "render/KernelNamespace.h"

namespace ZORB_KERNEL_NAMESPACE {

// The orbit of one pixel or group. The kernel fills zReSq and zImSq before every escape test;
// a formula step reads them with the z they belong to, writes its new real part to zReNext
// (the old one is still needed for the imaginary part) and its new imaginary part to zIm.
template <class Lane>
struct OrbitState {
    Lane cRe;
    Lane cIm;
    Lane zRe;
    Lane zIm;
    Lane zReNext;
    Lane zReSq;
    Lane zImSq;
};

} // namespace ZORB_KERNEL_NAMESPACE
