#pragma once

// What this process holds of the system's objects, for tests that a piece of work leaves none
// behind. -1 when the system does not tell.
int ThreadsOfThisProcess();
// Counted from the system's handle list: GetProcessHandleCount answers 0 under Wine.
int HandlesOfThisProcess();
