// Runs the window-subclass thunk's machine code as the system runs a window procedure: the
// bytes SubclassThunk::Write puts in executable memory are called with a window handle and
// three more arguments in the Windows calling convention of the build (stdcall on 32-bit x86,
// the x64 convention on x86-64), and must land in the dispatcher with the installation's state
// in the handle's place, the other arguments intact, its result handed back and the stack as
// the caller expects it. Built twice, as a static freestanding Linux program for i386 and for
// x86-64; the i386 one runs under qemu-i386 on a machine that cannot run 32-bit code itself.
// No library: output and memory come straight from system calls.
#include "SubclassThunk.h"

extern "C" void* memcpy(void* To, const void* From, size_t Count) {
    auto* T = static_cast<unsigned char*>(To);
    const auto* F = static_cast<const unsigned char*>(From);
    while (Count--)
        *T++ = *F++;
    return To;
}

namespace {

using Word = uintptr_t;

#if defined(__i386__)
#define SYSTEM_CC __attribute__((stdcall))
#define PLAIN_CC __attribute__((cdecl))
const char* const Architecture = "i386 (stdcall)";

long Syscall3(long Number, long A, long B, long C) {
    long Result;
    asm volatile("int $0x80" : "=a"(Result) : "a"(Number), "b"(A), "c"(B), "d"(C) : "memory");
    return Result;
}
long Syscall6(long Number, long A, long B, long C, long D, long E, long F) {
    // mmap2 takes its sixth argument in ebp, which the compiler may not hand out: pass a block.
    long Block[6] = {A, B, C, D, E, F};
    long Result;
    asm volatile("push %%ebp\n\t"
                 "movl 20(%%ebx), %%ebp\n\t"
                 "movl 16(%%ebx), %%edi\n\t"
                 "movl 12(%%ebx), %%esi\n\t"
                 "movl 8(%%ebx), %%edx\n\t"
                 "movl 4(%%ebx), %%ecx\n\t"
                 "movl (%%ebx), %%ebx\n\t"
                 "int $0x80\n\t"
                 "pop %%ebp"
                 : "=a"(Result)
                 : "a"(Number), "b"(Block)
                 : "ecx", "edx", "esi", "edi", "memory");
    return Result;
}
constexpr long SysWrite = 4, SysExit = 1, SysMmap = 192; // mmap2
#else
#define SYSTEM_CC __attribute__((ms_abi))
#define PLAIN_CC __attribute__((sysv_abi))
const char* const Architecture = "x86-64 (Windows x64 convention)";

long Syscall3(long Number, long A, long B, long C) {
    long Result;
    asm volatile("syscall"
                 : "=a"(Result)
                 : "a"(Number), "D"(A), "S"(B), "d"(C)
                 : "rcx", "r11", "memory");
    return Result;
}
long Syscall6(long Number, long A, long B, long C, long D, long E, long F) {
    register long R10 asm("r10") = D;
    register long R8 asm("r8") = E;
    register long R9 asm("r9") = F;
    long Result;
    asm volatile("syscall"
                 : "=a"(Result)
                 : "a"(Number), "D"(A), "S"(B), "d"(C), "r"(R10), "r"(R8), "r"(R9)
                 : "rcx", "r11", "memory");
    return Result;
}
constexpr long SysWrite = 1, SysExit = 60, SysMmap = 9;
#endif

void Print(const char* Text) {
    long Length = 0;
    while (Text[Length])
        ++Length;
    Syscall3(SysWrite, 1, reinterpret_cast<long>(Text), Length);
}

void PrintHex(Word Value) {
    char Text[2 + 2 * sizeof(Word) + 1];
    Text[0] = '0';
    Text[1] = 'x';
    for (size_t I = 0; I < 2 * sizeof(Word); ++I)
        Text[2 + I] = "0123456789abcdef"[(Value >> (4 * (2 * sizeof(Word) - 1 - I))) & 0xF];
    Text[sizeof(Text) - 1] = 0;
    Print(Text);
}

int Failures = 0;

void Check(bool Good, const char* What) {
    Print(Good ? "ok:   " : "FAIL: ");
    Print(What);
    Print("\n");
    if (!Good) ++Failures;
}

// What the dispatcher was given.
struct TReceived {
    Word First, Msg, WParam, LParam;
    int Calls;
} Received;

constexpr Word Answer = 0x5EC0DE;

Word SYSTEM_CC Dispatch(Word State, unsigned Msg, Word WParam, Word LParam) {
    Received = {State, Msg, WParam, LParam, Received.Calls + 1};
    return Answer ^ State;
}

// The dispatcher's shape with the caller cleaning the stack: the stack check must see that.
Word PLAIN_CC CallerCleans(Word State, unsigned Msg, Word WParam, Word LParam) {
    Received = {State, Msg, WParam, LParam, Received.Calls + 1};
    return Answer ^ State;
}

struct TCall {
    Word Args[4];
    void* Proc;
    Word Result;
    Word StackBefore, StackAfter; // the stack pointer when calling, and once the call returned
};

// Calls Proc exactly as the system calls a window procedure, reading the stack pointer at the
// call and after it.
void CallAsTheSystem(TCall& C) {
#if defined(__i386__)
    // The four arguments pushed right to left; a stdcall callee pops them.
    asm volatile("movl %%esp, %%esi\n\t"
                 "pushl 12(%%ebx)\n\t"
                 "pushl 8(%%ebx)\n\t"
                 "pushl 4(%%ebx)\n\t"
                 "pushl (%%ebx)\n\t"
                 "movl %%esp, 24(%%ebx)\n\t"
                 "call *16(%%ebx)\n\t"
                 "movl %%eax, 20(%%ebx)\n\t"
                 "movl %%esp, 28(%%ebx)\n\t"
                 "movl %%esi, %%esp"
                 :
                 : "b"(&C)
                 : "eax", "ecx", "edx", "esi", "edi", "memory", "cc");
#else
    // Arguments in rcx, rdx, r8, r9; 32 bytes of shadow space; the caller cleans up.
    asm volatile("movq %%rsp, %%r12\n\t"
                 "andq $-16, %%rsp\n\t"
                 "subq $32, %%rsp\n\t"
                 "movq %%rsp, %%r13\n\t"
                 "movq (%%rbx), %%rcx\n\t"
                 "movq 8(%%rbx), %%rdx\n\t"
                 "movq 16(%%rbx), %%r8\n\t"
                 "movq 24(%%rbx), %%r9\n\t"
                 "call *32(%%rbx)\n\t"
                 "movq %%rax, 40(%%rbx)\n\t"
                 "movq %%r13, 48(%%rbx)\n\t"
                 "movq %%rsp, 56(%%rbx)\n\t"
                 "movq %%r12, %%rsp"
                 :
                 : "b"(&C)
                 : "rax", "rcx", "rdx", "rsi", "rdi", "r8", "r9", "r10", "r11", "r12", "r13",
                   "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "memory", "cc");
#endif
}

// Whether the stack is where the system expects it after a window procedure returned.
bool Balanced(const TCall& C) {
#if defined(__i386__)
    return C.StackAfter == C.StackBefore + 16;
#else
    return C.StackAfter == C.StackBefore;
#endif
}

uint8_t* ExecutableMemory() {
    constexpr long Read = 1, Write = 2, Execute = 4, Private = 2, Anonymous = 0x20;
    const long Address =
        Syscall6(SysMmap, 0, 4096, Read | Write | Execute, Private | Anonymous, -1, 0);
    return Address < 0 && Address > -4096 ? nullptr : reinterpret_cast<uint8_t*>(Address);
}

void Run() {
    Print("subclass thunk on ");
    Print(Architecture);
    Print("\n");
    uint8_t* Page = ExecutableMemory();
    Check(Page != nullptr, "executable memory");
    if (!Page) return;

    // The stack check itself: a callee that leaves the arguments to its caller unbalances a
    // stdcall caller, and one that pops what it should balances it.
    TCall Plain{{0x1111, 2, 3, 4}, reinterpret_cast<void*>(&CallerCleans), 0, 0, 0};
    CallAsTheSystem(Plain);
#if defined(__i386__)
    Check(!Balanced(Plain), "a callee that pops nothing shows as an unbalanced stack");
#else
    Check(Balanced(Plain), "the x64 convention leaves cleaning to the caller");
#endif
    TCall Direct{{0x2222, 2, 3, 4}, reinterpret_cast<void*>(&Dispatch), 0, 0, 0};
    CallAsTheSystem(Direct);
    Check(Balanced(Direct), "the dispatcher called directly leaves the stack balanced");

    // Two installations at different places in memory, as the heap hands them out.
    uint8_t* const Thunks[] = {Page + 16, Page + 4096 - 64};
    const Word States[] = {reinterpret_cast<Word>(&Received) ^ 0x5A0, Word(0x7FFE1230)};
    for (int I = 0; I < 2; ++I) {
        SubclassThunk::Write(Thunks[I], States[I], reinterpret_cast<Word>(&Dispatch));
        Received = {};
        constexpr Word Window = 0xABC0;
        TCall Through{{Window, 0x0113, Word(-2), Word(0x12345678)}, Thunks[I], 0, 0, 0};
        CallAsTheSystem(Through);
        Print("thunk at ");
        PrintHex(reinterpret_cast<Word>(Thunks[I]));
        Print(", state ");
        PrintHex(States[I]);
        Print("\n");
        Check(Received.Calls == 1, "lands in the dispatcher, once");
        Check(Received.First == States[I], "the state arrives in the window handle's place");
        Check(Received.Msg == 0x0113 && Received.WParam == Word(-2) &&
                  Received.LParam == 0x12345678,
              "the message and its parameters arrive unchanged");
        Check(Through.Result == (Answer ^ States[I]), "the dispatcher's result reaches the caller");
        Check(Balanced(Through), "the stack is balanced when the call returns");
    }
}

} // namespace

extern "C" __attribute__((noreturn, force_align_arg_pointer)) void _start() {
    Run();
    Print(Failures == 0 ? "all passed\n" : "some checks failed\n");
    Syscall3(SysExit, Failures == 0 ? 0 : 1, 0, 0);
    __builtin_unreachable();
}
