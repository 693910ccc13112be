// Controls and forms under Wine, checked the way user32's own tests do it: the messages a
// window procedure sees are recorded and compared with the expected sequence.
#include "ExtCtrls.h"
#include "Forms.h"
#include "UtilWindow.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class TTestForm : public TForm {
    DECLARE_CLASS(TTestForm, TForm)
  public:
    using TForm::TForm;
};

// A focusable control of its own class that records what reaches its default handling.
class TPad : public TCustomControl {
    DECLARE_CLASS(TPad, TCustomControl)
  public:
    explicit TPad(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
    std::vector<std::wstring> Defaults;

  protected:
    void WndProc(TMessage& M) override {
        if (M.Msg == WM_USER + 5) {
            Defaults.push_back(L"orig");
            return;
        }
        TCustomControl::WndProc(M);
    }
    void DefaultHandler(TMessage& M) override {
        if (M.Msg == WM_CHAR)
            Defaults.push_back(std::wstring(L"char ") + static_cast<wchar_t>(M.WParam));
        TCustomControl::DefaultHandler(M);
    }
};

class TMark : public TGraphicControl {
    DECLARE_CLASS(TMark, TGraphicControl)
  public:
    using TGraphicControl::TGraphicControl;
};

void Pump() {
    Application->ProcessMessages();
}

// Waits for messages (not a sleep) until Ms have passed, handling them as they come.
void PumpFor(DWORD Ms) {
    DWORD Start = GetTickCount();
    for (;;) {
        DWORD Elapsed = GetTickCount() - Start;
        if (Elapsed >= Ms) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, Ms - Elapsed, QS_ALLINPUT);
        Pump();
    }
}

// Handles messages, as the application's loop does between them, until Done() holds or Ms have
// passed; true when it held.
bool WaitUntil(const std::function<bool()>& Done, DWORD Ms) {
    DWORD Start = GetTickCount();
    while (!Done()) {
        DWORD Elapsed = GetTickCount() - Start;
        if (Elapsed >= Ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, Ms - Elapsed, QS_ALLINPUT);
        Pump();
        Application->Idle();
    }
    return true;
}

std::unique_ptr<TTestForm> MakeForm(int Left = 200, int Top = 200) {
    auto F = std::make_unique<TTestForm>(nullptr);
    F->SetName(L"Form");
    F->SetBounds(Left, Top, 300, 200);
    F->SetFormStyle(fsStayOnTop);
    return F;
}

template <class C> C* Add(TTestForm& F, TWinControl* Parent, const wchar_t* Name, RECT R) {
    auto* X = new C(&F);
    X->SetName(Name);
    X->SetParent(Parent);
    X->SetBounds(R.left, R.top, R.right, R.bottom);
    return X;
}

std::wstring NameOf(LPARAM L) {
    return L ? reinterpret_cast<TControl*>(L)->Name() : std::wstring(L"-");
}

struct TEnterLeaveLog {
    std::vector<std::wstring> Log;
    void Watch(TControl* C) {
        TWndMethod Saved = C->WindowProc;
        C->WindowProc = [this, C, Saved](TMessage& M) {
            if (M.Msg == CM_MOUSEENTER || M.Msg == CM_MOUSELEAVE)
                Log.push_back(C->Name() + (M.Msg == CM_MOUSEENTER ? L" enter " : L" leave ") +
                              NameOf(M.LParam));
            Saved(M);
        };
    }
    std::vector<std::wstring> Take() { return std::exchange(Log, {}); }
};

void MoveTo(const TControl& C, int X, int Y) {
    POINT P = C.ClientToScreen({X, Y});
    SetCursorPos(P.x, P.y);
    Pump();
    Application->Idle();
}

} // namespace

PUBLISHED(TTestForm) {}
PUBLISHED(TPad) {}
PUBLISHED(TMark) {}

