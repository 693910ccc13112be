// The test allocator shows a read through a deleted object: the block holds the pattern, and a
// virtual call through it faults at once (in a child process, which ends with a code of ours).
#include "TestAllocator.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct TShape {
    virtual ~TShape() = default;
    virtual int Corners() const { return 4; }
    int Size = 12;
};

struct TTriangle : TShape {
    int Corners() const override { return 3; }
};

constexpr DWORD FaultCode = 77;
constexpr const char* ChildSwitch = "DIALER_ALLOCATOR_CHILD";

// Reads the freed block as the buggy code would; volatile so the read really happens.
__attribute__((noinline)) uint8_t ByteAt(const void* P, size_t Offset) {
    return static_cast<const volatile uint8_t*>(P)[Offset];
}

__attribute__((noinline)) int CallThrough(TShape* Shape) {
    return Shape->Corners();
}

LONG WINAPI EndOnFault(EXCEPTION_POINTERS* Info) {
    if (Info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) ExitProcess(FaultCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

std::wstring OwnPath() {
    wchar_t Path[MAX_PATH]{};
    GetModuleFileNameW(nullptr, Path, MAX_PATH);
    return Path;
}

DWORD RunChild(const std::wstring& Filter) {
    SetEnvironmentVariableA(ChildSwitch, "1");
    std::wstring Line = L"\"" + OwnPath() + L"\" --gtest_filter=" + Filter;
    STARTUPINFOW SI{};
    SI.cb = sizeof(SI);
    PROCESS_INFORMATION PI{};
    const BOOL Started = CreateProcessW(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        nullptr, &SI, &PI);
    SetEnvironmentVariableA(ChildSwitch, nullptr);
    if (!Started) return ~0u;
    WaitForSingleObject(PI.hProcess, 60000);
    DWORD Code = ~0u;
    GetExitCodeProcess(PI.hProcess, &Code);
    CloseHandle(PI.hThread);
    CloseHandle(PI.hProcess);
    return Code;
}

} // namespace

TEST(TestAllocator, AFreedBlockHoldsThePatternAndIsNotGivenOutAgainAtOnce) {
    auto* Shape = new TTriangle;
    Shape->Size = 0x11223344;
    const void* volatile Where = Shape;
    const size_t Before = QuarantinedBlocks();
    delete Shape;
    EXPECT_EQ(QuarantinedBlocks(), Before + 1);
    for (size_t I = 0; I < sizeof(TTriangle); ++I)
        ASSERT_EQ(ByteAt(Where, I), FreedByte) << "byte " << I;
    // Blocks of the same size made right after do not land on the freed one.
    std::unique_ptr<TTriangle> Later[64];
    for (auto& L : Later) {
        L = std::make_unique<TTriangle>();
        EXPECT_NE(static_cast<const void*>(L.get()), Where);
    }
}

TEST(TestAllocator, AVirtualCallThroughADeletedObjectFaultsAtOnce) {
    if (std::getenv(ChildSwitch)) {
        SetUnhandledExceptionFilter(EndOnFault);
        AddVectoredExceptionHandler(1, EndOnFault);
        // Kept where the compiler cannot follow it, as a dangling pointer in a program would be.
        TShape* volatile Shape = new TTriangle;
        delete Shape;
        const int Corners = CallThrough(Shape);
        // Reached only when the freed object still looked alive.
        ExitProcess(static_cast<UINT>(Corners));
    }
    EXPECT_EQ(RunChild(L"TestAllocator.AVirtualCallThroughADeletedObjectFaultsAtOnce"), FaultCode);
}

TEST(TestAllocator, BlocksOfEveryFormGoThroughIt) {
    // Through volatile pointers: a new and delete the compiler can see whole may be left out.
    const size_t Before = QuarantinedBlocks();
    int* volatile Array = new int[7];
    delete[] Array;
    EXPECT_EQ(QuarantinedBlocks(), Before + 1);
    TShape* volatile Quiet = new (std::nothrow) TShape;
    delete Quiet;
    EXPECT_EQ(QuarantinedBlocks(), Before + 2);
    // The library's own containers, compiled apart from this file, allocate through it too.
    auto* Long = new std::string(500, 'x');
    delete Long;
    EXPECT_EQ(QuarantinedBlocks(), Before + 4);
}
