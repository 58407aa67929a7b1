#pragma once

#include <windows.h>
#include <cstdint>

// Dialog "GetIterations", modal to `owner`: shows `limit`. On OK puts the typed limit in
// *chosen (at most 4294967295; an empty box gives 0) and returns true; false on Cancel.
bool ShowMaxIterationsDialog(HINSTANCE instance, HWND owner, uint64_t limit, uint64_t* chosen);
