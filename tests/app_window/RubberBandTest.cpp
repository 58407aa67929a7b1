// The rubber band as the user sees it: the box zoomed is the box drawn, in every direction and
// either kind, and the XOR outline leaves the picture as it was whatever paints meanwhile.
#include <gtest/gtest.h>

#include <windows.h>
#include <cmath>
#include <string>

#include "app/resources/resource.h"
#include "app/view/ViewAspect.h"
#include "tests/app_window/WindowFixture.h"

namespace {

struct Box {
    int left = 0;
    int top = 0;
    int right = -1; // inclusive
    int bottom = -1;
    bool empty() const { return right < left; }
};

// The bounding box of the pixels that differ between two pictures of the image area.
Box Differences(const Capture& a, const Capture& b)
{
    Box box{a.width, a.height, -1, -1};
    for (int y = 0; y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            if (a.at(x, y) != b.at(x, y)) {
                box.left = x < box.left ? x : box.left;
                box.top = y < box.top ? y : box.top;
                box.right = x > box.right ? x : box.right;
                box.bottom = y > box.bottom ? y : box.bottom;
            }
        }
    }
    return box;
}

bool OnOutline(int x, int y, POINT a, POINT b)
{
    const int left = a.x < b.x ? a.x : b.x;
    const int right = a.x < b.x ? b.x : a.x;
    const int top = a.y < b.y ? a.y : b.y;
    const int bottom = a.y < b.y ? b.y : a.y;
    if (x < left || x > right || y < top || y > bottom) {
        return false;
    }
    return x == left || x == right || y == top || y == bottom;
}

class RubberBandTest : public WindowFixture {
protected:
    // The window shows the picture of the back buffer with exactly the band from a to b
    // inverted on it (no band at all when a equals b is not asked for).
    void ExpectPictureWithBand(POINT a, POINT b, bool bandDrawn, const std::string& what)
    {
        const Capture shown = CaptureWindowImage(gui);
        const Capture picture = CaptureBackBufferImage(gui);
        int stray = 0;
        int missing = 0;
        for (int y = 0; y < shown.height; ++y) {
            for (int x = 0; x < shown.width; ++x) {
                const bool differs = shown.at(x, y) != picture.at(x, y);
                const bool band = bandDrawn && OnOutline(x, y, a, b);
                stray += differs && !band;
                missing += band && !differs;
            }
        }
        EXPECT_EQ(stray, 0) << what << ": pixels changed off the band";
        EXPECT_EQ(missing, 0) << what << ": band pixels not drawn";
    }
};

