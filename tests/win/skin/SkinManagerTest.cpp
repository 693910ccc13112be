// The skin manager's decisions: which windows get a frame skin and with which skin component,
// the scheduled switching on and off, and the bookkeeping of menu windows. Windows are not
// shown here unless a test needs the activation itself.
#include "SkinTesting.h"

#include "WinSkinMenu.h"

#include <gtest/gtest.h>

using namespace SkinTest;

namespace {

// A hidden top-level window of a class registered here under the given name.
struct TClassWindow {
    explicit TClassWindow(const wchar_t* Class, DWORD Style = WS_POPUP | WS_CAPTION,
                          HWND Parent = nullptr) {
        WNDCLASSEXW C{};
        C.cbSize = sizeof(C);
        if (!GetClassInfoExW(GetModuleHandleW(nullptr), Class, &C)) {
            C.cbSize = sizeof(C);
            C.lpfnWndProc = DefWindowProcW;
            C.hInstance = GetModuleHandleW(nullptr);
            C.lpszClassName = Class;
            RegisterClassExW(&C);
        }
        Wnd = CreateWindowExW(0, Class, L"plain", Style, 10, 10, 200, 120, Parent, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    }
    ~TClassWindow() {
        if (IsWindow(Wnd)) DestroyWindow(Wnd);
    }
    HWND Wnd;
};

bool Skinned(HWND Wnd) {
    return SendMessageW(Wnd, SKM_QUERY, 0, 0) == 1;
}

} // namespace

TEST(SkinManager, StartsWithTheMainSkinAndItsHook) {
    TSkinData& Main = MainSkin();
    ASSERT_NE(SkinManager, nullptr);
    EXPECT_TRUE(SkinManager->HookInstalled());
    EXPECT_EQ(SkinManager->MainSkinData(), &Main);
    // No window was activated before the skin was loaded: switching on took effect at once.
    EXPECT_TRUE(SkinManager->SkinningEnabled());
    EXPECT_FALSE(Main.SkinControls().Contains(xcMenuItem)) << "xcMainMenu takes its place";
}

TEST(SkinManager, AFormWithTag99IsNeverSkinnedWhateverDisableTagSays) {
    TSkinData& Main = MainSkin();
    const int Saved = Main.DisableTag();
    Main.SetDisableTag(5);
    auto F = HiddenSkinnedForm();
    F->SetTag(99);
    EXPECT_FALSE(SkinManager->SkinWindow(F->Handle()));
    EXPECT_FALSE(Skinned(F->Handle()));
    F->SetTag(199); // only the number 99 itself keeps a window plain
    EXPECT_TRUE(SkinManager->SkinWindow(F->Handle()));
    EXPECT_TRUE(Skinned(F->Handle()));
    Main.SetDisableTag(Saved);
}

TEST(SkinManager, RefusesTheClassesItMustLeaveAlone) {
    TSkinData& Main = MainSkin();
    {
        TClassWindow Calendar(L"SysMonthCal32");
        EXPECT_FALSE(SkinManager->SkinWindow(Calendar.Wnd));
        TClassWindow Report(L"TfrPreviewForm");
        EXPECT_TRUE(SkinManager->SkinWindow(Report.Wnd)) << "without xcFastReport it is skinned";
        TClassWindow App(L"TApplication");
        EXPECT_FALSE(SkinManager->SkinWindow(App.Wnd));
    }
    const TSkinControlTypes Saved = Main.SkinControls();
    Main.SetSkinControls(TSkinControlTypes(Saved).Include(xcFastReport));
    {
        TClassWindow Report(L"TfrDesigner");
        EXPECT_FALSE(SkinManager->SkinWindow(Report.Wnd));
        TClassWindow Other(L"TFRBook"); // the comparison is case-sensitive
        EXPECT_TRUE(SkinManager->SkinWindow(Other.Wnd));
    }
    // An OnFormSkin handler decides instead, and may allow what the rules refuse.
    std::vector<std::wstring> Asked;
    Main.OnFormSkin = [&](TObject*, const std::wstring& Name, bool& DoSkin) {
        Asked.push_back(Name);
        DoSkin = Name == L"SysMonthCal32";
    };
    {
        TClassWindow Calendar(L"SysMonthCal32");
        EXPECT_TRUE(SkinManager->SkinWindow(Calendar.Wnd));
        TClassWindow Other(L"SomethingElse");
        EXPECT_FALSE(SkinManager->SkinWindow(Other.Wnd));
    }
    EXPECT_EQ(Asked, (std::vector<std::wstring>{L"SysMonthCal32", L"SomethingElse"}));
    Main.OnFormSkin = nullptr;
    Main.SetSkinControls(Saved);
}

TEST(SkinManager, AChildWindowIsSkinnedOnlyAsAnMdiChild) {
    MainSkin();
    TClassWindow Parent(L"PlainParent");
    TClassWindow Child(L"PlainChild", WS_CHILD | WS_CAPTION, Parent.Wnd);
    EXPECT_FALSE(SkinManager->SkinWindow(Child.Wnd));
    // A form with the child style is left out of an apply too.
    TCloseCountingForm Host(nullptr);
    Host.SetBounds(0, 0, 200, 150);
    TCloseCountingForm Inner(nullptr);
    Inner.SetBounds(0, 0, 100, 80);
    Inner.SetParent(&Host);
    Host.HandleNeeded();
    Inner.HandleNeeded();
    ASSERT_TRUE(GetWindowLongW(Inner.Handle(), GWL_STYLE) & WS_CHILD);
    Inner.Show();
    SkinManager->SkinForm(&Inner);
    EXPECT_FALSE(Skinned(Inner.Handle()));
}

TEST(SkinManager, AMessageBoxTakesTheDialogComponentWhenThereIsOne) {
    TSkinData& Main = MainSkin();
    TClassWindow Box(L"#32770", WS_POPUP | WS_CAPTION);
    TClassWindow Form(L"TMessageForm");
    TClassWindow Plain(L"PlainWindow");
    EXPECT_EQ(SkinManager->ChooseSkinData(Box.Wnd), &Main);
    EXPECT_EQ(SkinManager->ChooseSkinData(Form.Wnd), &Main);
    TComponent Root(nullptr);
    auto* Dialogs = new TSkinData(&Root);
    Dialogs->SetLoading();
    Dialogs->SetSkinFormtype(sfDialog);
    Dialogs->Loaded();
    EXPECT_EQ(SkinManager->ChooseSkinData(Box.Wnd), Dialogs);
    EXPECT_EQ(SkinManager->ChooseSkinData(Form.Wnd), Dialogs);
    EXPECT_EQ(SkinManager->ChooseSkinData(Plain.Wnd), &Main);
    delete Dialogs;
    EXPECT_EQ(SkinManager->ChooseSkinData(Box.Wnd), &Main) << "unregistered with its end";
}

TEST(SkinManager, TwoMenuWindowsKeepTheMenuKindUntilTheLastCloses) {
    MainSkin();
    SkinManager->SetMenuMode(mmMenuBar);
    HWND A = CreateWindowExW(0, L"#32768", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    HWND B = CreateWindowExW(0, L"#32768", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(A && B);
    EXPECT_TRUE(SkinManager->IsMenuWindow(A));
    EXPECT_TRUE(SkinManager->IsMenuWindow(B));
    EXPECT_TRUE(Skinned(A)) << "a skinned menu window answers the query";
    DestroyWindow(A);
    EXPECT_FALSE(SkinManager->IsMenuWindow(A));
    EXPECT_EQ(SkinManager->MenuMode(), mmMenuBar);
    DestroyWindow(B);
    EXPECT_EQ(SkinManager->MenuMode(), mmPopup);
    EXPECT_TRUE(SkinManager->Menus().empty());
}

TEST(SkinManager, MenuWindowsNeedTheirFamilyInSkinControls) {
    TSkinData& Main = MainSkin();
    const TSkinControlTypes Saved = Main.SkinControls();
    Main.SetSkinControls(TSkinControlTypes(Saved).Exclude(xcPopupMenu));
    SkinManager->SetMenuMode(mmPopup);
    HWND A = CreateWindowExW(0, L"#32768", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    EXPECT_FALSE(SkinManager->IsMenuWindow(A));
    DestroyWindow(A);
    Main.SetSkinControls(Saved);
}

// Switching the skin off and at once on again: the second request replaces the first before
// the delay is over, so nothing is switched off at all.
TEST(SkinManager, OffAndOnWithinTheDelayCarriesOutOnlyTheLast) {
    TSkinData& Main = MainSkin();
    auto F = HiddenSkinnedForm();
    F->Show(); // an apply skins the visible forms
    ASSERT_TRUE(WaitFor([&] { return FrameOf(F->Handle()) != nullptr; }));
    TWinSkinForm* Frame = FrameOf(F->Handle());
    int Changes = 0;
    Main.OnSkinChanged = [&](TObject*) { ++Changes; };

    Main.SetActive(false);
    Main.SetActive(true);
    EXPECT_EQ(SkinManager->PendingAction(), saApply);
    ASSERT_TRUE(WaitFor([&] { return Changes == 1; }));
    EXPECT_EQ(FrameOf(F->Handle()), Frame) << "the frame was never taken off";
    EXPECT_TRUE(Skinned(F->Handle()));

    // Off for real: the frame goes after the delay, not before it.
    const DWORD Start = GetTickCount();
    Main.SetActive(false);
    PumpFor(150);
    EXPECT_TRUE(Skinned(F->Handle())) << "switched off before the delay was over";
    ASSERT_TRUE(WaitFor([&] { return Changes == 2; }));
    const DWORD Took = GetTickCount() - Start;
    EXPECT_GE(Took, 230u);
    EXPECT_LE(Took, 600u);
    EXPECT_FALSE(Skinned(F->Handle()));
    EXPECT_FALSE(SkinManager->SkinningEnabled());

    Main.SetActive(true);
    ASSERT_TRUE(WaitFor([&] { return Changes == 3; }));
    EXPECT_TRUE(Skinned(F->Handle())) << "an apply skins every visible form again";
    Main.OnSkinChanged = nullptr;
}

TEST(SkinManager, ADestroyedWindowsFrameIsPurged) {
    MainSkin();
    TClassWindow Plain(L"PlainGone");
    ASSERT_TRUE(SkinManager->SkinWindow(Plain.Wnd));
    TWinSkinForm* Frame = FrameOf(Plain.Wnd);
    ASSERT_NE(Frame, nullptr);
    DestroyWindow(Plain.Wnd);
    EXPECT_EQ(Frame->SkinState, lsDestroyed);
    SkinManager->PurgeForms();
    EXPECT_EQ(FrameOf(Plain.Wnd), nullptr);
}
