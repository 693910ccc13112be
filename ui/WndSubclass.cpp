#include "WndSubclass.h"

#include "SubclassThunk.h"
#include "SysUtils.h"

#include <new>
#include <type_traits>
#include <utility>

struct TWindowSubclass::TState {
    uint8_t Code[SubclassThunk::Size];
    HWND Wnd = nullptr;
    WNDPROC Previous = nullptr;
    bool Unicode = true;
    THandler Handler;
    TWindowSubclass* Owner = nullptr; // null once the owner let go: a plain pass-through
    int Depth = 0;                    // calls of this procedure now running
    bool Gone = false;                // no procedure slot refers to the code any more
};

namespace {

// Thunks are code: they live in memory that may be executed.
HANDLE ThunkHeap() {
    static HANDLE Heap = HeapCreate(HEAP_CREATE_ENABLE_EXECUTE, 0, 0);
    return Heap;
}

LONG_PTR GetProc(HWND Wnd, bool Unicode) {
    return Unicode ? GetWindowLongPtrW(Wnd, GWLP_WNDPROC) : GetWindowLongPtrA(Wnd, GWLP_WNDPROC);
}

LONG_PTR SetProc(HWND Wnd, bool Unicode, LONG_PTR Proc) {
    return Unicode ? SetWindowLongPtrW(Wnd, GWLP_WNDPROC, Proc)
                   : SetWindowLongPtrA(Wnd, GWLP_WNDPROC, Proc);
}

LRESULT CallProc(WNDPROC Proc, bool Unicode, HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
    if (!Proc) return 0;
    return Unicode ? CallWindowProcW(Proc, Wnd, Msg, W, L) : CallWindowProcA(Proc, Wnd, Msg, W, L);
}

} // namespace

void TWindowSubclass::WriteThunk(TState* S) {
    // Dispatch is entered by a jump with the thunk's caller's arguments: it must take exactly
    // what a window procedure takes, the state pointer in the window handle's place.
    static_assert(sizeof(TState*) == sizeof(HWND));
    static_assert(std::is_same_v<decltype(&TWindowSubclass::Dispatch),
                                 LRESULT(CALLBACK*)(TState*, UINT, WPARAM, LPARAM)>);
    SubclassThunk::Write(S->Code, reinterpret_cast<uintptr_t>(S),
                         reinterpret_cast<uintptr_t>(&TWindowSubclass::Dispatch));
}

bool TWindowSubclass::Install(HWND Wnd, THandler Handler, bool Unicode) {
    Remove();
    if (!IsWindow(Wnd)) return false;
    HANDLE Heap = ThunkHeap();
    void* Memory = Heap ? HeapAlloc(Heap, 0, sizeof(TState)) : nullptr;
    if (!Memory) return false;
    auto* S = new (Memory) TState;
    WriteThunk(S);
    FlushInstructionCache(GetCurrentProcess(), S->Code, sizeof(S->Code));
    S->Wnd = Wnd;
    S->Unicode = Unicode;
    S->Handler = std::move(Handler);
    S->Previous = reinterpret_cast<WNDPROC>(GetProc(Wnd, Unicode));
    HandleCount::Add(THandleKind::Subclass);
    if (!S->Previous || !SetProc(Wnd, Unicode, reinterpret_cast<LONG_PTR>(S->Code))) {
        Release(S);
        return false;
    }
    S->Owner = this;
    FState = S;
    FWnd = Wnd;
    FPrevious = S->Previous;
    FUnicode = Unicode;
    return true;
}

void TWindowSubclass::Remove() {
    TState* S = std::exchange(FState, nullptr);
    if (!S) return;
    S->Owner = nullptr;
    if (!IsWindow(S->Wnd)) {
        S->Gone = true;
    } else if (GetProc(S->Wnd, S->Unicode) == reinterpret_cast<LONG_PTR>(S->Code)) {
        SetProc(S->Wnd, S->Unicode, reinterpret_cast<LONG_PTR>(S->Previous));
        S->Gone = true;
    }
    // Otherwise someone subclassed over us and still calls this code: it stays a pass-through
    // until the window's last message.
    if (S->Gone && S->Depth == 0) Release(S);
}

HWND TWindowSubclass::Window() const {
    return FState ? FState->Wnd : nullptr;
}

WNDPROC TWindowSubclass::Procedure() const {
    return FState ? reinterpret_cast<WNDPROC>(FState->Code) : nullptr;
}

void TWindowSubclass::CallPrevious(TMessage& M) const {
    M.Result = CallPrevious(M.Msg, M.WParam, M.LParam);
}

LRESULT TWindowSubclass::CallPrevious(UINT Msg, WPARAM WParam, LPARAM LParam) const {
    return CallProc(FPrevious, FUnicode, FWnd, Msg, WParam, LParam);
}

LRESULT CALLBACK TWindowSubclass::Dispatch(TState* S, UINT Msg, WPARAM WParam, LPARAM LParam) {
    ++S->Depth;
    TMessage M{Msg, WParam, LParam, 0};
    if (S->Owner) {
        try {
            S->Handler(M);
        } catch (...) {
            M.Result = 0;
            HandleException(nullptr);
        }
    } else {
        M.Result = CallProc(S->Previous, S->Unicode, S->Wnd, Msg, WParam, LParam);
    }
    if (Msg == WM_NCDESTROY) {
        // The window's last message: nothing will call this code again.
        if (S->Owner) S->Owner->FState = nullptr;
        S->Owner = nullptr;
        S->Gone = true;
    }
    if (--S->Depth == 0 && S->Gone) Release(S);
    return M.Result;
}

void TWindowSubclass::Release(TState* S) {
    S->~TState();
    HeapFree(ThunkHeap(), 0, S);
    HandleCount::Remove(THandleKind::Subclass);
}
