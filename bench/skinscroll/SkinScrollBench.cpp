// Scrolling a 10 000-line memo from top to bottom by a thumb drag of the real pointer, skinned
// against an unskinned twin in the same run: the time the user-interface thread spends on the
// gesture, and how many times the skinned bar paints per scroll message.
#include "BenchRow.h"
#include "BenchSkin.h"
#include "Reader.h"
#include "StdCtrls.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"
#include "WinSubScroll.h"
#include "WndProcHook.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstdio>
#include <vector>

namespace {

class TBenchForm : public TForm {
    DECLARE_CLASS(TBenchForm, TForm)
  public:
    using TForm::TForm;
};

TMemo* AddMemo(TForm& F, int X) {
    auto* M = new TMemo(&F);
    M->SetParent(&F);
    M->SetBounds(X, 10, 200, 300);
    M->SetScrollBars(ssVertical);
    std::wstring Text;
    for (int I = 0; I < 10000; ++I)
        Text += L"line " + std::to_wstring(I) + L"\r\n";
    M->SetText(Text);
    return M;
}

// CPU time of this thread, in milliseconds.
double ThreadMs() {
    FILETIME C, E, K, U;
    GetThreadTimes(GetCurrentThread(), &C, &E, &K, &U);
    auto Ms = [](FILETIME T) {
        return static_cast<double>((static_cast<uint64_t>(T.dwHighDateTime) << 32) |
                                   T.dwLowDateTime) /
               1e4;
    };
    return Ms(K) + Ms(U);
}

void Send(DWORD Flags, POINT P) {
    INPUT I{};
    I.type = INPUT_MOUSE;
    I.mi.dx = P.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    I.mi.dy = P.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    I.mi.dwFlags = Flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &I, sizeof(I));
}

struct TDrag {
    double CpuMs;
    int ScrollMessages;
};

// The thumb dragged from the top to the bottom by a hand on another thread; this thread runs
// the memo's scroll loop meanwhile. Answers this thread's CPU time for the whole gesture.
TDrag Drag(TMemo* M, int& Scrolls) {
    const HWND W = M->Handle();
    SendMessageW(W, WM_VSCROLL, SB_TOP, 0);
    Application->ProcessMessages();
    SCROLLBARINFO I{};
    I.cbSize = sizeof(I);
    GetScrollBarInfo(W, OBJID_VSCROLL, &I);
    const RECT& B = I.rcScrollBar;
    const POINT Grab{(B.left + B.right) / 2, B.top + (I.xyThumbTop + I.xyThumbBottom) / 2};
    const int Span = (B.bottom - B.top) - I.xyThumbBottom;
    Scrolls = 0;
    std::atomic<bool> Done{false};
    const double Start = ThreadMs();
    std::thread Hand([&] {
        Send(0, Grab);
        Sleep(30);
        Send(MOUSEEVENTF_LEFTDOWN, Grab);
        for (int Step = 1; Step <= 60; ++Step) {
            Sleep(10);
            Send(0, {Grab.x, Grab.y + Span * Step / 60});
        }
        Sleep(30);
        Send(MOUSEEVENTF_LEFTUP, {Grab.x, Grab.y + Span});
        Done = true;
    });
    while (!Done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Application->ProcessMessages();
    }
    Hand.join();
    Application->ProcessMessages();
    return {ThreadMs() - Start, Scrolls};
}

} // namespace

PUBLISHED(TBenchForm) {}

int main() {
    Application->Initialize();
    TSkinData* Skin = Bench::LoadDefaultSkin();

    auto* Form = new TBenchForm(nullptr);
    Form->SetBorderStyle(bsSingle);
    Form->SetBounds(50, 50, 500, 400);
    Form->SetClientSize(440, 320);
    TMemo* Skinned = AddMemo(*Form, 10);
    TMemo* Plain = AddMemo(*Form, 230);
    Form->Show();
    TWinSkinForm* Frame = Bench::WaitForFrame(Form->Handle());
    if (!Frame) return 1;
    TSkinScrollbar* Bars = nullptr;
    for (TSkinControl* S : Frame->ControlSkins)
        if (S->Control == Skinned) Bars = dynamic_cast<TSkinScrollbar*>(S);
    if (!Bars) {
        Bars = new TSkinScrollbar(Skinned);
        Bars->InitScrollbar(Skinned, Skin, &Frame->ControlSkins);
    }
    // Scroll messages the memos receive during a gesture.
    int Scrolls = 0;
    for (TMemo* M : {Skinned, Plain}) {
        auto* Hook = new TWindowProcHook;
        Hook->Install(*M, [&Scrolls](TMessage& Msg, const TWndMethod& Previous) {
            if (Msg.Msg == WM_VSCROLL) ++Scrolls;
            Previous(Msg);
        });
    }
    std::vector<double> S, P;
    int Paints = 0, Messages = 0, Lines = 0;
    for (int Run = 0; Run < 5; ++Run) {
        P.push_back(Drag(Plain, Scrolls).CpuMs);
        const int Before = Bars->VertBar->Paints;
        Scrolls = 0;
        S.push_back(Drag(Skinned, Scrolls).CpuMs);
        Messages = Scrolls;
        Paints = Bars->VertBar->Paints - Before;
        Lines = GetScrollPos(Skinned->Handle(), SB_VERT);
    }
    std::sort(S.begin(), S.end());
    std::sort(P.begin(), P.end());
    std::printf("thumb drag from top to bottom of 10 000 lines (reached line %d): user-interface\n"
                "thread time skinned %.1f ms, unskinned %.1f ms, ratio %.2f (medians of 5)\n",
                Lines, S[2], P[2], P[2] > 0 ? S[2] / P[2] : 0.0);
    Bench::Row("thumb drag over 10 000 lines, skinned vs native bars", S[2], P[2], "ms");
    std::printf("bar paints: %d for %d scroll messages (%.2f each)\n", Paints, Messages,
                Messages ? static_cast<double>(Paints) / Messages : 0.0);
    return 0;
}
