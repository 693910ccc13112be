// The tray icon under Wine: every request to the shell is recorded through the component's
// door (and answered yes or no as a test needs), the shell's callbacks are delivered to the
// component's window as the shell sends them, and the minimise and restore paths run on the
// real application and form windows.
#include "DesktopTesting.h"
#include "Reader.h"
#include "hTrayIcon.h"

#include <cstring>

namespace {

struct TShellCall {
    DWORD Msg;
    TNotifyIconDataW W;
};

// Records every request; answers Answer, or asks the real shell when PassThrough.
struct TShellRecorder {
    std::vector<TShellCall> Calls;
    BOOL Answer = TRUE;
    bool PassThrough = false;
    TShellNotifyHandler Previous;

    TShellRecorder() {
        Previous = SetShellNotifyHandler([this](DWORD Msg, const void* Record, bool Wide) {
            TShellCall C{Msg, {}};
            EXPECT_TRUE(Wide) << "Wine is of the NT family";
            std::memcpy(&C.W, Record, sizeof(C.W));
            Calls.push_back(C);
            return PassThrough ? CallShellNotifyIcon(Msg, Record, Wide) : Answer;
        });
    }
    ~TShellRecorder() { SetShellNotifyHandler(Previous); }
    std::vector<DWORD> Messages() const {
        std::vector<DWORD> M;
        for (auto& C : Calls)
            M.push_back(C.Msg);
        return M;
    }
    const TShellCall& Last() const { return Calls.back(); }
};

// Solid 16 x 16 frames, one colour each (BGR byte order in the strip).
std::unique_ptr<TImageList> MakeFrames(TComponent* Owner, std::vector<COLORREF> Colors) {
    auto L = std::make_unique<TImageList>(Owner);
    TBitmap Strip(16 * static_cast<int>(Colors.size()), 16, pf24bit);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < Strip.Width(); ++X) {
            COLORREF C = Colors[static_cast<size_t>(X / 16)];
            uint8_t* P = Strip.ScanLine(Y) + X * 3;
            P[0] = GetBValue(C);
            P[1] = GetGValue(C);
            P[2] = GetRValue(C);
        }
    L->Add(Strip);
    return L;
}

constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255), Green = RGB(0, 160, 0);

COLORREF IconColor(HICON Icon) {
    if (!Icon) return CLR_INVALID;
    TBitmap B(16, 16, pf32bit);
    DrawIconEx(B.Canvas()->Handle(), 0, 0, Icon, 16, 16, 0, nullptr, DI_NORMAL);
    const uint8_t* P = B.ScanLine(8) + 8 * 4;
    return RGB(P[2], P[1], P[0]);
}

void StillIcon(ThTrayIcon& Tray, COLORREF Color) {
    auto L = MakeFrames(nullptr, {Color});
    L->GetIcon(0, *Tray.Icon());
}

LRESULT Callback(ThTrayIcon& Tray, UINT Event) {
    return SendMessageW(Tray.NotifyWindow(), WM_TRAYNOTIFY,
                        reinterpret_cast<WPARAM>(Tray.NotifyWindow()), Event);
}

} // namespace

TEST(hTrayIcon, CreationFillsTheWideRecordAndAsksTheShellNothing) {
    TShellRecorder Shell;
    Application->SetTitle(L"电脑拨号");
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* Tray = new ThTrayIcon(F.get());
    EXPECT_TRUE(Shell.Calls.empty());
    EXPECT_TRUE(Tray->RestoreDBClick());
    EXPECT_FALSE(Tray->Animate());
    EXPECT_EQ(Tray->AnimateInterval(), 1000u);
    EXPECT_EQ(Tray->BalloonTimeout(), 3000);
    EXPECT_EQ(Tray->BalloonFlags(), bfNone);
    EXPECT_EQ(Tray->IconIndex(), 0);
    EXPECT_FALSE(Tray->Visible());

    Tray->SetVisible(true);
    ASSERT_EQ(Shell.Messages(), std::vector<DWORD>{NIM_ADD_});
    const TNotifyIconDataW& R = Shell.Last().W;
    // The shell's own record size: 936 bytes in the 32-bit program (952 in a 64-bit build).
    EXPECT_EQ(R.cbSize, sizeof(void*) == 4 ? 936u : 952u);
    EXPECT_EQ(R.Wnd, Tray->NotifyWindow());
    EXPECT_EQ(R.uID, static_cast<UINT>(reinterpret_cast<uintptr_t>(Tray->NotifyWindow())));
    EXPECT_EQ(R.uCallbackMessage, 0x0401u);
    EXPECT_EQ(R.uFlags, NIF_MESSAGE_ | NIF_ICON_ | NIF_TIP_);
    EXPECT_EQ(std::wstring(R.szTip), L"电脑拨号") << "the application's title until a hint is set";
    EXPECT_EQ(R.uTimeout, 3000u);

    delete Tray;
    EXPECT_EQ(Shell.Messages(), (std::vector<DWORD>{NIM_ADD_, NIM_DELETE_}));
    Application->SetTitle(L"");
}

