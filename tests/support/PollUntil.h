#pragma once

#include <windows.h>

// Asks `done` until it holds, calling `between` after each no; false once `limitMs` has passed
// first. For a test that waits for an event it cannot be told of: the limit is generous, and
// the answer comes as soon as the event does.
template <class Condition, class Between>
bool PollUntil(Condition done, DWORD limitMs, Between between)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= limitMs) {
            return false;
        }
        between();
    }
    return true;
}
