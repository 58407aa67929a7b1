#include "app/palette/PaletteCycle.h"

namespace {

constexpr int kFullCycle = 256;
constexpr int kPsychadelicCycle = 6;

} // namespace

int CycleLength(PaletteId id)
{
    return id == PaletteId::Psychadelic ? kPsychadelicCycle : kFullCycle;
}

int NextCycleOffset(int offset, int step, bool reverse, int length)
{
    if (!reverse) {
        offset = offset + step + 1;
        if (offset >= length) {
            offset %= length;
        }
        return offset;
    }
    offset = offset - step - 1;
    while (offset < 0) {
        offset += length;
    }
    return offset;
}

void SpeedUpCycle(int* delay, int* step)
{
    if (*delay != 0) {
        *delay -= kCycleDelayStep;
    } else if (*step < kCycleStepMax) {
        *step += 1;
    }
}

void SlowDownCycle(int* delay, int* step)
{
    if (*step != 0) {
        *step -= 1;
    } else if (*delay < kCycleDelayMax) {
        *delay += kCycleDelayStep;
    }
}