TEST(hTrayIcon, HintAndBalloonTextsGoIntoTheRecordCutToTheirFields) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* Tray = new ThTrayIcon(F.get());
    StillIcon(*Tray, Green);
    Tray->SetVisible(true);
    Shell.Calls.clear();

    Tray->SetHint(L"电话系统");
    ASSERT_EQ(Shell.Messages(), std::vector<DWORD>{NIM_MODIFY_});
    EXPECT_EQ(std::wstring(Shell.Last().W.szTip), L"电话系统");
    EXPECT_EQ(Shell.Last().W.uFlags, NIF_MESSAGE_ | NIF_ICON_ | NIF_TIP_);
    Tray->SetHint(L"电话系统");
    EXPECT_EQ(Shell.Calls.size(), 1u) << "an unchanged text asks nothing";
    Tray->SetHint(std::wstring(200, L'话'));
    EXPECT_EQ(std::wstring(Shell.Last().W.szTip), std::wstring(127, L'话'));
    Tray->SetHint(L"");
    EXPECT_EQ(Shell.Last().W.uFlags, NIF_MESSAGE_ | NIF_ICON_) << "no tip, no tip flag";

    Tray->SetBalloonHint(std::wstring(300, L'b'));
    EXPECT_EQ(std::wstring(Shell.Last().W.szInfo), std::wstring(255, L'b'));
    Tray->SetBalloonTitle(std::wstring(100, L't'));
    EXPECT_EQ(std::wstring(Shell.Last().W.szInfoTitle), std::wstring(63, L't'));
    Tray->SetBalloonTimeout(2000);
    Tray->SetBalloonFlags(bfWarning);
    Shell.Calls.clear();
    EXPECT_TRUE(Tray->ShowBalloonHint());
    ASSERT_EQ(Shell.Messages(), std::vector<DWORD>{NIM_MODIFY_});
    EXPECT_EQ(Shell.Last().W.uFlags & NIF_INFO_, NIF_INFO_);
    EXPECT_EQ(Shell.Last().W.dwInfoFlags, 2u);
    EXPECT_EQ(Shell.Last().W.uTimeout, 2000u);

    // The shell's balloon events; hiding or timing out takes the balloon request back.
    std::vector<std::wstring> Log;
    Tray->OnBalloonHintShow = [&](TObject* S) { Log.push_back(S == Tray ? L"show" : L"?"); };
    Tray->OnBalloonHintHide = [&](TObject*) { Log.push_back(L"hide"); };
    Tray->OnBalloonHintTimeout = [&](TObject*) { Log.push_back(L"timeout"); };
    Tray->OnBalloonHintClick = [&](TObject*) { Log.push_back(L"click"); };
    Callback(*Tray, 0x0402);
    Callback(*Tray, 0x0405);
    Callback(*Tray, 0x0403);
    Tray->SetHint(L"x");
    EXPECT_EQ(Shell.Last().W.uFlags & NIF_INFO_, 0u);
    Tray->ShowBalloonHint();
    Callback(*Tray, 0x0404);
    Tray->SetHint(L"y");
    EXPECT_EQ(Shell.Last().W.uFlags & NIF_INFO_, 0u);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"show", L"click", L"hide", L"timeout"}));
}

