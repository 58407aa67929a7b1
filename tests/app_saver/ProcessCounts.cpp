#include "tests/app_saver/ProcessCounts.h"

#include <windows.h>
#include <winternl.h>
#include <tlhelp32.h>

#include <vector>

#include "app/handles/ScopedHandle.h"

namespace {
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
constexpr ULONG kFirstListBytes = 1u << 20;
constexpr ULONG kMostListBytes = 1u << 28;
}

int ThreadsOfThisProcess()
{
    const HANDLE taken = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (taken == INVALID_HANDLE_VALUE) {
        return -1;
    }
    const KernelHandle snapshot(taken);
    const DWORD self = GetCurrentProcessId();
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
        count += entry.th32OwnerProcessID == self ? 1 : 0;
    }
    return count;
}

int HandlesOfThisProcess()
{
    // The list is of every process's handles; it is asked again, larger, until it fits.
    std::vector<BYTE> list(kFirstListBytes);
    for (;;) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(SystemHandleInformation, list.data(),
                                                         static_cast<ULONG>(list.size()), &needed);
        if (status == kInfoLengthMismatch && list.size() < kMostListBytes) {
            list.resize(list.size() * 2);
            continue;
        }
        if (status != 0) {
            return -1;
        }
        break;
    }
    const auto* handles = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(list.data());
    const ULONG self = GetCurrentProcessId();
    int count = 0;
    for (ULONG i = 0; i < handles->Count; ++i) {
        count += handles->Handle[i].OwnerPid == self ? 1 : 0;
    }
    return count;
}
