// The test programs' allocator: every block freed through operator delete is filled with
// FreedByte and held back from reuse for a while, so code that reads or calls through an object
// already deleted meets the pattern (a pointer or a table of virtual functions that points
// nowhere) and fails at once instead of finding its old contents or a newer object there.
//
// Linked into every Windows test program (never into the program we ship). The quarantine is
// bounded by blocks and by bytes; the oldest block is given back to the heap first.
#include "TestAllocator.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>

namespace {

constexpr size_t QuarantineBlocks = 1 << 15;
constexpr size_t QuarantineBytes = size_t(64) << 20;

struct TQuarantine {
    SRWLOCK Lock = SRWLOCK_INIT;
    void* Blocks[QuarantineBlocks];
    size_t Sizes[QuarantineBlocks];
    size_t Oldest = 0, Count = 0, Bytes = 0;
};

// Constant-initialised: operator new may run before any constructor of the program does.
constinit TQuarantine Quarantine{};

void* Allocate(size_t Size) {
    for (;;) {
        if (void* P = std::malloc(Size ? Size : 1)) return P;
        std::new_handler Handler = std::get_new_handler();
        if (!Handler) throw std::bad_alloc();
        Handler();
    }
}

void Release(void* P) noexcept {
    if (!P) return;
    const size_t Size = _msize(P);
    std::memset(P, FreedByte, Size);
    void* ToFree[8];
    int Freeing = 0;
    AcquireSRWLockExclusive(&Quarantine.Lock);
    auto& Q = Quarantine;
    while (Q.Count > 0 && (Q.Count == QuarantineBlocks || Q.Bytes + Size > QuarantineBytes) &&
           Freeing < 8) {
        ToFree[Freeing++] = Q.Blocks[Q.Oldest];
        Q.Bytes -= Q.Sizes[Q.Oldest];
        Q.Oldest = (Q.Oldest + 1) % QuarantineBlocks;
        --Q.Count;
    }
    if (Q.Count < QuarantineBlocks && Q.Bytes + Size <= QuarantineBytes) {
        const size_t Slot = (Q.Oldest + Q.Count) % QuarantineBlocks;
        Q.Blocks[Slot] = P;
        Q.Sizes[Slot] = Size;
        Q.Bytes += Size;
        ++Q.Count;
        P = nullptr;
    }
    ReleaseSRWLockExclusive(&Quarantine.Lock);
    for (int I = 0; I < Freeing; ++I)
        std::free(ToFree[I]);
    // A block larger than the whole quarantine goes back at once, pattern and all.
    if (P) std::free(P);
}

} // namespace

size_t QuarantinedBlocks() {
    AcquireSRWLockShared(&Quarantine.Lock);
    const size_t Count = Quarantine.Count;
    ReleaseSRWLockShared(&Quarantine.Lock);
    return Count;
}

void* operator new(size_t Size) {
    return Allocate(Size);
}
void* operator new[](size_t Size) {
    return Allocate(Size);
}
void* operator new(size_t Size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(Size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t Size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(Size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* P) noexcept {
    Release(P);
}
void operator delete[](void* P) noexcept {
    Release(P);
}
void operator delete(void* P, size_t) noexcept {
    Release(P);
}
void operator delete[](void* P, size_t) noexcept {
    Release(P);
}
void operator delete(void* P, const std::nothrow_t&) noexcept {
    Release(P);
}
void operator delete[](void* P, const std::nothrow_t&) noexcept {
    Release(P);
}