TEST_F(RubberBandTest, ZoomTakesTheBoxThatWasDrawn)
{
    struct Case {
        const char* name;
        WPARAM moveKeys;
        WPARAM releaseKeys;
        int x0, y0, x1, y1;
    };
    const int cx = 300;
    const int cy = 200;
    const Case cases[] = {
        {"proportional, right and down", 0, 0, cx, cy, cx + 120, cy + 100},
        {"proportional, right and up", 0, 0, cx, cy, cx + 120, cy - 100},
        {"proportional, left and down", 0, 0, cx, cy, cx - 120, cy + 100},
        {"proportional, left and up", 0, 0, cx, cy, cx - 120, cy - 100},
        {"free, right and down", MK_SHIFT, MK_SHIFT, cx, cy, cx + 120, cy + 60},
        {"free, right and up", MK_SHIFT, MK_SHIFT, cx, cy, cx + 120, cy - 60},
        {"free, left and down", MK_CONTROL, MK_CONTROL, cx, cy, cx - 120, cy + 60},
        {"free, left and up", MK_SHIFT, MK_SHIFT, cx, cy, cx - 120, cy - 60},
        {"free, Shift let go before the button", MK_SHIFT, 0, cx, cy, cx - 90, cy + 30},
        {"proportional, Shift pressed before the button", 0, MK_SHIFT, cx, cy, cx + 90, cy - 30},
    };
    for (const Case& c : cases) {
        SendKey(gui, VK_F2);
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        const View before = gui->view;
        const int count = gui->viewHistory.count;
        const uint64_t iterations = gui->maxIterations;
        const Capture picture = CaptureWindowImage(gui);

        Mouse(WM_LBUTTONDOWN, MK_LBUTTON | c.moveKeys, c.x0, c.y0);
        Mouse(WM_MOUSEMOVE, MK_LBUTTON | c.moveKeys, (c.x0 + c.x1) / 2, (c.y0 + c.y1) / 2);
        Mouse(WM_MOUSEMOVE, MK_LBUTTON | c.moveKeys, c.x1, c.y1);
        const Box drawn = Differences(picture, CaptureWindowImage(gui));
        ASSERT_FALSE(drawn.empty()) << c.name << ": no band drawn";
        Mouse(WM_LBUTTONUP, c.releaseKeys, c.x1, c.y1);

        // The view is the drawn box's part of the old view, as the zoom computes it: with
        // equal steps first for a proportional band.
        const bool free = c.moveKeys != 0;
        const int bw = drawn.right - drawn.left + 1;
        const int bh = free ? drawn.bottom - drawn.top + 1 : static_cast<int>(height * bw / width);
        const View base = free ? before : FixViewAspect(before, width, height);
        const double xMin = drawn.left * base.spanX / width + base.xMin;
        const double yMax = base.yMax - drawn.top * base.spanY / height;
        const double tolerance = base.spanX * 1e-9;
        EXPECT_NEAR(gui->view.xMin, xMin, tolerance) << c.name;
        EXPECT_NEAR(gui->view.xMax, bw * base.spanX / width + xMin, tolerance) << c.name;
        EXPECT_NEAR(gui->view.yMax, yMax, tolerance) << c.name;
        // A proportional box takes its height from its width; the drawn one may be a row apart.
        const double row = base.spanY / height;
        EXPECT_NEAR(gui->view.yMin, yMax - (drawn.bottom - drawn.top + 1) * row, free ? tolerance : row * 1.001)
            << c.name;
        EXPECT_NEAR(gui->view.yMin, yMax - bh * row, tolerance) << c.name;
        EXPECT_EQ(gui->viewHistory.count, count + 1) << c.name;
        const double zoom = (static_cast<double>(width) / bw + static_cast<double>(height) / bh) * 0.5;
        EXPECT_EQ(gui->maxIterations, static_cast<uint64_t>(std::pow(zoom, 0.2) * iterations)) << c.name;
        EXPECT_TRUE(gui->renderDue) << c.name;
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        EXPECT_EQ(gui->rendered.view.xMin, gui->view.xMin) << c.name;
    }
}

TEST_F(RubberBandTest, BandLeavesThePictureAsItWasWhateverPaintsUnderIt)
{
    const POINT start{200, 120};
    const POINT first{320, 200};
    const POINT second{360, 260};
    enum class Under { RenderToItsEnd, StoppedSlowRender, WindowRepaint, Nothing };
    struct Case {
        const char* name;
        Under under;
    };
    const Case cases[] = {
        {"a render runs to its end under the band", Under::RenderToItsEnd},
        {"a slow render stopped by the press ends under the band", Under::StoppedSlowRender},
        {"the window repaints under the band", Under::WindowRepaint},
        {"nothing paints under the band", Under::Nothing},
    };
    for (const Case& c : cases) {
        SendKey(gui, VK_F2);
        ASSERT_TRUE(WaitForRender(gui)) << c.name;
        if (c.under == Under::StoppedSlowRender) {
            // z^3 + c has no inside test: every inside point runs to the limit.
            gui->maxIterations = 2000000;
            SendCommand(gui, CommandId::FormulaCubed);
            PumpFor(0);
            ASSERT_TRUE(gui->IsRenderActive()) << c.name;
        }
        Mouse(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, start.x, start.y);
        Mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, first.x, first.y);
        switch (c.under) {
        case Under::RenderToItsEnd:
            SendKey(gui, VK_F5);
            ASSERT_TRUE(WaitForRender(gui)) << c.name;
            break;
        case Under::StoppedSlowRender:
            ASSERT_TRUE(WaitForRender(gui)) << c.name;
            break;
        case Under::WindowRepaint:
            InvalidateRect(gui->hwnd, nullptr, FALSE);
            UpdateWindow(gui->hwnd);
            break;
        case Under::Nothing:
            break;
        }
        ExpectPictureWithBand(start, first, true, std::string(c.name) + ", band drawn");
        Mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, second.x, second.y);
        ExpectPictureWithBand(start, second, true, std::string(c.name) + ", band moved");

        // Dragged back to a box without width: released there, nothing zooms and the band goes.
        Mouse(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, start.x, second.y);
        const int count = gui->viewHistory.count;
        Mouse(WM_LBUTTONUP, MK_SHIFT, start.x, second.y);
        EXPECT_FALSE(gui->renderDue) << c.name;
        EXPECT_EQ(gui->viewHistory.count, count + 1) << c.name;
        ExpectPictureWithBand(start, start, false, std::string(c.name) + ", released without a box");
        gui->maxIterations = 512;
    }
}

} // namespace
