// The skinned gallery (skintest.exe's window, one of each standard control) against the same
// window made with its skin switched off, in the same run: the time from Show until every
// window has painted, and a full repaint of the shown window; then how many windows paint when
// one panel of its status bar changes its text.
#include "BenchRow.h"
#include "BenchTiming.h"

#include "ComCtrls.h"
#include "Handles.h"
#include "SkinTestForm.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace {

void Pump() {
    Application->ProcessMessages();
}

bool WaitFor(const std::function<bool()>& Done, DWORD Ms = 5000) {
    const DWORD Start = GetTickCount();
    while (!Done()) {
        const DWORD Elapsed = GetTickCount() - Start;
        if (Elapsed >= Ms) return Done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, Ms - Elapsed, QS_ALLINPUT);
        Pump();
    }
    return true;
}

bool Quiet() {
    return HIWORD(GetQueueStatus(QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE)) == 0;
}

bool WearsFrame(HWND Wnd) {
    const TWinSkinForm* F = SkinManager ? SkinManager->FindForm(Wnd) : nullptr;
    return F && F->SkinState == lsReady;
}

// A gallery made with its skin on or off; the switch is carried out at once, as it is when the
// program starts.
std::unique_ptr<TSkinTestForm> MakeGallery(bool Skinned) {
    auto F = std::make_unique<TSkinTestForm>(nullptr);
    if (!Skinned) F->SkinData1->SetActive(false);
    SkinManager->RunScheduled();
    return F;
}

// Seconds from Show until the window wears its skin (when it has one) and nothing is left to
// paint; negative when that did not come.
double ShowAndPaint(TSkinTestForm& F, bool Skinned) {
    const double Start = Bench::Now();
    F.Show();
    SetForegroundWindow(F.Handle());
    const HWND Wnd = F.Handle();
    RedrawWindow(Wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const bool Done = WaitFor([&] { return (!Skinned || WearsFrame(Wnd)) && Quiet(); });
    GdiFlush();
    return Done ? Bench::Now() - Start : -1;
}

void Close(std::unique_ptr<TSkinTestForm>& F) {
    F.reset();
    SkinManager->PurgeForms();
    Pump();
}

// WM_PAINT delivered to each window of the thread, sent or taken from the queue.
std::map<HWND, int>* Paints = nullptr;

LRESULT CALLBACK SentProc(int Code, WPARAM WParam, LPARAM LParam) {
    const auto* M = reinterpret_cast<const CWPSTRUCT*>(LParam);
    if (Code == HC_ACTION && Paints && M->message == WM_PAINT) ++(*Paints)[M->hwnd];
    return CallNextHookEx(nullptr, Code, WParam, LParam);
}

LRESULT CALLBACK TakenProc(int Code, WPARAM WParam, LPARAM LParam) {
    const auto* M = reinterpret_cast<const MSG*>(LParam);
    if (Code == HC_ACTION && WParam == PM_REMOVE && Paints && M->message == WM_PAINT)
        ++(*Paints)[M->hwnd];
    return CallNextHookEx(nullptr, Code, WParam, LParam);
}

struct TFigures {
    double Min, Median;
};

TFigures Summary(const std::vector<double>& V) {
    double Min = V.empty() ? 0 : V[0];
    for (double X : V)
        Min = std::min(Min, X);
    return {Min, Bench::Median(V)};
}

} // namespace

int main() {
    Application->Initialize();
    SetCursorPos(0, 0); // away from the window: no control lights up under the pointer

    // Showing a window and destroying it again costs Wine seconds here (no window manager),
    // so a few rounds, alternating, after one of each that makes what is made once.
    constexpr int Rounds = 5;
    std::vector<double> Shown[2], Repaint[2];
    for (int Round = -1; Round < Rounds; ++Round)
        for (int Skinned = 0; Skinned < 2; ++Skinned) {
            auto F = MakeGallery(Skinned);
            const double T = ShowAndPaint(*F, Skinned);
            if (T < 0) {
                std::printf("the %s gallery did not finish painting\n",
                            Skinned ? "skinned" : "plain");
                return 1;
            }
            const HWND Wnd = F->Handle();
            const double Full = Bench::PerCall(
                3,
                [Wnd] {
                    RedrawWindow(Wnd, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN |
                                     RDW_UPDATENOW);
                    Pump();
                },
                true);
            if (Round >= 0) {
                Shown[Skinned].push_back(T * 1e3);
                Repaint[Skinned].push_back(Full / 1e3);
            }
            Close(F);
        }
    const TFigures ShowPlain = Summary(Shown[0]), ShowSkin = Summary(Shown[1]);
    const TFigures FullPlain = Summary(Repaint[0]), FullSkin = Summary(Repaint[1]);
    std::printf("gallery, Show until all painted (%d rounds): skinned min %.1f ms, median %.1f ms;"
                " plain min %.1f ms, median %.1f ms; ratio min %.2f, median %.2f (aim <= 2)\n",
                Rounds, ShowSkin.Min, ShowSkin.Median, ShowPlain.Min, ShowPlain.Median,
                ShowSkin.Min / ShowPlain.Min, ShowSkin.Median / ShowPlain.Median);
    Bench::Row("skinned gallery shown and painted vs plain", ShowSkin.Median, ShowPlain.Median,
               "ms", 2);
    std::printf("gallery, full repaint of the shown window: skinned min %.1f ms, median %.1f ms;"
                " plain min %.1f ms, median %.1f ms; ratio min %.2f, median %.2f\n",
                FullSkin.Min, FullSkin.Median, FullPlain.Min, FullPlain.Median,
                FullSkin.Min / FullPlain.Min, FullSkin.Median / FullPlain.Median);

    // One panel's text changed on the shown skinned gallery, once it has finished painting.
    auto F = MakeGallery(true);
    if (ShowAndPaint(*F, true) < 0) return 1;
    auto* Bar = dynamic_cast<TStatusBar*>(F->FindComponent(L"StatusBar1"));
    if (!Bar) return 1;
    std::map<HWND, int> Counted;
    THookHandle Sent(SetWindowsHookExW(WH_CALLWNDPROC, &SentProc, nullptr, GetCurrentThreadId()));
    THookHandle Taken(SetWindowsHookExW(WH_GETMESSAGE, &TakenProc, nullptr, GetCurrentThreadId()));
    Paints = &Counted;
    Bar->Panels(1)->SetText(L"Changed text");
    const HWND BarWnd = Bar->Handle();
    WaitFor([&] { return Counted[BarWnd] > 0 && Quiet(); });
    WaitFor([] { return false; }, 300); // a repaint put off by a timer would come within this
    Paints = nullptr;
    int Windows = 0, Total = 0;
    for (const auto& [Wnd, N] : Counted)
        if (N > 0) {
            ++Windows;
            Total += N;
        }
    std::printf("status-bar text change: %d window(s) painted, %d WM_PAINT in all, the status "
                "bar %d time(s) (aim: the status bar alone)\n",
                Windows, Total, Counted[BarWnd]);
    Close(F);
    return 0;
}
