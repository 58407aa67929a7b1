#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "DebugTextCapture.h"
#include "render/Processors.h"

namespace {

using Entry = SYSTEM_LOGICAL_PROCESSOR_INFORMATION;
constexpr DWORD kEntrySize = sizeof(Entry);

Entry Core(ULONG_PTR mask) {
    Entry entry = {};
    entry.Relationship = RelationProcessorCore;
    entry.ProcessorMask = mask;
    return entry;
}

Entry Cache(BYTE level) {
    Entry entry = {};
    entry.Relationship = RelationCache;
    entry.Cache.Level = level;
    return entry;
}

Entry Package() {
    Entry entry = {};
    entry.Relationship = RelationProcessorPackage;
    return entry;
}

Entry NumaNode() {
    Entry entry = {};
    entry.Relationship = RelationNumaNode;
    entry.ProcessorMask = 0xFF;
    return entry;
}

// What the fake system call answers; the function pointer it stands behind has no context.
struct Scenario {
    std::vector<Entry> entries;
    DWORD reportedBytes = 0; // 0: the entries' size
    DWORD failWith = 0;      // error of every call
    bool wantsMoreFirst = false;
    int calls = 0;
    DWORD largestBuffer = 0;
};
Scenario scenario;

BOOL WINAPI FakeQuery(PSYSTEM_LOGICAL_PROCESSOR_INFORMATION buffer, PDWORD length) {
    ++scenario.calls;
    scenario.largestBuffer = std::max(scenario.largestBuffer, *length);
    if (scenario.failWith) {
        SetLastError(scenario.failWith);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(scenario.entries.size() * kEntrySize);
    if (*length < needed || (scenario.wantsMoreFirst && scenario.calls == 1)) {
        *length = needed;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::copy(scenario.entries.begin(), scenario.entries.end(), buffer);
    // Whatever lies past the answer is poison: counted, it would show.
    const DWORD capacity = *length / kEntrySize;
    for (DWORD i = static_cast<DWORD>(scenario.entries.size()); i < capacity; ++i) {
        buffer[i] = Core(~ULONG_PTR(0));
    }
    *length = scenario.reportedBytes ? scenario.reportedBytes : needed;
    return TRUE;
}

int CountWith(const Scenario& s) {
    scenario = s;
    return CountLogicalProcessorsWith(&FakeQuery);
}

TEST(CountLogicalProcessors, CountsSetMaskBitsOfCoreEntriesAndReportsTheTally) {
    Scenario s;
    s.entries = {Package(), Core(0x3), Cache(1), Cache(1), Cache(2), Core(0xC),
                 Cache(3), NumaNode(), Cache(4)};
    DebugTextCapture texts;
    EXPECT_EQ(CountWith(s), 4);
    const std::vector<std::string> expected = {"Sockets: 1 - Processors: 2 - Cores: 4\n",
                                               "L1 Cache: 2 - L2Cache: 1 - L3Cache: 1\n"};
    EXPECT_EQ(texts.Texts(), expected);
}

TEST(CountLogicalProcessors, AnswersOneWithoutCoreEntries) {
    Scenario s;
    s.entries = {Package(), Cache(2)};
    EXPECT_EQ(CountWith(s), 1);
}

TEST(CountLogicalProcessors, ReadsOnlyWholeEntriesOfTheAnswer) {
    Scenario s;
    s.entries = {Core(0x1), Core(0x2), Core(0x4)};
    s.reportedBytes = 2 * kEntrySize + kEntrySize / 2; // half an entry is no entry
    EXPECT_EQ(CountWith(s), 2);
}

TEST(CountLogicalProcessors, NeverReadsPastItsBuffer) {
    Scenario s;
    s.entries = {Core(0x1)};
    s.reportedBytes = 100000 * kEntrySize; // a length beyond the buffer
    const int counted = CountWith(s);
    // One real core, then poison entries of all bits up to the end of the buffer and no further.
    const int maskBits = static_cast<int>(8 * sizeof(ULONG_PTR));
    EXPECT_EQ(counted, 1 + (static_cast<int>(scenario.largestBuffer / kEntrySize) - 1) * maskBits);
}

TEST(CountLogicalProcessors, AsksAgainWhenMoreThanItsBufferIsNeeded) {
    Scenario s;
    s.entries.assign(300, Core(0x1));
    EXPECT_EQ(CountWith(s), 300);
    EXPECT_EQ(scenario.calls, 2);
    EXPECT_EQ(scenario.largestBuffer, 300 * kEntrySize);
}

TEST(CountLogicalProcessors, AnswersAtLeastOneWhenTheCallFails) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const DWORD errors[] = {ERROR_INVALID_FUNCTION, ERROR_INSUFFICIENT_BUFFER};
    for (DWORD error : errors) {
        Scenario s;
        s.failWith = error;
        EXPECT_EQ(CountWith(s), std::max<int>(1, static_cast<int>(info.dwNumberOfProcessors)));
        EXPECT_LE(scenario.calls, 2);
    }
}

TEST(CountLogicalProcessors, MatchesTheSystem) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    EXPECT_EQ(CountLogicalProcessors(), static_cast<int>(info.dwNumberOfProcessors));
}

} // namespace
