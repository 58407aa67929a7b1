#pragma once

#include <cstdint>

struct View;
struct RenderStats;
class RenderThreadPool;

// Everything the render engine asks of a client and hands back to it.
//
// Driver side (one render's driver thread, one call at a time): GetView, PrepareRender,
// GetBandsPerPass, GetWidth, GetHeight, GetFormula, OnPassComplete, OnRenderStart,
// OnRenderComplete, OnProgressTick.
// Kernel side (several worker threads at once, concurrently with OnProgressTick): SetPixel,
// StepProgress, IsLinearColouring, GetView, IsJulia, GetJuliaRe, GetJuliaIm, GetMaxIterations.
// They must be safe to call concurrently; SetPixel writes only the pixel it is given.
//
// Answers the engine relies on: width, height and view stay the same for the whole render;
// PrepareRender calls RenderThreadPool::Prepare on the pool and answers rows per band (>= 1);
// GetBandsPerPass >= 1; GetFormula one of the ids in render/Formula.h (other ids render
// nothing). Rows passed to SetPixel are 1-based, columns 0-based.
//
// The slot order below is fixed. The destructor is protected and not virtual: the engine never
// deletes a client, and the table holds exactly these operations.
class IRenderCallbackInterface {
public:
    virtual void SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue) = 0;
    virtual void StepProgress() = 0;
    virtual bool IsLinearColouring() = 0;
    virtual const View* GetView() = 0;
    virtual bool IsJulia() = 0;
    virtual double GetJuliaRe() = 0;
    virtual double GetJuliaIm() = 0;
    virtual int PrepareRender(RenderThreadPool* pool) = 0;
    virtual int GetBandsPerPass() = 0;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    virtual int GetFormula() = 0;
    virtual uint64_t GetMaxIterations() = 0;
    // Whole seconds since the driver started, by _time64.
    virtual void OnPassComplete(int64_t elapsedSeconds) = 0;
    virtual void OnRenderStart() = 0;
    // Wall time of the passes; stats is valid only during the call. The last call of a render.
    virtual void OnRenderComplete(double seconds, const RenderStats* stats) = 0;
    // About once a second while a pass runs and RenderRunningFlag is set.
    virtual void OnProgressTick(int64_t elapsedSeconds) = 0;

protected:
    ~IRenderCallbackInterface() = default;
};
