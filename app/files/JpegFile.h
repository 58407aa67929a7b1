#pragma once

#include <cstddef>
#include <cstdint>

// The library's Windows configuration gives `boolean` the type <windows.h> gives it, so the
// two headers may come in either order.
#include <cstdio>
#include <jpeglib.h>

#include "app/files/BitmapFilePicture.h"
#include "app/files/OutputFile.h"

// One RGB JPEG being compressed into an OutputFile: library defaults, quality 100 forced
// baseline. libjpeg's own error handler ends the program on any error (a full disk among
// them); this one returns control instead, so every call answers false once the library has
// failed, and the compressor is then already released. Not copyable: libjpeg keeps pointers
// into it.
class JpegWriter {
public:
    JpegWriter();
    ~JpegWriter();
    JpegWriter(const JpegWriter&) = delete;
    JpegWriter& operator=(const JpegWriter&) = delete;

    // Starts a width x height picture. False for a size the library refuses (below 1 or above
    // JPEG_MAX_DIMENSION) or when the first bytes cannot be written.
    bool Start(OutputFile& out, int width, int height);
    // One scanline of 3 x width bytes, top row first.
    bool WriteRow(const uint8_t* rgb);
    // The end of the picture: the rest of the data and the end marker.
    bool Finish();
    // Gives up a picture without finishing it.
    void Abandon();
    bool Started() const { return started_; }
    bool Failed() const { return failed_; }
    // The library's text for the error that stopped it, empty when none.
    const char* ErrorText() const { return error_.text; }

    // libjpeg's callbacks reach the writer through these.
    struct ErrorManager {
        jpeg_error_mgr library;
        void* jump[5];  // __builtin_setjmp's buffer
        char text[JMSG_LENGTH_MAX];
    };
    struct Destination {
        jpeg_destination_mgr library;
        OutputFile* out;
        JOCTET buffer[16384];
    };

private:
    void Fail();

    jpeg_compress_struct jpeg_{};
    ErrorManager error_{};
    Destination destination_{};
    bool created_ = false;
    bool started_ = false;
    bool failed_ = false;
};

// Writes `picture` as an RGB JPEG, each pixel coloured by SmoothPixelColour. False when it
// could not be written whole (an empty picture is not written at all).
bool WriteJpeg(OutputFile& out, const DibPicture& picture);
