// The skinned menu bar on a shown form wearing the default skin, with the skin test window's
// menus: the strip and its buttons, the drop-downs it opens and the keyboard and the real
// pointer walking them, the items the skin draws, popup menu windows, the system menu, a plain
// window's native menu, switching the skin off, and many menus opened and closed. One form
// serves every test; pictures of what the menus showed are left as skinmenu_*.bmp.
#include "SkinTesting.h"

#include "ImgUtil.h"
#include "MessageRecorder.h"
#include "SkinTestMenus.h"
#include "WinSkinMenu.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

using namespace SkinTest;

namespace {

// Runs steps one after another on a 15 ms thread timer, inside whatever loop is running (a
// menu's modal loop too); each step is tried again on every tick until it answers true. A
// script that is not through in time ends any open menu and counts as failed.
class TScript {
  public:
    using TStep = std::function<bool()>;
    explicit TScript(std::vector<TStep> Steps, DWORD Ms = 8000)
        : FSteps(std::move(Steps)), FMs(Ms) {}
    ~TScript() { Stop(); }

    void Start() {
        Current = this;
        FStart = GetTickCount();
        FTimer = SetTimer(nullptr, 0, 15, &TScript::Tick);
    }
    // Pumps messages until every step ran; false on time-out.
    bool Wait() {
        WaitFor([this] { return Finished || TimedOut; }, FMs + 2000);
        Stop();
        return Finished;
    }
    // Starts, does what sets the script going (it may run a menu's modal loop), and waits.
    bool Run(const std::function<void()>& Kick = {}) {
        Start();
        if (Kick) Kick();
        return Wait();
    }
    size_t StepsDone() const { return FNext; }
    bool Finished = false;
    bool TimedOut = false;

  private:
    void Stop() {
        if (FTimer) KillTimer(nullptr, FTimer);
        FTimer = 0;
        if (Current == this) Current = nullptr;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        TScript* S = Current;
        if (!S || S->Finished || S->TimedOut || S->FBusy) return;
        if (GetTickCount() - S->FStart > S->FMs) {
            S->TimedOut = true;
            EndMenu();
            return;
        }
        S->FBusy = true;
        while (S->FNext < S->FSteps.size() && S->FSteps[S->FNext]())
            ++S->FNext;
        S->FBusy = false;
        if (S->FNext == S->FSteps.size()) S->Finished = true;
    }
    static inline TScript* Current = nullptr;
    std::vector<TStep> FSteps;
    DWORD FMs;
    DWORD FStart = 0;
    UINT_PTR FTimer = 0;
    size_t FNext = 0;
    bool FBusy = false;
};

void Key(WORD VK) {
    keybd_event(static_cast<BYTE>(VK), 0, 0, 0);
    keybd_event(static_cast<BYTE>(VK), 0, KEYEVENTF_KEYUP, 0);
}

std::vector<HWND> MenuWindows() {
    return SkinMenuWindows();
}

TWinSkinPopMenu* PopMenuOf(HMENU Menu) {
    for (const auto& P : SkinManager->Menus())
        if (P->MenuHandle == Menu) return P.get();
    return nullptr;
}

void Save(const TBitmap& B, const std::string& Name) {
    const TBytes Data = B.SaveToStream();
    if (FILE* Out = fopen(Name.c_str(), "wb")) {
        fwrite(Data.data(), 1, Data.size(), Out);
        fclose(Out);
    }
}

int Channel(uint32_t C, int Shift) {
    return static_cast<int>((C >> Shift) & 0xFF);
}

int Brightness(uint32_t C) {
    return Channel(C, 0) + Channel(C, 8) + Channel(C, 16);
}

bool Near(uint32_t A, uint32_t B, int Tolerance) {
    for (int S : {0, 8, 16})
        if (std::abs(Channel(A, S) - Channel(B, S)) > Tolerance) return false;
    return true;
}

// The darkest pixel of a part of a picture that differs from a ground picture at the same
// place (text drawn over a ground); 0xFFFFFFFF when nothing differs.
uint32_t DarkestDrawn(const TBitmap& Shot, const RECT& Part, const TBitmap& Ground,
                      POINT GroundAt) {
    uint32_t Darkest = 0xFFFFFFFF;
    for (int Y = Part.top; Y < Part.bottom; ++Y)
        for (int X = Part.left; X < Part.right; ++X) {
            const uint32_t P = Pixel(Shot, X, Y);
            if (P == Pixel(Ground, X - GroundAt.x, Y - GroundAt.y)) continue;
            if (Darkest == 0xFFFFFFFF || Brightness(P) < Brightness(Darkest)) Darkest = P;
        }
    return Darkest;
}

std::unique_ptr<TBitmap> MenuBackgroundPicture(TSkinData& Skin, int W, int H) {
    TDataSkinObject& B = *Skin.MenuBackground;
    return DrawSkinImage({0, 0, W, H}, B.Bitmap, B.Margins, false, B.Tile == 1, 1, 1);
}

// Pixels of the window's 3-pixel border ring that are not the background picture's.
int RingDifferences(const TBitmap& Shot, const TBitmap& Expected) {
    int Bad = 0;
    const int W = Shot.Width(), H = Shot.Height();
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            const bool Ring = X < 3 || Y < 3 || X >= W - 3 || Y >= H - 3;
            if (Ring && Pixel(Shot, X, Y) != Pixel(Expected, X, Y)) ++Bad;
        }
    return Bad;
}

// An item rectangle in its menu window's coordinates.
RECT ItemRect(HMENU Menu, int Position, HWND MenuWindow) {
    RECT R{}, W{};
    GetMenuItemRect(nullptr, Menu, static_cast<UINT>(Position), &R);
    GetWindowRect(MenuWindow, &W);
    OffsetRect(&R, -W.left, -W.top);
    return R;
}

// The type and identifier of a native item.
MENUITEMINFOW ItemInfo(HMENU Menu, int Position) {
    MENUITEMINFOW I{};
    I.cbSize = sizeof(I);
    I.fMask = MIIM_FTYPE | MIIM_ID;
    GetMenuItemInfoW(Menu, static_cast<UINT>(Position), TRUE, &I);
    return I;
}

// Pixels of the one-pixel ring around R that are not Colour.
int RingNotOf(const TBitmap& Shot, const RECT& R, uint32_t Colour) {
    int Off = 0;
    for (int X = R.left; X < R.right; ++X)
        Off += (Pixel(Shot, X, R.top) != Colour) + (Pixel(Shot, X, R.bottom - 1) != Colour);
    for (int Y = R.top; Y < R.bottom; ++Y)
        Off += (Pixel(Shot, R.left, Y) != Colour) + (Pixel(Shot, R.right - 1, Y) != Colour);
    return Off;
}

