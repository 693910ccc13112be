// Edge docking and auto-hide on real windows: the snapping rules on the rectangles of WM_MOVING,
// a real caption drag, hiding and showing driven by the real pointer and the 558 ms wake-up
// timer, the replacement events, the always-on-top switch and the range checks.
#include "DesktopTesting.h"
#include "Reader.h"
#include "ZnHideForm.h"
#include "hTrayIcon.h"

#include <atomic>
#include <thread>

namespace {

constexpr int FormW = 240, FormH = 230;
// Windows timers under Wine come late by up to a few tens of milliseconds, and the idle check
// that follows a tick needs a little more; a leave must be noticed within one period plus this.
constexpr DWORD TimerSlack = 250;

// What the system's move loop does on one drag step: offers the rectangle through WM_MOVING and
// puts the window where the answer says.
RECT DragStep(TCustomForm& F, int Left, int Top) {
    RECT R{Left, Top, Left + F.Width(), Top + F.Height()};
    SendMessageW(F.Handle(), WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&R));
    F.SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    return R;
}

struct TDockFixture : ::testing::Test {
    std::unique_ptr<TDeskForm> Form = MakeDeskForm(400, 300, FormW, FormH);
    TZnHideForm* Hide = nullptr;
    TDeskPad* Pad = nullptr;
    std::vector<TDockPos> Docked;

    void SetUp() override {
        Form->SetName(L"DockForm");
        Pad = new TDeskPad(Form.get());
        Pad->SetParent(Form.get());
        Pad->SetBounds(20, 20, 100, 40);
        Hide = new TZnHideForm(Form.get());
        Hide->DockEvent = [this](TDockPos P) { Docked.push_back(P); };
        Form->Show();
        Hide->SetAutoDock(true);
    }
    void TearDown() override { PointerToDesktop(); }

    // Docks the form at an edge by one drag step from where it is.
    void DockAt(TDockPos Where) {
        switch (Where) {
        case dpTop:
            DragStep(*Form, 400, 5);
            break;
        case dpLeft:
            DragStep(*Form, 4, 300);
            break;
        case dpRight:
            DragStep(*Form, ScreenW() - FormW - 4, 300);
            break;
        case dpNone:
            break;
        }
        ASSERT_EQ(Hide->DockPos(), Where);
    }

    // The pointer onto a screen point, and the library noticing it (as after real input).
    bool PointerOn(POINT P, TControl* Expected) {
        SetCursorPos(P.x, P.y);
        return WaitFor([&] { return Application->MouseControl() == Expected; }, 2000);
    }
    POINT FormCentre() const { return {Form->Left() + FormW / 2, Form->Top() + FormH - 20}; }
};

} // namespace

TEST(ZnHideForm, NeedsAFormAmongItsOwnersAndStartsWithItsDefaults) {
    TComponent Loose(nullptr);
    try {
        TZnHideForm Bad(&Loose);
        FAIL() << "created without a form";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), L"未找到主窗体");
    }
    EXPECT_EQ(Loose.ComponentCount(), 0);

    auto F = MakeDeskForm(10, 10, 100, 100);
    auto* Holder = new TComponent(F.get());
    auto* H = new TZnHideForm(Holder);
    EXPECT_EQ(H->Form(), F.get());
    EXPECT_EQ(H->EdgeSpace(), 3);
    EXPECT_EQ(H->ValidSpace(), 10);
    EXPECT_EQ(H->DockPos(), dpNone);
    EXPECT_FALSE(H->AutoDock());
    EXPECT_FALSE(H->AlwaysTop());
    EXPECT_EQ(GetPropText(*H, L"DockPos"), L"dpNone");
    EXPECT_THROW(SetPropText(*H, L"DockPos", L"dpTop"), EPropertyError);
}

TEST(ZnHideForm, RangeChecksRefuseWithTheirMessagesAndKeepTheOldValue) {
    auto F = MakeDeskForm(10, 10, 100, 100);
    auto* H = new TZnHideForm(F.get());
    for (int Bad : {0, 51, -1}) {
        try {
            H->SetEdgeSpace(Bad);
            ADD_FAILURE() << "EdgeSpace " << Bad << " taken";
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), L"请填写1-50以内的数字");
        }
    }
    EXPECT_EQ(H->EdgeSpace(), 3);
    H->SetEdgeSpace(1);
    H->SetEdgeSpace(50);
    EXPECT_EQ(H->EdgeSpace(), 50);
    for (int Bad : {4, 51}) {
        try {
            H->SetValidSpace(Bad);
            ADD_FAILURE() << "ValidSpace " << Bad << " taken";
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), L"请填写5-50以内的数字");
        }
    }
    EXPECT_EQ(H->ValidSpace(), 10);
    H->SetValidSpace(5);
    EXPECT_EQ(H->ValidSpace(), 5);
    // The stored description goes through the same checks.
    EXPECT_THROW(SetPropText(*H, L"EdgeSpace", L"0"), Exception);
    EXPECT_EQ(H->EdgeSpace(), 50);
}

