#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "render/Formula.h"
#include "render/IRenderCallbackInterface.h"
#include "render/RenderStats.h"
#include "render/View.h"

// Which kernels a bench render is to use. Forced through the render's RenderStats after
// RenderThreadPool::Prepare has made its own choice, so the program's path is unchanged.
enum class LaneFamily { kScalarFloat, kScalarDouble, kVectorFloat, kVectorDouble, kAsPrepared };

struct BenchRender {
    View view{};
    int width = 0;
    int height = 0;
    int formula = Formula::Power2;
    uint64_t maxIterations = 0;
    LaneFamily family = LaneFamily::kAsPrepared;
    int threads = 0; // 0: as many as Prepare allows
    // 0: the window's cut (below). Otherwise this many rows to a band and bands to a pass, as
    // the large-picture saver cuts (one row, threadCount bands).
    int rowsPerBand = 0;
    int bandsPerPass = 0;
};

// A render client that keeps nothing of the picture but a checksum. Bands are cut as the window
// cuts them: height / (4 x threads) rows, every band in one pass, one band with one thread.
class BenchClient : public IRenderCallbackInterface {
public:
    explicit BenchClient(const BenchRender& render);
    ~BenchClient();
    BenchClient(const BenchClient&) = delete;
    BenchClient& operator=(const BenchClient&) = delete;

    // Runs one render through RenderDriverThread and waits for it. False if the family asked
    // for is not available on this build or processor (nothing is rendered then).
    bool Run();
    // Starts one render, clears RenderRunningFlag once it has run for runMs and waits for its
    // end. False as Run. stopToEndMs: from the flag cleared to OnRenderComplete.
    bool RunAndStop(DWORD runMs, double* stopToEndMs);

    double WallSeconds() const { return wallSeconds_; }
    // Processor time of the whole process over the render, every thread's user and kernel time.
    double CpuSeconds() const { return cpuSeconds_; }
    double RenderSeconds() const { return renderSeconds_; }
    const RenderStats& Stats() const { return stats_; }
    uint64_t Checksum() const;

    void SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue) override;
    void StepProgress() override {}
    bool IsLinearColouring() override { return true; }
    const View* GetView() override { return &render_.view; }
    bool IsJulia() override { return false; }
    double GetJuliaRe() override { return 0.0; }
    double GetJuliaIm() override { return 0.0; }
    int PrepareRender(RenderThreadPool* pool) override;
    int GetBandsPerPass() override { return render_.bandsPerPass > 0 ? render_.bandsPerPass : render_.height; }
    int GetWidth() override { return render_.width; }
    int GetHeight() override { return render_.height; }
    int GetFormula() override { return render_.formula; }
    uint64_t GetMaxIterations() override { return render_.maxIterations; }
    void OnPassComplete(int64_t) override {}
    void OnRenderStart() override {}
    void OnRenderComplete(double seconds, const RenderStats* stats) override;
    void OnProgressTick(int64_t) override {}

private:
    BenchRender render_;
    // One sum per row: a row belongs to one band, so no two workers add to the same sum.
    std::vector<uint64_t> rowSums_;
    HANDLE done_ = nullptr;
    bool familyAvailable_ = true;
    RenderStats stats_{};
    double renderSeconds_ = 0.0;
    LARGE_INTEGER completed_{};
    double wallSeconds_ = 0.0;
    double cpuSeconds_ = 0.0;
};

// User plus kernel time of this process so far, in seconds.
double ProcessCpuSeconds();
