// Large-picture benchmark: a 7680 x 4320 picture written straight to disk by LargeBitmapSaver
// (BMP and JPEG, every logical processor) against the same picture rendered into memory with
// the window's bands. Prints seconds, megapixels per second and the largest working set seen.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "render/BuildConfig.h"
#include "render/Formula.h"
#include "render/IRenderCallbackInterface.h"
#include "render/Processors.h"
#include "render/RenderBand.h"
#include "render/RenderDriver.h"
#include "render/RenderThreadPool.h"
#include "app/palette/Palette.h"
#include "app/saver/LargeBitmapSaver.h"
#include "app/saver/WindowRenderSettings.h"
#include "app/view/ViewAspect.h"

namespace {

constexpr int kWidth = 7680;
constexpr int kHeight = 4320;
constexpr double kMegapixels = kWidth * double(kHeight) / 1e6;

double Now()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t WorkingSetBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

// The largest working set seen while one case runs. The process's own peak only ever grows,
// so it cannot tell a later, smaller case apart from an earlier, larger one.
class WorkingSetSampler {
public:
    WorkingSetSampler() : peak(WorkingSetBytes())
    {
        thread = CreateThread(nullptr, 0, &WorkingSetSampler::Run, this, 0, nullptr);
    }
    ~WorkingSetSampler()
    {
        stop = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    size_t PeakMegabytes() const { return peak.load() >> 20; }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* sampler = static_cast<WorkingSetSampler*>(self);
        while (!sampler->stop) {
            const size_t now = WorkingSetBytes();
            if (now > sampler->peak) {
                sampler->peak = now;
            }
            Sleep(5);
        }
        return 0;
    }
    std::atomic<bool> stop{false};
    std::atomic<size_t> peak;
    HANDLE thread = nullptr;
};

struct BenchCase {
    const char* name;
    const char* key;
    double xMin, xMax, yMin, yMax;
    uint32_t iterations;
};

const BenchCase kCases[] = {
    // The window's start-up picture: cheap pixels, so the cost of the bands shows.
    {"default view", "default", -2.0, 1.0, -static_cast<double>(1.3f), static_cast<double>(1.3f), 512},
    // Seahorse valley: nearly every pixel near the boundary, long orbits.
    {"seahorse valley", "seahorse", -0.75, -0.74, 0.10925, 0.11675, 2000},
};

// The case's view given the 16:9 proportions of the saved size, as the dialog's aspect box does.
View BenchView(const BenchCase& c)
{
    View view = ViewBounds(c.xMin, c.xMax, c.yMin, c.yMax);
    view.UpdateSpans();
    return FixViewAspect(view, kWidth, kHeight);
}

WindowRenderSettings BenchLook()
{
    PaletteTable table;
    BuildPaletteTable(&table, PaletteId::Rainbow);
    WindowRenderSettings look;
    memcpy(look.palette, table.entries, sizeof(look.palette));
    return look;
}

// The whole picture in memory, indices and smooth values, banded as the window bands: height
// / (4 x threads) rows per band, every band in one pass.
class MemoryClient final : public IRenderCallbackInterface {
public:
    MemoryClient(const View& from, uint32_t limit) : view(from), iterations(limit)
    {
        view.UpdateSteps(kWidth, kHeight);
        indices.assign(static_cast<size_t>(kWidth) * kHeight, 0);
        smooth.assign(static_cast<size_t>(kWidth) * kHeight, 0.0f);
    }
    void SetPixel(uint32_t x, uint32_t y, uint8_t index, float value) override
    {
        const size_t i = x + static_cast<size_t>(y - 1) * kWidth;
        indices[i] = index;
        smooth[i] = value;
    }
    void StepProgress() override {}
    bool IsLinearColouring() override { return true; }
    const View* GetView() override { return &view; }
    bool IsJulia() override { return false; }
    double GetJuliaRe() override { return 0.0; }
    double GetJuliaIm() override { return 0.0; }
    int PrepareRender(RenderThreadPool* pool) override
    {
        const int rows = std::max(1, kHeight / (4 * CountLogicalProcessors()));
        const RenderBand request(kWidth, kHeight, 0, kWidth, 0, rows, view.stepX, view.stepY);
        RenderThreadPool::Prepare(pool, &request, this);
        return pool->stats.threadCount > 1 ? rows : kHeight;
    }
    int GetBandsPerPass() override { return kHeight; }
    int GetWidth() override { return kWidth; }
    int GetHeight() override { return kHeight; }
    int GetFormula() override { return Formula::Power2; }
    uint64_t GetMaxIterations() override { return iterations; }
    void OnPassComplete(int64_t) override {}
    void OnRenderStart() override {}
    void OnRenderComplete(double, const RenderStats*) override {}
    void OnProgressTick(int64_t) override {}

private:
    View view;
    uint32_t iterations;
    std::vector<uint8_t> indices;
    std::vector<float> smooth;
};

double RenderIntoMemory(const View& view, uint32_t iterations)
{
    MemoryClient client(view, iterations);
    RenderRunningFlag.exchange(true);
    const double start = Now();
    RenderDriverThread(static_cast<IRenderCallbackInterface*>(&client));
    return Now() - start;
}

// Seconds from OK to the closed file, or a negative number when the save did not run.
double SaveToDisk(const View& view, uint32_t iterations, LargeImageFileType type, const std::string& path,
                  uint64_t* bytes)
{
    LargeImageSettings request;
    request.width = kWidth;
    request.height = kHeight;
    request.iterations = iterations;
    request.threads = CountLogicalProcessors();
    LargeBitmapSaver& saver = LargeBitmapSaverInstance;
    const double start = Now();
    if (saver.Reserve(request, type) != LargeImageReserve::Ok) {
        return -1.0;
    }
    ReplacingFile file;
    if (!file.Open(path.c_str())) {
        saver.CancelReservation();
        return -1.0;
    }
    RenderRunningFlag.exchange(true);
    if (!saver.Start(BenchLook(), view, std::move(file))) {
        return -1.0;
    }
    saver.WaitUntilIdle(INFINITE);
    const double seconds = Now() - start;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    *bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    DeleteFileA(path.c_str());
    return saver.LastSaveFailed() ? -1.0 : seconds;
}

void PrintCase(const char* name, double seconds, uint64_t bytes, size_t peak)
{
    std::printf("  %-6s %-26s %8.2f s %8.1f Mpix/s  file %7.1f MB  working set at most %5zu MB\n",
                kBuildAvx ? "Avx" : kBuildSse2 ? "Sse" : "Scalar", name, seconds, kMegapixels / seconds,
                bytes / 1048576.0, peak);
}

// raw: one line per run and format, "case NAME seconds", for scripts/bench.sh.
void RunCase(const BenchCase& c, const std::string& bmpPath, const std::string& jpegPath, int runs, bool raw)
{
    const View view = BenchView(c);
    if (!raw) {
        std::printf("%s: %d x %d, formula 2, %u iterations, %d threads, median of %d runs\n", c.name, kWidth,
                    kHeight, c.iterations, CountLogicalProcessors(), runs);
    }
    // Runs interleaved, so a change in the machine's load touches all three alike.
    std::vector<double> bmp, jpeg, memory;
    uint64_t bmpBytes = 0, jpegBytes = 0;
    size_t bmpPeak = 0, jpegPeak = 0, memoryPeak = 0;
    for (int run = 0; run < runs; ++run) {
        {
            WorkingSetSampler sampler;
            bmp.push_back(SaveToDisk(view, c.iterations, LargeImageFileType::Bitmap, bmpPath, &bmpBytes));
            bmpPeak = std::max(bmpPeak, sampler.PeakMegabytes());
        }
        {
            WorkingSetSampler sampler;
            jpeg.push_back(SaveToDisk(view, c.iterations, LargeImageFileType::Jpeg, jpegPath, &jpegBytes));
            jpegPeak = std::max(jpegPeak, sampler.PeakMegabytes());
        }
        {
            WorkingSetSampler sampler;
            memory.push_back(RenderIntoMemory(view, c.iterations));
            memoryPeak = std::max(memoryPeak, sampler.PeakMegabytes());
        }
        if (raw) {
            PrintRawCase("large/%s/memory %.3f\n", c.key, memory.back() * 1000.0);
            PrintRawCase("large/%s/bmp %.3f\n", c.key, bmp.back() * 1000.0);
            PrintRawCase("large/%s/jpeg %.3f\n", c.key, jpeg.back() * 1000.0);
        }
    }
    if (raw) {
        return;
    }
    if (*std::min_element(bmp.begin(), bmp.end()) < 0 || *std::min_element(jpeg.begin(), jpeg.end()) < 0) {
        std::printf("  a save failed\n");
        return;
    }
    const double memorySeconds = Median(memory);
    PrintCase("in memory, window bands", memorySeconds, 0, memoryPeak);
    PrintCase("saver BMP, one-row bands", Median(bmp), bmpBytes, bmpPeak);
    PrintCase("saver JPEG, one-row bands", Median(jpeg), jpegBytes, jpegPeak);
    // What each pass of one-row bands costs beyond its share of the render itself.
    const int passes = (kHeight + CountLogicalProcessors() - 1) / CountLogicalProcessors();
    std::printf("  %d passes; BMP %.2f ms a pass over the in-memory render\n", passes,
                (Median(bmp) - memorySeconds) * 1000.0 / passes);
    std::printf("  BMP to disk / in memory: %.2fx   JPEG to disk / in memory: %.2fx\n",
                Median(bmp) / memorySeconds, Median(jpeg) / memorySeconds);
}

} // namespace

// Options: --runs N (saves and renders per case, default 3), --raw (one line per run:
// "case NAME milliseconds", and "end" once every case ran), --case default|seahorse (one case only).
int main(int argc, char** argv)
{
    BenchOptions options{3};
    std::string only;
    const auto oneCase = [&](const std::string& option, int count, char** values, int* i) {
        if (option != "--case" || *i + 1 >= count) {
            return false;
        }
        only = values[++*i];
        return true;
    };
    if (!ReadBenchOptions(argc, argv, "[--runs N] [--raw] [--case default|seahorse]", &options, oneCase)) {
        return 2;
    }
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string bmpPath = std::string(folder) + "zorb-bench-large.bmp";
    const std::string jpegPath = std::string(folder) + "zorb-bench-large.jpg";
    for (const BenchCase& c : kCases) {
        if (only.empty() || only == c.key) {
            RunCase(c, bmpPath, jpegPath, options.runs, options.raw);
        }
    }
    if (options.raw) {
        PrintRawEnd();
    }
    return 0;
}