TEST_F(TDockFixture, TopSnapsWhenMovingUpAndReleasesWhenMovingDown) {
    RECT R = DragStep(*Form, 400, 7);
    EXPECT_EQ(R.top, 0);
    EXPECT_EQ(R.bottom, FormH);
    EXPECT_EQ(R.left, 400);
    EXPECT_EQ(Hide->DockPos(), dpTop);
    EXPECT_EQ(Form->Top(), 0);
    EXPECT_EQ(Form->Height(), FormH);
    EXPECT_EQ(Docked, std::vector<TDockPos>{dpTop});
    // Downwards from the edge: still within the distance, but moving away, so no snap.
    R = DragStep(*Form, 400, 5);
    EXPECT_EQ(R.top, 5);
    EXPECT_EQ(Hide->DockPos(), dpNone);
    EXPECT_EQ(Docked.size(), 1u) << "undocked steps raise no DockEvent";
    // Far from every edge.
    DragStep(*Form, 400, 300);
    EXPECT_EQ(Hide->DockPos(), dpNone);
}

TEST_F(TDockFixture, TheTopEdgeWinsInTheTopLeftCorner) {
    RECT R = DragStep(*Form, 4, 6);
    EXPECT_EQ(R.top, 0);
    EXPECT_EQ(R.left, 4) << "the left coordinate stays where the drag put it";
    EXPECT_EQ(R.right - R.left, FormW);
    EXPECT_EQ(Hide->DockPos(), dpTop);
}

TEST_F(TDockFixture, LeftSnapsWhenMovingLeft) {
    RECT R = DragStep(*Form, 8, 300);
    EXPECT_EQ(R.left, 0);
    EXPECT_EQ(R.right, FormW);
    EXPECT_EQ(Hide->DockPos(), dpLeft);
    EXPECT_EQ(Docked, std::vector<TDockPos>{dpLeft});
}

TEST_F(TDockFixture, RightSnapsOnlyWhenMovingRight) {
    const int S = ScreenW();
    RECT R = DragStep(*Form, S - FormW - 6, 300);
    EXPECT_EQ(R.right, S);
    EXPECT_EQ(R.left, S - FormW);
    EXPECT_EQ(Hide->DockPos(), dpRight);
    // The same place reached moving left (the form started further right) does not snap.
    Hide->SetAutoDock(false);
    Form->SetBounds(S - FormW + 60, 300, FormW, FormH);
    Hide->SetAutoDock(true);
    R = DragStep(*Form, S - FormW - 6, 300);
    EXPECT_EQ(R.right, S - 6);
    EXPECT_EQ(Hide->DockPos(), dpNone);
}

TEST_F(TDockFixture, TheBottomEdgeNeverDocks) {
    const int H = ScreenH();
    RECT R = DragStep(*Form, 400, H - FormH - 4);
    EXPECT_EQ(R.bottom, H - 4);
    EXPECT_EQ(Hide->DockPos(), dpNone);
    R = DragStep(*Form, 400, H - FormH + 2);
    EXPECT_EQ(R.bottom, H + 2);
    EXPECT_EQ(Hide->DockPos(), dpNone);
    EXPECT_TRUE(Docked.empty());
}

TEST_F(TDockFixture, TopDockedFormHidesToItsStripAndComesBackOnATouchOrASlideOut) {
    DockAt(dpTop);
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    EXPECT_FALSE(Hide->Hidden());
    // No input reaches the program once the pointer is over the desktop: only the wake-up
    // timer lets the library notice the leave.
    DWORD Start = GetTickCount();
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    DWORD Took = GetTickCount() - Start;
    EXPECT_LE(Took, TZnHideForm::WakeUpInterval + TimerSlack);
    EXPECT_EQ(Form->Top(), 3 - FormH); // -227: three pixels on screen
    RECT W;
    GetWindowRect(Form->Handle(), &W);
    EXPECT_EQ(W.top, -227);
    EXPECT_EQ(W.bottom, 3);
    EXPECT_EQ(Hide->DockPos(), dpTop);
    // Touching the strip brings it back.
    SetCursorPos(Form->Left() + FormW / 2, 1);
    ASSERT_TRUE(WaitFor([&] { return !Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Top(), 0);
    GetWindowRect(Form->Handle(), &W);
    EXPECT_EQ(W.top, 0);
    // And away again.
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Top(), -227);

    // The program slides it out: it stays out while the pointer keeps away ...
    Hide->SlideOut();
    EXPECT_FALSE(Hide->Hidden());
    EXPECT_EQ(Form->Top(), 0);
    PumpFor(2 * TZnHideForm::WakeUpInterval + TimerSlack);
    EXPECT_EQ(Form->Top(), 0);
    Hide->SlideOut();
    EXPECT_EQ(Form->Top(), 0) << "a form in sight stays where it is";
    // ... and goes once the pointer has been on it and left, as after a touch.
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Top(), -227);
}