TEST(hTrayIcon, TextFieldsAreCutAtCharacterBoundaries) {
    wchar_t W[5];
    // A pair of surrogates that does not fit whole is left out whole.
    CopyField(W, 5, L"abc\xD83D\xDE00");
    EXPECT_EQ(std::wstring(W), L"abc");
    CopyField(W, 5, L"ab");
    EXPECT_EQ(std::wstring(W), L"ab");

    ASSERT_EQ(GetACP(), 936u) << "the tests run with the Chinese code page";
    char A[8];
    // Two bytes per character in code page 936: 3 fit in 7 bytes, the fourth would be split.
    CopyField(A, 8, L"电话系统");
    EXPECT_EQ(std::strlen(A), 6u);
    wchar_t Back[8]{};
    MultiByteToWideChar(CP_ACP, 0, A, -1, Back, 8);
    EXPECT_EQ(std::wstring(Back), L"电话系");
    CopyField(A, 8, L"a电话系统");
    EXPECT_EQ(std::strlen(A), 7u);
}

TEST(hTrayIcon, FailedAddAndRemoveRaiseTheirResourceErrors) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* Tray = new ThTrayIcon(F.get());
    Shell.Answer = FALSE;
    try {
        Tray->SetVisible(true);
        FAIL() << "no error";
    } catch (const EOutOfResources& E) {
        EXPECT_EQ(E.Message(), L"STrayIconCreateError");
    }
    EXPECT_TRUE(Tray->Visible()) << "the property keeps its new value";
    try {
        Tray->SetVisible(false);
        FAIL() << "no error";
    } catch (const EOutOfResources& E) {
        EXPECT_EQ(E.Message(), L"STrayIconRemoveError");
    }
    EXPECT_FALSE(Tray->Visible());
    // A modify that the shell refuses (no icon there any more) passes silently.
    Shell.Answer = TRUE;
    Tray->SetVisible(true);
    Shell.Answer = FALSE;
    Shell.Calls.clear();
    EXPECT_NO_THROW(Tray->SetHint(L"quiet"));
    ASSERT_EQ(Shell.Messages(), std::vector<DWORD>{NIM_MODIFY_});
    EXPECT_EQ(std::wstring(Shell.Last().W.szTip), L"quiet");
    EXPECT_TRUE(Tray->Visible());
}

TEST(hTrayIcon, ANewTaskbarGetsTheVisibleIconAgain) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* Tray = new ThTrayIcon(F.get());
    ASSERT_NE(TaskbarCreatedMessage(), 0u);
    // Broadcast, as the shell does when it starts.
    DWORD_PTR Ignored;
    SendMessageTimeoutW(HWND_BROADCAST, TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &Ignored);
    EXPECT_TRUE(Shell.Calls.empty()) << "an invisible icon stays away";
    Tray->SetVisible(true);
    Shell.Calls.clear();
    SendMessageTimeoutW(HWND_BROADCAST, TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &Ignored);
    ASSERT_EQ(Shell.Messages(), std::vector<DWORD>{NIM_ADD_});
    EXPECT_EQ(Shell.Last().W.Wnd, Tray->NotifyWindow());
    // Log-off: the session ends and the icon goes.
    Shell.Calls.clear();
    EXPECT_EQ(SendMessageW(Tray->NotifyWindow(), WM_QUERYENDSESSION, 0, 0), 1);
    SendMessageW(Tray->NotifyWindow(), WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(Shell.Messages(), std::vector<DWORD>{NIM_DELETE_});
}

