// Colour of a JPEG pixel from its index and smooth value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "app/palette/SmoothColour.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(BlendChannel, Examples)
{
    struct Case {
        int from;
        int to;
        float t;
        int expected;
    };
    const Case cases[] = {
        {0, 255, 1.0f, 255},   {200, 100, 0.5f, 150}, {10, 20, 0.0f, 10},  {10, 20, 1.0f, 20},
        {0, 255, 1.5f, 255},   {100, 0, 2.0f, 0},     {0, 255, kNaN, 0},   {0, 0, 1.0f, 0},
        {0, 255, 0.999f, 254}, {0, 3, 0.5f, 1},       {255, 255, 0.3f, 255},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, BlendChannel(c.from, c.to, c.t)) << c.from << " -> " << c.to << " at " << c.t;
    }
}

TEST(SmoothPixelColour, BlendsFromTheIndexTowardsTheNextEntry)
{
    RGBQUAD palette[256] = {};
    for (int i = 0; i < 256; ++i) {
        palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 2), 0};
    }
    palette[10] = RGBQUAD{20, 100, 200, 0};  // blue, green, red
    palette[11] = RGBQUAD{120, 0, 100, 0};
    palette[255] = RGBQUAD{9, 8, 7, 0};

    struct Case {
        uint8_t index;
        float smooth;
        uint8_t red, green, blue;
    };
    const Case cases[] = {
        {10, 0.0f, 200, 100, 20},     // below 4: the index's own colour
        {10, 3.99f, 200, 100, 20},
        {10, kNaN, 200, 100, 20},
        {10, 4.0f, 100, 0, 120},      // exactly 4: the next entry
        {10, 9.0f, 160, 60, 59},      // t = 0.6f, a hair above 0.6: blue 59.999996
        {10, 23.0f, 200, 100, 20},    // from about 22.83 up: own colour again
        {10, 1.0e30f, 200, 100, 20},
        {254, 4.0f, 7, 8, 9},         // the window's entry 255 follows 254
        {255, 4.0f, 0, 0, 0},         // inside: black whatever the palette holds
        {255, 0.0f, 0, 0, 0},
    };
    for (const Case& c : cases) {
        uint8_t row[9];
        memset(row, 0xAA, sizeof(row));
        SmoothPixelColour(row, 1, c.index, c.smooth, palette);
        EXPECT_EQ(c.red, row[3]) << int(c.index) << " at " << c.smooth;
        EXPECT_EQ(c.green, row[4]) << int(c.index) << " at " << c.smooth;
        EXPECT_EQ(c.blue, row[5]) << int(c.index) << " at " << c.smooth;
        EXPECT_EQ(0xAA, row[2]);
        EXPECT_EQ(0xAA, row[6]);
    }
}

}  // namespace
