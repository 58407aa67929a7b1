#include "app/JpegFile.h"

#include <cstdlib>

#include "app/SmoothColour.h"

namespace {

constexpr int kJpegQuality = 100;
constexpr int kRgbComponents = 3;

}  // namespace

bool StartJpegCompression(jpeg_compress_struct& jpeg, jpeg_error_mgr& error, FILE* file,
                          int width, int height)
{
    if (width < 1 || height < 1 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) {
        return false;
    }
    jpeg.err = jpeg_std_error(&error);
    jpeg_create_compress(&jpeg);
    jpeg_stdio_dest(&jpeg, file);
    jpeg.image_width = static_cast<JDIMENSION>(width);
    jpeg.image_height = static_cast<JDIMENSION>(height);
    jpeg.input_components = kRgbComponents;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, kJpegQuality, TRUE);
    jpeg_start_compress(&jpeg, TRUE);
    return true;
}

void WriteJpeg(FILE* file, const DibPicture& picture)
{
    const int width = picture.width;
    auto* rgbRow = static_cast<uint8_t*>(malloc(static_cast<size_t>(kRgbComponents) * (width > 0 ? width : 1)));
    if (rgbRow == nullptr) {
        return;
    }
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr error{};
    if (!StartJpegCompression(jpeg, error, file, width, picture.height)) {
        free(rgbRow);
        return;
    }
    JSAMPROW rows[1] = {rgbRow};
    while (jpeg.next_scanline < jpeg.image_height) {
        const size_t offset = DibRowOffset(picture, static_cast<int>(jpeg.next_scanline));
        const uint8_t* indices = picture.indices + offset;
        const float* smooth = picture.smooth + offset;
        for (int x = 0; x < width; ++x) {
            SmoothPixelColour(rgbRow, x, indices[x], smooth[x], picture.palette);
        }
        jpeg_write_scanlines(&jpeg, rows, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    free(rgbRow);
}

void WriteJpegFile(FILE* file)
{
    WriteJpeg(file, GetWindowPicture());
}
