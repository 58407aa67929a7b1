#include "app/files/JpegFile.h"

#include <cstring>
#include <memory>
#include <new>

#include <jerror.h>

#include "app/palette/SmoothColour.h"

namespace {

constexpr int kJpegQuality = 100;
constexpr int kRgbComponents = 3;

// Instead of the standard handler's exit: keep the library's text and return to the
// writer's call that entered the library. The C library's longjmp unwinds frame by frame on
// this platform; the builtin pair only restores the stack, which is all a return out of
// libjpeg's C frames needs.
[[noreturn]] void ReturnToWriter(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<JpegWriter::ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, error->text);
    __builtin_longjmp(error->jump, 1);
}

// Warnings and traces go nowhere: a windowed program has no console, and the standard
// handler writes them to stderr.
void IgnoreMessage(j_common_ptr)
{
}

void InitDestination(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<JpegWriter::Destination*>(cinfo->dest);
    destination->library.next_output_byte = destination->buffer;
    destination->library.free_in_buffer = sizeof(destination->buffer);
}

boolean EmptyBuffer(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<JpegWriter::Destination*>(cinfo->dest);
    if (destination->out->Write(destination->buffer, sizeof(destination->buffer)) != sizeof(destination->buffer)) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
    destination->library.next_output_byte = destination->buffer;
    destination->library.free_in_buffer = sizeof(destination->buffer);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto* destination = reinterpret_cast<JpegWriter::Destination*>(cinfo->dest);
    const size_t used = sizeof(destination->buffer) - destination->library.free_in_buffer;
    if (used > 0 && destination->out->Write(destination->buffer, used) != used) {
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

}  // namespace

JpegWriter::JpegWriter()
{
    jpeg_.err = jpeg_std_error(&error_.library);
    error_.library.error_exit = &ReturnToWriter;
    error_.library.output_message = &IgnoreMessage;
    destination_.library.init_destination = &InitDestination;
    destination_.library.empty_output_buffer = &EmptyBuffer;
    destination_.library.term_destination = &TermDestination;
}

JpegWriter::~JpegWriter()
{
    Abandon();
}

void JpegWriter::Fail()
{
    failed_ = true;
    started_ = false;
    if (created_) {
        // Safe after an error: it frees what the library holds and touches no file.
        jpeg_destroy_compress(&jpeg_);
        created_ = false;
    }
}

void JpegWriter::Abandon()
{
    started_ = false;
    if (created_) {
        jpeg_destroy_compress(&jpeg_);
        created_ = false;
    }
}

bool JpegWriter::Start(OutputFile& out, int width, int height)
{
    Abandon();
    failed_ = false;
    error_.text[0] = '\0';
    if (width < 1 || height < 1 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION) {
        failed_ = true;
        return false;
    }
    destination_.out = &out;
    if (__builtin_setjmp(error_.jump)) {
        Fail();
        return false;
    }
    jpeg_create_compress(&jpeg_);
    created_ = true;
    jpeg_.dest = &destination_.library;
    jpeg_.image_width = static_cast<JDIMENSION>(width);
    jpeg_.image_height = static_cast<JDIMENSION>(height);
    jpeg_.input_components = kRgbComponents;
    jpeg_.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg_);
    jpeg_set_quality(&jpeg_, kJpegQuality, TRUE);
    jpeg_start_compress(&jpeg_, TRUE);
    started_ = true;
    return true;
}

bool JpegWriter::WriteRow(const uint8_t* rgb)
{
    if (!started_) {
        return false;
    }
    if (__builtin_setjmp(error_.jump)) {
        Fail();
        return false;
    }
    JSAMPROW rows[1] = {const_cast<JSAMPLE*>(rgb)};
    if (jpeg_write_scanlines(&jpeg_, rows, 1) != 1) {
        Fail();
        return false;
    }
    return true;
}

bool JpegWriter::Finish()
{
    if (!started_) {
        return false;
    }
    if (__builtin_setjmp(error_.jump)) {
        Fail();
        return false;
    }
    jpeg_finish_compress(&jpeg_);
    started_ = false;
    jpeg_destroy_compress(&jpeg_);
    created_ = false;
    return true;
}

bool WriteJpeg(OutputFile& out, const DibPicture& picture)
{
    const int width = picture.width;
    if (width < 1 || picture.height < 1) {
        return false;
    }
    const std::unique_ptr<uint8_t[]> rgbRow(new (std::nothrow) uint8_t[static_cast<size_t>(kRgbComponents) * width]);
    if (!rgbRow) {
        return false;
    }
    JpegWriter writer;
    bool whole = writer.Start(out, width, picture.height);
    for (int y = 0; whole && y < picture.height; ++y) {
        const size_t offset = DibRowOffset(picture, y);
        const uint8_t* indices = picture.indices + offset;
        const float* smooth = picture.smooth + offset;
        for (int x = 0; x < width; ++x) {
            SmoothPixelColour(rgbRow.get(), x, indices[x], smooth[x], picture.palette);
        }
        whole = writer.WriteRow(rgbRow.get());
    }
    return whole && writer.Finish();
}
