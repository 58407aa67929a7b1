#include <cstring>

#include <windows.h>

#include "app/palette/Palette.h"
#include "app/resources/resource.h"
#include "tests/app_view/GuiFixture.h"

namespace {

using WindowPalette = GuiFixture;

bool SameColour(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

TEST_F(WindowPalette, ChoosingAPaletteWhileCycledStartsItAtEntryZeroReversed)
{
    for (int i = 0; i < 7; ++i) {
        gui->CycleStep();
    }
    EXPECT_EQ(gui->cycleOffset, 14);
    gui->SelectPalette(CommandId::PaletteGreyscale, static_cast<int>(PaletteId::Greyscale));
    EXPECT_EQ(gui->cycleOffset, 0);
    EXPECT_EQ(gui->paletteWindow, gui->paletteTable.entries);
    EXPECT_EQ(gui->cycleReverse, 1);
    EXPECT_TRUE(IsChecked(CommandId::PaletteGreyscale));
    EXPECT_FALSE(IsChecked(CommandId::PaletteRainbow));

    // What the DIB shows: grey 1 at index 0, black, not white, at index 255.
    RGBQUAD shown[256];
    ASSERT_EQ(GetDIBColorTable(gui->memoryDC.get(), 0, 256, shown), 256u);
    EXPECT_TRUE(SameColour(shown[0], RGBQUAD{1, 1, 1, 0}));
    EXPECT_TRUE(SameColour(shown[254], RGBQUAD{255, 255, 255, 0}));
    EXPECT_TRUE(SameColour(shown[255], RGBQUAD{0, 0, 0, 0}));
    EXPECT_TRUE(SameColour(gui->paletteTable.entries[255], RGBQUAD{255, 255, 255, 0}));
}

TEST_F(WindowPalette, CyclingMovesTheWindowAndKeepsTheInsideColour)
{
    gui->cycleStep = 0;
    gui->cycleReverse = 1;
    gui->CycleStep();
    EXPECT_EQ(gui->cycleOffset, 255);
    EXPECT_EQ(gui->paletteWindow, gui->paletteTable.entries + 255);
    gui->ApplyPalette();

    RGBQUAD shown[256];
    ASSERT_EQ(GetDIBColorTable(gui->memoryDC.get(), 0, 256, shown), 256u);
    for (int i = 0; i < 255; ++i) {
        ASSERT_TRUE(SameColour(shown[i], gui->paletteTable.entries[255 + i])) << i;
    }
    EXPECT_TRUE(SameColour(shown[255], RGBQUAD{0, 0, 0, 0}));

    gui->cycleReverse = 0;
    gui->cycleStep = 64;
    gui->cycleOffset = 250;
    gui->CycleStep();
    EXPECT_EQ(gui->cycleOffset, 59);
}

TEST_F(WindowPalette, PsychadelicCyclesWithinItsSixColours)
{
    gui->SelectPalette(CommandId::PalettePsychadelic, static_cast<int>(PaletteId::Psychadelic));
    gui->cycleStep = 0;
    gui->CycleStep(); // reverse, as every palette choice sets
    EXPECT_EQ(gui->cycleOffset, 5);
    for (int i = 0; i < 50; ++i) {
        gui->cycleStep = i % 65;
        gui->CycleStep();
        ASSERT_GE(gui->cycleOffset, 0);
        ASSERT_LT(gui->cycleOffset, 6);
    }
}

TEST_F(WindowPalette, AnUnknownPaletteIdChangesNothing)
{
    gui->SelectPalette(CommandId::PaletteGreyscale, 9);
    EXPECT_EQ(gui->paletteId, static_cast<int>(PaletteId::Rainbow));
    EXPECT_EQ(gui->cycleReverse, 0);
}

} // namespace