TEST(hTrayIcon, TwoFramesAlternateAtTheIntervalAndTheLastOneStays) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto Frames = MakeFrames(F.get(), {Red, Blue});
    auto* Tray = new ThTrayIcon(F.get());
    StillIcon(*Tray, Green);
    Tray->SetIcons(Frames.get());
    Tray->SetAnimateInterval(300);
    Tray->SetVisible(true);
    EXPECT_EQ(IconColor(Shell.Last().W.hIcon), Green);

    std::vector<int> Indexes;
    std::vector<DWORD> Times;
    std::vector<COLORREF> Shown;
    Tray->OnAnimate = [&](TObject*) {
        Indexes.push_back(Tray->IconIndex());
        Times.push_back(GetTickCount());
        Shown.push_back(IconColor(Shell.Last().W.hIcon));
    };
    DWORD Start = GetTickCount();
    Tray->SetAnimate(true);
    EXPECT_TRUE(Tray->Animating());
    ASSERT_TRUE(WaitFor([&] { return Indexes.size() >= 5; }, 5000));
    // Before each change the index and the frame on show were 0 (still icon), 1, 0, 1, 0 ...
    EXPECT_EQ(std::vector<int>(Indexes.begin(), Indexes.begin() + 5),
              (std::vector<int>{0, 1, 0, 1, 0}));
    EXPECT_EQ(std::vector<COLORREF>(Shown.begin() + 1, Shown.begin() + 5),
              (std::vector<COLORREF>{Blue, Red, Blue, Red}));
    // Steps of 300 ms. A tick handled late (the thread was busy) does not move the ones after
    // it, so each is held to its own time from the start: never early, at most 120 ms late.
    for (size_t K = 0; K < Times.size(); ++K) {
        const DWORD Due = static_cast<DWORD>(300 * (K + 1));
        EXPECT_GE(Times[K] - Start, Due - 20) << "tick " << K + 1;
        EXPECT_LE(Times[K] - Start, Due + 120) << "tick " << K + 1;
    }
    ASSERT_TRUE(WaitFor([&] { return Tray->IconIndex() == 1; }, 2000));
    Tray->SetAnimate(false);
    EXPECT_FALSE(Tray->Animating());
    EXPECT_EQ(IconColor(Tray->Icon()->Handle()), Blue) << "the last frame became the still icon";
    EXPECT_EQ(IconColor(Tray->DisplayIcon()->Handle()), Blue);
    size_t Calls = Shell.Calls.size();
    PumpFor(700);
    EXPECT_EQ(Shell.Calls.size(), Calls) << "still means no more modify requests";
}

TEST(hTrayIcon, AnimationNeedsFramesAndAVisibleIcon) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* Tray = new ThTrayIcon(F.get());
    Tray->SetVisible(true);
    Tray->SetAnimate(true);
    EXPECT_FALSE(Tray->Animating()) << "no image list";
    auto Empty = std::make_unique<TImageList>(nullptr);
    Tray->SetIcons(Empty.get());
    EXPECT_FALSE(Tray->Animating()) << "an empty image list";
    Tray->SetAnimate(false);
    Tray->SetVisible(false);

    auto Frames = MakeFrames(nullptr, {Red, Blue});
    Tray->SetIcons(Frames.get());
    Tray->SetAnimate(true);
    EXPECT_FALSE(Tray->Animating()) << "an invisible icon";
    Tray->SetVisible(true);
    EXPECT_TRUE(Tray->Animating());
    Tray->SetVisible(false);
    EXPECT_FALSE(Tray->Animating());
    // Frames that go away take the animation with them.
    Tray->SetVisible(true);
    Frames.reset();
    EXPECT_EQ(Tray->Icons(), nullptr);
    EXPECT_FALSE(Tray->Animating());
    EXPECT_NO_THROW(Tray->SetIconIndex(-1)) << "without frames any index is kept";
}

TEST(hTrayIcon, IconIndexOutsideTheFramesIsRefusedAndClampedWhileAnimating) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto Frames = MakeFrames(F.get(), {Red, Blue});
    auto* Tray = new ThTrayIcon(F.get());
    Tray->SetIcons(Frames.get());
    EXPECT_THROW(Tray->SetIconIndex(2), EListError);
    EXPECT_EQ(Tray->IconIndex(), 0);
    Tray->SetIconIndex(1);
    EXPECT_EQ(IconColor(Tray->DisplayIcon()->Handle()), Blue);

    // Frames emptied while animating: the timer raises nothing, the index is clamped.
    Tray->SetAnimateInterval(100);
    Tray->SetVisible(true);
    std::vector<std::wstring> Errors;
    Application->OnException = [&](TObject*, std::exception_ptr E) {
        Errors.push_back(ExceptionMessage(E));
    };
    int Ticks = 0;
    Tray->OnAnimate = [&](TObject*) { ++Ticks; };
    Tray->SetAnimate(true);
    ASSERT_TRUE(WaitFor([&] { return Ticks > 0 && Tray->IconIndex() == 1; }, 3000));
    Frames->Clear();
    const int Before = Ticks;
    const bool Ticked = WaitFor([&] { return Ticks >= Before + 3; }, 3000);
    Application->OnException = nullptr;
    ASSERT_TRUE(Ticked);
    EXPECT_EQ(Errors, std::vector<std::wstring>{}) << "no exception from the animation timer";
    EXPECT_EQ(Tray->IconIndex(), 0);
    Tray->SetAnimate(false);
}

