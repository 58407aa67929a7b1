#pragma once

#include <cstdio>

// The library's Windows configuration gives `boolean` the type <windows.h> gives it, so the
// two headers may come in either order.
#include <jpeglib.h>

#include "app/BitmapFilePicture.h"

// Sets up `jpeg` (with the library's standard error manager in `error`) to compress a
// width x height RGB picture into `file`: library defaults, quality 100 forced baseline, and
// starts compressing. The caller writes the scanlines, top row first, then finishes and
// destroys it. False, with nothing set up, when the size is one libjpeg refuses (below 1 or
// above JPEG_MAX_DIMENSION): its standard error manager would end the program.
bool StartJpegCompression(jpeg_compress_struct& jpeg, jpeg_error_mgr& error, FILE* file,
                          int width, int height);

// Writes `picture` as an RGB JPEG at the file's position, each pixel coloured by
// SmoothPixelColour. An empty picture writes nothing.
void WriteJpeg(FILE* file, const DibPicture& picture);

// WriteJpeg of the main window's picture.
void WriteJpegFile(FILE* file);