TEST_F(TDockFixture, RightDockedFormHidesToScreenWidthLessEdgeSpace) {
    const int S = ScreenW();
    DockAt(dpRight);
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Left(), S - 3);
    SetCursorPos(S - 2, Form->Top() + FormH / 2);
    ASSERT_TRUE(WaitFor([&] { return !Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Left(), S - FormW);
}

TEST_F(TDockFixture, LeftDockedFormWithWiderStripHidesAndComesBack) {
    Hide->SetEdgeSpace(7);
    DockAt(dpLeft);
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Left(), 7 - FormW);
    SetCursorPos(5, Form->Top() + FormH / 2);
    ASSERT_TRUE(WaitFor([&] { return !Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Left(), 0);
}

TEST_F(TDockFixture, MovingThePointerOntoAControlDoesNotHide) {
    DockAt(dpTop);
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    POINT OnPad = Pad->ClientToScreen({50, 20});
    ASSERT_TRUE(PointerOn(OnPad, Pad));
    // The form heard a leave (for itself) and an enter (for the control); give the wake-up
    // timer two periods to prove nothing else follows.
    PumpFor(2 * TZnHideForm::WakeUpInterval + TimerSlack);
    EXPECT_FALSE(Hide->Hidden());
    EXPECT_EQ(Form->Top(), 0);
    // Back onto the form, then away from both: now it hides.
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    EXPECT_FALSE(Hide->Hidden());
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
}

TEST_F(TDockFixture, ReplacementEventsTakeOverTheMovesButKeepTheHiddenFlag) {
    std::vector<std::wstring> Log;
    Hide->OnHideForm = [&](TDockPos P) { Log.push_back(L"hide " + EnumToString(P)); };
    Hide->OnShowForm = [&](TDockPos P) { Log.push_back(L"show " + EnumToString(P)); };
    DockAt(dpTop);
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    EXPECT_EQ(Form->Top(), 0) << "the built-in move was replaced";
    EXPECT_EQ(Log, std::vector<std::wstring>{L"hide dpTop"});
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    EXPECT_FALSE(Hide->Hidden());
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"hide dpTop", L"show dpTop"}));
    // A slide out is a show like the touch's.
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    Hide->SlideOut();
    EXPECT_FALSE(Hide->Hidden());
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"hide dpTop", L"show dpTop", L"hide dpTop",
                                              L"show dpTop"}));
}

TEST_F(TDockFixture, AutoDockOffWhileHiddenLeavesTheFormHiddenAndUnhooksEverything) {
    DockAt(dpTop);
    ASSERT_TRUE(PointerOn(FormCentre(), Form.get()));
    PointerToDesktop();
    ASSERT_TRUE(WaitFor([&] { return Hide->Hidden(); }, 3000));
    HWND WakeUp = Hide->WakeUpWindow();
    ASSERT_TRUE(IsWindow(WakeUp));
    long Timers = LiveHandles(THandleKind::Timer);

    Hide->SetAutoDock(false);
    EXPECT_EQ(Hide->DockPos(), dpNone);
    EXPECT_EQ(Form->Top(), -227);
    EXPECT_FALSE(IsWindow(WakeUp));
    EXPECT_EQ(LiveHandles(THandleKind::Timer), Timers - 1);
    // No more snapping, and the pointer on the strip changes nothing.
    RECT R = DragStep(*Form, 400, 7);
    EXPECT_EQ(R.top, 7);
    SetCursorPos(450, 8);
    ASSERT_TRUE(WaitFor([&] { return Application->MouseControl() != nullptr; }, 2000));
    PumpFor(100);
    EXPECT_EQ(Form->Top(), 7);
}

