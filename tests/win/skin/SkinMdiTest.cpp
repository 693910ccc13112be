// Multiple-document forms, first without a skin (the class library's frame, client and
// children, the merged menu bar, the window menu, tile and cascade), then wearing the default
// skin: the frame's client without scroll bars, children skinned as they are made, the
// maximised child's buttons in the frame's menu strip pressed with the real pointer, the
// frame's menu when the last child closes, the skin switched off and on with children open, and
// many children made and closed. One MDI test frame serves every test, in order; pictures of the
// strip are left as skinmdi_*.bmp.
#include "SkinTesting.h"

#include "MdiTestForms.h"
#include "MessageRecorder.h"
#include "WinSkinMenu.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace SkinTest;

namespace {

TMdiTestFrame* TheFrame = nullptr;

TMdiTestFrame& Frame() {
    if (!TheFrame) {
        // No skin of its own: the tests put one on when they get there.
        TheFrame = new TMdiTestFrame(nullptr, false);
        TheFrame->SetBounds(40, 40, 600, 440);
        TheFrame->Show();
        SetForegroundWindow(TheFrame->Handle());
        Pump();
    }
    return *TheFrame;
}

HWND Client() {
    return Frame().ClientHandle();
}

std::wstring MenuText(HMENU Menu, int Position) {
    wchar_t Text[128]{};
    GetMenuStringW(Menu, static_cast<UINT>(Position), Text, 128, MF_BYPOSITION);
    return Text;
}

// Closes every child and waits until they are gone.
bool CloseAll() {
    std::vector<TCustomForm*> All;
    for (int I = 0; I < Frame().MDIChildCount(); ++I)
        All.push_back(Frame().MDIChildren(I));
    // Each goes once the messages queued now are handled.
    for (TCustomForm* C : All)
        C->Close();
    return WaitFor([] { return Frame().MDIChildCount() == 0; });
}

bool Freed(HWND Child) {
    return WaitFor([Child] { return !IsWindow(Child); });
}

void Save(const TBitmap& B, const std::string& Name) {
    const TBytes Data = B.SaveToStream();
    if (FILE* Out = fopen(Name.c_str(), "wb")) {
        fwrite(Data.data(), 1, Data.size(), Out);
        fclose(Out);
    }
}

// The client given scroll bars, as it gives itself when a child lies outside it.
bool ClientScrolls() {
    const DWORD Style = GetWindowLongW(Client(), GWL_STYLE);
    return (Style & (WS_HSCROLL | WS_VSCROLL)) != 0;
}

void GiveScrollBars() {
    const DWORD Style = GetWindowLongW(Client(), GWL_STYLE);
    SetWindowLongW(Client(), GWL_STYLE, static_cast<LONG>(Style | WS_HSCROLL | WS_VSCROLL));
    SetWindowPos(Client(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Pump();
}

void Click(POINT Screen) {
    SetCursorPos(Screen.x, Screen.y);
    Pump();
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Pump();
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Pump();
}

TWinSkinForm* FrameSkin() {
    return FrameOf(Frame().Handle());
}

// The frame's caption buttons for the maximised child, in the skin's order (minimise,
// restore, close).
std::vector<TWinSysButton*> ChildButtons() {
    std::vector<TWinSysButton*> L;
    if (TWinSkinForm* F = FrameSkin())
        for (auto& B : F->NCButtons)
            if (B->SkinButton->Visibility == 100) L.push_back(B.get());
    return L;
}

POINT Middle(HWND Wnd, const RECT& FrameRect) {
    return FrameToScreen(
        Wnd, {(FrameRect.left + FrameRect.right) / 2, (FrameRect.top + FrameRect.bottom) / 2});
}

bool SkinnedChild(HWND Child) {
    TWinSkinForm* F = FrameOf(Child);
    return F && F->SkinState == lsReady && F->MdiKind == mkChild;
}

TMdiTestChild* SkinnedNewChild(bool Maximized) {
    TMdiTestChild* C = Frame().NewChild(Maximized);
    const HWND Wnd = C->Handle();
    return WaitFor([Wnd] { return SkinnedChild(Wnd); }) ? C : nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Without a skin

TEST(MdiForms, AFrameHasItsClientAndChildrenAreMadeInIt) {
    ASSERT_TRUE(Client());
    wchar_t Class[32]{};
    GetClassNameW(Client(), Class, 32);
    EXPECT_STREQ(L"MDIClient", Class);
    EXPECT_EQ(Frame().Handle(), GetParent(Client()));
    RECT FrameClient, ClientRect;
    GetClientRect(Frame().Handle(), &FrameClient);
    GetWindowRect(Client(), &ClientRect);
    EXPECT_EQ(FrameClient.right, ClientRect.right - ClientRect.left);
    EXPECT_EQ(FrameClient.bottom, ClientRect.bottom - ClientRect.top);

    TMdiTestChild* A = Frame().NewChild(false);
    TMdiTestChild* B = Frame().NewChild(false);
    EXPECT_EQ(2, Frame().MDIChildCount());
    EXPECT_EQ(Client(), GetParent(A->Handle()));
    EXPECT_TRUE(GetWindowLongW(A->Handle(), GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_TRUE(IsWindowVisible(B->Handle()));
    EXPECT_EQ(B, Frame().ActiveMDIChild());
    EXPECT_EQ(B, Frame().MDIChildren(0));
    EXPECT_EQ(A, Frame().MDIChildren(1));
    EXPECT_EQ(L"Document 2", B->Caption());
    ASSERT_TRUE(CloseAll());
}

TEST(MdiForms, TheActiveChildsMenuIsMergedBeforeTheWindowMenu) {
    const HMENU Bar0 = GetMenu(Frame().Handle());
    ASSERT_TRUE(Bar0);
    ASSERT_EQ(2, GetMenuItemCount(Bar0)) << testing::PrintToString(MenuText(Bar0, 0));
    EXPECT_EQ(L"&File", MenuText(Bar0, 0));
    EXPECT_EQ(L"&Window", MenuText(Bar0, 1));

    TMdiTestChild* A = Frame().NewChild(false);
    const HMENU Bar = GetMenu(Frame().Handle());
    ASSERT_EQ(3, GetMenuItemCount(Bar)) << testing::PrintToString(MenuText(Bar, 0)) << " "
                                        << testing::PrintToString(MenuText(Bar, 1));
    EXPECT_EQ(L"&File", MenuText(Bar, 0));
    EXPECT_EQ(L"&Document", MenuText(Bar, 1));
    EXPECT_EQ(L"&Window", MenuText(Bar, 2));
    // The window menu ends with one entry per child, the active one checked.
    const HMENU Window = Frame().WindowMenuItem->Handle();
    const int N = GetMenuItemCount(Window);
    ASSERT_GT(N, 3);
    EXPECT_NE(std::wstring::npos, MenuText(Window, N - 1).find(L"Document"));

    // A command of the child's item, chosen on the frame's bar, reaches the child.
    auto* Mark = dynamic_cast<TMenuItem*>(A->FindComponent(L"MenuMark"));
    ASSERT_TRUE(Mark);
    SendMessageW(Frame().Handle(), WM_COMMAND, Mark->Command(), 0);
    EXPECT_EQ(1, A->Marks);
    // The window menu's entry activates its child.
    TMdiTestChild* B = Frame().NewChild(false);
    EXPECT_EQ(B, Frame().ActiveMDIChild());
    SendMessageW(Frame().Handle(), WM_COMMAND, 0xFF00, 0);
    EXPECT_EQ(A, Frame().ActiveMDIChild());

    const HWND AW = A->Handle(), BW = B->Handle();
    A->Close();
    EXPECT_TRUE(Freed(AW));
    EXPECT_EQ(3, GetMenuItemCount(GetMenu(Frame().Handle())));
    B->Close();
    EXPECT_TRUE(Freed(BW));
    const HMENU Last = GetMenu(Frame().Handle());
    ASSERT_EQ(2, GetMenuItemCount(Last));
    EXPECT_EQ(L"&Window", MenuText(Last, 1));
    // The window menu keeps only its own items.
    EXPECT_EQ(3, GetMenuItemCount(Window));
}

TEST(MdiForms, MaximiseRestoreTileAndCascade) {
    TMdiTestChild* A = Frame().NewChild(false);
    TMdiTestChild* B = Frame().NewChild(true);
    EXPECT_TRUE(IsZoomed(B->Handle()));
    EXPECT_EQ(wsMaximized, B->WindowState());
    B->SetWindowState(wsNormal);
    EXPECT_FALSE(IsZoomed(B->Handle()));
    Frame().Tile();
    RECT RA, RB;
    GetWindowRect(A->Handle(), &RA);
    GetWindowRect(B->Handle(), &RB);
    RECT Overlap;
    EXPECT_FALSE(IntersectRect(&Overlap, &RA, &RB)) << "tiled children do not overlap";
    Frame().Cascade();
    GetWindowRect(A->Handle(), &RA);
    GetWindowRect(B->Handle(), &RB);
    EXPECT_TRUE(IntersectRect(&Overlap, &RA, &RB)) << "cascaded children overlap";
    EXPECT_NE(RA.left, RB.left);
    ASSERT_TRUE(CloseAll());
}

TEST(MdiForms, WithoutASkinTheClientKeepsItsScrollBars) {
    GiveScrollBars();
    EXPECT_TRUE(ClientScrolls());
    const DWORD Style = GetWindowLongW(Client(), GWL_STYLE);
    SetWindowLongW(Client(), GWL_STYLE, static_cast<LONG>(Style & ~(WS_HSCROLL | WS_VSCROLL)));
}

// ---------------------------------------------------------------------------------------------
// Wearing the skin

TEST(SkinMdi, TheFrameIsSkinnedAsAnMdiFrame) {
    Frame();
    MainSkin();
    ASSERT_TRUE(SkinManager);
    TWinSkinForm* F = SkinNow(Frame().Handle());
    ASSERT_TRUE(F);
    EXPECT_EQ(mkFrame, F->MdiKind);
    EXPECT_EQ(Client(), F->MDIClientWnd);
    EXPECT_EQ(Client(), SkinManager->MDIClient());
    EXPECT_EQ(&Frame(), SkinManager->MDIFrameForm());
    ASSERT_TRUE(F->SkinMenu);
    EXPECT_EQ(nullptr, GetMenu(Frame().Handle()));
    EXPECT_EQ(2, F->SkinMenu->ButtonCount());
}

TEST(SkinMdi, ChildrenAreSkinnedAsTheyAreMadeAndTheirMenuJoinsTheStrip) {
    TMdiTestChild* A = SkinnedNewChild(false);
    ASSERT_TRUE(A);
    TWinSkinForm* C = FrameOf(A->Handle());
    // The skin draws the child's caption: the system's caption buttons are gone.
    EXPECT_FALSE(GetWindowLongW(A->Handle(), GWL_STYLE) & WS_SYSMENU);
    RECT W, Cl;
    GetWindowRect(A->Handle(), &W);
    GetClientRect(A->Handle(), &Cl);
    EXPECT_EQ(C->FrameLeft + C->FrameRight, (W.right - W.left) - Cl.right);
    EXPECT_EQ(C->FrameTop + C->FrameBottom, (W.bottom - W.top) - Cl.bottom);
    TWinSkinForm* F = FrameSkin();
    ASSERT_TRUE(F && F->SkinMenu);
    ASSERT_EQ(3, F->SkinMenu->ButtonCount());
    EXPECT_EQ(L"&Document", F->SkinMenu->MenuButtons()[1]->Caption);
    EXPECT_EQ(nullptr, GetMenu(Frame().Handle()));
}

TEST(SkinMdi, TheFramesActivationReachesTheClient) {
    TMessageRecorder Rec({WM_NCACTIVATE});
    Rec.Attach(Client());
    SendMessageW(Frame().Handle(), WM_NCACTIVATE, FALSE, 0);
    SendMessageW(Frame().Handle(), WM_NCACTIVATE, TRUE, 0);
    Rec.Detach();
    EXPECT_TRUE(Rec.Matches({{WM_NCACTIVATE, mcWParam, FALSE}, {WM_NCACTIVATE, mcWParam, TRUE}}));
}

TEST(SkinMdi, TheSkinnedClientShowsNoScrollBarsUnlessTheSkinAsks) {
    GiveScrollBars();
    EXPECT_FALSE(ClientScrolls());
    TSkinData& Skin = MainSkin();
    Skin.SetOptions(TSkinOptions(Skin.Options()).Include(xoMDIScrollbar));
    GiveScrollBars();
    EXPECT_TRUE(ClientScrolls());
    Skin.SetOptions(TSkinOptions(Skin.Options()).Exclude(xoMDIScrollbar));
    GiveScrollBars();
    EXPECT_FALSE(ClientScrolls());
}

TEST(SkinMdi, AMaximisedChildsButtonsAreDrawnInTheFramesStrip) {
    TCustomForm* A = Frame().ActiveMDIChild();
    if (!A) A = SkinnedNewChild(false);
    ASSERT_TRUE(A);
    A->SetWindowState(wsMaximized);
    ASSERT_TRUE(WaitFor([] { return SkinManager->MDIMaximized(); }));
    Pump();
    TWinSkinForm* F = FrameSkin();
    const auto Buttons = ChildButtons();
    ASSERT_EQ(3u, Buttons.size());
    RedrawWindow(Frame().Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
    const auto Shot = Grab(Frame().Handle());
    Save(*Shot, "skinmdi_maximised.bmp");
    const RECT Strip = F->SkinMenu->StripRect();
    for (TWinSysButton* B : Buttons) {
        ASSERT_TRUE(B->Visible);
        const RECT R = B->Bounds;
        // In the strip, at its right end, below the caption.
        EXPECT_GE(R.top, Strip.top);
        EXPECT_LE(R.bottom, Strip.bottom);
        EXPECT_GT(R.left, Strip.left + (Strip.right - Strip.left) / 2);
        // Frame 1 of the button's picture is on the screen, its magenta left as the strip.
        const TBitmap& Pic = B->SkinButton->Bitmap;
        int Compared = 0, Same = 0;
        for (int Y = 0; Y < R.bottom - R.top; ++Y)
            for (int X = 0; X < R.right - R.left; ++X) {
                const uint32_t Want = Pixel(Pic, X, Y);
                if (Want == 0xFF00FF) continue;
                ++Compared;
                if (Pixel(*Shot, R.left + X, R.top + Y) == Want) ++Same;
            }
        ASSERT_GT(Compared, 3);
        EXPECT_GE(Same * 10, Compared * 9) << "button at " << R.left << "," << R.top;
    }
    // The buttons differ from one another (minimise, restore, close).
    EXPECT_NE(Pixel(*Shot, Buttons[0]->Bounds.left + 6, Buttons[0]->Bounds.top + 6) ^
                  Pixel(*Shot, Buttons[2]->Bounds.left + 6, Buttons[2]->Bounds.top + 6),
              0u);
}

TEST(SkinMdi, TheStripsRestoreButtonGivesTheChildItsSkinnedFrameBack) {
    TCustomForm* A = Frame().ActiveMDIChild();
    ASSERT_TRUE(A && IsZoomed(A->Handle()));
    const auto Buttons = ChildButtons();
    ASSERT_EQ(3u, Buttons.size());
    Click(Middle(Frame().Handle(), Buttons[1]->Bounds));
    ASSERT_TRUE(WaitFor([A] { return !IsZoomed(A->Handle()); }));
    EXPECT_TRUE(WaitFor([] { return !SkinManager->MDIMaximized(); }));
    TWinSkinForm* C = FrameOf(A->Handle());
    ASSERT_TRUE(C);
    EXPECT_EQ(stNormal, C->ShowState);
    EXPECT_FALSE(GetWindowLongW(A->Handle(), GWL_STYLE) & WS_SYSMENU);
    RECT W, Cl;
    GetWindowRect(A->Handle(), &W);
    GetClientRect(A->Handle(), &Cl);
    EXPECT_EQ(C->FrameTop + C->FrameBottom, (W.bottom - W.top) - Cl.bottom);
    Pump();
    const auto Shot = Grab(A->Handle());
    Save(*Shot, "skinmdi_restored.bmp");
    for (TWinSysButton* B : ChildButtons())
        EXPECT_FALSE(B->Visible);
}

TEST(SkinMdi, TheStripsMinimiseAndCloseButtonsActOnTheChild) {
    TCustomForm* A = Frame().ActiveMDIChild();
    ASSERT_TRUE(A);
    A->SetWindowState(wsMaximized);
    ASSERT_TRUE(WaitFor([] { return SkinManager->MDIMaximized(); }));
    Pump();
    RedrawWindow(Frame().Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Click(Middle(Frame().Handle(), ChildButtons()[0]->Bounds));
    const HWND AW = A->Handle();
    EXPECT_TRUE(WaitFor([AW] { return IsIconic(AW) != FALSE; }));

    TMdiTestChild* B = SkinnedNewChild(true);
    ASSERT_TRUE(B);
    const HWND BW = B->Handle();
    ASSERT_TRUE(WaitFor([BW] { return IsZoomed(BW) != FALSE; }));
    ASSERT_TRUE(WaitFor([] { return SkinManager->MDIMaximized(); }));
    Pump();
    RedrawWindow(Frame().Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    Click(Middle(Frame().Handle(), ChildButtons()[2]->Bounds));
    EXPECT_TRUE(Freed(BW));
    EXPECT_TRUE(IsWindow(AW));
}

TEST(SkinMdi, TileAndCascadeClearTheMaximisedFlag) {
    TMdiTestChild* A = SkinnedNewChild(true);
    ASSERT_TRUE(A);
    ASSERT_TRUE(WaitFor([] { return SkinManager->MDIMaximized(); }));
    Frame().Tile();
    EXPECT_FALSE(SkinManager->MDIMaximized());
    EXPECT_FALSE(IsZoomed(A->Handle()));
    A->SetWindowState(wsMaximized);
    ASSERT_TRUE(WaitFor([] { return SkinManager->MDIMaximized(); }));
    Frame().Cascade();
    EXPECT_FALSE(SkinManager->MDIMaximized());
    EXPECT_FALSE(IsZoomed(A->Handle()));
    // Restored by the client, the child wears its skinned frame again.
    EXPECT_FALSE(GetWindowLongW(A->Handle(), GWL_STYLE) & WS_SYSMENU);
}

TEST(SkinMdi, ClosingTheLastChildRebuildsTheStripFromTheMainMenu) {
    TWinSkinForm* F = FrameSkin();
    ASSERT_TRUE(F && F->SkinMenu);
    EXPECT_EQ(3, F->SkinMenu->ButtonCount());
    EXPECT_TRUE(F->ClientBringsMenus()) << "the client's messages bring the menus now";
    ASSERT_TRUE(CloseAll());
    ASSERT_EQ(2, F->SkinMenu->ButtonCount());
    EXPECT_EQ(Frame().MainMenu1->Items()->Items(0), F->SkinMenu->MenuButtons()[0]->Item);
    EXPECT_EQ(Frame().WindowMenuItem, F->SkinMenu->MenuButtons()[1]->Item);
    EXPECT_FALSE(F->ClientBringsMenus());
    EXPECT_TRUE(MainSkin().MenuUpdate()) << "the skin's own switch is the program's, never touched";
    EXPECT_EQ(nullptr, GetMenu(Frame().Handle()));
}

TEST(SkinMdi, TheSkinGoesAndComesBackWithChildrenOpen) {
    TMdiTestChild* A = SkinnedNewChild(false);
    ASSERT_TRUE(A);
    const HWND AW = A->Handle();
    RECT Before;
    GetClientRect(AW, &Before);
    MainSkin().SetActive(false);
    ASSERT_TRUE(WaitFor([] { return !FrameSkin(); }));
    EXPECT_FALSE(FrameOf(AW));
    // The frame shows its merged native menu bar again, the child its own caption.
    const HMENU Bar = GetMenu(Frame().Handle());
    ASSERT_TRUE(Bar);
    EXPECT_EQ(3, GetMenuItemCount(Bar));
    EXPECT_TRUE(GetWindowLongW(AW, GWL_STYLE) & WS_SYSMENU);
    RECT After;
    GetClientRect(AW, &After);
    EXPECT_EQ(Before.right, After.right);
    EXPECT_EQ(Before.bottom, After.bottom);

    MainSkin().SetActive(true);
    ASSERT_TRUE(WaitFor([] { return FrameSkin() && FrameSkin()->SkinState == lsReady; }));
    EXPECT_TRUE(WaitFor([AW] { return SkinnedChild(AW); }));
    EXPECT_EQ(nullptr, GetMenu(Frame().Handle()));
    ASSERT_TRUE(CloseAll());
}

TEST(SkinMdi, TwoHundredChildrenMadeAndClosedLeaveTheCountsFlat) {
    ASSERT_TRUE(CloseAll());
    // One round first, so that whatever is made once per program exists already.
    {
        TMdiTestChild* C = SkinnedNewChild(false);
        ASSERT_TRUE(C);
        const HWND W = C->Handle();
        C->Close();
        ASSERT_TRUE(Freed(W));
    }
    const TCounts Before = Counts();
    for (int I = 0; I < 200; ++I) {
        TMdiTestChild* C = SkinnedNewChild(I % 10 == 0);
        ASSERT_TRUE(C) << "child " << I;
        const HWND W = C->Handle();
        C->Close();
        ASSERT_TRUE(Freed(W)) << "child " << I;
    }
    Pump();
    const TCounts After = Counts();
    EXPECT_EQ(Before, After) << "before: " << Describe(Before) << "\nafter:  " << Describe(After);
    EXPECT_EQ(0, Frame().MDIChildCount());
    EXPECT_EQ(2, FrameSkin()->SkinMenu->ButtonCount());
}