TEST(Controls, WindowProcChainOfTwoIsReplacedAndRestored) {
    auto F = MakeForm();
    auto* Pad = Add<TPad>(*F, F.get(), L"Pad", {10, 10, 50, 30});
    F->Show();
    std::vector<std::wstring>& Log = Pad->Defaults;
    TWndMethod Original = Pad->WindowProc;
    Pad->WindowProc = [&, Original](TMessage& M) {
        if (M.Msg == WM_USER + 5) Log.push_back(L"first");
        Original(M);
    };
    TWndMethod First = Pad->WindowProc;
    Pad->WindowProc = [&, First](TMessage& M) {
        if (M.Msg == WM_USER + 5) Log.push_back(L"second");
        First(M);
    };
    SendMessageW(Pad->Handle(), WM_USER + 5, 0, 0); // through the window procedure
    Pad->Perform(WM_USER + 5);                      // straight to WindowProc
    Pad->WindowProc = First;
    SendMessageW(Pad->Handle(), WM_USER + 5, 0, 0);
    Pad->WindowProc = Original;
    SendMessageW(Pad->Handle(), WM_USER + 5, 0, 0);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"second", L"first", L"orig", L"second", L"first",
                                              L"orig", L"first", L"orig", L"orig"}));
}

TEST(Controls, PointerEnterAndLeaveReachControlsAndTheirParents) {
    auto F = MakeForm();
    auto* Pad = Add<TPad>(*F, F.get(), L"Pad", {20, 20, 60, 40});
    auto* Mark = Add<TMark>(*F, F.get(), L"Mark", {120, 20, 40, 40});
    F->Show();
    Pump();
    TEnterLeaveLog L;
    L.Watch(F.get());
    L.Watch(Pad);
    L.Watch(Mark);
    SetCursorPos(5, 5);
    Application->Idle();
    L.Take();

    MoveTo(*F, 5, 150);
    EXPECT_EQ(L.Take(), (std::vector<std::wstring>{L"Form enter -"}));
    MoveTo(*F, 200, 150); // still the form: nothing new
    EXPECT_EQ(L.Take(), (std::vector<std::wstring>{}));
    MoveTo(*Pad, 5, 5);
    EXPECT_EQ(L.Take(),
              (std::vector<std::wstring>{L"Form leave -", L"Pad enter -", L"Form enter Pad"}));
    MoveTo(*F, 130, 30); // the windowless control
    EXPECT_EQ(L.Take(), (std::vector<std::wstring>{L"Pad leave -", L"Form leave Pad",
                                                   L"Mark enter -", L"Form enter Mark"}));
    EXPECT_EQ(Application->MouseControl(), Mark);
    SetCursorPos(F->Left() + F->Width() + 50, F->Top() + 10); // out of the form
    Application->Idle();
    EXPECT_EQ(L.Take(), (std::vector<std::wstring>{L"Mark leave -", L"Form leave Mark"}));
    // A control freed while under the pointer is forgotten, not sent a leave later.
    MoveTo(*Pad, 5, 5);
    L.Take();
    delete Pad;
    EXPECT_EQ(Application->MouseControl(), nullptr);
}

