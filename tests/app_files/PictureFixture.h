#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/files/BitmapFilePicture.h"

// A screen-size DIB in miniature (bottom-up, padded rows) with a picture in its last rows,
// as the window holds it.
struct TestDib {
    int stride;
    int rows;
    std::vector<uint8_t> indices;
    std::vector<float> smooth;
    RGBQUAD palette[256];

    TestDib(int screenWidth, int screenRows);
    // Picture row y (0 = top), column x.
    uint8_t& At(int x, int y);
    DibPicture Picture(int width, int height) const;
};

// Index of pixel (x, y) of the test pictures: a pattern that tells rows and columns apart,
// with 255 (inside) on a diagonal.
uint8_t PatternIndex(int x, int y);

std::string ReadAll(FILE* file);
std::string ReadFile(const std::string& path);
// A fresh path in the temporary folder.
std::string TempPath(const char* name);

uint32_t Le32(const std::string& bytes, size_t at);
uint16_t Le16(const std::string& bytes, size_t at);
