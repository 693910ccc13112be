// Each figure is the median of seven batches of SendMessageW calls to a hidden window whose
// own procedure answers at once; every subclass passes the message on.
#include "BenchTiming.h"

#include "WndSubclass.h"

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Calls = 200000;

LRESULT CALLBACK Answer(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_USER) return 1;
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

HWND MakeWindow() {
    WNDCLASSW C{};
    C.lpfnWndProc = &Answer;
    C.hInstance = GetModuleHandleW(nullptr);
    C.lpszClassName = L"SubclassBench";
    RegisterClassW(&C);
    return CreateWindowExW(0, L"SubclassBench", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

LRESULT CALLBACK PassOn(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR, DWORD_PTR) {
    return DefSubclassProc(Wnd, Msg, WParam, LParam);
}

double PerMessage(HWND Wnd) {
    return Bench::PerCall(Calls, [Wnd] { SendMessageW(Wnd, WM_USER, 0, 0); });
}

void Report(const char* What, double Us, double Base) {
    std::printf("%-34s %7.3f us  %9.0f msg/s  %5.2fx\n", What, Us, 1e6 / Us, Us / Base);
}

} // namespace

int main() {
    const HWND Wnd = MakeWindow();
    const double Bare = PerMessage(Wnd);
    Report("not subclassed", Bare, Bare);

    for (int Depth : {1, 3}) {
        std::vector<std::unique_ptr<TWindowSubclass>> Ours;
        for (int I = 0; I < Depth; ++I) {
            auto S = std::make_unique<TWindowSubclass>();
            TWindowSubclass* Self = S.get();
            S->Install(
                Wnd, [Self](TMessage& M) { Self->CallPrevious(M); }, true);
            Ours.push_back(std::move(S));
        }
        char Name[64];
        std::snprintf(Name, sizeof Name, "class library helper, %d deep", Depth);
        Report(Name, PerMessage(Wnd), Bare);
        Ours.clear();

        for (int I = 0; I < Depth; ++I)
            SetWindowSubclass(Wnd, &PassOn, static_cast<UINT_PTR>(I + 1), 0);
        std::snprintf(Name, sizeof Name, "comctl32 SetWindowSubclass, %d deep", Depth);
        Report(Name, PerMessage(Wnd), Bare);
        for (int I = 0; I < Depth; ++I)
            RemoveWindowSubclass(Wnd, &PassOn, static_cast<UINT_PTR>(I + 1));
    }
    DestroyWindow(Wnd);
    return 0;
}