TEST(Controls, FocusKeysAndAConsumedCharacter) {
    auto F = MakeForm();
    auto* A = Add<TPad>(*F, F.get(), L"A", {10, 10, 50, 30});
    auto* B = Add<TPad>(*F, F.get(), L"B", {70, 10, 50, 30});
    std::vector<std::wstring> Events;
    A->OnKeyPress = [&](TObject*, wchar_t& Key) {
        Events.push_back(std::wstring(L"press ") + Key);
        if (Key == L'x') Key = 0;    // consumed
        if (Key == L'a') Key = L'b'; // replaced
    };
    A->OnKeyUp = [&](TObject*, WORD& Key, TShiftState) {
        Events.push_back(L"up " + IntToStr(Key));
    };
    A->OnExit = [&](TObject*) { Events.push_back(L"exit A"); };
    B->OnEnter = [&](TObject*) { Events.push_back(L"enter B"); };
    F->Show();
    SetForegroundWindow(F->Handle());
    A->SetFocus();
    Pump();
    ASSERT_TRUE(A->Focused());
    EXPECT_EQ(F->ActiveControl(), A);
    PostMessageW(A->Handle(), WM_CHAR, L'x', 0);
    PostMessageW(A->Handle(), WM_CHAR, L'a', 0);
    PostMessageW(A->Handle(), WM_KEYUP, 'A', 0xC0000001);
    Pump();
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"press x", L"press a", L"up 65"}));
    EXPECT_EQ(A->Defaults, (std::vector<std::wstring>{L"char b"}));
    // Tab moves the focus on through the message loop.
    Events.clear();
    PostMessageW(A->Handle(), WM_KEYDOWN, VK_TAB, 0x000F0001);
    Pump();
    EXPECT_TRUE(B->Focused());
    EXPECT_EQ(F->ActiveControl(), B);
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"exit A", L"enter B"}));
    // With KeyPreview the form sees the keys first and may take them.
    F->SetKeyPreview(true);
    F->OnKeyPress = [&](TObject*, wchar_t& Key) {
        Events.push_back(std::wstring(L"form ") + Key);
        if (Key == L'q') Key = 0;
    };
    B->OnKeyPress = [&](TObject*, wchar_t& Key) { Events.push_back(std::wstring(L"B ") + Key); };
    Events.clear();
    PostMessageW(B->Handle(), WM_CHAR, L'q', 0);
    PostMessageW(B->Handle(), WM_CHAR, L'w', 0);
    Pump();
    EXPECT_EQ(Events, (std::vector<std::wstring>{L"form q", L"form w", L"B w"}));
}

TEST(Forms, OnShowRunsAtEveryShowing) {
    auto F = MakeForm();
    int Shows = 0, Hides = 0;
    F->OnShow = [&](TObject*) { ++Shows; };
    F->OnHide = [&](TObject*) { ++Hides; };
    F->Show();
    EXPECT_EQ(Shows, 1);
    F->Show(); // already showing
    EXPECT_EQ(Shows, 1);
    F->Hide();
    EXPECT_EQ(Hides, 1);
    EXPECT_FALSE(F->Visible());
    F->SetVisible(true);
    EXPECT_EQ(Shows, 2);
    // Shown by a plain ShowWindow call, as the tray icon does.
    ShowWindow(F->Handle(), SW_HIDE);
    EXPECT_FALSE(F->Visible());
    ShowWindow(F->Handle(), SW_SHOWNORMAL);
    EXPECT_EQ(Shows, 3);
    EXPECT_TRUE(F->Visible());
}

