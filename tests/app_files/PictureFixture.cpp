#include "tests/app_files/PictureFixture.h"

TestDib::TestDib(int screenWidth, int screenRows)
    : stride((screenWidth + 3) & ~3), rows(screenRows),
      indices(static_cast<size_t>(stride) * screenRows, 0xEE), smooth(indices.size(), 0.0f)
{
    for (int i = 0; i < 256; ++i) {
        palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i ^ 0x55), 0};
    }
    // What the palette window holds at 255 must never reach a file.
    palette[255] = RGBQUAD{0, 0, 255, 0};
}

uint8_t& TestDib::At(int x, int y)
{
    return indices[static_cast<size_t>(rows - 1 - y) * stride + x];
}

DibPicture TestDib::Picture(int width, int height) const
{
    return DibPicture{indices.data(), smooth.data(), stride, rows, width, height, palette};
}

uint8_t PatternIndex(int x, int y) { return x == y ? 255 : static_cast<uint8_t>((x + 7 * y) % 255); }

std::string ReadAll(FILE* file)
{
    std::string bytes;
    rewind(file);
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file)) > 0) {
        bytes.append(buffer, n);
    }
    return bytes;
}

std::string ReadFile(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::string();
    }
    std::string bytes = ReadAll(file);
    fclose(file);
    return bytes;
}

std::string TempPath(const char* name)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "zorb-files-" + std::to_string(GetCurrentProcessId()) + "-" + name;
}

uint32_t Le32(const std::string& bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
           static_cast<uint8_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

uint16_t Le16(const std::string& bytes, size_t at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8);
}
