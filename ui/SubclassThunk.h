// The machine code of a subclass thunk: a few bytes, one piece per subclass installation, that
// stand in the window's procedure slot. Called as a window procedure, a thunk puts its
// installation's state where the window handle argument was and jumps to one shared
// dispatcher, which returns straight to the system. Needs no Windows header and no library
// (only the compiler's own headers), so a host test can execute the very bytes the program
// writes, on both architectures (tests/host/thunk).
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace SubclassThunk {

#if defined(__x86_64__) || defined(_M_X64)
// The first argument travels in rcx (the Windows x64 convention; the caller cleans the stack):
//   mov rcx, <state>; mov rax, <dispatcher>; jmp rax
inline constexpr size_t Size = 22;

inline void Write(uint8_t* Code, uintptr_t State, uintptr_t Target) {
    const uint8_t Pattern[Size] = {0x48, 0xB9, 0, 0, 0, 0, 0, 0, 0, 0,    0x48,
                                   0xB8, 0,    0, 0, 0, 0, 0, 0, 0, 0xFF, 0xE0};
    __builtin_memcpy(Code, Pattern, Size);
    __builtin_memcpy(Code + 2, &State, 8);
    __builtin_memcpy(Code + 12, &Target, 8);
}
#elif defined(__i386__) || defined(_M_IX86)
// stdcall: the arguments lie on the stack above the return address and the callee pops them,
// so the dispatcher, stdcall with four arguments too, returns for the thunk:
//   mov dword ptr [esp+4], <state>; jmp <dispatcher> (relative to the end of the thunk)
inline constexpr size_t Size = 13;

inline void Write(uint8_t* Code, uintptr_t State, uintptr_t Target) {
    const uint8_t Pattern[Size] = {0xC7, 0x44, 0x24, 0x04, 0, 0, 0, 0, 0xE9, 0, 0, 0, 0};
    const uint32_t Jump =
        static_cast<uint32_t>(Target - (reinterpret_cast<uintptr_t>(Code) + Size));
    __builtin_memcpy(Code, Pattern, Size);
    __builtin_memcpy(Code + 4, &State, 4);
    __builtin_memcpy(Code + 9, &Jump, 4);
}
#else
#error "subclass thunks are written for x86 and x86-64 only"
#endif

} // namespace SubclassThunk
