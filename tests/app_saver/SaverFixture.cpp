#include "tests/app_saver/SaverFixture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <jpeglib.h>

#include "render/IRenderCallbackInterface.h"
#include "render/Processors.h"
#include "render/RenderBand.h"
#include "render/RenderDriver.h"
#include "render/RenderStats.h"
#include "render/RenderThreadPool.h"
#include "app/files/OutputFile.h"
#include "app/palette/Palette.h"
#include "app/palette/SmoothColour.h"
#include "app/saver/LargeBitmapSaver.h"
#include "app/window/ZorbGUI.h"
#include "tests/support/BoundedView.h"
#include "tests/support/WindowlessGui.h"

ZorbGUI* SaverTestGui(const View& view, int formula)
{
    ZorbGUI* gui = WindowlessGui(kTestScreenWidth, kTestScreenHeight);
    gui->view = view;
    gui->formula = formula;
    return gui;
}

WindowRenderSettings TestLook(int formula)
{
    PaletteTable table;
    BuildPaletteTable(&table, PaletteId::Rainbow);
    WindowRenderSettings look;
    memcpy(look.palette, table.entries, sizeof(look.palette));
    look.formula = formula;
    return look;
}

View LopsidedView()
{
    return BoundedView(-2.0, 1.0, -0.25, 1.25);
}

View SlowStrip()
{
    return BoundedView(-1.5, 0.3, -0.05, 0.05);
}

std::string TempPath(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + name;
    DeleteFileA(path.c_str());
    return path;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    _fseeki64(file, 0, SEEK_END);
    bytes.resize(static_cast<size_t>(_ftelli64(file)));
    _fseeki64(file, 0, SEEK_SET);
    if (!bytes.empty() && fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        bytes.clear();
    }
    fclose(file);
    return bytes;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

FullDisk::FullDisk(int64_t bytes)
{
    LimitOutputBytesForTest(bytes);
}

FullDisk::~FullDisk()
{
    LimitOutputBytesForTest(-1);
}

bool SaveWithoutDialog(const LargeImageSettings& request, LargeImageFileType type,
                       const View& view, const WindowRenderSettings& look, const std::string& path,
                       DWORD waitMs)
{
    LargeBitmapSaver& saver = LargeBitmapSaverInstance;
    if (saver.Reserve(request, type) != LargeImageReserve::Ok) {
        return false;
    }
    ReplacingFile file;
    if (!file.Open(path.c_str())) {
        saver.CancelReservation();
        return false;
    }
    RenderRunningFlag.exchange(true);
    if (!saver.Start(look, view, std::move(file))) {
        return false;
    }
    return saver.WaitUntilIdle(waitMs);
}

namespace {

// The whole picture in memory, banded as the main window bands its own renders.
class MemoryClient final : public IRenderCallbackInterface {
public:
    MemoryClient(const View& from, MemoryPicture* target, uint32_t limit, const WindowRenderSettings& settings)
        : view(from), picture(target), iterations(limit), look(settings)
    {
        view.stepX = view.spanX / picture->width;
        view.stepY = view.spanY / picture->height;
    }

    void SetPixel(uint32_t x, uint32_t y, uint8_t index, float smooth) override
    {
        const size_t i = x + static_cast<size_t>(y - 1) * picture->width;
        picture->indices[i] = index;
        picture->smooth[i] = smooth;
    }
    void StepProgress() override {}
    bool IsLinearColouring() override { return look.linearColouring; }
    const View* GetView() override { return &view; }
    bool IsJulia() override { return look.julia; }
    double GetJuliaRe() override { return look.juliaRe; }
    double GetJuliaIm() override { return look.juliaIm; }
    int PrepareRender(RenderThreadPool* pool) override
    {
        int rows = picture->height / (4 * CountLogicalProcessors());
        rows = rows < 1 ? 1 : rows;
        const RenderBand request(picture->width, picture->height, 0, picture->width, 0, rows,
                                 view.stepX, view.stepY);
        RenderThreadPool::Prepare(pool, &request, this);
        return pool->stats.threadCount > 1 ? rows : picture->height;
    }
    int GetBandsPerPass() override { return picture->height; }
    int GetWidth() override { return picture->width; }
    int GetHeight() override { return picture->height; }
    int GetFormula() override { return look.formula; }
    uint64_t GetMaxIterations() override { return iterations; }
    void OnPassComplete(int64_t) override {}
    void OnRenderStart() override {}
    void OnRenderComplete(double seconds, const RenderStats* stats) override
    {
        picture->seconds = seconds;
        picture->useFloat = stats->useFloat;
    }
    void OnProgressTick(int64_t) override {}

private:
    View view;
    MemoryPicture* picture;
    uint32_t iterations;
    WindowRenderSettings look;
};

} // namespace

MemoryPicture RenderInMemory(const View& view, int width, int height, uint32_t iterations,
                             const WindowRenderSettings& look)
{
    MemoryPicture picture;
    picture.width = width;
    picture.height = height;
    picture.indices.assign(static_cast<size_t>(width) * height, 0);
    picture.smooth.assign(static_cast<size_t>(width) * height, 0.0f);
    MemoryClient client(view, &picture, iterations, look);
    RenderRunningFlag.exchange(true);
    RenderDriverThread(static_cast<IRenderCallbackInterface*>(&client));
    return picture;
}

std::vector<uint8_t> SmoothRgb(const MemoryPicture& picture, const RGBQUAD* palette)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        const size_t row = static_cast<size_t>(y) * picture.width;
        for (int x = 0; x < picture.width; ++x) {
            SmoothPixelColour(rgb.data() + row * 3, x, picture.indices[row + x], picture.smooth[row + x],
                              palette);
        }
    }
    return rgb;
}

bool DecodeJpeg(const std::string& path, DecodedJpeg* out)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    jpeg_decompress_struct jpeg;
    jpeg_error_mgr error;
    jpeg.err = jpeg_std_error(&error);
    jpeg_create_decompress(&jpeg);
    jpeg_stdio_src(&jpeg, file);
    bool ok = jpeg_read_header(&jpeg, TRUE) == JPEG_HEADER_OK;
    if (ok) {
        jpeg.out_color_space = JCS_RGB;
        jpeg_start_decompress(&jpeg);
        out->width = static_cast<int>(jpeg.output_width);
        out->height = static_cast<int>(jpeg.output_height);
        out->rgb.assign(static_cast<size_t>(out->width) * out->height * 3, 0);
        while (jpeg.output_scanline < jpeg.output_height) {
            JSAMPROW row = out->rgb.data() + static_cast<size_t>(jpeg.output_scanline) * out->width * 3;
            jpeg_read_scanlines(&jpeg, &row, 1);
        }
        jpeg_finish_decompress(&jpeg);
    }
    jpeg_destroy_decompress(&jpeg);
    fclose(file);
    return ok;
}

double MeanRgbDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width,
                         int height, bool flipSecond)
{
    double sum = 0.0;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* rowA = a.data() + y * rowBytes;
        const uint8_t* rowB = b.data() + (flipSecond ? height - 1 - y : y) * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i) {
            sum += abs(static_cast<int>(rowA[i]) - static_cast<int>(rowB[i]));
        }
    }
    return sum / (static_cast<double>(rowBytes) * height);
}

uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

uint16_t Le16(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
