// BMP and JPEG files of the window's picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/files/BitmapFile.h"
#include "app/files/JpegFile.h"
#include "app/window/ZorbGUI.h"
#include "tests/app_files/DialogDriver.h"
#include "tests/app_files/PictureFixture.h"

namespace {

constexpr char kBitmapErrorCaption[] = "Error whilst saving bitmap";
constexpr int kScreenWidth = 320;
constexpr int kScreenRows = 12;

void FillPattern(TestDib& dib, int width, int height)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            dib.At(x, y) = PatternIndex(x, y);
        }
    }
}

TEST(BitmapFile, HeaderColoursAndBottomUpRows)
{
    struct Case {
        int width;
        uint32_t stride;
    };
    const int height = 5;
    for (const Case& c : {Case{301, 304}, Case{304, 304}}) {
        SCOPED_TRACE(c.width);
        TestDib dib(kScreenWidth, kScreenRows);
        FillPattern(dib, c.width, height);
        BitmapInfo256 info;
        memset(&info, 0xCD, sizeof(info));  // as malloc may leave it
        InitBitmapInfoHeader(info.header, c.width, height);

        FILE* file = tmpfile();
        ASSERT_NE(nullptr, file);
        BoxAnswerer boxes(kBitmapErrorCaption);
        OutputFile out(file);
        EXPECT_TRUE(WriteBitmap(out, &info, dib.Picture(c.width, height), nullptr));
        const std::string bytes = ReadAll(file);
        fclose(file);
        EXPECT_TRUE(boxes.Texts().empty());

        const uint32_t imageSize = c.stride * height;
        ASSERT_EQ(1078 + imageSize, bytes.size());
        EXPECT_EQ("BM", bytes.substr(0, 2));
        const struct {
            size_t at;
            uint32_t value;
            bool wide;
        } fields[] = {
            {2, 1078 + imageSize, true}, {6, 0, false},    {8, 0, false},   {10, 1078, true},
            {14, 40, true},              {18, uint32_t(c.width), true},     {22, uint32_t(height), true},
            {26, 1, false},              {28, 8, false},   {30, 0, true},   {34, imageSize, true},
            {38, 0, true},               {42, 0, true},    {46, 256, true}, {50, 256, true},
        };
        for (const auto& f : fields) {
            EXPECT_EQ(f.value, f.wide ? Le32(bytes, f.at) : Le16(bytes, f.at)) << "offset " << f.at;
        }
        for (int i = 0; i < 255; ++i) {
            EXPECT_EQ(0, memcmp(&dib.palette[i], bytes.data() + 54 + 4 * i, 4)) << "colour " << i;
        }
        EXPECT_EQ(std::string(4, '\0'), bytes.substr(54 + 4 * 255, 4)) << "index 255 is black";
        for (int k = 0; k < height; ++k) {
            const size_t row = 1078 + k * c.stride;
            for (int x = 0; x < c.width; ++x) {
                ASSERT_EQ(PatternIndex(x, height - 1 - k), static_cast<uint8_t>(bytes[row + x])) << "file row " << k;
            }
            EXPECT_EQ(std::string(c.stride - c.width, '\0'), bytes.substr(row + c.width, c.stride - c.width));
        }
    }
}

