#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/IRenderCallbackInterface.h"
#include "render/RenderRunningFlag.h"
#include "render/View.h"
#include "tests/support/BoundedView.h"

// What a kernel reads of its client, for one band.
struct Scene {
    View view{};
    int32_t colEnd = 0;
    int32_t rowStart = 0; // rows rowStart+1 .. rowEnd
    int32_t rowEnd = 0;
    bool julia = false;
    double juliaRe = 0.0;
    double juliaIm = 0.0;
    uint64_t maxIterations = 100;
    bool linear = true;
};

// A view whose steps are those of a picture of width x height pixels.
inline View MakeView(double xMin, double xMax, double yMin, double yMax, int width, int height)
{
    View view = BoundedView(xMin, xMax, yMin, yMax);
    view.UpdateSteps(width, height);
    return view;
}

// One SetPixel, or a StepProgress (progress set, pixel fields 0), in call order.
struct KernelEvent {
    bool progress = false;
    uint32_t x = 0;
    uint32_t y = 0;
    uint8_t index = 0;
    float smooth = 0.0f;
};

struct CallCounts {
    int getView = 0;
    int isJulia = 0;
    int juliaRe = 0;
    int juliaIm = 0;
    int maxIterations = 0;
    int linearColouring = 0;
};

// Answers a kernel from a Scene and records everything it hands back. Optionally clears
// RenderRunningFlag at the n-th SetPixel, as a Stop command would.
class KernelClient : public IRenderCallbackInterface {
public:
    explicit KernelClient(const Scene& scene, size_t stopAtPixel = 0) : scene_(scene), stopAtPixel_(stopAtPixel) {}

    std::vector<KernelEvent> events;
    CallCounts calls;
    size_t pixels = 0;

    void SetPixel(uint32_t x, uint32_t y, uint8_t index, float smooth) override
    {
        KernelEvent event;
        event.x = x;
        event.y = y;
        event.index = index;
        event.smooth = smooth;
        events.push_back(event);
        if (++pixels == stopAtPixel_) {
            RenderRunningFlag.exchange(false);
        }
    }
    void StepProgress() override
    {
        KernelEvent event;
        event.progress = true;
        events.push_back(event);
    }
    bool IsLinearColouring() override { ++calls.linearColouring; return scene_.linear; }
    const View* GetView() override { ++calls.getView; return &scene_.view; }
    bool IsJulia() override { ++calls.isJulia; return scene_.julia; }
    double GetJuliaRe() override { ++calls.juliaRe; return scene_.juliaRe; }
    double GetJuliaIm() override { ++calls.juliaIm; return scene_.juliaIm; }
    uint64_t GetMaxIterations() override { ++calls.maxIterations; return scene_.maxIterations; }

    // Driver side: never called by a kernel.
    int PrepareRender(RenderThreadPool*) override { return 1; }
    int GetBandsPerPass() override { return 1; }
    int GetWidth() override { return scene_.colEnd; }
    int GetHeight() override { return scene_.rowEnd; }
    int GetFormula() override { return 0; }
    void OnPassComplete(int64_t) override {}
    void OnRenderStart() override {}
    void OnRenderComplete(double, const RenderStats*) override {}
    void OnProgressTick(int64_t) override {}

private:
    Scene scene_;
    size_t stopAtPixel_;
};

// Sets RenderRunningFlag for the life of a test step and clears it afterwards, so that one
// test's stop cannot leak into the next.
class RunningFlagScope {
public:
    explicit RunningFlagScope(bool running = true) { RenderRunningFlag.exchange(running); }
    ~RunningFlagScope() { RenderRunningFlag.exchange(false); }
    RunningFlagScope(const RunningFlagScope&) = delete;
    RunningFlagScope& operator=(const RunningFlagScope&) = delete;
};