TEST(ZnHideForm, RealCaptionDragSnapsToTheTop) {
    auto F = std::make_unique<TDeskForm>(nullptr);
    F->SetBorderStyle(bsSingle);
    F->SetBounds(300, 200, 260, 200);
    auto* H = new TZnHideForm(F.get());
    std::vector<TDockPos> Docked;
    H->DockEvent = [&](TDockPos P) { Docked.push_back(P); };
    // A press on the caption starts the move loop only once the window gets the pointer's
    // events: the form tells when the pointer is seen over its caption.
    std::atomic<bool> OverCaption{false};
    TWindowProcHook Watch;
    Watch.Install(*F, [&](TMessage& M, const TWndMethod& Previous) {
        if (M.Msg == WM_NCMOUSEMOVE && M.WParam == HTCAPTION) OverCaption = true;
        Previous(M);
    });
    F->Show();
    SetForegroundWindow(F->Handle());
    H->SetAutoDock(true);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == F->Handle(); }, 2000));
    RECT W;
    GetWindowRect(F->Handle(), &W);
    const int CaptionY = W.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    const int GrabX = W.left + 60;
    const int GrabDy = CaptionY - W.top;
    // The system's move loop is modal on this thread: a second thread moves the mouse.
    std::atomic<bool> Done{false};
    std::thread Mouse([&] {
        auto Send = [](DWORD Flags, int X, int Y) {
            INPUT I{};
            I.type = INPUT_MOUSE;
            I.mi.dx = X * 65535 / (ScreenW() - 1);
            I.mi.dy = Y * 65535 / (ScreenH() - 1);
            I.mi.dwFlags = Flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
            SendInput(1, &I, sizeof(I));
            Sleep(30); // the pace of a hand, not a wait for the program
        };
        for (int I = 0; I < 100 && !OverCaption; ++I)
            Send(0, GrabX + I % 2, CaptionY);
        Send(MOUSEEVENTF_LEFTDOWN, GrabX, CaptionY);
        for (int Top = W.top - 20; Top >= 7; Top -= 20)
            Send(0, GrabX, Top + GrabDy);
        Send(0, GrabX, 7 + GrabDy);
        Send(MOUSEEVENTF_LEFTUP, GrabX, 7 + GrabDy);
        // Injected moves need not move the X server's pointer, and a later X event would put
        // Wine's pointer back where that one stayed: the hand stays where it let go.
        SetCursorPos(GrabX, 7 + GrabDy);
        Done = true;
    });
    bool Finished = WaitFor([&] { return Done.load(); }, 10000);
    Mouse.join();
    ASSERT_TRUE(Finished);
    POINT P;
    GetCursorPos(&P);
    SCOPED_TRACE("pointer after the drag " + std::to_string(P.x) + "," + std::to_string(P.y));
    // The last drag step may still be on its way through the move loop's messages.
    WaitFor(
        [&] {
            GetWindowRect(F->Handle(), &W);
            return W.top == 0;
        },
        2000);
    GetWindowRect(F->Handle(), &W);
    EXPECT_EQ(W.top, 0);
    EXPECT_EQ(W.bottom - W.top, 200);
    EXPECT_EQ(H->DockPos(), dpTop);
    ASSERT_FALSE(Docked.empty());
    EXPECT_EQ(Docked.back(), dpTop);
    PointerToDesktop();
}

