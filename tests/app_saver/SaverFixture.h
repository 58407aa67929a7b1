#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/View.h"
#include "app/saver/LargeImageFileType.h"
#include "app/saver/LargeImageSettings.h"
#include "app/saver/WindowRenderSettings.h"

class ZorbGUI;

// The window object without a window (WindowlessGui), as the saver and its dialog read it,
// with the given view and formula.
ZorbGUI* SaverTestGui(const View& view, int formula = 2);

// What a save copies from that window object.
WindowRenderSettings TestLook(int formula = 2);

// A view whose upper and lower halves differ, so a picture stored upside down shows.
View LopsidedView();

// With kSlowFormula (cubed) and a limit in the millions, a strip through the set: the left of
// every row escapes at once, the rest takes seconds per row, and a stop still comes within one
// pixel.
View SlowStrip();
constexpr int kSlowFormula = 3;
constexpr int kLambdaFormula = 1;

// A path in the temporary folder, deleted first.
std::string TempPath(const char* name);
std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);

// The disk as OutputFile sees it has `bytes` left while the object lives, however the test
// ends.
class FullDisk {
public:
    explicit FullDisk(int64_t bytes);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

// One save through the saver alone (no dialog): reserve, open, start, wait for its end.
// False if any step refused.
bool SaveWithoutDialog(const LargeImageSettings& request, LargeImageFileType type,
                       const View& view, const WindowRenderSettings& look, const std::string& path,
                       DWORD waitMs = 120000);

// The same picture rendered by the engine into memory, with the window's banding (rows per
// band from the processor count, every band in one pass). Rows top first.
struct MemoryPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::vector<float> smooth;
    double seconds = 0.0;
    bool useFloat = false; // the precision the engine chose
};
MemoryPicture RenderInMemory(const View& view, int width, int height, uint32_t iterations,
                             const WindowRenderSettings& look);

// RGB of the in-memory picture as the JPEG rows colour it, rows top first.
std::vector<uint8_t> SmoothRgb(const MemoryPicture& picture, const RGBQUAD* palette);

// A decoded JPEG file: RGB rows top first.
struct DecodedJpeg {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};
bool DecodeJpeg(const std::string& path, DecodedJpeg* out);

// Mean absolute difference per channel of two RGB pictures of the same size, optionally with
// the second one read upside down.
double MeanRgbDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b, int width,
                         int height, bool flipSecond);

// Reads little-endian fields of a BMP in memory.
uint32_t Le32(const std::vector<uint8_t>& bytes, size_t at);
uint16_t Le16(const std::vector<uint8_t>& bytes, size_t at);