TEST(hTrayIcon, ALeftClickNeedsALeftPressOnTheIconFirst) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* Tray = new ThTrayIcon(F.get());
    std::vector<std::wstring> Log;
    Tray->OnClick = [&](TObject* S) { Log.push_back(S == Tray ? L"click" : L"?"); };
    Tray->OnMouseDown = [&](TObject*, TMouseButton B, TShiftState S, int X, int Y) {
        POINT P;
        GetCursorPos(&P);
        EXPECT_EQ(X, P.x);
        EXPECT_EQ(Y, P.y);
        Log.push_back(L"down " + EnumToString(B) + L" " + SetToString(S));
    };
    Tray->OnMouseUp = [&](TObject*, TMouseButton B, TShiftState, int, int) {
        Log.push_back(L"up " + EnumToString(B));
    };
    Tray->OnMouseMove = [&](TObject*, TShiftState, int, int) { Log.push_back(L"move"); };
    SetCursorPos(321, 456);
    Callback(*Tray, WM_LBUTTONUP);
    EXPECT_EQ(Log, std::vector<std::wstring>{L"up mbLeft"}) << "a release alone is no click";
    Log.clear();
    Callback(*Tray, WM_MOUSEMOVE);
    Callback(*Tray, WM_LBUTTONDOWN);
    Callback(*Tray, WM_LBUTTONUP);
    Callback(*Tray, WM_LBUTTONUP);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"move", L"down mbLeft [ssLeft]", L"click",
                                              L"up mbLeft", L"up mbLeft"}));
    Log.clear();
    Callback(*Tray, WM_RBUTTONDOWN);
    Callback(*Tray, WM_RBUTTONUP);
    Callback(*Tray, WM_MBUTTONDOWN);
    Callback(*Tray, WM_MBUTTONUP);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"down mbRight [ssRight]", L"up mbRight",
                                              L"down mbMiddle [ssMiddle]", L"up mbMiddle"}));
}

namespace {

// The program's main form with its tray icon, as the dialer has them.
struct TMainFixture : ::testing::Test {
    TDeskForm* Main = nullptr;
    ThTrayIcon* Tray = nullptr;
    int Shows = 0;
    TShellRecorder Shell;
    HWND App = Application->Handle();

    void SetUp() override {
        Application->CreateForm(Main);
        ASSERT_EQ(Application->MainForm(), Main);
        Main->SetBounds(300, 300, 240, 200);
        Main->OnShow = [this](TObject*) { ++Shows; };
        Tray = new ThTrayIcon(Main);
        StillIcon(*Tray, Green);
        Tray->SetMinimizeToTray(true);
        ShowWindow(App, SW_SHOWNORMAL);
        Main->Show();
        ASSERT_EQ(Shows, 1);
        PumpFor(50);
    }
    void TearDown() override {
        delete Main;
        ShowWindow(App, SW_RESTORE);
        ShowWindow(App, SW_HIDE);
    }
    bool InTray() {
        return WaitFor(
            [&] {
                return Tray->Visible() && !IsWindowVisible(Main->Handle()) && !IsWindowVisible(App);
            },
            3000);
    }
};

} // namespace

TEST_F(TMainFixture, MinimisingTheApplicationWindowHidesEverythingIntoTheTray) {
    // What the dialer's own tray click does.
    ShowWindow(App, SW_MINIMIZE);
    ASSERT_TRUE(InTray());
    EXPECT_FALSE(Main->Visible());
    EXPECT_EQ(Shell.Messages().back(), NIM_ADD_);
    EXPECT_EQ(IconColor(Shell.Last().W.hIcon), Green);

    int DblClicks = 0;
    Tray->OnDblClick = [&](TObject*) { ++DblClicks; };
    Callback(*Tray, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Main->Handle()) != FALSE; }, 3000));
    EXPECT_TRUE(Main->Visible());
    EXPECT_FALSE(IsIconic(App));
    EXPECT_EQ(Shows, 2) << "coming back runs the form's OnShow";
    EXPECT_EQ(DblClicks, 1);
}