TEST(ZnHideForm, AlwaysTopMakesATopmostFormAndAHiddenToolApplicationWindow) {
    auto F = MakeDeskForm(100, 100, 200, 150);
    F->SetFormStyle(fsNormal);
    F->HandleNeeded();
    HWND App = Application->Handle();
    ShowWindow(App, SW_SHOW);
    auto* H = new TZnHideForm(F.get());
    int Shows = 0;
    F->OnShow = [&](TObject*) { ++Shows; };
    ASSERT_FALSE(GetWindowLongW(F->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_FALSE(IsWindowVisible(F->Handle()));

    H->SetAlwaysTop(true);
    EXPECT_TRUE(GetWindowLongW(F->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(F->Handle())) << "switched on at run time, it shows the form";
    EXPECT_TRUE(F->Visible());
    EXPECT_EQ(Shows, 1) << "through the form's own showing";
    EXPECT_FALSE(IsWindowVisible(App));
    LONG Ex = GetWindowLongW(App, GWL_EXSTYLE);
    EXPECT_TRUE(Ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(Ex & WS_EX_APPWINDOW);

    H->SetAlwaysTop(false);
    EXPECT_FALSE(GetWindowLongW(F->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(App));
    Ex = GetWindowLongW(App, GWL_EXSTYLE);
    EXPECT_FALSE(Ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(Ex & WS_EX_APPWINDOW);
    ShowWindow(App, SW_HIDE);
}

namespace {

class TDockDescForm : public TForm {
    DECLARE_CLASS(TDockDescForm, TForm)
  public:
    explicit TDockDescForm(TComponent* AOwner) : TForm(AOwner) {
        OnShow = [this](TObject*) { ++Shows; };
    }
    int Shows = 0;
};

} // namespace

PUBLISHED(TDockDescForm) {}

TEST(ZnHideForm, StoredDescriptionSettingsApplyWithoutShowingTheFormEarly) {
    auto F = std::make_unique<TDockDescForm>(nullptr);
    ReadComponentText(*F, std::string_view(R"(object DockDescForm: TDockDescForm
  Left = 571
  Top = 281
  Width = 246
  Height = 240
  object ZnHideForm1: TZnHideForm
    AutoDock = True
    AlwaysTop = True
    EdgeSpace = 3
    ValidSpace = 10
  end
end
)"));
    auto* H = dynamic_cast<TZnHideForm*>(F->FindComponent(L"ZnHideForm1"));
    ASSERT_NE(H, nullptr);
    EXPECT_TRUE(H->AutoDock());
    EXPECT_TRUE(H->AlwaysTop());
    EXPECT_NE(H->WakeUpWindow(), nullptr);
    EXPECT_TRUE(GetWindowLongW(F->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowVisible(F->Handle())) << "made topmost, not shown behind its back";
    EXPECT_EQ(F->Shows, 0);
    F->Show();
    EXPECT_EQ(F->Shows, 1) << "the form's own showing still runs OnShow";
    RECT R = DragStep(*F, 571, 6);
    EXPECT_EQ(R.top, 0);
    EXPECT_EQ(H->DockPos(), dpTop);
    H->SetAlwaysTop(false);
    ShowWindow(Application->Handle(), SW_HIDE);
}

TEST(ZnHideForm, FreeingTheComponentGivesTheFormItsWindowProcedureBack) {
    auto F = MakeDeskForm(100, 100, 200, 150);
    F->Show();
    long Windows = LiveHandles(THandleKind::Window);
    long Timers = LiveHandles(THandleKind::Timer);
    auto* H = new TZnHideForm(F.get());
    H->SetAutoDock(true);
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows + 1);
    EXPECT_EQ(LiveHandles(THandleKind::Timer), Timers + 1);
    delete H;
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
    EXPECT_EQ(LiveHandles(THandleKind::Timer), Timers);
    RECT R = DragStep(*F, 100, 6);
    EXPECT_EQ(R.top, 6) << "no hook left behind";
}

TEST(ZnHideForm, AFormThatGoesFirstTakesTheWakeUpTimerWithIt) {
    const long Windows = LiveHandles(THandleKind::Window);
    const long Timers = LiveHandles(THandleKind::Timer);
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* H = new TZnHideForm(F.get());
    H->SetAutoDock(true);
    F->RemoveComponent(H); // the component now outlives its form
    ASSERT_EQ(LiveHandles(THandleKind::Timer), Timers + 1);
    F.reset();
    EXPECT_EQ(H->Form(), nullptr);
    EXPECT_EQ(H->WakeUpWindow(), nullptr);
    EXPECT_EQ(LiveHandles(THandleKind::Timer), Timers);
    delete H;
    EXPECT_EQ(LiveHandles(THandleKind::Timer), Timers);
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
}

TEST(ZnHideForm, BothComponentsHookTheFormAndLetGoInAnyOrder) {
    auto F = MakeDeskForm(100, 100, 200, 150);
    F->Show();
    auto* H = new TZnHideForm(F.get());
    H->SetAutoDock(true);
    auto* Tray = new ThTrayIcon(F.get()); // hooks the form over the docking hook
    auto Shell = SetShellNotifyHandler([](DWORD, const void*, bool) { return TRUE; });
    int ToTray = 0;
    Tray->SetMinimizeToTray(true);
    Tray->OnMinimizeToTray = [&](TObject*) { ++ToTray; };
    auto Minimise = [&] { return SendMessageW(F->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0); };

    // The inner hook goes first: the outer one keeps working, the inner one is silent.
    H->SetAutoDock(false);
    EXPECT_EQ(DragStep(*F, 100, 6).top, 6);
    EXPECT_EQ(Minimise(), 1);
    EXPECT_EQ(ToTray, 1);
    F->Show();
    H->SetAutoDock(true);
    EXPECT_EQ(DragStep(*F, 100, 6).top, 0) << "hooked again, now outermost";
    delete Tray;
    EXPECT_EQ(DragStep(*F, 100, 40).top, 40);
    EXPECT_EQ(DragStep(*F, 100, 6).top, 0) << "the docking hook outlived the tray's";
    delete H;
    EXPECT_EQ(DragStep(*F, 100, 6).top, 6);
    SetShellNotifyHandler(Shell);
}
