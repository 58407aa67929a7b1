// A picture save while the window is still rendering: the render is stopped and its threads
// have ended before a row is read.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/commands/CommandsFiles.h"
#include "render/RenderRunningFlag.h"
#include "tests/app_files/PictureFixture.h"
#include "tests/app_window/WindowHarness.h"

namespace {

constexpr DWORD kEventLimitMs = 60000;

std::vector<uint8_t> PictureBytes(ZorbGUI* gui)
{
    const size_t rows = static_cast<size_t>(gui->GetHeight());
    const size_t stride = static_cast<size_t>(gui->screenStride);
    const uint8_t* first = gui->GetDibBits() + (gui->screenHeight - rows) * stride;
    return std::vector<uint8_t>(first, first + rows * stride);
}

TEST(SaveDuringRender, StopsTheRenderBeforeReadingThePicture)
{
    ZorbGUI* gui = OpenMainWindow("windowed");
    ASSERT_NE(nullptr, gui);

    // Every pixel of z^3 + c this close to 0 stays inside and runs the whole limit, some
    // hundredths of a second each: the render is far from done when the save comes.
    gui->formula = 3;
    gui->maxIterations = 20000000;
    gui->view = View{-0.01, 0.01, 0.01, -0.01, 0.02, 0.02, 0.0, 0.0};
    gui->RequestRedraw();
    ASSERT_TRUE(PumpUntil([gui] { return gui->IsRenderActive(); }, kEventLimitMs));
    const std::vector<uint8_t> early = PictureBytes(gui);
    // The first finished pixels show the render is writing the picture; how soon they come
    // depends on the machine's load, so wait for them rather than for a set time.
    ASSERT_TRUE(PumpUntil([&] { return early != PictureBytes(gui); }, kEventLimitMs))
        << "the render writes the picture meanwhile";
    ASSERT_TRUE(gui->IsRenderActive());

    EXPECT_TRUE(SettleRenderBeforeSave(*gui));
    EXPECT_FALSE(gui->IsRenderActive());
    EXPECT_FALSE(RenderRunningFlag.load());
    EXPECT_EQ(1, gui->renderDue) << "the stopped picture is drawn again after the save";

    const std::vector<uint8_t> settled = PictureBytes(gui);
    Sleep(300);
    EXPECT_TRUE(settled == PictureBytes(gui)) << "nothing writes the picture any more";

    const std::string path = TempPath("during-render.bmp");
    SaveImageToFile(*gui, path.c_str(), true);
    const uint32_t stride = (static_cast<uint32_t>(gui->GetWidth()) + 3) & ~3u;
    EXPECT_EQ(1078u + stride * gui->GetHeight(), ReadFile(path).size());
    remove(path.c_str());

    gui->maxIterations = 64;
    EXPECT_TRUE(WaitForRender(gui));
    CloseMainWindow();
}

}  // namespace
