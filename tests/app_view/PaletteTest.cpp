#include <cstring>

#include <gtest/gtest.h>

#include "app/palette/Palette.h"

namespace {

struct EntryCase {
    PaletteId palette;
    int entry;
    int red;
    int green;
    int blue;
};

class PaletteEntries : public ::testing::TestWithParam<EntryCase> {};

TEST_P(PaletteEntries, HoldTheirColours)
{
    const EntryCase c = GetParam();
    PaletteTable table;
    std::memset(&table, 0xAB, sizeof(table));
    BuildPaletteTable(&table, c.palette);
    const RGBQUAD& e = table.entries[c.entry];
    EXPECT_EQ(e.rgbRed, c.red) << "palette " << static_cast<int>(c.palette) << " entry " << c.entry;
    EXPECT_EQ(e.rgbGreen, c.green) << "palette " << static_cast<int>(c.palette) << " entry " << c.entry;
    EXPECT_EQ(e.rgbBlue, c.blue) << "palette " << static_cast<int>(c.palette) << " entry " << c.entry;
    EXPECT_EQ(e.rgbReserved, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rainbow, PaletteEntries,
    ::testing::Values(EntryCase{PaletteId::Rainbow, 0, 255, 0, 0},
                      EntryCase{PaletteId::Rainbow, 1, 255, 40, 0},
                      EntryCase{PaletteId::Rainbow, 40, 255, 252, 0},
                      EntryCase{PaletteId::Rainbow, 41, 255, 255, 0},
                      EntryCase{PaletteId::Rainbow, 44, 255, 255, 0},
                      EntryCase{PaletteId::Rainbow, 45, 249, 255, 0},
                      EntryCase{PaletteId::Rainbow, 84, 0, 255, 0},
                      EntryCase{PaletteId::Rainbow, 124, 0, 255, 249},
                      EntryCase{PaletteId::Rainbow, 125, 0, 255, 255},
                      EntryCase{PaletteId::Rainbow, 128, 0, 255, 255},
                      EntryCase{PaletteId::Rainbow, 168, 0, 0, 255},
                      EntryCase{PaletteId::Rainbow, 208, 249, 0, 255},
                      EntryCase{PaletteId::Rainbow, 212, 255, 0, 255},
                      EntryCase{PaletteId::Rainbow, 213, 255, 0, 246},
                      EntryCase{PaletteId::Rainbow, 254, 255, 0, 38},
                      EntryCase{PaletteId::Rainbow, 255, 255, 0, 0},
                      EntryCase{PaletteId::Rainbow, 256 + 45, 249, 255, 0},
                      EntryCase{PaletteId::Rainbow, 511, 255, 0, 0}));

// 1, 2, .., 254, 255, 255 | 255, 255, 255, 254, .., 2
INSTANTIATE_TEST_SUITE_P(
    Ramps, PaletteEntries,
    ::testing::Values(EntryCase{PaletteId::MonoRed, 0, 1, 0, 0},
                      EntryCase{PaletteId::MonoRed, 253, 254, 0, 0},
                      EntryCase{PaletteId::MonoRed, 254, 255, 0, 0},
                      EntryCase{PaletteId::MonoRed, 258, 255, 0, 0},
                      EntryCase{PaletteId::MonoRed, 259, 254, 0, 0},
                      EntryCase{PaletteId::MonoRed, 511, 2, 0, 0},
                      EntryCase{PaletteId::MonoGreen, 9, 0, 10, 0},
                      EntryCase{PaletteId::MonoGreen, 500, 0, 13, 0},
                      EntryCase{PaletteId::MonoBlue, 99, 0, 0, 100},
                      EntryCase{PaletteId::MonoBlue, 256, 0, 0, 255},
                      EntryCase{PaletteId::Greyscale, 0, 1, 1, 1},
                      EntryCase{PaletteId::Greyscale, 255, 255, 255, 255},
                      EntryCase{PaletteId::Greyscale, 300, 213, 213, 213}));

INSTANTIATE_TEST_SUITE_P(
    Binary, PaletteEntries,
    ::testing::Values(EntryCase{PaletteId::BinaryRed, 0, 255, 0, 1},
                      EntryCase{PaletteId::BinaryRed, 1, 0, 0, 1},
                      EntryCase{PaletteId::BinaryRed, 510, 255, 0, 1},
                      EntryCase{PaletteId::BinaryGreen, 254, 0, 255, 1},
                      EntryCase{PaletteId::BinaryGreen, 511, 0, 0, 1},
                      EntryCase{PaletteId::BinaryBlue, 2, 1, 0, 255},
                      EntryCase{PaletteId::BinaryBlue, 255, 1, 0, 0}));

INSTANTIATE_TEST_SUITE_P(
    Psychadelic, PaletteEntries,
    ::testing::Values(EntryCase{PaletteId::Psychadelic, 0, 255, 0, 0},
                      EntryCase{PaletteId::Psychadelic, 1, 0, 255, 0},
                      EntryCase{PaletteId::Psychadelic, 2, 255, 0, 255},
                      EntryCase{PaletteId::Psychadelic, 3, 0, 0, 255},
                      EntryCase{PaletteId::Psychadelic, 4, 255, 127, 0},
                      EntryCase{PaletteId::Psychadelic, 5, 0, 255, 255},
                      EntryCase{PaletteId::Psychadelic, 6, 255, 0, 0},
                      EntryCase{PaletteId::Psychadelic, 259, 0, 255, 0},
                      EntryCase{PaletteId::Psychadelic, 509, 0, 255, 255}));

TEST(PaletteTable, RainbowRepeatsItselfInTheSecondHalf)
{
    PaletteTable table;
    BuildPaletteTable(&table, PaletteId::Rainbow);
    EXPECT_EQ(std::memcmp(table.entries, table.entries + 256, 256 * sizeof(RGBQUAD)), 0);
}

TEST(PaletteTable, PsychadelicLeavesTheLastTwoEntriesAlone)
{
    PaletteTable table;
    BuildPaletteTable(&table, PaletteId::Greyscale);
    BuildPaletteTable(&table, PaletteId::Psychadelic);
    EXPECT_EQ(table.entries[510].rgbRed, 3);
    EXPECT_EQ(table.entries[511].rgbGreen, 2);
}

TEST(FillColourTable, IndexTwoFiftyFiveIsTheInsideColourAtAnyOffset)
{
    PaletteTable table;
    const RGBQUAD black{0, 0, 0, 0};
    for (int id = 0; id < kPaletteCount; ++id) {
        BuildPaletteTable(&table, static_cast<PaletteId>(id));
        for (int offset : {0, 1, 5, 128, 255}) {
            RGBQUAD colours[256];
            std::memset(colours, 0x55, sizeof(colours));
            FillColourTable(colours, table.entries + offset, black);
            EXPECT_EQ(std::memcmp(colours, table.entries + offset, 255 * sizeof(RGBQUAD)), 0)
                << "palette " << id << " offset " << offset;
            EXPECT_EQ(std::memcmp(&colours[kInsideColourIndex], &black, sizeof(black)), 0)
                << "palette " << id << " offset " << offset;
        }
    }
}

} // namespace
