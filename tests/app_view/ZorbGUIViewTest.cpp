#include <windows.h>

#include <cmath>
#include <limits>

#include "app/resources/resource.h"
#include "app/view/ViewAspect.h"
#include "app/view/ViewBounds.h"
#include "app/view/ViewPresets.h"
#include "tests/app_view/GuiFixture.h"
#include "tests/support/BoundedView.h"

namespace {

using WindowView = GuiFixture;

TEST_F(WindowView, ZoomOutPushesUndoAndAdaptsTheLimit)
{
    const View before = gui->view;
    gui->ZoomOut();
    EXPECT_EQ(gui->viewHistory.count, 1);
    EXPECT_DOUBLE_EQ(gui->view.spanX, 5 * before.spanX);
    EXPECT_NEAR((gui->view.xMin + gui->view.xMax) * 0.5, (before.xMin + before.xMax) * 0.5, 1e-12);
    EXPECT_EQ(gui->maxIterations, 371u);
    EXPECT_EQ(gui->renderDue, 1);

    gui->PopUndo();
    ExpectSameBounds(gui->view, before);
    EXPECT_DOUBLE_EQ(gui->view.spanX, before.xMax - before.xMin) << "spans follow the bounds";
    EXPECT_EQ(gui->viewHistory.count, 0);
    EXPECT_EQ(gui->maxIterations, 371u) << "the limit is not part of the history";
}

TEST_F(WindowView, AdaptiveIterationsFollowTheMenuCheck)
{
    SetAdaptive(false);
    EXPECT_FALSE(gui->IsAdaptiveIterations());
    gui->ZoomOut();
    EXPECT_EQ(gui->maxIterations, 512u);
    SetAdaptive(true);
    EXPECT_TRUE(gui->IsAdaptiveIterations());
    gui->AdaptIterations(0.2);
    gui->AdaptIterations(5.0);
    EXPECT_EQ(gui->maxIterations, 511u);
}

TEST_F(WindowView, UndoOnAnEmptyHistoryDoesNothing)
{
    const View before = gui->view;
    gui->PopUndo();
    ExpectSameBounds(gui->view, before);
    EXPECT_EQ(gui->renderDue, 0);
}

TEST_F(WindowView, ASelectionZoomsAndAClickOnlyPushesUndo)
{
    SelectionBox box{};
    gui->dragStart = POINT{300, 200};
    EXPECT_FALSE(gui->ZoomViewToSelection(POINT{300, 200}, false, &box));
    EXPECT_EQ(gui->viewHistory.count, 1) << "a click is an undo step too";

    gui->dragStart = POINT{420, 330};
    const View before = gui->view;
    ASSERT_TRUE(gui->ZoomViewToSelection(POINT{100, 90}, false, &box));
    EXPECT_EQ(gui->viewHistory.count, 2);
    EXPECT_EQ(gui->dragStart.x, 100);
    EXPECT_EQ(gui->dragStart.y, 90);
    EXPECT_EQ(box.width, 321);
    EXPECT_EQ(box.height, 240); // 480 * 321 / 640, truncated
    EXPECT_DOUBLE_EQ(gui->view.xMin, 100 * before.spanX / kWidth + before.xMin);
    // Equal steps before the box is taken; the truncated height then shows in the ratio.
    EXPECT_NEAR(gui->view.stepX / gui->view.stepY, (321.0 / 640) / (240.0 / 480), 1e-12);

    gui->PopUndo();
    ExpectSameBounds(gui->view, before);
}

TEST_F(WindowView, ResetKeepsTheHistoryAndTheLimitUnlessAdaptive)
{
    gui->ZoomOut();
    gui->julia = true;
    gui->lambda = 1;
    gui->formula = 4;
    gui->maxIterations = 5000;
    SetAdaptive(false);
    gui->Reset();
    EXPECT_EQ(gui->formula, 2);
    EXPECT_FALSE(gui->julia);
    EXPECT_EQ(gui->lambda, 0);
    ExpectSameBounds(gui->view, FixViewAspect(DefaultView(), kWidth, kHeight));
    EXPECT_EQ(gui->maxIterations, 5000u);
    EXPECT_EQ(gui->viewHistory.count, 1);
    EXPECT_TRUE(IsChecked(CommandId::FormulaNormal));
    EXPECT_FALSE(IsChecked(CommandId::FormulaFourthPower));

    SetAdaptive(true);
    gui->Reset();
    EXPECT_EQ(gui->maxIterations, 512u);
}

TEST_F(WindowView, JuliaToggleTakesTheConstantAtThePointAndSwitchesTheView)
{
    gui->formula = 3;
    const View before = gui->view;
    // Packed as two signed 16-bit halves: x 160, y 120.
    gui->ToggleJulia(static_cast<LPARAM>((120u << 16) | 160u));
    EXPECT_TRUE(gui->julia);
    EXPECT_DOUBLE_EQ(gui->juliaRe, 160 * before.spanX / kWidth + before.xMin);
    EXPECT_DOUBLE_EQ(gui->juliaIm, before.yMax - 120 * before.spanY / kHeight);
    ExpectSameBounds(gui->view, JuliaSwitchView(true, kWidth, kHeight));
    EXPECT_EQ(gui->viewHistory.count, 0);
    EXPECT_EQ(gui->formula, 3);
    EXPECT_EQ(gui->renderDue, 1);

    gui->ToggleJulia(0);
    EXPECT_FALSE(gui->julia);
    ExpectSameBounds(gui->view, JuliaSwitchView(false, kWidth, kHeight));
}

TEST_F(WindowView, JuliaToggleTakesAPendingPopupPointFirst)
{
    const View before = gui->view;
    gui->dragStart = POINT{640, 0};
    gui->popupPointValid = 1;
    gui->ToggleJulia(static_cast<LPARAM>((10u << 16) | 10u));
    EXPECT_EQ(gui->popupPointValid, 0);
    EXPECT_DOUBLE_EQ(gui->juliaRe, before.xMin + before.spanX);
    EXPECT_DOUBLE_EQ(gui->juliaIm, before.yMax);

    // A negative half is a point left of the image.
    gui->ToggleJulia(static_cast<LPARAM>(0x0000FFFEu));
    const View julia = JuliaSwitchView(true, kWidth, kHeight);
    EXPECT_DOUBLE_EQ(gui->juliaRe, -2 * julia.spanX / kWidth + julia.xMin);
}

// Near the largest double and at the limit of its precision, an operation whose view could not
// be drawn is not done: the view, the history and the limit stay as they were.
TEST_F(WindowView, ZoomOutPastTheLargestDoubleIsNotDone)
{
    gui->view = FixViewAspect(BoundedView(-1e307, 1e307, -7.5e306, 7.5e306), kWidth, kHeight);
    gui->ZoomOut();
    ASSERT_TRUE(IsDrawableView(gui->view));
    const View once = gui->view;
    EXPECT_EQ(gui->maxIterations, 371u);
    gui->renderDue = 0;

    gui->ZoomOut();  // the spans would be 5e308
    ExpectSameBounds(once, gui->view);
    EXPECT_EQ(gui->viewHistory.count, 1);
    EXPECT_EQ(gui->maxIterations, 371u);
    EXPECT_EQ(gui->renderDue, 0);
}

TEST_F(WindowView, ASelectionBelowDoublePrecisionIsNotDone)
{
    const double ulp = std::nextafter(1.0, 2.0) - 1.0;
    gui->view = BoundedView(1, 1 + 64 * ulp, -1e-15, 1e-15);
    const View before = gui->view;
    gui->dragStart = POINT{0, 0};
    SelectionBox box{};
    EXPECT_FALSE(gui->ZoomViewToSelection(POINT{2, 2}, false, &box));
    ExpectSameBounds(before, gui->view);
    EXPECT_EQ(gui->viewHistory.count, 0) << "no undo step for a zoom not done";
    // A box with room left zooms as ever.
    gui->view = BoundedView(1, 1 + 6400 * ulp, -1e-13, 1e-13);
    gui->dragStart = POINT{0, 0};
    EXPECT_TRUE(gui->ZoomViewToSelection(POINT{2, 2}, false, &box));
    EXPECT_EQ(gui->viewHistory.count, 1);
}

TEST_F(WindowView, FixAspectKeepsAViewItCannotWiden)
{
    gui->view = BoundedView(-1e-300, 1e-300, -8e307, 8e307);
    const View before = gui->view;
    ExpectSameBounds(before, gui->FixAspect());
}

TEST_F(WindowView, UndoDropsAnEntryThatCannotBeDrawn)
{
    const View start = gui->view;
    gui->PushUndo();
    View bad = start;
    bad.xMax = std::numeric_limits<double>::infinity();
    gui->viewHistory.Push(bad);
    gui->ZoomOut();
    ASSERT_EQ(gui->viewHistory.count, 3);

    gui->PopUndo();  // back to the view before the zoom
    ExpectSameBounds(start, gui->view);
    gui->renderDue = 0;
    gui->PopUndo();  // the entry that cannot be drawn
    ExpectSameBounds(start, gui->view);
    EXPECT_EQ(gui->viewHistory.count, 1) << "dropped, so that it blocks none before it";
    EXPECT_EQ(gui->renderDue, 0);
}

TEST_F(WindowView, JuliaConstantStaysFiniteInAViewNearTheLargestDouble)
{
    gui->view = BoundedView(-5e307, 5e307, -3.75e307, 3.75e307);
    gui->ToggleJulia(static_cast<LPARAM>((360u << 16) | 480u));
    EXPECT_DOUBLE_EQ(gui->juliaRe, 2.5e307);
    EXPECT_DOUBLE_EQ(gui->juliaIm, -1.875e307);
}

} // namespace