TEST(BitmapFile, FailedChecksAreReportedAndWritingGoesOn)
{
    const std::string readOnlyPath = TempPath("read-only.bmp");
    fclose(fopen(readOnlyPath.c_str(), "wb"));

    struct Case {
        const char* name;
        bool readOnly;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"not at the start of the file", false,
         {"Bitmap pixel offset not calculated correctly", "Bitmap file size not as expected"}},
        {"file not writable", true,
         {"Bitmap pixel offset not calculated correctly", "Bitmap data not successfully written",
          "Bitmap file size not as expected"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestDib dib(kScreenWidth, kScreenRows);
        BitmapInfo256 info{};
        InitBitmapInfoHeader(info.header, 301, 4);
        const bool appended = !c.readOnly;
        FILE* file = appended ? tmpfile() : fopen(readOnlyPath.c_str(), "rb");
        ASSERT_NE(nullptr, file);
        if (appended) {
            fputs("hello", file);
        }
        {
            BoxAnswerer boxes(kBitmapErrorCaption);
            OutputFile out(file);
            EXPECT_FALSE(WriteBitmap(out, &info, dib.Picture(301, 4), nullptr));
            EXPECT_EQ(c.texts, boxes.Texts());
        }
        if (appended) {
            EXPECT_EQ(5 + 1078 + 304 * 4, ReadAll(file).size());
        }
        fclose(file);
    }
    remove(readOnlyPath.c_str());
}

// Start-of-frame of a baseline JPEG: FF C0, length, precision, height, width, components.
TEST(JpegFile, BaselineRgbOfThePictureSize)
{
    TestDib dib(kScreenWidth, kScreenRows);
    FillPattern(dib, 301, 7);
    FILE* file = tmpfile();
    ASSERT_NE(nullptr, file);
    OutputFile out(file);
    EXPECT_TRUE(WriteJpeg(out, dib.Picture(301, 7)));
    const std::string bytes = ReadAll(file);
    fclose(file);

    ASSERT_GT(bytes.size(), 4u);
    EXPECT_EQ("\xFF\xD8", bytes.substr(0, 2));
    EXPECT_EQ("\xFF\xD9", bytes.substr(bytes.size() - 2));
    const size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(std::string::npos, sof);
    EXPECT_EQ(8, bytes[sof + 4]);
    EXPECT_EQ(7, static_cast<uint8_t>(bytes[sof + 5]) << 8 | static_cast<uint8_t>(bytes[sof + 6]));
    EXPECT_EQ(301, static_cast<uint8_t>(bytes[sof + 7]) << 8 | static_cast<uint8_t>(bytes[sof + 8]));
    EXPECT_EQ(3, bytes[sof + 9]);
}

TEST(JpegFile, EmptyPictureWritesNothing)
{
    // libjpeg's standard error handler would end the program for an empty image.
    TestDib dib(kScreenWidth, kScreenRows);
    for (const auto& size : {std::pair<int, int>{0, 5}, {5, 0}, {-1, -1}}) {
        FILE* file = tmpfile();
        ASSERT_NE(nullptr, file);
        OutputFile out(file);
        EXPECT_FALSE(WriteJpeg(out, dib.Picture(size.first, size.second)));
        EXPECT_EQ(0u, ReadAll(file).size());
        fclose(file);
    }
}

// Writes pictures into the current folder for the ImageMagick checks of check-pictures.sh:
// the top half blue (index 10), the bottom half inside points (index 255).
TEST(PictureExport, FilesForImageMagick)
{
    if (getenv("ZORB_PICTURE_EXPORT") == nullptr) {
        GTEST_SKIP() << "run by check-pictures.sh";
    }
    constexpr int kHeight = 40;
    TestDib dib(kScreenWidth, 60);
    dib.palette[10] = RGBQUAD{255, 0, 0, 0};
    dib.palette[11] = RGBQUAD{255, 0, 0, 0};
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < 304; ++x) {
            dib.At(x, y) = y < kHeight / 2 ? 10 : 255;
        }
    }
    for (int width : {301, 304}) {
        BitmapInfo256 info{};
        InitBitmapInfoHeader(info.header, width, kHeight);
        const std::string name = "export" + std::to_string(width) + ".bmp";
        FILE* file = fopen(name.c_str(), "wb");
        ASSERT_NE(nullptr, file);
        OutputFile out(file);
        WriteBitmap(out, &info, dib.Picture(width, kHeight), nullptr);
        fclose(file);
    }
    FILE* file = fopen("export.jpg", "wb");
    ASSERT_NE(nullptr, file);
    OutputFile out(file);
    WriteJpeg(out, dib.Picture(301, kHeight));
    fclose(file);
}

}  // namespace