TEST_F(TMainFixture, TheFormsMinimiseCommandWithTheEventGoesStraightToTheTray) {
    int Events = 0;
    Tray->OnMinimizeToTray = [&](TObject*) { ++Events; };
    LRESULT R = SendMessageW(Main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(R, 1);
    EXPECT_EQ(Events, 1);
    ASSERT_TRUE(InTray());
    EXPECT_FALSE(IsIconic(App)) << "taken to the tray instead of being minimised";
    // Restoring through any button's double click.
    Callback(*Tray, WM_RBUTTONDBLCLK);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Main->Handle()) != FALSE; }, 3000));
    EXPECT_EQ(Shows, 2);
}

TEST_F(TMainFixture, WithoutTheEventTheMinimiseCommandTakesTheApplicationRoad) {
    SendMessageW(Main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(InTray());
    Tray->SetRestoreDBClick(false);
    Callback(*Tray, WM_LBUTTONDBLCLK);
    PumpFor(300);
    EXPECT_FALSE(IsWindowVisible(Main->Handle())) << "RestoreDBClick off";
    // The system menu's restore on the application window.
    SendMessageW(App, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(Main->Handle()) != FALSE; }, 3000));
    EXPECT_EQ(Shows, 2);
}

TEST_F(TMainFixture, WithoutMinimizeToTrayMinimisingIsLeftAlone) {
    Tray->SetMinimizeToTray(false);
    ShowWindow(App, SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(App) != FALSE; }, 2000));
    PumpFor(200);
    EXPECT_FALSE(Tray->Visible());
    EXPECT_TRUE(Shell.Calls.empty());
}

namespace {

class TTrayDescForm : public TForm {
    DECLARE_CLASS(TTrayDescForm, TForm)
  public:
    explicit TTrayDescForm(TComponent* AOwner) : TForm(AOwner) {
        RegisterHandler(L"TrayStartup",
                        std::function<void(TObject*, bool&)>([this](TObject*, bool& Show) {
                            ++Asked;
                            Show = Show || Override;
                        }));
    }
    int Asked = 0;
    bool Override = false;
};

const char* TrayDescription = R"(object TrayDescForm: TTrayDescForm
  Left = 571
  Top = 281
  object hTrayIcon1: ThTrayIcon
    Hint = '电话系统'
    BalloonHint = '电话系统'
    BalloonTitle = '电话系统'
    BalloonTimeout = 2000
    Icons = ImageList1
    LeftPopup = True
    MinimizeToTray = True
    StartupToTray = True
    Visible = True
    OnStartup = TrayStartup
  end
  object ImageList1: TImageList
  end
end
)";

} // namespace

PUBLISHED(TTrayDescForm) {}

TEST(hTrayIcon, StoredDescriptionAndStartingInTheTray) {
    TShellRecorder Shell;
    for (bool Override : {false, true}) {
        Application->SetShowMainForm(true);
        auto F = std::make_unique<TTrayDescForm>(nullptr);
        F->Override = Override;
        ReadComponentText(*F, std::string_view(TrayDescription));
        auto* Tray = dynamic_cast<ThTrayIcon*>(F->FindComponent(L"hTrayIcon1"));
        ASSERT_NE(Tray, nullptr);
        EXPECT_EQ(F->Asked, 1);
        EXPECT_EQ(Application->ShowMainForm(), Override) << "OnStartup has the last word";
        EXPECT_TRUE(Tray->Visible());
        EXPECT_EQ(Tray->Icons(), F->FindComponent(L"ImageList1"));
        EXPECT_EQ(Tray->BalloonTimeout(), 2000);
        EXPECT_EQ(std::wstring(Shell.Last().W.szTip), L"电话系统");
        EXPECT_EQ(std::wstring(Shell.Last().W.szInfoTitle), L"电话系统");
    }
    Application->SetShowMainForm(true);
}

