// WM_COMMAND of the main window: the main menu, the right-click popup, the toolbar buttons and
// the keys that become commands.
#include "app/window/ZorbGUI.h"

#include "app/commands/DialogCommands.h"
#include "app/dialogs/AboutDialog.h"
#include "app/palette/PaletteCycle.h"
#include "app/resources/resource.h"
#include "app/view/ViewPoint.h"
#include "app/window/MenuRadioGroup.h"
#include "render/Formula.h"
#include "render/LambdaConstant.h"
#include "render/RenderRunningFlag.h"

namespace {

// Toolbar buttons that stand for a command of their own.
int CommandOfButton(int button)
{
    switch (button) {
    case ToolbarButtonId::Reset: return PopupCommandId::Reset;
    case ToolbarButtonId::OpenCoords: return CommandId::LoadCoords;
    case ToolbarButtonId::SaveCoords: return CommandId::SaveCoords;
    case ToolbarButtonId::SaveImage: return CommandId::SaveImage;
    case ToolbarButtonId::SaveCycleRange: return CommandId::SaveCycleRange;
    case ToolbarButtonId::Redraw: return CommandId::Redraw;
    case ToolbarButtonId::CycleGo: return CommandId::CycleGo;
    case ToolbarButtonId::CycleStop: return CommandId::CycleStop;
    case ToolbarButtonId::CycleFaster: return CommandId::CycleFaster;
    case ToolbarButtonId::CycleSlower: return CommandId::CycleSlower;
    case ToolbarButtonId::CycleReverse: return CommandId::CycleReverse;
    case ToolbarButtonId::About: return CommandId::About;
    default: return 0;
    }
}

} // namespace

LRESULT ZorbGUI::OnCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const int palette = ChoiceOfCommand(kPaletteItems, id);
    if (palette != kNoChoice) {
        SelectPalette(id, palette);
        return 0;
    }
    const int formulaId = ChoiceOfCommand(kFormulaItems, id);
    if (formulaId == Formula::Lambda) {
        SetLambdaAtPoint(lParam); // the lambda map's constant comes from a point of the picture
        return 0;
    }
    if (formulaId != kNoChoice) {
        SelectFormula(id, formulaId);
        return 0;
    }
    const int linear = ChoiceOfCommand(kColouringItems, id);
    if (linear != kNoChoice) {
        SelectColouring(linear != 0);
        return 0;
    }
    const int buttonCommand = CommandOfButton(id);
    if (buttonCommand != 0) {
        SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(buttonCommand), 0);
        return 0;
    }

    switch (id) {
    case CommandId::LoadCoords: LoadCoordinates(); return 0;
    case CommandId::SaveCoords: SaveCoordinates(); return 0;
    case CommandId::SaveImage: SaveImage(); return 0;
    case CommandId::SaveCycleRange: SaveCycleRange(); return 0;
    case CommandId::SaveLargeImage: SaveLargeImage(*this, instance, window); return 0;
    case CommandId::Exit: SendMessageA(window, WM_CLOSE, 0, 0); return 0;
    case CommandId::Redraw: RequestRedraw(); return 0;
    case CommandId::StopRender: SetRenderRunning(false); return 0;
    case CommandId::FixAspect:
        if (GetWidth() >= 1 && GetHeight() >= 1) {
            view = FixAspect();
        }
        SendMessageA(window, WM_COMMAND, CommandId::Redraw, 0);
        return 0;
    case CommandId::Reset: Reset(); return 0;
    case CommandId::MaxIterations: AskMaxIterations(*this, instance, window); return 0;
    case CommandId::AdaptiveIterations: ToggleAdaptiveIterations(); return 0;
    case CommandId::CycleGo: SetTimer(window, TimerId::ColourCycle, 0, nullptr); return 0;
    case CommandId::CycleStop: KillTimer(window, TimerId::ColourCycle); return 0;
    case CommandId::CycleReverse: cycleReverse ^= 1; return 0;
    case CommandId::CycleFaster: CycleFaster(); return 0;
    case CommandId::CycleSlower: CycleSlower(); return 0;
    case CommandId::About: ShowAboutDialog(instance, window); return 0;
    case CommandId::NoOperation: return 0;
    case PopupCommandId::ZoomOut: ZoomOut(); return 0;
    case PopupCommandId::Julia:
    case PopupCommandId::Lambda:
    case PopupCommandId::Mandelbrot: ToggleJulia(lParam); return 0;
    case PopupCommandId::Undo: PopUndo(); return 0;
    case PopupCommandId::Reset: Reset(); return 0;
    case ToolbarButtonId::Undo:
        if (!viewHistory.IsEmpty()) {
            SendMessageA(window, WM_COMMAND, PopupCommandId::Undo, 0);
        }
        return 0;
    case ToolbarButtonId::StopRender: SetRenderRunning(false); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ZorbGUI::RequestRedraw()
{
    renderDue = 1;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void ZorbGUI::SelectFormula(int menuId, int formulaId)
{
    formula = formulaId;
    RequestRedraw();
    CheckRadioGroup(hwnd, kFormulaItems, menuId);
}

void ZorbGUI::SetLambdaAtPoint(LPARAM lParam)
{
    julia = false;
    lambda = 1;
    ImagePoint point;
    if (popupPointValid) {
        point = ImagePoint{static_cast<int>(dragStart.x), static_cast<int>(dragStart.y)};
        popupPointValid = 0;
    } else {
        point = UnpackImagePoint(static_cast<uint32_t>(lParam));
    }
    const PlanePoint c = PixelToPlane(view, GetWidth(), GetHeight(), point);
    LambdaConstant.re = c.re;
    LambdaConstant.im = c.im;
    SelectFormula(CommandOfChoice(kFormulaItems, Formula::Lambda), Formula::Lambda);
}

void ZorbGUI::CycleFaster()
{
    SpeedUpCycle(&cycleDelay, &cycleStep);
}

void ZorbGUI::CycleSlower()
{
    SlowDownCycle(&cycleDelay, &cycleStep);
}

void ZorbGUI::ToggleAdaptiveIterations()
{
    const HMENU menu = GetMenu(hwnd);
    MENUITEMINFOA item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_STATE;
    if (menu == nullptr || !GetMenuItemInfoA(menu, CommandId::AdaptiveIterations, FALSE, &item)) {
        return;
    }
    item.fState ^= MFS_CHECKED;
    SetMenuItemInfoA(menu, CommandId::AdaptiveIterations, FALSE, &item);
}

void ZorbGUI::SelectColouring(bool linear)
{
    CheckRadioGroup(hwnd, kColouringItems, CommandOfChoice(kColouringItems, linear ? 1 : 0));
    linearColouring = linear;
}