class TShownMenus : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Skin = &MainSkin();
        Form = new TCloseCountingForm(nullptr);
        Form->SetName(L"MenuForm");
        ReadSkinTestMenus(*Form, [](TMenuItem& Item) { ++Clicks[Item.Name()]; });
        Form->SetBorderStyle(bsSingle);
        Form->SetFormStyle(fsStayOnTop);
        Form->SetBounds(150, 120, 400, 300);
        Form->SetClientSize(360, 200);
        Form->SetCaption(L"Menu test");
        Menu = dynamic_cast<TMainMenu*>(Form->FindComponent(L"MainMenu1"));
        Popup = dynamic_cast<TPopupMenu*>(Form->FindComponent(L"PopupMenu1"));
        Frame = ShowSkinned(*Form);
        ASSERT_NE(Frame, nullptr);
    }
    static void TearDownTestSuite() {
        delete Form;
        Form = nullptr;
    }
    void SetUp() override {
        SetForegroundWindow(Form->Handle());
        WaitFor([] { return Frame->Active && GetForegroundWindow() == Form->Handle(); }, 1000);
        Frame->PaintFrame();
        Clicks.clear();
    }
    static HWND Wnd() { return Form->Handle(); }
    static TWinSkinMenu& Bar() { return *Frame->SkinMenu; }
    static TMenuBtn& Button(int I) { return *Bar().MenuButtons().at(static_cast<size_t>(I)); }
    static TMenuItem* Item(const wchar_t* Name) {
        return dynamic_cast<TMenuItem*>(Form->FindComponent(Name));
    }
    // Presses the button as the pointer would (the frame hit-tests the point).
    static void PostPress(int I) {
        const RECT& B = Button(I).Bounds;
        PostMessageW(Wnd(), WM_NCLBUTTONDOWN, HTMENU, ScreenPoint(Wnd(), {B.left + 2, B.top + 2}));
    }
    // The drop-down of button I is open and its items drawn.
    static bool ShowsDropDown(int I) {
        const HMENU Sub = Button(I).SubMenu;
        return SkinMenuOpenPopup() == Sub && !MenuWindows().empty() && PopMenuOf(Sub) &&
               !PopMenuOf(Sub)->Background.Empty();
    }
    // A step that waits for button I's drop-down and notes it.
    static TScript::TStep Opens(int I, std::vector<int>& Opened) {
        return [I, &Opened] {
            if (!ShowsDropDown(I)) return false;
            Opened.push_back(I);
            return true;
        };
    }
    static TScript::TStep Press(WORD VK) {
        return [VK] {
            Key(VK);
            return true;
        };
    }
    static TScript::TStep Closed() {
        return [] { return !SkinMenuOpenPopup() && MenuWindows().empty(); };
    }
    // The menu's item at a position is the one it shows selected.
    static TScript::TStep Selects(HMENU Menu, int Position) {
        return [Menu, Position] {
            return (GetMenuState(Menu, static_cast<UINT>(Position), MF_BYPOSITION) & MF_HILITE) !=
                   0;
        };
    }
    static POINT CentreOnScreen(const RECT& FrameRect) {
        return FrameToScreen(Wnd(), {(FrameRect.left + FrameRect.right) / 2,
                                     (FrameRect.top + FrameRect.bottom) / 2});
    }

    static inline TSkinData* Skin = nullptr;
    static inline TCloseCountingForm* Form = nullptr;
    static inline TWinSkinForm* Frame = nullptr;
    static inline TMainMenu* Menu = nullptr;
    static inline TPopupMenu* Popup = nullptr;
    static inline std::map<std::wstring, int> Clicks;
};

enum { btFile, btEdit, btOff, btView, btHelp };

} // namespace

// ---------------------------------------------------------------------------------------------
// The strip

TEST_F(TShownMenus, TheStripTakesTheNativeMenuBarsPlaceInsideTheFrame) {
    ASSERT_NE(Frame->SkinMenu, nullptr);
    EXPECT_EQ(GetMenu(Wnd()), nullptr) << "the native menu bar is off the window";
    EXPECT_EQ(Bar().NativeMenu(), Menu->Handle());
    EXPECT_EQ(Frame->MenuHeight, GetSystemMetrics(SM_CYMENU));
    ASSERT_EQ(Bar().ButtonCount(), 5);
    const wchar_t* Captions[] = {L"&File", L"&Edit", L"&Off", L"&View", L"&Help"};
    for (int I = 0; I < 5; ++I) {
        EXPECT_EQ(Button(I).Caption, Captions[I]);
        EXPECT_EQ(Button(I).Index, I);
        EXPECT_EQ(Button(I).Command, Menu->Items()->Items(I)->Command());
        EXPECT_EQ(Button(I).SubMenu, Menu->Items()->Items(I)->Handle());
    }
    EXPECT_FALSE(Button(btOff).Enabled);
    EXPECT_TRUE(Button(btFile).Enabled);

    // The client area lies below the strip; the strip lies below the caption.
    RECT W, C;
    GetWindowRect(Wnd(), &W);
    GetClientRect(Wnd(), &C);
    POINT Origin{0, 0};
    ClientToScreen(Wnd(), &Origin);
    EXPECT_EQ(Origin.y - W.top, Frame->FrameTop + Frame->MenuHeight);
    EXPECT_EQ(C.right, 360);
    EXPECT_EQ(C.bottom, 200);
    EXPECT_EQ(Bar().StripRect().top, Frame->FrameTop);
    EXPECT_EQ(Bar().StripRect().bottom, Frame->FrameTop + Frame->MenuHeight);
    EXPECT_EQ(Bar().StripRect().left, Frame->FrameLeft);

    // Buttons side by side from the bar's left margin + 4, each its caption's width + 10.
    const int Start = Frame->FrameLeft + Skin->MenuBar->Margins.left + 4;
    EXPECT_EQ(Button(0).Bounds.left, Start);
    TWindowDC DC(Wnd());
    TSelectObject Font(DC, SystemMenuFont()->Handle());
    for (int I = 0; I < 5; ++I) {
        const RECT& B = Button(I).Bounds;
        RECT T{0, 0, 0, 0};
        DrawTextW(DC, Button(I).Caption.c_str(), -1, &T, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_EQ(B.right - B.left, T.right + 10) << I;
        EXPECT_EQ(B.top, Frame->FrameTop);
        EXPECT_EQ(B.bottom, Frame->FrameTop + Frame->MenuHeight - 1);
        if (I > 0) {
            EXPECT_EQ(B.left, Button(I - 1).Bounds.right);
        }
        // Hit testing finds the strip and its button.
        const POINT S = CentreOnScreen(B);
        EXPECT_EQ(SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(S.x, S.y)), HTMENU);
        EXPECT_EQ(Bar().ButtonAt({(B.left + B.right) / 2, (B.top + B.bottom) / 2}), &Button(I));
    }
    EXPECT_EQ(Bar().ButtonAt({Button(4).Bounds.right + 5, Frame->FrameTop + 5}), nullptr);
    EXPECT_EQ(Bar().ButtonForAccelerator(L'v'), &Button(btView));
    EXPECT_EQ(Bar().ButtonForAccelerator(L'H'), &Button(btHelp));
    EXPECT_EQ(Bar().ButtonForAccelerator(L'f'), &Button(btFile));
    EXPECT_EQ(Bar().ButtonForAccelerator(L'x'), nullptr);
    EXPECT_EQ(Bar().ButtonForAccelerator(L'o'), nullptr) << "a disabled button has none";
}

TEST_F(TShownMenus, TheStripIsTheSkinsMenuBarPictureWithCaptionsInTheirColours) {
    const auto Shot = Grab(Wnd());
    Save(*Shot, "skinmenu_strip.bmp");
    const RECT S = Bar().StripRect();
    const int W = S.right - S.left, H = S.bottom - S.top;
    TDataSkinObject& B = *Skin->MenuBar;
    auto Active = DrawSkinImage({0, 0, W, H}, B.Bitmap, B.Margins, true, false, B.FrameCount, 1);
    // Outside the buttons the strip is the picture, pixel for pixel.
    int Bad = 0, Seen = 0;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X) {
            const POINT P{S.left + X, S.top + Y};
            bool OnButton = false;
            for (auto& Btn : Bar().MenuButtons())
                OnButton = OnButton || PtInRect(&Btn->Bounds, P);
            if (OnButton) continue;
            ++Seen;
            if (Pixel(*Shot, P.x, P.y) != Pixel(*Active, X, Y)) ++Bad;
        }
    EXPECT_GT(Seen, W * H / 2);
    EXPECT_EQ(Bad, 0);
    // The background kept for single buttons is the picture without the captions.
    ASSERT_EQ(Bar().Background().Width(), W);
    int BadGround = 0;
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < W; ++X)
            if (Pixel(Bar().Background(), X, Y) != Pixel(*Active, X, Y)) ++BadGround;
    EXPECT_EQ(BadGround, 0);

    // Enabled captions in MenuBarText; the disabled one in the shadow colour.
    const POINT At{S.left, S.top};
    const uint32_t File = DarkestDrawn(*Shot, Button(btFile).Bounds, *Active, At);
    const uint32_t Off = DarkestDrawn(*Shot, Button(btOff).Bounds, *Active, At);
    ASSERT_NE(File, 0xFFFFFFFFu);
    ASSERT_NE(Off, 0xFFFFFFFFu);
    EXPECT_TRUE(Near(File, Rgb(ColorToRGB(Skin->MenuBarText)), 40)) << std::hex << File;
    EXPECT_TRUE(Near(Off, Rgb(ColorToRGB(Skin->ButtonShadow)), 12)) << std::hex << Off;

    // Inactive, the strip takes the picture's second frame.
    SendMessageW(Wnd(), WM_NCACTIVATE, FALSE, 0);
    const auto Inactive = Grab(Wnd());
    auto Second = DrawSkinImage({0, 0, W, H}, B.Bitmap, B.Margins, true, false, B.FrameCount, 2);
    const int X = Button(btHelp).Bounds.right + 4;
    int BadInactive = 0;
    for (int Y = 0; Y < H; ++Y)
        if (Pixel(*Inactive, X, S.top + Y) != Pixel(*Second, X - S.left, Y)) ++BadInactive;
    EXPECT_EQ(BadInactive, 0);
    SendMessageW(Wnd(), WM_NCACTIVATE, TRUE, 0);
}