TEST(hTrayIcon, OwnerHookAndApplicationHookGoAwayWithTheComponent) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    F->Show();
    long Windows = LiveHandles(THandleKind::Window);
    long Icons = LiveHandles(THandleKind::Icon);
    auto* Tray = new ThTrayIcon(F.get());
    Tray->SetMinimizeToTray(true);
    int ToTray = 0;
    Tray->OnMinimizeToTray = [&](TObject*) { ++ToTray; };
    StillIcon(*Tray, Red);
    delete Tray;
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
    EXPECT_EQ(LiveHandles(THandleKind::Icon), Icons);
    Shell.Calls.clear();
    // Neither the form's minimise command nor the application's minimising reaches it now.
    SendMessageW(Application->Handle(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_TRUE(Shell.Calls.empty());
    EXPECT_NE(SendMessageW(F->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 1)
        << "the form's own minimising ran, not the tray's";
    EXPECT_EQ(ToTray, 0);
    EXPECT_TRUE(Shell.Calls.empty());
}

namespace {

// Closes the menu on show a moment after it opened (its modal loop runs the timer).
void CALLBACK CloseMenuSoon(HWND, UINT, UINT_PTR Id, DWORD) {
    KillTimer(nullptr, Id);
    EndMenu();
}

// The popup menu of the icon's tests: one item.
TPopupMenu* MenuOf(TComponent* Owner) {
    auto* Menu = new TPopupMenu(Owner);
    auto* Item = new TMenuItem(Menu);
    Item->SetCaption(L"退出");
    Menu->Items()->Add(Item);
    return Menu;
}

} // namespace

TEST(hTrayIcon, PopupMenusOnTheRightAndWithLeftPopupOnTheLeftButton) {
    TShellRecorder Shell;
    auto F = MakeDeskForm(100, 100, 200, 150);
    auto* Tray = new ThTrayIcon(F.get());
    auto* Menu = MenuOf(F.get());
    std::vector<std::wstring> Log;
    Menu->OnPopup = [&](TObject*) {
        Log.push_back(L"popup");
        EXPECT_FALSE(Menu->AutoPopup());
        EXPECT_EQ(Menu->PopupComponent(), F.get());
        POINT P;
        GetCursorPos(&P);
        EXPECT_EQ(Menu->PopupPoint().x, P.x);
        EXPECT_EQ(Menu->PopupPoint().y, P.y);
        SetTimer(nullptr, 0, 100, &CloseMenuSoon);
    };
    Tray->OnClick = [&](TObject*) { Log.push_back(L"click"); };
    Tray->OnMouseUp = [&](TObject*, TMouseButton B, TShiftState, int, int) {
        Log.push_back(L"up " + EnumToString(B));
    };
    SetCursorPos(600, 500);

    // Without a menu, LeftPopup alone does nothing (the dialer's own setting).
    Tray->SetLeftPopup(true);
    Callback(*Tray, WM_LBUTTONDOWN);
    Callback(*Tray, WM_LBUTTONUP);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"click", L"up mbLeft"}));
    Log.clear();

    Menu->SetName(L"PopupMenu1");
    SetPropText(*Tray, L"PopupMenu", L"PopupMenu1");
    EXPECT_EQ(Tray->PopupMenu(), Menu);
    Callback(*Tray, WM_RBUTTONUP);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"up mbRight", L"popup"}));
    Log.clear();
    Callback(*Tray, WM_LBUTTONDOWN);
    Callback(*Tray, WM_LBUTTONUP);
    EXPECT_EQ(Log, (std::vector<std::wstring>{L"popup", L"click", L"up mbLeft"}));
    Log.clear();
    Tray->SetLeftPopup(false);
    Callback(*Tray, WM_LBUTTONUP);
    EXPECT_EQ(Log, std::vector<std::wstring>{L"up mbLeft"});
    // A menu freed first is forgotten.
    delete Menu;
    EXPECT_EQ(Tray->PopupMenu(), nullptr);
    Log.clear();
    Callback(*Tray, WM_RBUTTONUP);
    EXPECT_EQ(Log, std::vector<std::wstring>{L"up mbRight"}) << "no menu, no popup";

    // A message waiting in the queue frees the icon, and the popup runs the queue first:
    // nothing of the freed icon runs afterwards.
    Menu = MenuOf(F.get());
    Menu->OnPopup = [&](TObject*) {
        Log.push_back(L"popup");
        SetTimer(nullptr, 0, 100, &CloseMenuSoon);
    };
    Tray->SetPopupMenu(Menu);
    Tray->SetLeftPopup(true);
    TUtilityWindow Freer([&](TMessage& M) {
        if (M.Msg == WM_APP) {
            delete Tray;
            Tray = nullptr;
        }
    });
    Callback(*Tray, WM_LBUTTONDOWN);
    PostMessageW(Freer.Handle(), WM_APP, 0, 0);
    Log.clear();
    Callback(*Tray, WM_LBUTTONUP);
    EXPECT_EQ(Tray, nullptr);
    EXPECT_EQ(Log, std::vector<std::wstring>{}) << "nothing of the freed icon ran";
}
