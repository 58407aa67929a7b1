#pragma once

#include <windows.h>

#include <cstddef>

#include "app/resources/resource.h"

// The Fractal > Iteration items, one radio group.
inline constexpr int kFormulaItems[] = {
    CommandId::FormulaCubed,  CommandId::FormulaNormal,      CommandId::FormulaFourthPower,
    CommandId::FormulaLambda, CommandId::FormulaExponential,
};

// The Settings > Colouring items, one radio group.
inline constexpr int kColouringItems[] = {CommandId::ColouringLinear, CommandId::ColouringProgressive};

// Checks the item `selected` of a radio group in the window's menu and clears the others. A
// window without a menu (the tests' windows) is left alone.
void CheckRadioGroup(HWND window, const int* ids, size_t count, int selected);

template <size_t Count>
void CheckRadioGroup(HWND window, const int (&ids)[Count], int selected)
{
    CheckRadioGroup(window, ids, Count, selected);
}