TEST_F(TShownMenus, AButtonFramesItselfWhenHotAndRepaintsAloneFromTheBackground) {
    const auto Before = Grab(Wnd());
    const RECT B = Button(btEdit).Bounds;
    const POINT Inside = FrameToScreen(Wnd(), {B.left + 3, B.top + 3});
    SendMessageW(Wnd(), WM_NCMOUSEMOVE, HTMENU, MAKELPARAM(Inside.x, Inside.y));
    EXPECT_EQ(Frame->HotObject(), &Button(btEdit));
    EXPECT_EQ(Button(btEdit).State, nsHot);
    const auto Hot = Grab(Wnd());
    const uint32_t Light = Rgb(ColorToRGB(Skin->ButtonHilight));
    EXPECT_EQ(RingNotOf(*Hot, B, Light), 0) << "the pixels around the button";
    EXPECT_GT(RingNotOf(*Before, B, Light), 0);
    // Nothing but that button changed.
    int Elsewhere = 0;
    for (int Y = 0; Y < Hot->Height(); ++Y)
        for (int X = 0; X < Hot->Width(); ++X)
            if (!PtInRect(&B, {X, Y}) && Pixel(*Hot, X, Y) != Pixel(*Before, X, Y)) ++Elsewhere;
    EXPECT_EQ(Elsewhere, 0);

    // Pressed keeps the frame; leaving gives the button's column back as it was.
    const RECT Far = Button(btHelp).Bounds;
    const POINT Away = FrameToScreen(Wnd(), {Far.right + 20, Far.top + 3});
    SendMessageW(Wnd(), WM_NCMOUSEMOVE, HTMENU, MAKELPARAM(Away.x, Away.y));
    EXPECT_EQ(Frame->HotObject(), nullptr);
    const auto After = Grab(Wnd());
    int Changed = 0;
    for (int Y = 0; Y < After->Height(); ++Y)
        for (int X = 0; X < After->Width(); ++X)
            if (Pixel(*After, X, Y) != Pixel(*Before, X, Y)) ++Changed;
    EXPECT_EQ(Changed, 0);
}

// ---------------------------------------------------------------------------------------------
// Opening the drop-downs and walking them

TEST_F(TShownMenus, LeftAndRightWalkTheDropDownsRoundTheBar) {
    std::vector<int> Opened;
    int Mode = -1;
    std::unique_ptr<TBitmap> WhileOpen;
    TScript Script({
        Opens(btHelp, Opened),
        [&] {
            Mode = SkinManager->MenuMode();
            WhileOpen = Grab(Wnd());
            return true;
        },
        Selects(Button(btHelp).SubMenu, 0), // the first item is selected on opening
        Press(VK_RIGHT),                    // the last button's right neighbour is the first
        Opens(btFile, Opened),
        Selects(Button(btFile).SubMenu, 0),
        Press(VK_LEFT), // and the first one's left neighbour the last
        Opens(btHelp, Opened),
        Selects(Button(btHelp).SubMenu, 0),
        Press(VK_LEFT), // the disabled button is passed over
        Opens(btView, Opened),
        Press(VK_ESCAPE),
        Closed(),
    });
    EXPECT_TRUE(Script.Run([] { PostPress(btHelp); })) << "steps done: " << Script.StepsDone();
    EXPECT_EQ(Opened, (std::vector<int>{btHelp, btFile, btHelp, btView}));
    EXPECT_EQ(Mode, mmMenuBar);
    // The open button shows pressed; closed, with the pointer elsewhere, it is plain again.
    const uint32_t Light = Rgb(ColorToRGB(Skin->ButtonHilight));
    EXPECT_EQ(RingNotOf(*WhileOpen, Button(btHelp).Bounds, Light), 0);
    EXPECT_GT(RingNotOf(*WhileOpen, Button(btFile).Bounds, Light), 0);
    Pump();
    EXPECT_GT(RingNotOf(*Grab(Wnd()), Button(btView).Bounds, Light), 0);
    EXPECT_EQ(SkinManager->MenuMode(), mmPopup);
    EXPECT_FALSE(SkinMenuHookInstalled());
    EXPECT_FALSE(Frame->MenuTracking);
    EXPECT_TRUE(SkinManager->Menus().empty());
    EXPECT_EQ(Clicks[L"MenuOff"], 0) << "passing a button by does not click it";
}

TEST_F(TShownMenus, RightOpensASubMenuAndLeftClosesItBeforeMovingOn) {
    // File: New, Open..., -, Checked, Checked glyph, Default item, Disabled, Recent >, -, Exit.
    const HMENU File = Button(btFile).SubMenu;
    std::vector<int> Opened;
    TScript Script({
        Opens(btFile, Opened),
        Selects(File, 0),
        Press(VK_UP), // round to Exit
        Selects(File, 9),
        Press(VK_UP), // over the separator to Recent
        Selects(File, 7),
        Press(VK_RIGHT),
        [] { return MenuWindows().size() == 2; },
        [&] { return SkinMenuOpenPopup() == File; },
        Press(VK_LEFT),
        [&] { return MenuWindows().size() == 1 && SkinMenuOpenPopup() == File; },
        Selects(File, 7),
        Press(VK_LEFT),
        Opens(btHelp, Opened),
        Press(VK_ESCAPE),
        Closed(),
    });
    EXPECT_TRUE(Script.Run([] { PostPress(btFile); })) << "steps done: " << Script.StepsDone();
    EXPECT_EQ(Opened, (std::vector<int>{btFile, btHelp}));
}

// What the window itself is told while the keyboard walks the bar, as for a native bar: the
// button's own click, its drop-down's first item selected, the selection ended and the menu
// loop left (of a tracked pop-up), once per drop-down; nothing is told of the menu's opening.
TEST_F(TShownMenus, TheKeyboardWalkReachesTheWindowInThisSequence) {
    TMessageRecorder Recorder({WM_ENTERMENULOOP, WM_EXITMENULOOP, WM_INITMENU, WM_INITMENUPOPUP,
                               WM_UNINITMENUPOPUP, WM_MENUSELECT, WM_COMMAND, WM_SYSCOMMAND,
                               WM_NCACTIVATE, WM_NCHITTEST, WM_NCLBUTTONDOWN, WM_CAPTURECHANGED});
    Recorder.Attach(*Form);
    std::vector<int> Opened;
    TScript Script({
        Opens(btFile, Opened),
        Press(VK_RIGHT),
        Opens(btEdit, Opened),
        Press(VK_LEFT),
        Opens(btFile, Opened),
        Press(VK_ESCAPE),
        Closed(),
    });
    EXPECT_TRUE(Script.Run([] { PostPress(btFile); })) << "steps done: " << Script.StepsDone();
    Recorder.Detach();
    auto FirstItemOf = [](int I) {
        const HMENU Sub = Button(I).SubMenu;
        const WPARAM Selected = MAKEWPARAM(GetMenuItemID(Sub, 0), MF_HILITE | MF_OWNERDRAW);
        return TMsgExpect{WM_MENUSELECT, mcWParam | mcLParam, Selected,
                          reinterpret_cast<LPARAM>(Sub)};
    };
    const TMsgExpect SelectionEnds{WM_MENUSELECT, mcWParam | mcLParam, MAKEWPARAM(0, 0xFFFF), 0};
    const TMsgExpect LoopLeft{WM_EXITMENULOOP, mcWParam, TRUE};
    const TMsgExpect FileClick{WM_COMMAND, mcWParam, Button(btFile).Command};
    const TMsgExpect EditClick{WM_COMMAND, mcWParam, Button(btEdit).Command};
    EXPECT_TRUE(Recorder.Matches({FileClick, FirstItemOf(btFile), SelectionEnds, LoopLeft,
                                  EditClick, FirstItemOf(btEdit), SelectionEnds, LoopLeft,
                                  FileClick, FirstItemOf(btFile), SelectionEnds, LoopLeft}));
}

