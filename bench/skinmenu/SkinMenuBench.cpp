// How long the menu skin takes, each against a baseline measured in the same run: a drop-down
// opened from a click on its menu-bar button until its first item is painted (and until it is
// shown whole and closed again), on a window wearing the skin and on a window with the native
// menu bar and the same menus; and a repaint of the skin's menu bar strip against a BitBlt of a
// picture of the strip's size to the window.
#include "BenchRow.h"
#include "BenchSkin.h"
#include "BenchTiming.h"
#include "Reader.h"
#include "SkinTestMenus.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"
#include "WinSkinMenu.h"

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

using Bench::Median;
using Bench::Now;

// One opening: the time the first item was painted and the time the menu read its first message
// (everything shown), after which it is closed.
struct TOpening {
    double Start = 0, FirstItem = 0, Shown = 0;
    bool Seen = false;
};
TOpening Current;

LRESULT CALLBACK CloseAtFirstMessage(int Code, WPARAM W, LPARAM L) {
    if (Code == MSGF_MENU && !Current.Seen) {
        Current.Seen = true;
        Current.Shown = Now();
        EndMenu();
    }
    return CallNextHookEx(nullptr, Code, W, L);
}

// Notes when the window's first menu item of an opening was drawn, beneath whatever draws it.
class TDrawWatch {
  public:
    explicit TDrawWatch(HWND Wnd) {
        FSubclass.Install(
            Wnd,
            [this](TMessage& M) {
                FSubclass.CallPrevious(M);
                if (M.Msg == WM_DRAWITEM && !Current.FirstItem) Current.FirstItem = Now();
            },
            true);
    }

  private:
    TWindowSubclass FSubclass;
};

TBenchForm* MakeForm(int X) {
    auto* F = new TBenchForm(nullptr);
    ReadSkinTestMenus(*F, [](TMenuItem&) {});
    F->SetBorderStyle(bsSingle);
    F->SetFormStyle(fsStayOnTop);
    F->SetBounds(X, 100, 400, 300);
    F->SetClientSize(360, 200);
    F->SetCaption(L"Menu bench");
    return F;
}

void Settle() {
    for (int I = 0; I < 20; ++I) {
        Application->ProcessMessages();
        Sleep(5);
    }
}

// Median microseconds from the click to the first item painted, and to the whole drop-down
// shown, over Rounds openings of the drop-down at a screen point.
std::pair<double, double> Open(HWND Wnd, POINT At, int Rounds) {
    std::vector<double> First, Whole;
    for (int I = 0; I < Rounds; ++I) {
        Current = {};
        PostMessageW(Wnd, WM_NULL, 0, 0);
        Current.Start = Now();
        SendMessageW(Wnd, WM_NCLBUTTONDOWN, HTMENU, MAKELPARAM(At.x, At.y));
        Application->ProcessMessages();
        if (!Current.Seen || !Current.FirstItem) continue;
        First.push_back((Current.FirstItem - Current.Start) * 1e6);
        Whole.push_back((Current.Shown - Current.Start) * 1e6);
    }
    if (First.empty()) return {0, 0};
    return {Median(First), Median(Whole)};
}

} // namespace

PUBLISHED(TBenchForm) {}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Application->Initialize();
    // The window with the native menu bar comes first, while nothing is skinned yet.
    TBenchForm* Plain = MakeForm(560);
    Plain->Show();
    Settle();
    TBenchForm* Skinned = MakeForm(100);
    Skinned->Show();
    SetForegroundWindow(Skinned->Handle());
    Bench::LoadDefaultSkin(Skinned, sfOnlyThisForm);
    TWinSkinForm* Frame = Bench::WaitForFrame(Skinned->Handle());
    if (!Frame || !Frame->SkinMenu || SkinManager->FindForm(Plain->Handle())) {
        std::printf("the windows are not as the benchmark needs them\n");
        return 1;
    }
    Settle();
    THookHandle Closer(
        SetWindowsHookExW(WH_MSGFILTER, &CloseAtFirstMessage, nullptr, GetCurrentThreadId()));
    TDrawWatch WatchSkinned(Skinned->Handle()), WatchPlain(Plain->Handle());

    // The File drop-down of each: the skin's button, the native bar's first item.
    RECT Window;
    GetWindowRect(Skinned->Handle(), &Window);
    const RECT& B = Frame->SkinMenu->MenuButtons()[0]->Bounds;
    const POINT SkinnedAt{Window.left + B.left + 3, Window.top + B.top + 3};
    RECT Item;
    GetMenuItemRect(Plain->Handle(), GetMenu(Plain->Handle()), 0, &Item);
    const POINT PlainAt{Item.left + 3, Item.top + 3};
    std::vector<double> SkinnedFirst, PlainFirst, SkinnedWhole, PlainWhole;
    for (int Round = 0; Round < 7; ++Round) {
        SkinManager->SetSkinningEnabled(true);
        SetForegroundWindow(Skinned->Handle());
        Settle();
        const auto S = Open(Skinned->Handle(), SkinnedAt, 30);
        // The skin stays off the native window and its menus.
        SkinManager->SetSkinningEnabled(false);
        SetForegroundWindow(Plain->Handle());
        Settle();
        const auto P = Open(Plain->Handle(), PlainAt, 30);
        SkinnedFirst.push_back(S.first);
        SkinnedWhole.push_back(S.second);
        PlainFirst.push_back(P.first);
        PlainWhole.push_back(P.second);
    }
    SkinManager->SetSkinningEnabled(true);
    const double SF = Median(SkinnedFirst), PF = Median(PlainFirst);
    const double SW = Median(SkinnedWhole), PW = Median(PlainWhole);
    std::printf("%-44s %9.1f us  %5.2f x native (%.1f us)\n", "drop-down, click to first item", SF,
                SF / PF, PF);
    std::printf("%-44s %9.1f us  %5.2f x native (%.1f us)\n", "drop-down, click to all shown", SW,
                SW / PW, PW);
    Bench::Row("skinned menu drop-down shown vs native", SW, PW, "us");

    SetForegroundWindow(Skinned->Handle());
    Settle();
    const RECT Strip = Frame->SkinMenu->StripRect();
    const int W = Strip.right - Strip.left, H = Strip.bottom - Strip.top;
    const double Paint = Bench::PerCall(
        500,
        [&] {
            TWindowDC DC(Skinned->Handle(), true);
            Frame->SkinMenu->PaintStrip(DC);
        },
        true);
    TBitmap Picture(W, H, pf24bit);
    const double Blit = Bench::PerCall(
        500,
        [&] {
            TWindowDC DC(Skinned->Handle(), true);
            BitBlt(DC, Strip.left, Strip.top, W, H, Picture.Canvas()->Handle(), 0, 0, SRCCOPY);
        },
        true);
    std::printf("%-44s %9.1f us  %5.2f x BitBlt of the strip (%.1f us)\n", "menu bar strip repaint",
                Paint, Paint / Blit, Blit);
    Bench::Row("menu bar strip repaint vs BitBlt", Paint, Blit, "us");
    // After a change of the menu or the skin the strip is composed again, once.
    const double Anew = Bench::PerCall(
        200,
        [&] {
            Frame->SkinMenu->Invalidate();
            TWindowDC DC(Skinned->Handle(), true);
            Frame->SkinMenu->PaintStrip(DC);
        },
        true);
    std::printf("%-44s %9.1f us  %5.2f x BitBlt of the strip\n", "menu bar strip composed anew",
                Anew, Anew / Blit);
    return 0;
}
