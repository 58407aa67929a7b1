#pragma once

#include <windows.h>

#include <cstddef>

#include "app/palette/Palette.h"
#include "app/resources/resource.h"
#include "render/Formula.h"

// An item of one of the menu's radio groups and the value it chooses.
struct MenuChoice {
    int command;
    int value;
};

// The value of no item: no formula id, palette or colour mapping is negative.
constexpr int kNoChoice = -1;

// Fractal > Iteration: the formula each item selects.
inline constexpr MenuChoice kFormulaItems[] = {
    {CommandId::FormulaLambda, Formula::Lambda},      {CommandId::FormulaNormal, Formula::Power2},
    {CommandId::FormulaCubed, Formula::Power3},       {CommandId::FormulaFourthPower, Formula::Power4},
    {CommandId::FormulaExponential, Formula::Exp},
};

// Settings > Palette, in menu order: the palette each item shows.
inline constexpr MenuChoice kPaletteItems[] = {
    {CommandId::PaletteRainbow, static_cast<int>(PaletteId::Rainbow)},
    {CommandId::PaletteMonoRed, static_cast<int>(PaletteId::MonoRed)},
    {CommandId::PaletteMonoGreen, static_cast<int>(PaletteId::MonoGreen)},
    {CommandId::PaletteMonoBlue, static_cast<int>(PaletteId::MonoBlue)},
    {CommandId::PaletteGreyscale, static_cast<int>(PaletteId::Greyscale)},
    {CommandId::PaletteBinaryRed, static_cast<int>(PaletteId::BinaryRed)},
    {CommandId::PaletteBinaryGreen, static_cast<int>(PaletteId::BinaryGreen)},
    {CommandId::PaletteBinaryBlue, static_cast<int>(PaletteId::BinaryBlue)},
    {CommandId::PalettePsychadelic, static_cast<int>(PaletteId::Psychadelic)},
};
static_assert(sizeof(kPaletteItems) / sizeof(kPaletteItems[0]) == kPaletteCount, "one item per palette");

// Settings > Colouring: 1 for the linear mapping of counts to colours, 0 for the progressive.
inline constexpr MenuChoice kColouringItems[] = {
    {CommandId::ColouringLinear, 1},
    {CommandId::ColouringProgressive, 0},
};

// The value the group's item `command` chooses, or kNoChoice when the group has no such item.
template <size_t Count>
constexpr int ChoiceOfCommand(const MenuChoice (&group)[Count], int command)
{
    for (const MenuChoice& item : group) {
        if (item.command == command) {
            return item.value;
        }
    }
    return kNoChoice;
}

// The group's item that chooses `value`, or 0 (no command) when none does.
template <size_t Count>
constexpr int CommandOfChoice(const MenuChoice (&group)[Count], int value)
{
    for (const MenuChoice& item : group) {
        if (item.value == value) {
            return item.command;
        }
    }
    return 0;
}

// Checks the item `selected` of a radio group in the window's menu and clears the others. A
// window without a menu (the tests' windows) is left alone.
void CheckRadioGroup(HWND window, const MenuChoice* group, size_t count, int selected);

template <size_t Count>
void CheckRadioGroup(HWND window, const MenuChoice (&group)[Count], int selected)
{
    CheckRadioGroup(window, group, Count, selected);
}