TEST_F(TShownMenus, ARightToLeftBarIsLaidFromTheRightAndWalkedTheOtherWay) {
    Frame->RightToLeft = true;
    Frame->PaintFrame();
    const RECT S = Bar().StripRect();
    EXPECT_EQ(Button(btFile).Bounds.right, S.right - (Skin->MenuBar->Margins.right + 8));
    EXPECT_EQ(Button(btEdit).Bounds.right, Button(btFile).Bounds.left);
    EXPECT_LT(Button(btHelp).Bounds.left, Button(btView).Bounds.left);
    Save(*Grab(Wnd()), "skinmenu_strip_rtl.bmp");
    std::vector<int> Opened;
    std::unique_ptr<TBitmap> Mirrored;
    RECT First{};
    TScript Script({
        Opens(btFile, Opened),
        Selects(Button(btFile).SubMenu, 0),
        [&] {
            HWND W = MenuWindows().front();
            Mirrored = Grab(W);
            First = ItemRect(Button(btFile).SubMenu, 0, W);
            return true;
        },
        Press(VK_LEFT), // leftwards is onwards
        Opens(btEdit, Opened),
        Selects(Button(btEdit).SubMenu, 0),
        Press(VK_RIGHT),
        Opens(btFile, Opened),
        Press(VK_ESCAPE),
        Closed(),
    });
    const bool Ran = Script.Run([] { PostPress(btFile); });
    Frame->RightToLeft = false;
    Frame->PaintFrame();
    EXPECT_TRUE(Ran) << "steps done: " << Script.StepsDone();
    EXPECT_EQ(Opened, (std::vector<int>{btFile, btEdit, btFile}));
    ASSERT_NE(Mirrored, nullptr);
    Save(*Mirrored, "skinmenu_file_rtl.bmp");
    // The items are mirrored: the first one's glyph at its right end.
    const int GlyphX = 1 + Skin->MenuItem->Margins.left;
    int Green = 0, GreenLeft = 0;
    for (int Y = First.top + 1; Y < First.top + 17; ++Y)
        for (int X = 0; X < 16; ++X) {
            Green += Pixel(*Mirrored, First.right - GlyphX - 16 + X, Y) == 0x00A000;
            GreenLeft += Pixel(*Mirrored, First.left + GlyphX + X, Y) == 0x00A000;
        }
    EXPECT_GT(Green, 10);
    EXPECT_EQ(GreenLeft, 0);
}

TEST_F(TShownMenus, ThePointerMovedOverAnotherButtonOpensItsDropDown) {
    const POINT File = CentreOnScreen(Button(btFile).Bounds);
    const POINT Edit = CentreOnScreen(Button(btEdit).Bounds);
    const POINT Off = CentreOnScreen(Button(btOff).Bounds);
    const POINT View = CentreOnScreen(Button(btView).Bounds);
    std::vector<int> Opened;
    auto MoveTo = [](POINT P) {
        return [P] {
            SetCursorPos(P.x, P.y);
            return true;
        };
    };
    TScript Script({
        Opens(btFile, Opened),
        MoveTo(Edit),
        Opens(btEdit, Opened),
        MoveTo(Off), // a disabled button keeps the open one open
        MoveTo({Off.x + 1, Off.y}),
        MoveTo(View),
        Opens(btView, Opened),
        Press(VK_ESCAPE),
        Closed(),
    });
    EXPECT_TRUE(Script.Run([&] {
        SetCursorPos(File.x, File.y);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    })) << "steps done: "
        << Script.StepsDone();
    EXPECT_EQ(Opened, (std::vector<int>{btFile, btEdit, btView}));
    Pump();
    EXPECT_EQ(Clicks[L"MenuFile"], 1);
    EXPECT_EQ(Clicks[L"MenuEdit"], 1);
    EXPECT_EQ(Clicks[L"MenuOff"], 0);
    EXPECT_EQ(Clicks[L"MenuView"], 1);
    SetCursorPos(10, 10);
}

TEST_F(TShownMenus, AltAloneOpensNothingAltWithALetterOpensItsDropDownAndAltClosesIt) {
    TMessageRecorder Recorder({WM_SYSCOMMAND, WM_ENTERMENULOOP, WM_SYSKEYUP});
    Recorder.Attach(Wnd());
    Key(VK_MENU);
    ASSERT_TRUE(WaitFor([&] { return Recorder.Count(WM_SYSKEYUP) > 0; })) << Recorder.Dump();
    Pump();
    int KeyMenus = 0;
    for (const auto& M : Recorder.Messages())
        if (M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_KEYMENU) {
            ++KeyMenus;
            EXPECT_EQ(M.Result, 1) << "answered by the skin's menu bar";
        }
    EXPECT_EQ(KeyMenus, 1) << Recorder.Dump();
    EXPECT_EQ(Recorder.Count(WM_ENTERMENULOOP), 0) << "no menu loop for Alt alone";
    EXPECT_TRUE(MenuWindows().empty());
    Recorder.Detach();

    std::vector<int> Opened;
    TScript ByLetter({Opens(btEdit, Opened), Press(VK_ESCAPE), Closed()});
    EXPECT_TRUE(ByLetter.Run([] {
        keybd_event(VK_MENU, 0, 0, 0);
        Key('E');
        keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    })) << "steps done: "
        << ByLetter.StepsDone();

    TScript AltCloses(
        {Opens(btView, Opened), Selects(Button(btView).SubMenu, 0), Press(VK_MENU), Closed()});
    EXPECT_TRUE(AltCloses.Run([] { PostPress(btView); }))
        << "steps done: " << AltCloses.StepsDone();
    EXPECT_EQ(Opened, (std::vector<int>{btEdit, btView}));
    Pump();
    EXPECT_FALSE(Frame->MenuTracking);
    EXPECT_FALSE(SkinMenuHookInstalled());
}

TEST_F(TShownMenus, AChosenItemsCommandArrivesOnceAndEscapeChoosesNothing) {
    const HMENU File = Button(btFile).SubMenu;
    std::vector<int> Opened;
    TScript Choose({Opens(btFile, Opened), Selects(File, 0), Press(VK_DOWN), Selects(File, 1),
                    Press(VK_RETURN), Closed()});
    EXPECT_TRUE(Choose.Run([] { PostPress(btFile); })) << "steps done: " << Choose.StepsDone();
    ASSERT_TRUE(WaitFor([] { return Clicks[L"MenuOpen"] > 0; }));
    Pump();
    EXPECT_EQ(Clicks[L"MenuOpen"], 1);
    EXPECT_EQ(Clicks[L"MenuFile"], 1) << "the top-level item's own click";
    EXPECT_EQ(Clicks[L"MenuNew"], 0);

    TScript Escape(
        {Opens(btEdit, Opened), Selects(Button(btEdit).SubMenu, 0), Press(VK_ESCAPE), Closed()});
    EXPECT_TRUE(Escape.Run([] { PostPress(btEdit); })) << "steps done: " << Escape.StepsDone();
    Pump();
    EXPECT_EQ(Clicks[L"MenuEdit"], 1);
    EXPECT_EQ(Clicks[L"MenuAlpha"], 0);
    EXPECT_EQ(Clicks[L"MenuBeta"], 0);

    // An item's accelerator chooses it, though the skin draws the items.
    TScript ByKey(
        {Opens(btEdit, Opened), Selects(Button(btEdit).SubMenu, 0), Press('B'), Closed()});
    EXPECT_TRUE(ByKey.Run([] { PostPress(btEdit); })) << "steps done: " << ByKey.StepsDone();
    ASSERT_TRUE(WaitFor([] { return Clicks[L"MenuBeta"] > 0; }));
    Pump();
    EXPECT_EQ(Clicks[L"MenuBeta"], 1);
    EXPECT_EQ(Clicks[L"MenuAlpha"], 0);
}

