// What the skin relies on in the class library: window subclassing that several parties share
// and leave in any order, the screen's list of forms, the way from native menus back to their
// items, properties written on whatever object is met, and the library's own messages, pinned
// with the message recorder.
#include "Forms.h"
#include "Menus.h"
#include "MessageRecorder.h"
#include "StdCtrls.h"
#include "WndSubclass.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class THookForm : public TForm {
    DECLARE_CLASS(THookForm, TForm)
  public:
    using TForm::TForm;
};

void Pump() {
    Application->ProcessMessages();
}

// A hidden top-level window of a system class: made and destroyed at once, unlike a shown one.
struct TPlainWindow {
    HWND Wnd = CreateWindowExW(0, L"STATIC", L"plain", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ~TPlainWindow() {
        if (IsWindow(Wnd)) DestroyWindow(Wnd);
    }
};

// A subclass that notes its name in a shared log and passes everything on.
struct TNamedSubclass {
    TWindowSubclass Subclass;
    void Install(HWND Wnd, std::string Name, std::string& Log, bool Unicode = true) {
        Subclass.Install(
            Wnd,
            [this, Name, &Log](TMessage& M) {
                if (M.Msg == WM_USER + 1) Log += Name;
                Subclass.CallPrevious(M);
            },
            Unicode);
    }
};

long Subclasses() {
    return LiveHandles(THandleKind::Subclass);
}

} // namespace

PUBLISHED(THookForm) {}

TEST(WindowSubclass, CallsOutermostFirstAndLetsGoInAnyOrder) {
    const long Before = Subclasses();
    TPlainWindow W;
    const auto Original = GetWindowLongPtrW(W.Wnd, GWLP_WNDPROC);
    std::string Log;
    TNamedSubclass A, B, C;
    A.Install(W.Wnd, "A", Log);
    B.Install(W.Wnd, "B", Log);
    C.Install(W.Wnd, "C", Log);
    EXPECT_EQ(Subclasses(), Before + 3);
    SendMessageW(W.Wnd, WM_USER + 1, 0, 0);
    EXPECT_EQ(Log, "CBA");

    // The middle one lets go first: the outer one keeps calling through it.
    B.Subclass.Remove();
    EXPECT_FALSE(B.Subclass.Installed());
    Log.clear();
    SendMessageW(W.Wnd, WM_USER + 1, 0, 0);
    EXPECT_EQ(Log, "CA");
    EXPECT_EQ(Subclasses(), Before + 3) << "a pass-through stays until the window goes";

    // The outermost lets go: the window gets back what it replaced (B's pass-through).
    C.Subclass.Remove();
    Log.clear();
    SendMessageW(W.Wnd, WM_USER + 1, 0, 0);
    EXPECT_EQ(Log, "A");
    EXPECT_EQ(Subclasses(), Before + 2);

    A.Subclass.Remove();
    EXPECT_NE(GetWindowLongPtrW(W.Wnd, GWLP_WNDPROC), Original) << "B's code still sits on top";
    DestroyWindow(W.Wnd);
    EXPECT_EQ(Subclasses(), Before) << "the pass-through went with the window";
}

TEST(WindowSubclass, RemovedInReverseOrderRestoresTheOriginalProcedure) {
    const long Before = Subclasses();
    TPlainWindow W;
    const auto Original = GetWindowLongPtrW(W.Wnd, GWLP_WNDPROC);
    std::string Log;
    TNamedSubclass A, B;
    A.Install(W.Wnd, "A", Log);
    const auto AfterA = GetWindowLongPtrW(W.Wnd, GWLP_WNDPROC);
    EXPECT_EQ(AfterA, reinterpret_cast<LONG_PTR>(A.Subclass.Procedure()));
    B.Install(W.Wnd, "B", Log);
    B.Subclass.Remove();
    EXPECT_EQ(GetWindowLongPtrW(W.Wnd, GWLP_WNDPROC), AfterA);
    A.Subclass.Remove();
    EXPECT_EQ(GetWindowLongPtrW(W.Wnd, GWLP_WNDPROC), Original);
    EXPECT_EQ(Subclasses(), Before);
    // The window still works as its own class.
    SetWindowTextW(W.Wnd, L"after");
    wchar_t Text[16]{};
    GetWindowTextW(W.Wnd, Text, 16);
    EXPECT_STREQ(Text, L"after");
}

