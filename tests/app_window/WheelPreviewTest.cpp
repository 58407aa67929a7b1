// The wheel's preview when zooming out: past the edges of the rendered picture the window
// shows its background, not the unused part of the picture buffer.
#include <gtest/gtest.h>

#include <windows.h>
#include <cmath>
#include <string>

#include "tests/app_window/WindowFixture.h"

namespace {

class WheelPreviewTest : public WindowFixture {
protected:
    void Wheel(int delta, int x, int y)
    {
        SendMessageA(gui->hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))),
                     ScreenPointParam(gui, x, y));
    }
};

TEST_F(WheelPreviewTest, ZoomingOutShowsTheBackgroundPastThePicture)
{
    const View rendered = gui->rendered.view;
    const uint32_t background = CapturedColour(GetSysColor(COLOR_BTNFACE));
    struct Notch {
        const char* name;
        int x;
        int y;
    };
    // Out about the centre, then out again nearer a corner: the second preview stretches the
    // first, border included.
    const Notch notches[] = {{"first notch", width / 2, height / 2}, {"second notch", 20, 20},
                             {"third notch", width - 20, height - 20}};
    for (const Notch& n : notches) {
        Wheel(-240, n.x, n.y);
        const View w = gui->wheelView;
        // Where the rendered picture lands in the preview; past it lies nothing rendered.
        const double left = (rendered.xMin - w.xMin) / w.spanX * width;
        const double right = (rendered.xMax - w.xMin) / w.spanX * width;
        const double top = (w.yMax - rendered.yMax) / w.spanY * height;
        const double bottom = (w.yMax - rendered.yMin) / w.spanY * height;
        ASSERT_GT(left, 4.0) << n.name;
        ASSERT_LT(right, width - 4.0) << n.name;
        ASSERT_GT(top, 4.0) << n.name;
        ASSERT_LT(bottom, height - 4.0) << n.name;

        const Capture shown = CaptureWindowImage(gui);
        int outside = 0;
        int notBackground = 0;
        int insideBackground = 0;
        int inside = 0;
        for (int y = 0; y < shown.height; ++y) {
            for (int x = 0; x < shown.width; ++x) {
                if (x < left - 2 || x > right + 2 || y < top - 2 || y > bottom + 2) {
                    ++outside;
                    notBackground += shown.at(x, y) != background;
                } else if (x > left + 2 && x < right - 2 && y > top + 2 && y < bottom - 2) {
                    ++inside;
                    insideBackground += shown.at(x, y) == background;
                }
            }
        }
        EXPECT_GT(outside, 0) << n.name;
        EXPECT_EQ(notBackground, 0) << n.name << ": of " << outside << " pixels past the picture";
        EXPECT_LT(insideBackground, inside / 100) << n.name << ": the picture itself is missing";
    }
    ASSERT_TRUE(WaitForRender(gui));
    EXPECT_EQ(gui->view.xMin, gui->wheelView.xMin);
}

} // namespace