TEST_F(TShownMenus, ADisabledButtonOpensNothingButItsCommandIsPosted) {
    bool MenuShown = false;
    TScript Guard({[&] {
                      if (MenuWindows().empty()) return false;
                      MenuShown = true;
                      EndMenu();
                      return true;
                  }},
                  3000);
    Guard.Start();
    const RECT& B = Button(btOff).Bounds;
    SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTMENU, ScreenPoint(Wnd(), {B.left + 2, B.top + 2}));
    EXPECT_FALSE(MenuShown);
    // Nor does the strip beside the buttons, hit-tested as the menu bar.
    const POINT Beside = FrameToScreen(Wnd(), {Button(btHelp).Bounds.right + 30, B.top + 4});
    const LRESULT Hit = SendMessageW(Wnd(), WM_NCHITTEST, 0, MAKELPARAM(Beside.x, Beside.y));
    EXPECT_EQ(Hit, HTMENU);
    SendMessageW(Wnd(), WM_NCLBUTTONDOWN, Hit, MAKELPARAM(Beside.x, Beside.y));
    SendMessageW(Wnd(), WM_NCLBUTTONUP, Hit, MAKELPARAM(Beside.x, Beside.y));
    EXPECT_FALSE(MenuShown);
    EXPECT_FALSE(Frame->MenuTracking);
    EXPECT_FALSE(SkinMenuHookInstalled());
    Pump();
    EXPECT_EQ(Clicks[L"MenuOff"], 1);
    EXPECT_EQ(Clicks[L"MenuNever"], 0);
}

// ---------------------------------------------------------------------------------------------
// What the drop-downs show

TEST_F(TShownMenus, SeparatorsAreTidiedAndEveryDropDownWearsTheSkin) {
    struct TLook {
        int Button;
        const char* Name;
        std::vector<const wchar_t*> Items; // nullptr: a separator
    };
    const std::vector<TLook> Looks = {
        {btFile,
         "file",
         {L"MenuNew", L"MenuOpen", nullptr, L"MenuChecked", L"MenuCheckedGlyph", L"MenuDefault",
          L"MenuDisabled", L"MenuRecent", nullptr, L"MenuExit"}},
        {btEdit, "edit", {L"MenuAlpha", nullptr, L"MenuBeta"}},
        {btView, "view", {L"MenuStatus", L"MenuZoom", L"MenuRadio"}},
        {btHelp, "help", {L"MenuAbout"}},
    };
    for (const TLook& L : Looks) {
        SCOPED_TRACE(L.Name);
        const HMENU Sub = Button(L.Button).SubMenu;
        std::vector<int> Opened;
        std::unique_ptr<TBitmap> Shot;
        HWND Window = nullptr;
        TWinSkinPopMenu* Skinned = nullptr;
        TScript Script({
            Opens(L.Button, Opened),
            Selects(Sub, 0),
            [&] {
                Window = MenuWindows().front();
                Skinned = PopMenuOf(Sub);
                Shot = Grab(Window);
                return true;
            },
            Press(VK_ESCAPE),
            Closed(),
        });
        const int Button = L.Button;
        ASSERT_TRUE(Script.Run([Button] { PostPress(Button); }))
            << "steps done: " << Script.StepsDone();
        Save(*Shot, std::string("skinmenu_") + L.Name + ".bmp");
        ASSERT_EQ(GetMenuItemCount(Sub), static_cast<int>(L.Items.size()));
        for (size_t P = 0; P < L.Items.size(); ++P) {
            const MENUITEMINFOW I = ItemInfo(Sub, static_cast<int>(P));
            EXPECT_TRUE(I.fType & MFT_OWNERDRAW) << P;
            if (!L.Items[P])
                EXPECT_TRUE(I.fType & MFT_SEPARATOR) << P;
            else
                EXPECT_EQ(I.wID, Item(L.Items[P])->Command()) << P;
        }
        ASSERT_NE(Skinned, nullptr) << "the drop-down's window wears the skin and knows its menu";
        auto Expected = MenuBackgroundPicture(*Skin, Shot->Width(), Shot->Height());
        EXPECT_EQ(RingDifferences(*Shot, *Expected), 0);
    }
}

TEST_F(TShownMenus, ItemsAreTheSkinsItemPicturesOverTheMenuBackground) {
    const HMENU File = Button(btFile).SubMenu;
    std::vector<int> Opened;
    std::unique_ptr<TBitmap> Shot, Printed;
    HWND Window = nullptr;
    std::vector<RECT> Items;
    TScript Script({
        Opens(btFile, Opened),
        Selects(File, 0),
        [&] {
            Window = MenuWindows().front();
            Shot = Grab(Window);
            for (int P = 0; P < GetMenuItemCount(File); ++P)
                Items.push_back(ItemRect(File, P, Window));
            // Printed into a picture of its own, the menu shows the same ring and items.
            RECT W;
            GetWindowRect(Window, &W);
            Printed = std::make_unique<TBitmap>(W.right - W.left, W.bottom - W.top, pf24bit);
            Fill(*Printed, 0x00FF00);
            SendMessageW(Window, WM_PRINTCLIENT,
                         reinterpret_cast<WPARAM>(Printed->Canvas()->Handle()), PRF_CLIENT);
            return true;
        },
        Press(VK_ESCAPE),
        Closed(),
    });
    ASSERT_TRUE(Script.Run([] { PostPress(btFile); })) << "steps done: " << Script.StepsDone();
    ASSERT_EQ(Items.size(), 10u);
    Save(*Printed, "skinmenu_file_printed.bmp");
    const int W = Shot->Width(), H = Shot->Height();
    auto Ground = MenuBackgroundPicture(*Skin, W, H);
    EXPECT_EQ(RingDifferences(*Printed, *Ground), 0);

    TDataSkinObject& MI = *Skin->MenuItem;
    // An item's picture without its content: the ground, the item picture's frame over it.
    auto Look = [&](const RECT& R, int Frame) {
        const int IW = R.right - R.left, IH = R.bottom - R.top;
        auto B = std::make_unique<TBitmap>(IW, IH, pf24bit);
        BitBlt(B->Canvas()->Handle(), 0, 0, IW, IH, Ground->Canvas()->Handle(), R.left, R.top,
               SRCCOPY);
        DrawSkinNineGrid(B->Canvas()->Handle(), {0, 0, IW, IH}, MI.Bitmap, false, MI.Tile == 1,
                         MI.Trans != 0, MI.FrameCount, Frame, MI.Margins);
        return B;
    };
    // Where no content goes (left of the glyph column, right of the shortcut) an item is its
    // picture: the selected first item frame 4, the others frame 1.
    auto Bare = [&](const TBitmap& From, int Position, int Frame) {
        const RECT R = Items[static_cast<size_t>(Position)];
        auto E = Look(R, Frame);
        int Bad = 0;
        for (int Y = R.top; Y < R.bottom; ++Y)
            for (int X = R.left; X < R.right; ++X) {
                const int LX = X - R.left;
                if (LX >= MI.Margins.left && LX < (R.right - R.left) - 10) continue;
                if (Pixel(From, X, Y) != Pixel(*E, LX, Y - R.top)) ++Bad;
            }
        return Bad;
    };
    EXPECT_EQ(Bare(*Shot, 0, 4), 0) << "the selected item";
    EXPECT_EQ(Bare(*Shot, 1, 1), 0) << "an item";
    EXPECT_EQ(Bare(*Shot, 9, 1), 0) << "the last item";
    EXPECT_EQ(Bare(*Printed, 1, 1), 0) << "an item printed";
    EXPECT_GT(Bare(*Shot, 0, 1), 0) << "the selected look differs";

    // The separator is the item picture's second frame, its bottom rows, over the ground.
    const RECT Sep = Items[2];
    const int SH = Sep.bottom - Sep.top;
    EXPECT_EQ(SH, 8);
    const RECT F2 = SkinFrameRect(MI.Bitmap, false, MI.FrameCount, 2);
    const int FW = F2.right - F2.left;
    int LineRow = -1;
    for (int Y = F2.bottom - SH; Y < F2.bottom && LineRow < 0; ++Y)
        if (Pixel(MI.Bitmap, F2.left + FW / 2, Y) != 0xFF00FF) LineRow = Y - (F2.bottom - SH);
    ASSERT_GE(LineRow, 0);
    const int MidX = (Sep.left + Sep.right) / 2;
    EXPECT_EQ(Pixel(*Shot, MidX, Sep.top + LineRow),
              Pixel(MI.Bitmap, F2.left + FW / 2, F2.bottom - SH + LineRow));
    EXPECT_EQ(Pixel(*Shot, MidX, Sep.top), Pixel(*Ground, MidX, Sep.top)) << "the ground above";

    // Content: glyphs from the image list, the check mark, the dithered ground of a checked
    // glyph, the disabled text colour and shortcuts right-aligned 11 pixels from the edge.
    const int GlyphX = 1 + MI.Margins.left;
    auto CountIn = [&](const RECT& R, const std::function<bool(uint32_t)>& Is) {
        int N = 0;
        for (int Y = R.top; Y < R.bottom; ++Y)
            for (int X = R.left; X < R.right; ++X)
                N += Is(Pixel(*Shot, X, Y));
        return N;
    };
    auto Glyph = [&](int Position) {
        const RECT R = Items[static_cast<size_t>(Position)];
        return RECT{R.left + GlyphX, R.top + 1, R.left + GlyphX + 16, R.top + 17};
    };
    EXPECT_GT(CountIn(Glyph(0), [](uint32_t C) { return C == 0x00A000; }), 10) << "green phone";
    EXPECT_GT(CountIn(Glyph(1), [](uint32_t C) { return C == 0x800000; }), 10) << "navy arrow";
    const uint32_t Ink = Rgb(ColorToRGB(Skin->ButtonText));
    EXPECT_GT(CountIn(Glyph(3), [&](uint32_t C) { return C == Ink; }), 5) << "check mark";
    const uint32_t Face = Rgb(ColorToRGB(Skin->ButtonFace));
    const uint32_t Light = Rgb(ColorToRGB(Skin->ButtonHilight));
    EXPECT_GT(CountIn(Glyph(4), [&](uint32_t C) { return C == Face; }), 20) << "dither";
    EXPECT_GT(CountIn(Glyph(4), [&](uint32_t C) { return C == Light; }), 20) << "dither";
    const RECT Disabled = Items[6];
    auto DisabledLook = Look(Disabled, 1);
    const RECT Text{Disabled.left + GlyphX + 16 + 3, Disabled.top, Disabled.right - 1,
                    Disabled.bottom};
    const uint32_t Grey = DarkestDrawn(*Shot, Text, *DisabledLook, {Disabled.left, Disabled.top});
    EXPECT_TRUE(Near(Grey, Rgb(ColorToRGB(Skin->ButtonShadow)), 12)) << std::hex << Grey;
    const RECT New = Items[0];
    auto NewLook = Look(New, 4);
    const RECT ShortCut{New.right - 40, New.top, New.right - 11, New.bottom};
    const RECT PastIt{New.right - 11, New.top, New.right, New.bottom};
    EXPECT_NE(DarkestDrawn(*Shot, ShortCut, *NewLook, {New.left, New.top}), 0xFFFFFFFFu);
    EXPECT_EQ(DarkestDrawn(*Shot, PastIt, *NewLook, {New.left, New.top}), 0xFFFFFFFFu);
}

