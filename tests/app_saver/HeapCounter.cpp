#include "tests/app_saver/HeapCounter.h"

#include <windows.h>
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace {

using MallocFn = void*(__cdecl*)(size_t);
using CallocFn = void*(__cdecl*)(size_t, size_t);
using ReallocFn = void*(__cdecl*)(void*, size_t);
using FreeFn = void(__cdecl*)(void*);
using AlignedMallocFn = void*(__cdecl*)(size_t, size_t);

MallocFn RealMalloc = nullptr;
CallocFn RealCalloc = nullptr;
ReallocFn RealRealloc = nullptr;
FreeFn RealFree = nullptr;
AlignedMallocFn RealAlignedMalloc = nullptr;
FreeFn RealAlignedFree = nullptr;

std::atomic<int64_t> Held{0};
std::atomic<int64_t> Peak{0};

void Count(int64_t bytes)
{
    const int64_t now = Held.fetch_add(bytes) + bytes;
    int64_t peak = Peak.load();
    while (now > peak && !Peak.compare_exchange_weak(peak, now)) {
    }
}

size_t BlockSize(void* block)
{
    return block ? _msize(block) : 0;
}

// An aligned block's size cannot be asked of the run time, so the wrappers note it. The few
// aligned blocks a save holds fit; one that does not is counted and never counted out, so that
// running out of room here can only make a growth show, never hide one.
struct AlignedBlock {
    void* block;
    size_t bytes;
};
constexpr int kAlignedRoom = 1024;
AlignedBlock AlignedBlocks[kAlignedRoom];
SRWLOCK AlignedLock = SRWLOCK_INIT;

void NoteAligned(void* block, size_t bytes)
{
    AcquireSRWLockExclusive(&AlignedLock);
    for (AlignedBlock& entry : AlignedBlocks) {
        if (entry.block == nullptr) {
            entry = {block, bytes};
            break;
        }
    }
    ReleaseSRWLockExclusive(&AlignedLock);
}

size_t ForgetAligned(void* block)
{
    size_t bytes = 0;
    AcquireSRWLockExclusive(&AlignedLock);
    for (AlignedBlock& entry : AlignedBlocks) {
        if (entry.block == block) {
            bytes = entry.bytes;
            entry = {nullptr, 0};
            break;
        }
    }
    ReleaseSRWLockExclusive(&AlignedLock);
    return bytes;
}

void* __cdecl CountedMalloc(size_t bytes)
{
    void* block = RealMalloc(bytes);
    Count(static_cast<int64_t>(BlockSize(block)));
    return block;
}

void* __cdecl CountedCalloc(size_t count, size_t bytes)
{
    void* block = RealCalloc(count, bytes);
    Count(static_cast<int64_t>(BlockSize(block)));
    return block;
}

void* __cdecl CountedRealloc(void* old, size_t bytes)
{
    const size_t before = BlockSize(old);
    void* block = RealRealloc(old, bytes);
    if (block != nullptr) {
        Count(static_cast<int64_t>(BlockSize(block)) - static_cast<int64_t>(before));
    } else if (old != nullptr && bytes == 0) {
        Count(-static_cast<int64_t>(before)); // realloc to nothing frees
    }
    return block;
}

void __cdecl CountedFree(void* block)
{
    Count(-static_cast<int64_t>(BlockSize(block)));
    RealFree(block);
}

void* __cdecl CountedAlignedMalloc(size_t bytes, size_t alignment)
{
    void* block = RealAlignedMalloc(bytes, alignment);
    if (block != nullptr) {
        NoteAligned(block, bytes);
        Count(static_cast<int64_t>(bytes));
    }
    return block;
}

void __cdecl CountedAlignedFree(void* block)
{
    if (block != nullptr) {
        Count(-static_cast<int64_t>(ForgetAligned(block)));
    }
    RealAlignedFree(block);
}

// Replaces the import slot of `name` from the run time, keeping the function it held.
template <typename Fn>
bool Route(IMAGE_THUNK_DATA* slot, const char* imported, const char* name, Fn counted, Fn* real)
{
    if (strcmp(imported, name) != 0) {
        return false;
    }
    DWORD protection = 0;
    if (!VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &protection)) {
        return false;
    }
    if (*real == nullptr) {
        *real = reinterpret_cast<Fn>(static_cast<uintptr_t>(slot->u1.Function));
    }
    slot->u1.Function = static_cast<decltype(slot->u1.Function)>(reinterpret_cast<uintptr_t>(counted));
    VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), protection, &protection);
    return true;
}

void RouteSlot(IMAGE_THUNK_DATA* slot, const char* name)
{
    Route(slot, name, "malloc", &CountedMalloc, &RealMalloc) ||
        Route(slot, name, "calloc", &CountedCalloc, &RealCalloc) ||
        Route(slot, name, "realloc", &CountedRealloc, &RealRealloc) ||
        Route(slot, name, "free", &CountedFree, &RealFree) ||
        Route(slot, name, "_aligned_malloc", &CountedAlignedMalloc, &RealAlignedMalloc) ||
        Route(slot, name, "_aligned_free", &CountedAlignedFree, &RealAlignedFree);
}

} // namespace

namespace HeapCounter {

bool Install()
{
    if (RealMalloc != nullptr) {
        return RealFree != nullptr;
    }
    BYTE* image = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
        return false;
    }
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress);
         module->Name != 0; ++module) {
        if (_stricmp(reinterpret_cast<const char*>(image + module->Name), "msvcrt.dll") != 0 ||
            module->OriginalFirstThunk == 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(image + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(image + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(image + names->u1.AddressOfData);
            RouteSlot(slots, reinterpret_cast<const char*>(byName->Name));
        }
    }
    // The aligned pair is routed both or neither, or a block would be counted in and not out.
    if ((RealAlignedMalloc == nullptr) != (RealAlignedFree == nullptr)) {
        return false;
    }
    return RealMalloc != nullptr && RealFree != nullptr;
}

int64_t HeldBytes()
{
    return Held.load();
}

int64_t PeakBytes()
{
    return Peak.load();
}

void ResetPeak()
{
    Peak.store(Held.load());
}

} // namespace HeapCounter
