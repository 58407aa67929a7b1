#pragma once

// What the reading, writing and list operations of CIni share; not part of the class's interface.

#include <windows.h>

#include <cstddef>

namespace IniShared {

// Value reads start at this size and grow by it while the value may have been cut.
inline constexpr DWORD kGrowthStep = 512;
// Numbers, flags and reals read only this many bytes of a value.
inline constexpr size_t kShortValueSize = 64;

inline const unsigned char* U(const char* text)
{
    return reinterpret_cast<const unsigned char*>(text);
}

inline unsigned char* U(char* text)
{
    return reinterpret_cast<unsigned char*>(text);
}

} // namespace IniShared