TEST_F(TShownMenus, PopupMenusAndTheSystemMenuWearTheSkin) {
    // The popup menu is drawn through the skin's handlers.
    EXPECT_TRUE(Popup->OwnerDraw());
    ASSERT_TRUE(Item(L"PopupDeeper")->OnDrawItem);
    ASSERT_TRUE(Item(L"PopupCopy")->OnMeasureItem);
    // Once the menu's window wears the skin: the menu kind, its picture and item rectangles.
    struct TSeen {
        int Mode = -1;
        std::unique_ptr<TBitmap> Shot;
        std::vector<RECT> Items;
    };
    auto Look = [](HMENU Menu, TSeen& Seen) -> TScript::TStep {
        return [Menu, &Seen] {
            const TWinSkinPopMenu* P = PopMenuOf(Menu);
            if (MenuWindows().empty() || !P || P->Background.Empty()) return false;
            Seen.Mode = SkinManager->MenuMode();
            HWND W = MenuWindows().front();
            Seen.Shot = Grab(W);
            for (int I = 0; I < GetMenuItemCount(Menu); ++I)
                Seen.Items.push_back(ItemRect(Menu, I, W));
            EndMenu();
            return true;
        };
    };
    // Each window wears the menu kind it was opened as and the skin's ring.
    auto Check = [&](const TSeen& Seen, int Mode, const char* File) {
        Save(*Seen.Shot, File);
        EXPECT_EQ(Seen.Mode, Mode) << File;
        auto Ground = MenuBackgroundPicture(*Skin, Seen.Shot->Width(), Seen.Shot->Height());
        EXPECT_EQ(RingDifferences(*Seen.Shot, *Ground), 0) << File;
        return Ground;
    };
    TSeen PopupSeen;
    TScript Popped({Look(Popup->Handle(), PopupSeen)});
    ASSERT_TRUE(Popped.Run([&] { Popup->Popup(300, 260); }));
    auto Ground = Check(PopupSeen, mmPopup, "skinmenu_popup.bmp");
    ASSERT_EQ(PopupSeen.Items.size(), 5u);
    // An item without its selection is the ground where its content does not reach.
    const RECT Paste = PopupSeen.Items[1];
    int Bad = 0;
    for (int Y = Paste.top; Y < Paste.bottom; ++Y)
        for (int X = Paste.left; X < Paste.left + Skin->MenuItem->Margins.left; ++X)
            Bad += Pixel(*PopupSeen.Shot, X, Y) != Pixel(*Ground, X, Y);
    EXPECT_EQ(Bad, 0);
    // Its items' accelerators choose them.
    TScript ByKey({[] { return PopMenuOf(Popup->Handle()) && !MenuWindows().empty(); }, Press('P'),
                   Closed()});
    ASSERT_TRUE(ByKey.Run([&] { Popup->Popup(300, 260); })) << "steps " << ByKey.StepsDone();
    ASSERT_TRUE(WaitFor([] { return Clicks[L"PopupPaste"] > 0; }));
    EXPECT_EQ(Clicks[L"PopupCopy"], 0);

    // The skin's own system menu: its glyphs from the skin's glyph list, " Close " with its
    // shortcut.
    TSeen SysSeen;
    TScript System({Look(Frame->SkinSysMenu->Handle(), SysSeen)});
    Frame->LastSysMenuTime = 0;
    const POINT At = FrameToScreen(Wnd(), {20, 10});
    ASSERT_TRUE(System.Run([&] { Frame->ShowSystemMenu(At); }));
    Check(SysSeen, mmSystemMenu, "skinmenu_system.bmp");
    const auto& SysShot = SysSeen.Shot;
    int Ink = 0;
    for (int Y = 3; Y < SysShot->Height() - 3; ++Y)
        for (int X = 1 + Skin->MenuItem->Margins.left; X < 17 + Skin->MenuItem->Margins.left; ++X)
            Ink += Pixel(*SysShot, X, Y) == 0;
    EXPECT_GT(Ink, 20) << "the glyphs of the skin's glyph list";
    Pump();
    EXPECT_EQ(Form->Closes, 0);
}

