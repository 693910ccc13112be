// Handle wrappers keep exact live counts, and create/free cycles leave nothing behind: a
// path that leaked one object per cycle would run out of Wine's GDI table (about 65 000)
// well before 70 000 cycles.
#include "Handles.h"
#include "Classes.h"
#include "UtilWindow.h"

#include <gtest/gtest.h>

namespace {

constexpr int Cycles = 70000;

void Pump() {
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&Msg);
}

} // namespace

TEST(Handles, CountsFollowCreateMoveResetRelease) {
    long Start = LiveHandles(THandleKind::GdiObject);
    {
        TBrushHandle A(CreateSolidBrush(RGB(1, 2, 3)));
        EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Start + 1);
        TBrushHandle B(std::move(A));
        EXPECT_FALSE(A.Valid());
        EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Start + 1);
        B.Reset(CreateSolidBrush(RGB(4, 5, 6)));
        EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Start + 1);
        HBRUSH Raw = B.Release();
        EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Start);
        EXPECT_TRUE(DeleteObject(Raw));
        TBrushHandle Empty(nullptr);
        EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Start);
    }
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Start);
    long K = LiveHandles(THandleKind::Kernel);
    {
        TKernelHandle Bad(INVALID_HANDLE_VALUE);
        EXPECT_FALSE(Bad.Valid());
        TKernelHandle Event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        EXPECT_EQ(LiveHandles(THandleKind::Kernel), K + 1);
    }
    EXPECT_EQ(LiveHandles(THandleKind::Kernel), K);
}

TEST(Handles, GdiAndUserCyclesLeaveNothing) {
    const long Gdi = LiveHandles(THandleKind::GdiObject);
    const long DC = LiveHandles(THandleKind::DC);
    const long WDC = LiveHandles(THandleKind::WindowDC);
    const long Icons = LiveHandles(THandleKind::Icon);
    const long Menus = LiveHandles(THandleKind::Menu);
    for (int I = 0; I < Cycles; ++I) {
        TWindowDC Screen(nullptr);
        TMemoryDC Mem(CreateCompatibleDC(Screen));
        TBitmapHandle Bmp(CreateCompatibleBitmap(Screen, 4, 4));
        TBrushHandle Brush(CreateSolidBrush(RGB(I & 255, 0, 0)));
        TPenHandle Pen(CreatePen(PS_SOLID, 1, 0));
        TRegionHandle Rgn(CreateRectRgn(0, 0, 2, 2));
        ASSERT_TRUE(Mem && Bmp && Brush && Pen && Rgn) << "cycle " << I;
        TSelectObject SelB(Mem, Bmp);
        TSelectObject SelP(Mem, Pen);
        ASSERT_TRUE(FillRgn(Mem, Rgn, Brush)) << "cycle " << I;
    }
    for (int I = 0; I < Cycles; ++I) {
        TBitmapHandle Color(CreateBitmap(16, 16, 1, 32, nullptr));
        TBitmapHandle Mask(CreateBitmap(16, 16, 1, 1, nullptr));
        ICONINFO Info{TRUE, 0, 0, Mask, Color};
        TIconHandle Icon(CreateIconIndirect(&Info));
        TMenuHandle Menu(CreatePopupMenu());
        ASSERT_TRUE(Icon && Menu) << "cycle " << I;
    }
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Gdi);
    EXPECT_EQ(LiveHandles(THandleKind::DC), DC);
    EXPECT_EQ(LiveHandles(THandleKind::WindowDC), WDC);
    EXPECT_EQ(LiveHandles(THandleKind::Icon), Icons);
    EXPECT_EQ(LiveHandles(THandleKind::Menu), Menus);
}

TEST(UtilityWindow, MethodGetsMessagesAndExceptionsAreReported) {
    long Windows = LiveHandles(THandleKind::Window);
    std::vector<UINT> Seen;
    std::wstring Reported;
    auto Old = SetExceptionReporter(
        [&](TObject*, std::exception_ptr E) { Reported = ExceptionMessage(E); });
    {
        TUtilityWindow* Self = nullptr;
        TUtilityWindow W([&](TMessage& M) {
            if (M.Msg >= WM_USER) {
                Seen.push_back(M.Msg);
                if (M.Msg == WM_USER + 2) throw Exception(L"fault in handler");
                M.Result = 7;
                return;
            }
            Self->DefaultHandler(M);
        });
        Self = &W;
        EXPECT_EQ(LiveHandles(THandleKind::Window), Windows + 1);
        wchar_t Class[64];
        GetClassNameW(W.Handle(), Class, 64);
        EXPECT_STREQ(Class, L"TPUtilWindow");
        EXPECT_FALSE(IsWindowVisible(W.Handle()));
        EXPECT_EQ(SendMessageW(W.Handle(), WM_USER + 1, 0, 0), 7);
        EXPECT_EQ(SendMessageW(W.Handle(), WM_USER + 2, 0, 0), 0);
        PostMessageW(W.Handle(), WM_USER + 3, 0, 0);
        Pump();
    }
    SetExceptionReporter(Old);
    EXPECT_EQ((std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}), Seen);
    EXPECT_EQ(Reported, L"fault in handler");
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
}

TEST(UtilityWindow, CreateDestroyCyclesLeaveNothing) {
    long Windows = LiveHandles(THandleKind::Window);
    for (int I = 0; I < 5000; ++I) {
        TUtilityWindow W([](TMessage&) {});
        ASSERT_TRUE(IsWindow(W.Handle()));
    }
    EXPECT_EQ(LiveHandles(THandleKind::Window), Windows);
}