TEST(WindowSubclass, EndsWithTheWindowAndMayLetGoWhileHandlingItsLastMessage) {
    const long Before = Subclasses();
    TPlainWindow W;
    TWindowSubclass S;
    bool SawLast = false;
    LRESULT Passed = -1;
    S.Install(
        W.Wnd,
        [&](TMessage& M) {
            if (M.Msg == WM_NCDESTROY) {
                SawLast = true;
                S.Remove(); // a skin detaches here, then passes the message on
                S.CallPrevious(M);
                Passed = M.Result;
                return;
            }
            S.CallPrevious(M);
        },
        true);
    ASSERT_TRUE(S.Installed());
    DestroyWindow(W.Wnd);
    EXPECT_TRUE(SawLast);
    EXPECT_EQ(Passed, 0);
    EXPECT_FALSE(S.Installed());
    EXPECT_EQ(Subclasses(), Before);

    // Destroyed while still installed: the subclass turns uninstalled by itself.
    TPlainWindow W2;
    TWindowSubclass S2;
    S2.Install(
        W2.Wnd, [&](TMessage& M) { S2.CallPrevious(M); }, true);
    DestroyWindow(W2.Wnd);
    EXPECT_FALSE(S2.Installed());
    EXPECT_EQ(Subclasses(), Before);
}

TEST(WindowSubclass, AnsiInstallationSeesAnsiText) {
    TPlainWindow W;
    TWindowSubclass S;
    std::string Seen;
    S.Install(
        W.Wnd,
        [&](TMessage& M) {
            if (M.Msg == WM_SETTEXT) Seen = reinterpret_cast<const char*>(M.LParam);
            S.CallPrevious(M);
        },
        false);
    SetWindowTextW(W.Wnd, L"abc");
    EXPECT_EQ(Seen, "abc");
    wchar_t Text[8]{};
    GetWindowTextW(W.Wnd, Text, 8);
    EXPECT_STREQ(Text, L"abc") << "the text reached the window through the ANSI procedure";
}

TEST(WindowSubclass, AnExceptionIsReportedAndTheMessageAnswersZero) {
    TPlainWindow W;
    TWindowSubclass S;
    int Reports = 0;
    auto Old = SetExceptionReporter([&](TObject*, std::exception_ptr) { ++Reports; });
    S.Install(
        W.Wnd,
        [&](TMessage& M) {
            if (M.Msg == WM_USER + 2) throw Exception(L"broken");
            S.CallPrevious(M);
        },
        true);
    EXPECT_EQ(SendMessageW(W.Wnd, WM_USER + 2, 0, 0), 0);
    EXPECT_EQ(Reports, 1);
    SetExceptionReporter(Old);
}

TEST(WindowSubclass, ThousandCyclesLeaveNothingBehind) {
    const long Before = Subclasses();
    TPlainWindow W;
    std::string Log;
    for (int I = 0; I < 1000; ++I) {
        TNamedSubclass A, B;
        A.Install(W.Wnd, "A", Log, (I & 1) != 0);
        B.Install(W.Wnd, "B", Log);
        if (I % 3 == 0) A.Subclass.Remove(); // the inner one first now and then
    }
    // Pass-throughs of the inner ones stay until the window goes.
    DestroyWindow(W.Wnd);
    EXPECT_EQ(Subclasses(), Before);
}

TEST(Screen, ListsFormsInCreationOrderAndFindsThemByWindow) {
    const int Before = Screen->FormCount();
    auto A = std::make_unique<THookForm>(nullptr);
    auto B = std::make_unique<THookForm>(nullptr);
    ASSERT_EQ(Screen->FormCount(), Before + 2);
    EXPECT_EQ(Screen->Forms(Before), A.get());
    EXPECT_EQ(Screen->Forms(Before + 1), B.get());
    EXPECT_EQ(Screen->FindForm(B->Handle()), B.get());
    TPlainWindow Other;
    EXPECT_EQ(Screen->FindForm(Other.Wnd), nullptr);
    A.reset();
    ASSERT_EQ(Screen->FormCount(), Before + 1);
    EXPECT_EQ(Screen->Forms(Before), B.get());
    EXPECT_FALSE(SystemMenuFont()->Name().empty());
}

TEST(Menus, NativeHandlesCommandsAndItemDataLeadBackToTheirItems) {
    THookForm F(nullptr);
    auto* Menu = new TMainMenu(&F);
    auto* File = new TMenuItem(Menu);
    File->SetCaption(L"&File");
    Menu->Items()->Add(File);
    auto* Open = new TMenuItem(Menu);
    Open->SetCaption(L"&Open");
    File->Add(Open);
    EXPECT_EQ(TMenuItem::FromHandle(File->Handle()), File);
    EXPECT_EQ(TMenuItem::FromHandle(Menu->Handle()), Menu->Items());
    EXPECT_EQ(TMenuItem::FromCommand(Open->Command()), Open);
    EXPECT_EQ(TMenuItem::FromItemData(reinterpret_cast<ULONG_PTR>(Open)), Open);
    EXPECT_EQ(TMenuItem::FromItemData(12345), nullptr);
    EXPECT_EQ(TMenuItem::FromCommand(SC_CLOSE), nullptr) << "system commands belong to no item";
    const UINT Command = Open->Command();
    delete Open;
    EXPECT_EQ(TMenuItem::FromCommand(Command), nullptr);
    HMENU Native = CreatePopupMenu();
    EXPECT_EQ(TMenuItem::FromHandle(Native), nullptr);
    DestroyMenu(Native);
}

