#pragma once

#include <atomic>

// Starts and stops every render in the process. Clients set and clear it with exchange();
// the engine only loads it. Kept free of <windows.h> so the kernels can include it.
extern std::atomic<bool> RenderRunningFlag;

std::atomic<bool>* GetRenderRunningFlag();
