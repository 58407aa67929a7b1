#include "render/Processors.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "render/Precision.h"

namespace {

constexpr DWORD kBufferEntries = 256;
constexpr DWORD kEntrySize = sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION);

struct ProcessorCounts {
    int packages = 0;
    int coreEntries = 0;
    int logical = 0;
    int caches[3] = {0, 0, 0}; // levels 1 to 3
};

// Only whole entries inside the filled length are read.
ProcessorCounts CountEntries(const SYSTEM_LOGICAL_PROCESSOR_INFORMATION* entries, DWORD count) {
    ProcessorCounts counts;
    for (DWORD i = 0; i < count; ++i) {
        const SYSTEM_LOGICAL_PROCESSOR_INFORMATION& entry = entries[i];
        switch (entry.Relationship) {
        case RelationProcessorCore:
            ++counts.coreEntries;
            counts.logical += CountSetBits(static_cast<uint64_t>(entry.ProcessorMask));
            break;
        case RelationCache:
            if (entry.Cache.Level >= 1 && entry.Cache.Level <= 3) {
                ++counts.caches[entry.Cache.Level - 1];
            }
            break;
        case RelationProcessorPackage:
            ++counts.packages;
            break;
        default:
            break;
        }
    }
    return counts;
}

void ReportCounts(const ProcessorCounts& counts) {
    char text[128];
    std::snprintf(text, sizeof text, "Sockets: %d - Processors: %d - Cores: %d\n", counts.packages,
                  counts.coreEntries, counts.logical);
    OutputDebugStringA(text);
    std::snprintf(text, sizeof text, "L1 Cache: %d - L2Cache: %d - L3Cache: %d\n", counts.caches[0],
                  counts.caches[1], counts.caches[2]);
    OutputDebugStringA(text);
}

// When the system call cannot answer at all.
int ProcessorsFromSystemInfo() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

} // namespace

int CountLogicalProcessorsWith(LogicalProcessorQuery query) {
    std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> buffer(kBufferEntries);
    DWORD length = kBufferEntries * kEntrySize;
    BOOL answered = query(buffer.data(), &length);
    if (!answered && GetLastError() == ERROR_INSUFFICIENT_BUFFER && length > buffer.size() * kEntrySize) {
        // More than 256 entries (a large machine): ask once more with the size it wants.
        buffer.resize((length + kEntrySize - 1) / kEntrySize);
        length = static_cast<DWORD>(buffer.size() * kEntrySize);
        answered = query(buffer.data(), &length);
    }
    if (!answered) {
        return ProcessorsFromSystemInfo();
    }
    const DWORD filled = std::min<DWORD>(length / kEntrySize, static_cast<DWORD>(buffer.size()));
    const ProcessorCounts counts = CountEntries(buffer.data(), filled);
    ReportCounts(counts);
    return counts.logical > 0 ? counts.logical : 1;
}

int CountLogicalProcessors() {
    return CountLogicalProcessorsWith(&GetLogicalProcessorInformation);
}