TEST(Forms, WindowsOfFormAndApplication) {
    Application->SetTitle(L"电脑拨号");
    auto F = MakeForm();
    F->SetBorderIcons({biSystemMenu, biMinimize, biHelp});
    F->SetBorderStyle(bsSingle);
    F->Show();
    HWND App = Application->Handle();
    wchar_t Buf[64];
    GetClassNameW(App, Buf, 64);
    EXPECT_STREQ(Buf, L"TApplication");
    GetWindowTextW(App, Buf, 64);
    EXPECT_STREQ(Buf, L"电脑拨号");
    GetClassNameW(F->Handle(), Buf, 64);
    EXPECT_STREQ(Buf, L"TTestForm");
    EXPECT_EQ(FindWindowW(L"TTestForm", nullptr), F->Handle());
    EXPECT_EQ(GetWindow(F->Handle(), GW_OWNER), App);
    LONG Style = GetWindowLongW(F->Handle(), GWL_STYLE);
    LONG Ex = GetWindowLongW(F->Handle(), GWL_EXSTYLE);
    EXPECT_TRUE(Style & WS_SYSMENU);
    EXPECT_TRUE(Style & WS_MINIMIZEBOX);
    EXPECT_FALSE(Style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(Ex & WS_EX_TOPMOST);
    EXPECT_FALSE(Ex & WS_EX_APPWINDOW);

    // The taskbar shows a button for a visible window that is unowned and no tool window, or
    // that asks for one with WS_EX_APPWINDOW. Only the application window qualifies.
    auto HasButton = [](HWND W) {
        LONG X = GetWindowLongW(W, GWL_EXSTYLE);
        return IsWindowVisible(W) &&
               ((X & WS_EX_APPWINDOW) || (!GetWindow(W, GW_OWNER) && !(X & WS_EX_TOOLWINDOW)));
    };
    ShowWindow(App, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(HasButton(App));
    EXPECT_FALSE(HasButton(F->Handle()));
    ShowWindow(App, SW_HIDE);
    SetWindowLongW(App, GWL_EXSTYLE,
                   (GetWindowLongW(App, GWL_EXSTYLE) & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    EXPECT_FALSE(HasButton(App));
    EXPECT_TRUE(IsWindowVisible(F->Handle())); // the form stays
    SetWindowLongW(App, GWL_EXSTYLE, GetWindowLongW(App, GWL_EXSTYLE) & ~WS_EX_TOOLWINDOW);
}

// Each window of ours is tied to its object by kind: a control is found only from a control's
// window, and what a program keeps in a window's user data never diverts its messages.
TEST(Forms, WindowsAreTiedToTheirObjectsByKind) {
    auto F = MakeForm();
    F->HandleNeeded();
    int UtilityHeard = 0;
    TUtilityWindow Utility([&](TMessage& M) {
        if (M.Msg == WM_USER + 5) ++UtilityHeard;
    });
    EXPECT_EQ(FindControl(F->Handle()), F.get());
    EXPECT_EQ(FindControl(Application->Handle()), nullptr);
    EXPECT_EQ(FindControl(Utility.Handle()), nullptr);

    int AppHeard = 0;
    const int Hook = Application->HookMainWindow([&](TMessage& M) {
        if (M.Msg == WM_USER + 5) ++AppHeard;
        return false;
    });
    const HWND Ours[] = {Application->Handle(), Utility.Handle(), F->Handle()};
    for (HWND W : Ours)
        SetWindowLongPtrW(W, GWLP_USERDATA, 0x5A5A5A5A);
    for (HWND W : Ours)
        SendMessageW(W, WM_USER + 5, 0, 0);
    EXPECT_EQ(AppHeard, 1);
    EXPECT_EQ(UtilityHeard, 1);
    EXPECT_EQ(FindControl(F->Handle()), F.get());
    Application->UnhookMainWindow(Hook);
    for (HWND W : Ours)
        SetWindowLongPtrW(W, GWLP_USERDATA, 0);
}

TEST(Forms, AutoSizeAndAlignment) {
    auto F = MakeForm();
    auto* Bar = Add<TPad>(*F, F.get(), L"Bar", {0, 187, 240, 19});
    auto* Left = Add<TPad>(*F, Bar, L"Left", {0, 0, 217, 5});
    auto* Right = Add<TPad>(*F, Bar, L"Right", {0, 0, 21, 5});
    Left->SetAlign(alLeft);
    Right->SetAlign(alRight);
    auto* Hidden = Add<TPad>(*F, F.get(), L"Hidden", {0, 0, 500, 500});
    Hidden->Hide();
    F->SetAutoSize(true);
    F->Show();
    EXPECT_EQ(F->ClientWidth(), 240);
    EXPECT_EQ(F->ClientHeight(), 206);
    EXPECT_EQ(Left->BoundsRect().left, 0);
    EXPECT_EQ(Left->Height(), 19);
    EXPECT_EQ(Right->Left(), 240 - 21);
    EXPECT_EQ(Right->Height(), 19);
    RECT R;
    GetWindowRect(Right->Handle(), &R);
    MapWindowPoints(nullptr, Bar->Handle(), reinterpret_cast<POINT*>(&R), 2);
    EXPECT_EQ(R.left, 219);
}

TEST(Forms, ExceptionsFromHandlersAreReportedNotPropagated) {
    auto F = MakeForm();
    auto* Pad = Add<TPad>(*F, F.get(), L"Pad", {10, 10, 50, 30});
    F->Show();
    std::wstring Reported;
    TObject* From = nullptr;
    Application->OnException = [&](TObject* Sender, std::exception_ptr E) {
        Reported = ExceptionMessage(E);
        From = Sender;
    };
    Pad->OnKeyPress = [](TObject*, wchar_t&) { throw Exception(L"handler failed"); };
    SendMessageW(Pad->Handle(), WM_CHAR, L'1', 0);
    Application->OnException = nullptr;
    EXPECT_EQ(Reported, L"handler failed");
    EXPECT_EQ(From, Pad);
}

TEST(Forms, HintShowsOverAControlWithShowHint) {
    auto F = MakeForm();
    F->SetShowHint(true);
    auto* Pad = Add<TPad>(*F, F.get(), L"Pad", {20, 20, 60, 40});
    Pad->SetHint(L"快捷键\"1\"");
    F->Show();
    Application->HintPause = 50;
    MoveTo(*Pad, 5, 5);
    ASSERT_TRUE(WaitUntil(
        [] { return Application->HintWindow() && IsWindowVisible(Application->HintWindow()); },
        3000));
    HWND Hint = Application->HintWindow();
    wchar_t Text[64];
    GetWindowTextW(Hint, Text, 64);
    EXPECT_STREQ(Text, L"快捷键\"1\"");
    SetCursorPos(5, 5);
    Application->Idle();
    EXPECT_FALSE(IsWindowVisible(Hint));
    Application->HintPause = 500;
}

TEST(Timers, UnchangedSettingsKeepTheCountdown) {
    // Tolerance: Wine's timers fire within a few tens of milliseconds of their time.
    constexpr DWORD Slack = 120;
    TTimer T(nullptr);
    std::vector<DWORD> Ticks;
    T.SetInterval(400);
    T.SetOnTimer([&](TObject*) { Ticks.push_back(GetTickCount()); });
    DWORD Start = GetTickCount();
    PumpFor(200);
    T.SetInterval(400); // unchanged
    T.SetEnabled(true); // already enabled
    while (Ticks.empty() && GetTickCount() - Start < 2000)
        PumpFor(10);
    ASSERT_FALSE(Ticks.empty());
    EXPECT_LT(Ticks[0] - Start, 400 + Slack) << "an unchanged interval restarted the countdown";
    EXPECT_GE(Ticks[0] - Start, 400 - 20);

    // A real change restarts it.
    Ticks.clear();
    Start = GetTickCount();
    PumpFor(200);
    T.SetInterval(401);
    DWORD Changed = GetTickCount();
    while (Ticks.empty() && GetTickCount() - Start < 2000)
        PumpFor(10);
    ASSERT_FALSE(Ticks.empty());
    EXPECT_GE(Ticks[0] - Changed, 401 - 20);
    EXPECT_LT(Ticks[0] - Changed, 401 + Slack);

    // Disabled: no ticks, and no window timer left running.
    T.SetEnabled(false);
    EXPECT_FALSE(T.Running());
    Ticks.clear();
    PumpFor(500);
    EXPECT_TRUE(Ticks.empty());
}

TEST(Forms, WindowsAreCountedAndFreed) {
    Application->Handle();
    long Windows = LiveHandles(THandleKind::Window);
    long Gdi = LiveHandles(THandleKind::GdiObject);
    // Under Wine without a window manager, taking down a shown window waits about 2 s for
    // the X server, so most cycles make the windows without showing them.
    for (int I = 0; I < 300; ++I) {
        auto F = MakeForm();
        auto* Pad = Add<TPad>(*F, F.get(), L"Pad", {10, 10, 50, 30});
        Add<TPad>(*F, Pad, L"Inner", {1, 1, 5, 5});
        Add<TMark>(*F, F.get(), L"Mark", {100, 10, 50, 30});
        if (I < 3)
            F->Show();
        else
            F->HandleNeeded();
        Pump();
        ASSERT_EQ(LiveHandles(THandleKind::Window), Windows + 3);
        if (I % 2) delete Pad; // a child going first
    }
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Gdi);
}
