#pragma once

#include <cstdint>

// Counts the bytes this program's own code holds on the C run time's heap: the program's imports
// of the run time's allocation functions are routed through counting wrappers. operator new,
// libjpeg and the program's own code all allocate through those imports.
//
// What the system allocates for itself is not counted. Thread stacks above all: a save starts a
// thread per row, and on a busy machine hundreds of them were seen ending at once under Wine,
// about a megabyte of working set each, a figure that follows the machine's load, not what
// the program holds.
namespace HeapCounter {

// Routes the imports. False if malloc and free are not among them. Blocks allocated before are
// counted out when they are freed, so counting starts from the figure at ResetPeak.
bool Install();

// Bytes held now, and the highest figure since the last ResetPeak.
int64_t HeldBytes();
int64_t PeakBytes();
void ResetPeak();

} // namespace HeapCounter
