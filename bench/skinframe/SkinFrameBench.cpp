// How long the frame skin takes, each beside a plain BitBlt of the same area to the same
// window in the same run: a full frame paint of a window the size of the dialer's (edges,
// caption strip, buttons), the same when activation makes every picture anew, a caption
// button's hover repaint, and how many regions a resize
// drag and a run of repaints make (one per size, none per paint).
#include "BenchRow.h"
#include "BenchSkin.h"
#include "BenchTiming.h"
#include "Handles.h"
#include "Reader.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

class TBenchForm : public TForm {
    DECLARE_CLASS(TBenchForm, TForm)
  public:
    using TForm::TForm;
};

// Drawing to the window: each call's drawing is waited for.
double PerCall(int Calls, const std::function<void()>& Work) {
    return Bench::PerCall(Calls, Work, true);
}

// A BitBlt of a W x H memory picture to the window's frame, at the window's top-left.
double BlitToWindow(HWND Wnd, int X, int Y, int W, int H, int Calls) {
    TBitmap From(W, H, pf24bit);
    HDC Src = From.Canvas()->Handle();
    return PerCall(Calls, [&] {
        TWindowDC DC(Wnd, true);
        BitBlt(DC, X, Y, W, H, Src, 0, 0, SRCCOPY);
    });
}

void Report(const char* What, double Us, double BitBltUs) {
    std::printf("%-40s %9.1f us/call  %6.2f x BitBlt of the same area (%.1f us)\n", What, Us,
                Us / BitBltUs, BitBltUs);
}

} // namespace

PUBLISHED(TBenchForm) {}

int main() {
    Application->Initialize();
    Bench::LoadDefaultSkin();

    // What one skinned window holds: GDI objects and memory DCs of our wrappers, counted
    // around a second window skinned, painted in both looks and hovered.
    auto Held = [] { return LiveHandles(THandleKind::GdiObject) + LiveHandles(THandleKind::DC); };
    auto* Form = new TBenchForm(nullptr);
    Form->SetBorderStyle(bsSingle);
    Form->SetBounds(100, 100, 300, 300);
    Form->SetClientSize(240, 206);
    Form->SetFormStyle(fsStayOnTop);
    Form->SetCaption(L"电脑拨号http://www.example.com/(V1.5B)");
    Form->Show();
    SetForegroundWindow(Form->Handle());
    TWinSkinForm* Frame = Bench::WaitForFrame(Form->Handle());
    if (!Frame) {
        std::printf("the window was not skinned\n");
        return 1;
    }
    const RECT R = Frame->FrameRect();
    const HWND Wnd = Form->Handle();

    const double Paint = PerCall(200, [&] { Frame->PaintFrame(); });
    const double Blit = BlitToWindow(Wnd, 0, 0, R.right, R.bottom, 200);
    Report("full frame paint (246 x 238)", Paint, Blit);
    Bench::Row("frame paint vs BitBlt of the frame", Paint, Blit, "us");
    // Activation switches between the active and the inactive look, each composed once.
    int Turn = 0;
    const double Anew = PerCall(100, [&] { SendMessageW(Wnd, WM_NCACTIVATE, ++Turn % 2, 0); });
    SendMessageW(Wnd, WM_NCACTIVATE, TRUE, 0);
    Report("activation repaint (both looks kept)", Anew, Blit);
    Bench::Row("frame activation repaint vs BitBlt of the frame", Anew, Blit, "us", 4);

    TWinSysButton* Close = nullptr;
    for (auto& B : Frame->NCButtons)
        if (B->SkinButton->Action == 0 && B->Visible) Close = B.get();
    if (Close) {
        const RECT B = Close->Bounds;
        Close->State = nsHot;
        const double Hover = PerCall(1000, [&] { Close->Paint(); });
        Report("caption button hover repaint", Hover,
               BlitToWindow(Wnd, B.left, B.top, B.right - B.left, B.bottom - B.top, 1000));
        Close->State = nsNormal;
    }

    {
        const long Before = Held();
        auto* Second = new TBenchForm(nullptr);
        Second->SetBorderStyle(bsSingle);
        Second->SetBounds(420, 100, 300, 300);
        Second->SetCaption(L"Second");
        Second->Show();
        SetForegroundWindow(Second->Handle());
        if (TWinSkinForm* F = Bench::WaitForFrame(Second->Handle())) {
            F->PaintFrame();
            SendMessageW(Second->Handle(), WM_NCACTIVATE, FALSE, 0);
            SendMessageW(Second->Handle(), WM_NCACTIVATE, TRUE, 0);
            for (auto& B : F->NCButtons)
                if (B->Visible) {
                    B->State = nsHot;
                    B->Paint();
                    B->State = nsNormal;
                    B->Paint();
                }
            std::printf("GDI objects and DCs held by one skinned window: %ld\n", Held() - Before);
        }
        delete Second;
        SetForegroundWindow(Wnd);
    }

    const int Before = Frame->RegionBuilds;
    for (int W = 0; W < 50; ++W)
        SetWindowPos(Wnd, nullptr, 0, 0, R.right + W, R.bottom + W / 2,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int Drag = Frame->RegionBuilds - Before;
    for (int I = 0; I < 50; ++I) {
        Frame->PaintFrame();
        SendMessageW(Wnd, WM_NCACTIVATE, I % 2, 0);
    }
    const int Paints = Frame->RegionBuilds - Before - Drag;
    std::printf("regions made: %d over a resize drag through 50 sizes, %d over 50 repaints\n", Drag,
                Paints);
    return 0;
}
