#pragma once

#include <windows.h>

#include <cstdio>

#include "render/ScopedHandle.h"

// The program's own kinds of handle, owned like the engine's kernel handles.

// A C file that is read, or written where nothing needs to know whether its close succeeded.
using CFile = ScopedHandle<ReleasedBy<FILE*, &fclose>>;

// A menu of the program's own, not one a window holds (which goes with the window).
using Menu = ScopedHandle<ReleasedBy<HMENU, &DestroyMenu>>;

// A FindFirstFile search, which holds nothing when it is INVALID_HANDLE_VALUE.
struct FileSearchKind {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { FindClose(handle); }
};
using FileSearch = ScopedHandle<FileSearchKind>;
