#pragma once
// Every resource and command id of the program. Plain macros for the resource compiler; the
// program's code uses the named constants at the end.

#define IDI_ZORB_ICON 101
#define IDR_MAIN_MENU 112
#define IDB_TOOLBAR_NORMAL 122
#define IDB_TOOLBAR_HOT 123

// Main menu
#define IDM_EXIT 40001
#define IDM_LOAD_COORDS 40002
#define IDM_SAVE_COORDS 40009
#define IDM_FORMULA_NORMAL 40012
#define IDM_FORMULA_CUBED 40013
#define IDM_FORMULA_FOURTH_POWER 40014
#define IDM_FORMULA_LAMBDA 40018
#define IDM_CYCLE_GO 40019
#define IDM_CYCLE_STOP 40020
#define IDM_MAX_ITERATIONS 40021
#define IDM_REDRAW 40022
#define IDM_SAVE_IMAGE 40023
#define IDM_CYCLE_REVERSE 40024
#define IDM_COLOURING_LINEAR 40025
#define IDM_COLOURING_PROGRESSIVE 40026
#define IDM_SAVE_CYCLE_RANGE 40027
#define IDM_STOP_RENDER 40028
#define IDM_PALETTE_MONO_RED 40029
#define IDM_PALETTE_MONO_GREEN 40030
#define IDM_PALETTE_MONO_BLUE 40031
#define IDM_PALETTE_GREYSCALE 40032
#define IDM_PALETTE_RAINBOW 40033
#define IDM_CYCLE_FASTER 40034
#define IDM_CYCLE_SLOWER 40035
#define IDM_FORMULA_EXPONENTIAL 40036
#define IDM_ABOUT 40037
#define IDM_NO_OPERATION 40049
#define IDM_FIX_ASPECT 40050
#define IDM_RESET 40051
#define IDM_SAVE_LARGE_IMAGE 40052
#define IDM_ADAPTIVE_ITERATIONS 40054
#define IDM_PALETTE_BINARY_RED 40058
#define IDM_PALETTE_BINARY_GREEN 40059
#define IDM_PALETTE_BINARY_BLUE 40060
#define IDM_PALETTE_PSYCHADELIC 40061

// Right-click popup menu
#define IDP_ZOOM_OUT 300
#define IDP_JULIA 301
#define IDP_LAMBDA 302
#define IDP_MANDELBROT 303
#define IDP_RESET 304
#define IDP_UNDO 305

// Toolbar buttons, 900 + the button's image
#define IDT_TOOLBAR 876
#define IDT_FIRST_BUTTON 900
#define IDT_BUTTON_COUNT 14

#include "resource_dialogs.h"
#include "resource_largeimage.h"

#ifndef RC_INVOKED
namespace ResourceId {
constexpr int Icon = IDI_ZORB_ICON;
constexpr int MainMenu = IDR_MAIN_MENU;
constexpr int ToolbarNormal = IDB_TOOLBAR_NORMAL;
constexpr int ToolbarHot = IDB_TOOLBAR_HOT;
constexpr int ToolbarControl = IDT_TOOLBAR;
}

namespace CommandId {
constexpr int LoadCoords = IDM_LOAD_COORDS;
constexpr int SaveCoords = IDM_SAVE_COORDS;
constexpr int SaveImage = IDM_SAVE_IMAGE;
constexpr int SaveCycleRange = IDM_SAVE_CYCLE_RANGE;
constexpr int SaveLargeImage = IDM_SAVE_LARGE_IMAGE;
constexpr int Exit = IDM_EXIT;
constexpr int FormulaLambda = IDM_FORMULA_LAMBDA;
constexpr int FormulaNormal = IDM_FORMULA_NORMAL;
constexpr int FormulaCubed = IDM_FORMULA_CUBED;
constexpr int FormulaFourthPower = IDM_FORMULA_FOURTH_POWER;
constexpr int FormulaExponential = IDM_FORMULA_EXPONENTIAL;
constexpr int Redraw = IDM_REDRAW;
constexpr int StopRender = IDM_STOP_RENDER;
constexpr int FixAspect = IDM_FIX_ASPECT;
constexpr int Reset = IDM_RESET;
constexpr int MaxIterations = IDM_MAX_ITERATIONS;
constexpr int AdaptiveIterations = IDM_ADAPTIVE_ITERATIONS;
constexpr int ColouringLinear = IDM_COLOURING_LINEAR;
constexpr int ColouringProgressive = IDM_COLOURING_PROGRESSIVE;
constexpr int PaletteRainbow = IDM_PALETTE_RAINBOW;
constexpr int PaletteMonoRed = IDM_PALETTE_MONO_RED;
constexpr int PaletteMonoGreen = IDM_PALETTE_MONO_GREEN;
constexpr int PaletteMonoBlue = IDM_PALETTE_MONO_BLUE;
constexpr int PaletteGreyscale = IDM_PALETTE_GREYSCALE;
constexpr int PaletteBinaryRed = IDM_PALETTE_BINARY_RED;
constexpr int PaletteBinaryGreen = IDM_PALETTE_BINARY_GREEN;
constexpr int PaletteBinaryBlue = IDM_PALETTE_BINARY_BLUE;
constexpr int PalettePsychadelic = IDM_PALETTE_PSYCHADELIC;
constexpr int CycleGo = IDM_CYCLE_GO;
constexpr int CycleStop = IDM_CYCLE_STOP;
constexpr int CycleReverse = IDM_CYCLE_REVERSE;
constexpr int CycleFaster = IDM_CYCLE_FASTER;
constexpr int CycleSlower = IDM_CYCLE_SLOWER;
constexpr int About = IDM_ABOUT;
constexpr int NoOperation = IDM_NO_OPERATION;
}

namespace PopupCommandId {
constexpr int ZoomOut = IDP_ZOOM_OUT;
constexpr int Julia = IDP_JULIA;
constexpr int Lambda = IDP_LAMBDA;
constexpr int Mandelbrot = IDP_MANDELBROT;
constexpr int Reset = IDP_RESET;
constexpr int Undo = IDP_UNDO;
}

namespace ToolbarButtonId {
constexpr int First = IDT_FIRST_BUTTON;
constexpr int Count = IDT_BUTTON_COUNT;
constexpr int Reset = 900;
constexpr int OpenCoords = 901;
constexpr int SaveCoords = 902;
constexpr int Undo = 903;
constexpr int SaveImage = 904;
constexpr int SaveCycleRange = 905;
constexpr int Redraw = 906;
constexpr int CycleGo = 907;
constexpr int CycleStop = 908;
constexpr int CycleFaster = 909;
constexpr int CycleSlower = 910;
constexpr int CycleReverse = 911;
constexpr int StopRender = 912;
constexpr int About = 913;
}
#endif
