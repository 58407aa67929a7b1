// The window's view operations: aspect fix, zooms, undo, reset, the adaptive iteration limit
// and the switches between Julia, lambda and set mode at a point.
#include "app/resources/resource.h"
#include "app/view/ViewAspect.h"
#include "app/view/ViewBounds.h"
#include "app/view/ViewIterations.h"
#include "app/view/ViewPoint.h"
#include "app/view/ViewPresets.h"
#include "app/view/ViewZoom.h"
#include "app/window/MenuRadioGroup.h"
#include "app/window/ZorbGUI.h"
#include "render/Formula.h"
#include "render/RenderRunningFlag.h"

namespace {

constexpr double kZoomOutFactor = 5.0;
// A Julia switch only needs the running pass to let go of the view; it must not hold up the
// UI for long.
constexpr uint32_t kStopStepMs = 1;
constexpr uint32_t kStopTotalMs = 10;

ImagePoint ToImagePoint(POINT p)
{
    return ImagePoint{static_cast<int>(p.x), static_cast<int>(p.y)};
}

} // namespace

View ZorbGUI::FixAspect()
{
    return FixViewAspectOrKeep(view, GetWidth(), GetHeight());
}

View ZorbGUI::ZoomAboutPoint(double factor, const View& from, POINT point)
{
    return ZoomViewAboutPoint(factor, from, GetWidth(), GetHeight(), ToImagePoint(point));
}

bool ZorbGUI::ZoomViewToSelection(POINT release, bool freeBox, SelectionBox* box)
{
    const int width = GetWidth();
    const int height = GetHeight();
    *box = MakeSelectionBox(ToImagePoint(dragStart), ToImagePoint(release), !freeBox, width, height);
    dragStart.x = box->left;
    dragStart.y = box->top;
    if (!box->valid) {
        // Even a click without a drag is an undo step, so the next Undo seems to do nothing.
        PushUndo();
        return false;
    }
    // A box too small for double precision zooms nothing, and leaves no undo step.
    const View next = SelectionView(view, *box, !freeBox, width, height);
    if (!IsDrawableView(next)) {
        return false;
    }
    PushUndo();
    view = next;
    return true;
}

void ZorbGUI::ZoomOut()
{
    const POINT centre{GetWidth() / 2, GetHeight() / 2};
    const View next = ZoomAboutPoint(kZoomOutFactor, view, centre);
    // Past the largest double there is nothing to show: the view stays, with its limit.
    if (!IsDrawableView(next)) {
        return;
    }
    PushUndo();
    view = next;
    AdaptIterations(1.0 / kZoomOutFactor);
    RequestRedraw();
}

bool ZorbGUI::IsAdaptiveIterations()
{
    // The menu's check mark is the setting's only store.
    MENUITEMINFOA item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE;
    const HMENU menu = GetMenu(hwnd);
    if (menu == nullptr || !GetMenuItemInfoA(menu, CommandId::AdaptiveIterations, FALSE, &item)) {
        return false;
    }
    return (item.fState & MFS_CHECKED) != 0;
}

void ZorbGUI::AdaptIterations(double zoom)
{
    if (IsAdaptiveIterations()) {
        maxIterations = AdaptedIterationLimit(maxIterations, zoom);
    }
}

void ZorbGUI::ToggleJulia(LPARAM packedPoint)
{
    if (RenderRunningFlag.load()) {
        StopRenderAndWait(kStopStepMs, kStopTotalMs);
    }
    ImagePoint point;
    if (popupPointValid) {
        point = ToImagePoint(dragStart);
        popupPointValid = 0;
    } else {
        point = UnpackImagePoint(static_cast<uint32_t>(packedPoint));
    }
    const int width = GetWidth();
    const int height = GetHeight();
    const PlanePoint c = PixelToPlane(view, width, height, point);
    juliaRe = c.re;
    juliaIm = c.im;

    const bool entering = !julia;
    julia = entering;
    view = JuliaSwitchView(entering, width, height);
    RequestRedraw();
}

void ZorbGUI::PushUndo()
{
    viewHistory.Push(view);
}

void ZorbGUI::PopUndo()
{
    View restored = view;
    if (!viewHistory.Pop(&restored)) {
        return;
    }
    // An entry that cannot be drawn is dropped and the view stays, so that it does not block
    // the entries before it.
    if (!IsDrawableView(restored)) {
        return;
    }
    // The history keeps bounds only. Spans follow at once, so an aspect fix or a cursor
    // position before the next render start works on the restored view, not the old one.
    view = restored;
    view.UpdateSpans();
    RequestRedraw();
}

void ZorbGUI::Reset()
{
    formula = Formula::Power2;
    view.SetDefault();
    julia = false;
    lambda = 0;
    view = FixAspect();
    if (IsAdaptiveIterations()) {
        maxIterations = kDefaultMaxIterations;
    }
    RequestRedraw();
    CheckRadioGroup(hwnd, kFormulaItems, CommandOfChoice(kFormulaItems, formula));
}
