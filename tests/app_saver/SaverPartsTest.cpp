// The saver's small pure parts: durations, limits, typed iteration counts, pass geometry.
#include <gtest/gtest.h>

#include <string>

#include "app/saver/FormatDuration.h"
#include "app/saver/LargeImageLimits.h"
#include "app/saver/LargeImagePasses.h"
#include "app/saver/LargeImageSettings.h"

TEST(FormatDuration, WritesTheTwoLargestUnits)
{
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0.0, "0.0s"},
        {12.34, "12.3s"},
        {59.97, "60.0s"}, // rounded to float below a minute, not yet "1m 0s"
        {60.0, "1m 0s"},
        {75.0, "1m 15s"},
        {3599.9, "59m 59s"},
        {3725.0, "1h 2m"},
        {86399.0, "23h 59m"},
        {90000.0, "1d 1h"},
        {1e12, "24855d 3h"}, // beyond an int32 of seconds: clamped, not wrapped negative
    };
    for (const auto& c : cases) {
        char out[32];
        const int written = FormatDuration(c.seconds, out);
        EXPECT_STREQ(c.text, out) << c.seconds;
        EXPECT_EQ(static_cast<int>(std::string(out).size()), written);
    }
}

TEST(LargeImageLimits, RefusesSizesTheFilesCannotHold)
{
    using T = LargeImageFileType;
    using C = LargeImageSizeCheck;
    const struct {
        int64_t width;
        int64_t height;
        T type;
        C expected;
    } cases[] = {
        {1, 1, T::Bitmap, C::Ok},
        {0, 10, T::Bitmap, C::BelowOnePixel},
        {10, 0, T::Jpeg, C::BelowOnePixel},
        {-5, 10, T::Jpeg, C::BelowOnePixel},
        {65500, 65500, T::Jpeg, C::Ok},
        {65501, 10, T::Jpeg, C::JpegTooLarge},
        {10, 65501, T::Jpeg, C::JpegTooLarge},
        // 1078 + 65535 x 65536 fits 32 bits; one more row does not.
        {65536, 65535, T::Bitmap, C::Ok},
        {65536, 65536, T::Bitmap, C::BitmapTooLarge},
        {2147483647, 1, T::Bitmap, C::Ok},
        {2147483647, 2, T::Bitmap, C::BitmapTooLarge},
        // Sides past 32 bits, as typed: the limit they cross, never a wrapped small size.
        {2147483648, 1, T::Bitmap, C::BitmapTooWide},
        {4294967295, 1, T::Bitmap, C::BitmapTooLarge},
        {1, 2147483648, T::Bitmap, C::BitmapTooLarge},
        {INT64_MAX, INT64_MAX, T::Bitmap, C::BitmapTooLarge},
        {3000000000, 10, T::Jpeg, C::JpegTooLarge},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, CheckLargeImageSize(c.width, c.height, c.type)) << c.width << "x" << c.height;
    }
    EXPECT_EQ(1078u + 10u * 3004u, LargeBitmapFileSize(3001, 10));
}

TEST(LargeImageSettings, IterationLimitKeepsThirtyTwoBits)
{
    const struct {
        const char* text;
        uint32_t expected;
    } cases[] = {
        {"512", 512},
        {"  2147483648", 2147483648u},
        {"4294967295", 4294967295u},
        {"4294967296", 4294967295u},
        {"99999999999999999999999", 4294967295u},
        {"", 77},    // nothing to read: the setting stays
        {"abc", 77},
        {"12abc", 12},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ParseIterationLimit(c.text, 77)) << '"' << c.text << '"';
    }
}

TEST(LargeImageSettings, ImageSideIsReadWithoutWrapping)
{
    const struct {
        const char* text;
        int64_t expected;
    } cases[] = {
        {"3840", 3840},
        {" 2160 ", 2160},
        {"2147483648", 2147483648},
        {"3000000000", 3000000000},
        {"4294967295", 4294967295},
        {"4294967296", kImageSideCeiling},
        {"99999999999", kImageSideCeiling},
        {"99999999999999999999999999999999", kImageSideCeiling},
        {"", 0},
        {"abc", 0},
        {"12abc", 0}, // not a number, as GetDlgItemInt reads it too
        {"-5", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, ParseImageSide(c.text)) << '"' << c.text << '"';
    }
}

TEST(LargeImagePasses, TenRowsInPassesOfFour)
{
    EXPECT_EQ(3, PassCount(10, 4));
    EXPECT_EQ(1, PassCount(1, 8));
    EXPECT_EQ(40000, PassCount(40000, 1));
    const PassRows expected[] = {{1, 4}, {5, 4}, {9, 2}, {11, 0}};
    for (int pass = 0; pass < 4; ++pass) {
        const PassRows rows = RowsOfPass(pass, 4, 10);
        EXPECT_EQ(expected[pass].first, rows.first) << pass;
        EXPECT_EQ(expected[pass].count, rows.count) << pass;
    }
    // Bottom row right after the colour table, top row at the end; past 2 GB in 64 bits.
    EXPECT_EQ(1078, BitmapRowOffset(3001, 10, 10));
    EXPECT_EQ(1078 + 9 * 3004, BitmapRowOffset(3001, 10, 1));
    EXPECT_EQ(1078 + 39999ll * 65536, BitmapRowOffset(65536, 40000, 1));
}
