#pragma once

#include "render/View.h"

// The undo stack of view bounds. Only the four bounds are kept: spans and steps follow from
// them, and formula, Julia mode and the iteration limit are not undone.
struct ViewHistory {
    static constexpr int kSlots = 100;
    // One slot stays free; a push onto a full history drops the oldest entry.
    static constexpr int kMaxEntries = 99;

    double xMin[kSlots] = {};
    double xMax[kSlots] = {};
    double yMax[kSlots] = {};
    double yMin[kSlots] = {};
    int count = 0;

    bool IsEmpty() const { return count == 0; }
    void Push(const View& view);
    // Puts the newest entry's bounds into view and drops the entry; false, view untouched, when
    // the history is empty.
    bool Pop(View* view);
};
