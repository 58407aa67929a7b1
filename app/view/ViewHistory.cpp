#include "app/view/ViewHistory.h"

#include <cstring>

void ViewHistory::Push(const View& view)
{
    if (count == kMaxEntries) {
        const size_t kept = (kMaxEntries - 1) * sizeof(double);
        std::memmove(xMin, xMin + 1, kept);
        std::memmove(xMax, xMax + 1, kept);
        std::memmove(yMax, yMax + 1, kept);
        std::memmove(yMin, yMin + 1, kept);
        --count;
    }
    xMin[count] = view.xMin;
    xMax[count] = view.xMax;
    yMax[count] = view.yMax;
    yMin[count] = view.yMin;
    ++count;
}

bool ViewHistory::Pop(View* view)
{
    if (count <= 0) {
        return false;
    }
    --count;
    view->xMin = xMin[count];
    view->xMax = xMax[count];
    view->yMax = yMax[count];
    view->yMin = yMin[count];
    return true;
}