TEST(Properties, TrySetWritesWhatTheClassHasAndRefusesTheRest) {
    THookForm F(nullptr);
    auto* B = new TButton(&F);
    EXPECT_TRUE(TrySetPropText(*B, L"Caption", L"OK"));
    EXPECT_EQ(B->Caption(), L"OK");
    EXPECT_FALSE(TrySetPropText(*B, L"Transparent", L"True"));
    EXPECT_FALSE(TrySetPropText(*B, L"Enabled", L"perhaps"));
    EXPECT_TRUE(B->Enabled());
    EXPECT_TRUE(TrySetPropText(*B, L"Font.Name", L"Tahoma"));
    EXPECT_EQ(B->Font()->Name(), L"Tahoma");
}

TEST(Recorder, PinsTheLibraryMessagesControlsSend) {
    THookForm F(nullptr);
    F.SetBounds(100, 100, 300, 200);
    auto* E = new TEdit(&F);
    E->SetName(L"E");
    E->SetParent(&F);
    E->SetBounds(10, 10, 100, 22);
    auto* E2 = new TEdit(&F);
    E2->SetName(L"E2");
    E2->SetParent(&F);
    E2->SetBounds(10, 40, 100, 22);
    F.HandleNeeded();

    TMessageRecorder OnEdit({CM_ENABLEDCHANGED, CM_VISIBLECHANGED, CM_EXIT});
    OnEdit.Attach(*E);
    E->SetEnabled(false);
    E->SetEnabled(true);
    E->Hide();
    E->Show();
    EXPECT_TRUE(OnEdit.Matches({{CM_ENABLEDCHANGED},
                                {CM_ENABLEDCHANGED},
                                {CM_VISIBLECHANGED, mcWParam, 0},
                                {CM_VISIBLECHANGED, mcWParam, 1}}));

    OnEdit.Clear();
    SendMessageW(E->Handle(), WM_KILLFOCUS, reinterpret_cast<WPARAM>(E2->Handle()), 0);
    EXPECT_TRUE(OnEdit.Matches({{CM_EXIT}}));

    // A system character typed in a control goes to the form as the dialog-character message.
    TMessageRecorder OnForm({CM_DIALOGCHAR, CM_MOUSEENTER, CM_MOUSELEAVE});
    OnForm.Attach(F);
    SendMessageW(E->Handle(), WM_SYSCHAR, 'f', 0);
    EXPECT_TRUE(OnForm.Matches({{CM_DIALOGCHAR, mcWParam, 'f'}}));

    // Enter and leave: the control hears them plain, its parent with the control in LParam.
    OnEdit.Detach();
    TMessageRecorder Enter({CM_MOUSEENTER, CM_MOUSELEAVE});
    Enter.Attach(*E);
    OnForm.Clear();
    E->Perform(CM_MOUSEENTER);
    E->Perform(CM_MOUSELEAVE);
    EXPECT_TRUE(Enter.Matches({{CM_MOUSEENTER, mcLParam, 0}, {CM_MOUSELEAVE, mcLParam, 0}}));
    EXPECT_TRUE(OnForm.Matches({{CM_MOUSEENTER, mcLParam, 0, reinterpret_cast<LPARAM>(E)},
                                {CM_MOUSELEAVE, mcLParam, 0, reinterpret_cast<LPARAM>(E)}}));
}

TEST(Recorder, MenuChangesAndReleaseReachTheWindowProcedure) {
    auto* F = new THookForm(nullptr);
    auto* Menu = new TMainMenu(F);
    auto* Item = new TMenuItem(Menu);
    Item->SetCaption(L"&File");
    Menu->Items()->Add(Item);
    F->HandleNeeded();

    // A subclass of the window (not only the form's WindowProc) must hear of menu changes.
    TMessageRecorder OnWindow({CM_MENUCHANGED, CM_RELEASE, WM_NCDESTROY});
    OnWindow.Attach(F->Handle());
    F->SetMenu(Menu);
    EXPECT_EQ(GetMenu(F->Handle()), Menu->Handle());
    Item->SetCaption(L"&Edit");
    EXPECT_GE(OnWindow.Count(CM_MENUCHANGED), 2);
    ASSERT_TRUE(OnWindow.Messages().size() >= 2);

    OnWindow.Clear();
    const int Before = Screen->FormCount();
    F->Release();
    Pump();
    // Freeing the form takes its menu off the window before the window goes.
    EXPECT_TRUE(OnWindow.Matches({{CM_RELEASE}, {CM_MENUCHANGED}, {WM_NCDESTROY}}));
    EXPECT_EQ(Screen->FormCount(), Before - 1) << "the form freed itself";
}