TEST_F(TShownMenus, APlainWindowsNativeMenuIsSkinnedAndMeasuredNatively) {
    static const wchar_t* Class = L"SkinMenuPlainWindow";
    WNDCLASSW WC{};
    WC.lpfnWndProc = DefWindowProcW;
    WC.hInstance = GetModuleHandleW(nullptr);
    WC.lpszClassName = Class;
    RegisterClassW(&WC);
    HMENU MenuBar = CreateMenu();
    HMENU Drop = CreatePopupMenu();
    AppendMenuW(Drop, MF_STRING, SC_RESTORE, L"&Restore\tAlt+F5");
    AppendMenuW(Drop, MF_STRING, SC_CLOSE, L""); // a system item without text
    AppendMenuW(Drop, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(Drop, MF_STRING, 7, L"&Seven");
    AppendMenuW(MenuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(Drop), L"&Window");
    // Never shown: it is made and destroyed at once.
    HWND Plain = CreateWindowExW(0, Class, L"Plain", WS_OVERLAPPEDWINDOW, 500, 300, 300, 200,
                                 nullptr, MenuBar, WC.hInstance, nullptr);
    ASSERT_NE(Plain, nullptr);
    TWinSkinForm* F = SkinNow(Plain);
    ASSERT_NE(F, nullptr);
    ASSERT_NE(F->SkinMenu, nullptr);
    EXPECT_EQ(F->Form, nullptr);
    EXPECT_EQ(GetMenu(Plain), nullptr);
    ASSERT_EQ(F->SkinMenu->ButtonCount(), 1);
    EXPECT_EQ(F->SkinMenu->MenuButtons()[0]->Caption, L"&Window");
    EXPECT_EQ(F->SkinMenu->MenuButtons()[0]->SubMenu, Drop);

    std::vector<RECT> Rects;
    std::unique_ptr<TBitmap> Shot;
    TScript Script({
        [&] {
            const TWinSkinPopMenu* P = PopMenuOf(Drop);
            if (MenuWindows().empty() || !P || P->Background.Empty()) return false;
            HWND W = MenuWindows().front();
            for (int I = 0; I < 4; ++I)
                Rects.push_back(ItemRect(Drop, I, W));
            Shot = Grab(W);
            EndMenu();
            return true;
        },
    });
    EXPECT_TRUE(Script.Run([&] { F->SkinMenu->OpenMenu(0); }));
    ASSERT_EQ(Rects.size(), 4u);
    Save(*Shot, "skinmenu_plain.bmp");
    auto Height = [&](int I) {
        return Rects[static_cast<size_t>(I)].bottom - Rects[static_cast<size_t>(I)].top;
    };
    // The system offers 16 pixels; a native item with text takes 4 more, one without text 8.
    EXPECT_EQ(Height(0), 20);
    EXPECT_EQ(Height(1), 8);
    EXPECT_EQ(Height(3), 20) << "a plain window's own item too";
    // A native separator is an etched line 4 pixels below its top.
    const RECT Sep = Rects[2];
    const int MidX = (Sep.left + Sep.right) / 2;
    EXPECT_EQ(Pixel(*Shot, MidX, Sep.top + 4), Rgb(GetSysColor(COLOR_BTNSHADOW)));
    EXPECT_EQ(Pixel(*Shot, MidX, Sep.top + 5), Rgb(GetSysColor(COLOR_BTNHIGHLIGHT)));
    for (int I = 0; I < 4; ++I)
        EXPECT_TRUE(ItemInfo(Drop, I).fType & MFT_OWNERDRAW) << I;

    // Switched off, the window has its menu back, its items as they were.
    SkinManager->RemoveForm(Plain);
    F->Detach(TWinSkinForm::dkFull);
    delete F;
    EXPECT_EQ(GetMenu(Plain), MenuBar);
    for (int I = 0; I < 4; ++I)
        EXPECT_FALSE(ItemInfo(Drop, I).fType & MFT_OWNERDRAW) << I;
    DestroyWindow(Plain);
}

TEST_F(TShownMenus, AChangedMenuRebuildsTheStrip) {
    TMenuItem* Help = Item(L"MenuHelp");
    const int HelpWidth = Button(btHelp).Bounds.right - Button(btHelp).Bounds.left;
    Help->SetCaption(L"&Help and more");
    EXPECT_EQ(Button(btHelp).Caption, L"&Help and more");
    EXPECT_GT(Button(btHelp).Bounds.right - Button(btHelp).Bounds.left, HelpWidth);
    EXPECT_EQ(GetMenu(Wnd()), nullptr);
    auto* Extra = new TMenuItem(Form);
    Extra->SetCaption(L"E&xtra");
    Menu->Items()->Add(Extra);
    EXPECT_EQ(Bar().ButtonCount(), 6);
    EXPECT_EQ(Bar().MenuButtons().back()->Caption, L"E&xtra");
    // Without menu updates the strip keeps what it shows.
    Skin->SetMenuUpdate(false);
    Help->SetCaption(L"&Help");
    EXPECT_EQ(Button(btHelp).Caption, L"&Help and more");
    Skin->SetMenuUpdate(true);
    delete Extra;
    EXPECT_EQ(Bar().ButtonCount(), 5);
    EXPECT_EQ(Button(btHelp).Caption, L"&Help");
    EXPECT_EQ(Button(btHelp).Bounds.right - Button(btHelp).Bounds.left, HelpWidth);
    EXPECT_EQ(GetMenu(Wnd()), nullptr);
}

TEST_F(TShownMenus, TheNativeBuildsTakeTheMainMenusItemsByPositionOrByCommand) {
    // Merged: the native menu's items, each replaced by the main menu's item at its position.
    Skin->SetMenuMerge(true);
    SendMessageW(Wnd(), CM_MENUCHANGED, 0, 0);
    ASSERT_EQ(Bar().ButtonCount(), 5);
    for (int I = 0; I < 5; ++I) {
        TMenuItem* Own = Menu->Items()->Items(I);
        EXPECT_EQ(Button(I).Item, Own);
        EXPECT_EQ(Button(I).Caption, Own->Caption());
        EXPECT_EQ(Button(I).SubMenu, Own->Handle());
        EXPECT_EQ(Button(I).Command, GetMenuItemID(Menu->Handle(), I));
    }
    EXPECT_FALSE(Button(btOff).Enabled);
    Skin->SetMenuMerge(false);
    SendMessageW(Wnd(), CM_MENUCHANGED, 0, 0);
    EXPECT_EQ(Button(btFile).Command, Item(L"MenuFile")->Command());

    // A given menu: its items, the main menu's item of the same command in place of one.
    TMenuHandle Given(CreateMenu());
    AppendMenuW(Given, MF_STRING, Item(L"MenuAbout")->Command(), L"x");
    AppendMenuW(Given, MF_STRING | MF_GRAYED, 4321, L"&Native");
    Bar().BuildFromMenu(Given);
    EXPECT_EQ(Bar().NativeMenu(), Given.Get());
    ASSERT_EQ(Bar().ButtonCount(), 2);
    EXPECT_EQ(Button(0).Item, Item(L"MenuAbout"));
    EXPECT_EQ(Button(0).Caption, L"&About...");
    EXPECT_EQ(Button(0).Command, Item(L"MenuAbout")->Command());
    EXPECT_TRUE(Button(0).Enabled);
    EXPECT_EQ(Button(1).Item, nullptr);
    EXPECT_EQ(Button(1).Caption, L"&Native");
    EXPECT_EQ(Button(1).Command, 4321u);
    EXPECT_FALSE(Button(1).Enabled);
    Bar().SetNativeMenu(Menu->Handle());
    Bar().BuildFromMainMenu(Form);
    Frame->PaintFrame();
    EXPECT_EQ(Bar().ButtonCount(), 5);
}

namespace {

// Ends every menu of the thread at the first key it reads, or at the first message of a menu
// that reads no key.
class TMenuCloser {
  public:
    TMenuCloser() {
        Hook.Reset(SetWindowsHookExW(WH_MSGFILTER, &Proc, nullptr, GetCurrentThreadId()));
    }
    THookHandle Hook;

  private:
    static LRESULT CALLBACK Proc(int Code, WPARAM W, LPARAM L) {
        const auto* M = reinterpret_cast<MSG*>(L);
        if (Code == MSGF_MENU && M && (M->message == WM_KEYDOWN || M->message == WM_NULL))
            EndMenu();
        return CallNextHookEx(nullptr, Code, W, L);
    }
};

} // namespace

TEST_F(TShownMenus, FiveHundredOpeningsOfEachMenuLeaveNothingBehind) {
    const POINT SysAt = FrameToScreen(Wnd(), {20, 10});
    auto Cycle = [&](int Which) {
        if (Which < 5) {
            const RECT& B = Button(Which).Bounds;
            SendMessageW(Wnd(), WM_NCLBUTTONDOWN, HTMENU,
                         ScreenPoint(Wnd(), {B.left + 2, B.top + 2}));
        } else if (Which == 5) {
            PostMessageW(Popup->WindowHandle(), WM_NULL, 0, 0);
            Popup->Popup(300, 260);
        } else {
            Frame->LastSysMenuTime = 0;
            PostMessageW(Frame->SkinSysMenu->WindowHandle(), WM_NULL, 0, 0);
            Frame->ShowSystemMenu(SysAt);
        }
        Pump();
    };
    const std::vector<int> Menus{btFile, btEdit, btView, btHelp, 5, 6};
    TMenuCloser Closer;
    for (int M : Menus)
        Cycle(M); // what is made once and kept is made now
    Clicks.clear();
    const TCounts Before = Counts();
    const DWORD Start = GetTickCount();
    for (int M : Menus)
        for (int I = 0; I < 500; ++I)
            Cycle(M);
    const DWORD Took = GetTickCount() - Start;
    Pump();
    const TCounts After = Counts();
    EXPECT_EQ(After, Before) << "before: " << Describe(Before) << "\nafter:  " << Describe(After);
    EXPECT_TRUE(SkinManager->Menus().empty());
    EXPECT_FALSE(SkinMenuHookInstalled());
    EXPECT_FALSE(Frame->MenuTracking);
    EXPECT_EQ(Clicks[L"MenuFile"], 500) << "every opening clicked its item once";
    EXPECT_EQ(Clicks[L"MenuHelp"], 500);
    EXPECT_EQ(Form->Closes, 0);
    std::printf("3000 menus opened and closed in %lu ms\n", static_cast<unsigned long>(Took));
}

// Last: the skin goes off and comes back.
TEST_F(TShownMenus, SwitchedOffTheWindowHasItsNativeMenuBarBackWithWorkingItems) {
    SkinManager->Request(Skin, saRemove);
    SkinManager->RunScheduled();
    ASSERT_EQ(FrameOf(Wnd()), nullptr);
    EXPECT_EQ(GetMenu(Wnd()), Menu->Handle());
    RECT C;
    GetClientRect(Wnd(), &C);
    EXPECT_EQ(C.right, 360);
    EXPECT_EQ(C.bottom, 200) << "the client area keeps its size under the native menu bar";
    Save(*Grab(Wnd()), "skinmenu_native.bmp");
    RECT File{};
    ASSERT_TRUE(GetMenuItemRect(Wnd(), Menu->Handle(), 0, &File));
    EXPECT_GT(File.right, File.left);
    const HMENU FileMenu = Item(L"MenuFile")->Handle();
    TScript Script({
        [] { return !MenuWindows().empty(); },
        [&] {
            RECT New{};
            if (!GetMenuItemRect(Wnd(), FileMenu, 0, &New) || New.right <= New.left) return false;
            SetCursorPos((New.left + New.right) / 2, (New.top + New.bottom) / 2);
            mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
            mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
            return true;
        },
        [] { return MenuWindows().empty(); },
    });
    EXPECT_TRUE(Script.Run([&] {
        SetCursorPos((File.left + File.right) / 2, (File.top + File.bottom) / 2);
        mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
        mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    })) << "steps done: "
        << Script.StepsDone();
    EXPECT_TRUE(WaitFor([] { return Clicks[L"MenuNew"] == 1; }));
    SetCursorPos(10, 10);

    // On again: the strip takes the menu bar's place once more.
    SkinManager->SetSkinningEnabled(true);
    Frame = SkinNow(Wnd());
    ASSERT_NE(Frame, nullptr);
    ASSERT_NE(Frame->SkinMenu, nullptr);
    EXPECT_EQ(GetMenu(Wnd()), nullptr);
    EXPECT_EQ(Frame->SkinMenu->ButtonCount(), 5);
}

// ---------------------------------------------------------------------------------------------
// A skin that draws the items of a form's menus but leaves the menu bar to the system

TEST(MenuItemSkin, ItemsOfTheFormsMenusDrawThroughTheSkinAndLetGoWithIt) {
    auto F = HiddenSkinnedForm();
    ReadSkinTestMenus(*F, [](TMenuItem&) {});
    auto* Main = dynamic_cast<TMainMenu*>(F->FindComponent(L"MainMenu1"));
    auto* Pop = dynamic_cast<TPopupMenu*>(F->FindComponent(L"PopupMenu1"));
    auto Find = [&](const wchar_t* Name) {
        return dynamic_cast<TMenuItem*>(F->FindComponent(Name));
    };
    ASSERT_FALSE(Main->OwnerDraw());
    // A popup menu whose tag says so is left alone.
    auto* Untouched = new TPopupMenu(F.get());
    Untouched->SetTag(199);
    auto* Alone = new TMenuItem(F.get());
    Alone->SetCaption(L"Alone");
    Untouched->Items()->Add(Alone);
    auto* Own = new TSkinData(F.get());
    Own->SetLoading();
    Own->SetSkinFormtype(sfOnlyThisForm);
    Own->SetSkinControls({xcPopupMenu, xcMenuItem});
    const auto Payload = ResourceData(L"DEFAULTSKIN");
    Own->SetSkinStream(TBytes(Payload.begin(), Payload.end()));
    Own->SetActive(true);
    Own->Loaded();
    TWinSkinForm* Frame = SkinNow(F->Handle());
    ASSERT_NE(Frame, nullptr);
    EXPECT_EQ(Frame->SkinMenu, nullptr) << "the menu bar stays the system's";
    EXPECT_EQ(GetMenu(F->Handle()), Main->Handle());
    EXPECT_TRUE(Main->OwnerDraw());
    EXPECT_TRUE(Pop->OwnerDraw());
    EXPECT_FALSE(Find(L"MenuFile")->OnDrawItem) << "the bar's own items are not drawn";
    EXPECT_TRUE(Find(L"MenuNew")->OnDrawItem);
    EXPECT_TRUE(Find(L"MenuRecent1")->OnDrawItem);
    EXPECT_TRUE(Find(L"PopupCopy")->OnDrawItem);
    EXPECT_TRUE(Find(L"PopupDeeper")->OnMeasureItem);
    EXPECT_FALSE(Untouched->OwnerDraw());
    EXPECT_FALSE(Alone->OnDrawItem);

    // The skin's room beside the item's own measure: the item picture's margin, and 10 for an
    // item of a main menu, 12 for one of a popup menu (both menus have images).
    const int Margin = Own->MenuItem->Margins.left;
    int W = 100, H = 20;
    Find(L"MenuNew")->OnMeasureItem(Find(L"MenuNew"), nullptr, W, H);
    EXPECT_EQ(W, 100 + Margin + 10);
    EXPECT_EQ(H, 20);
    W = 100;
    Find(L"PopupPaste")->OnMeasureItem(Find(L"PopupPaste"), nullptr, W, H);
    EXPECT_EQ(W, 100 + Margin + 12);

    // Drawn where no menu window is known: the menu colour, the item picture over it.
    TBitmap Plain(120, 20), Selected(120, 20);
    Find(L"PopupPaste")->OnDrawItem(Find(L"PopupPaste"), Plain.Canvas(), {0, 0, 120, 20}, false);
    Find(L"PopupPaste")->OnDrawItem(Find(L"PopupPaste"), Selected.Canvas(), {0, 0, 120, 20}, true);
    const uint32_t MenuColour = Rgb(ColorToRGB(Own->Menu));
    int Off = 0;
    for (int Y = 0; Y < 20; ++Y)
        for (int X = 0; X < Margin; ++X)
            Off += Pixel(Plain, X, Y) != MenuColour;
    EXPECT_EQ(Off, 0);
    const RECT F4 = SkinFrameRect(Own->MenuItem->Bitmap, false, Own->MenuItem->FrameCount, 4);
    EXPECT_EQ(Pixel(Selected, 108, 10), Pixel(Own->MenuItem->Bitmap, F4.left + 15, 11))
        << "the selected frame's fill";
    EXPECT_EQ(Pixel(Plain, 108, 10), MenuColour);

    // Switched off, the menus are as they were.
    SkinManager->RemoveForm(F->Handle());
    Frame->Detach(TWinSkinForm::dkFull);
    delete Frame;
    EXPECT_FALSE(Main->OwnerDraw());
    EXPECT_FALSE(Pop->OwnerDraw());
    EXPECT_FALSE(Find(L"MenuNew")->OnDrawItem);
    EXPECT_FALSE(Find(L"PopupCopy")->OnMeasureItem);
}
