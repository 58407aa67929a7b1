#pragma once

#include <windows.h>

// Logical processors of the machine, at least 1. Keeps no state; any thread.
int CountLogicalProcessors();

// The same with the system call given, so that its failures can be tried out.
using LogicalProcessorQuery = BOOL(WINAPI*)(PSYSTEM_LOGICAL_PROCESSOR_INFORMATION buffer, PDWORD length);
int CountLogicalProcessorsWith(LogicalProcessorQuery query);
