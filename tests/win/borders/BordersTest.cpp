// An exception thrown by one of our handlers must stop before it reaches a frame of the system's
// own: the 32-bit build unwinds with tables that cannot pass through the system's code, so a
// throw that crossed a window procedure, a hook, a timer or a thread's border would end the
// program on the spot, and the 64-bit build would leave the system's state half way. Each kind
// of border is tried with a handler that throws: the exception is reported (or, in the skin's
// window hook, swallowed: a window that cannot be skinned keeps its own look), and the program
// goes on, the same callback working again afterwards.
#include "SkinTesting.h"

#include "CommEvents.h"
#include "ExtCtrls.h"
#include "FakeSerial.h"
#include "StdCtrls.h"
#include "WndProcHook.h"
#include "comm/Comm.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace SkinTest;

namespace {

class TBorderForm : public TForm {
    DECLARE_CLASS(TBorderForm, TForm)
  public:
    using TForm::TForm;
};

// A windowed control of a class the skin asks for its "NumButtons" when it classifies the
// controls of a window it skins; reading that property throws.
class TDCEdit : public TWinControl {
    DECLARE_CLASS(TDCEdit, TWinControl)
  public:
    using TWinControl::TWinControl;
    static inline int Reads = 0;
    std::wstring NumButtons() const {
        ++Reads;
        throw Exception(L"no buttons to count");
    }
};

} // namespace

PUBLISHED(TBorderForm) {}
PUBLISHED(TDCEdit) {
    p.Property(L"NumButtons", &TDCEdit::NumButtons);
}

namespace {

struct CallbackBorders : ::testing::Test {
    std::vector<std::wstring> Reports;
    TExceptionReporter Before;

    void SetUp() override {
        Before = SetExceptionReporter(
            [this](TObject*, std::exception_ptr E) { Reports.push_back(ExceptionMessage(E)); });
    }
    void TearDown() override { SetExceptionReporter(Before); }

    static std::unique_ptr<TBorderForm> HiddenForm() {
        auto F = std::make_unique<TBorderForm>(nullptr);
        F->SetBounds(320, 320, 240, 160);
        F->HandleNeeded();
        return F;
    }
};

} // namespace

TEST_F(CallbackBorders, ATimerTickThatThrowsIsReportedAndTheTimerTicksOn) {
    TTimer Timer(nullptr);
    int Ticks = 0;
    Timer.SetInterval(15);
    Timer.SetOnTimer([&](TObject*) {
        // Our own exceptions, the library's, and anything at all.
        switch (++Ticks) {
        case 1:
            throw Exception(L"tick one");
        case 2:
            throw std::runtime_error("tick two");
        case 3:
            throw 3;
        default:
            break;
        }
    });
    Timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return Ticks >= 4; }));
    Timer.SetEnabled(false);
    ASSERT_EQ(Reports.size(), 3u);
    EXPECT_EQ(Reports[0], L"tick one");
    EXPECT_EQ(Reports[1], L"tick two");
}

TEST_F(CallbackBorders, AControlsHandlersThatThrowAreReportedAndTheControlGoesOn) {
    auto F = HiddenForm();
    auto* Button = new TButton(F.get());
    Button->SetParent(F.get());
    Button->SetBounds(10, 10, 80, 24);
    int Clicks = 0;
    Button->OnClick = [&](TObject*) {
        if (++Clicks == 1) throw Exception(L"click");
    };
    auto* Edit = new TEdit(F.get());
    Edit->SetParent(F.get());
    Edit->SetBounds(10, 40, 80, 24);
    Edit->OnKeyPress = [&](TObject*, wchar_t& Key) {
        if (Key == L'x') throw Exception(L"key");
    };

    // The click travels from the button's window to its parent's and back to the control.
    SendMessageW(Button->Handle(), BM_CLICK, 0, 0);
    SendMessageW(Button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(Clicks, 2);
    SendMessageW(Edit->Handle(), WM_CHAR, L'x', 1);
    SendMessageW(Edit->Handle(), WM_CHAR, L'y', 1);
    EXPECT_EQ(Edit->Text(), L"y") << "the edit box went on taking keys";
    EXPECT_EQ(Reports, (std::vector<std::wstring>{L"click", L"key"}));

    // A WindowProc hook, as the edge docking and the tray icon put on the main window.
    TWindowProcHook Hook;
    Hook.Install(*F, [](TMessage& M, const TWndMethod& Previous) {
        if (M.Msg == WM_USER + 7) throw Exception(L"hook");
        Previous(M);
    });
    EXPECT_EQ(SendMessageW(F->Handle(), WM_USER + 7, 0, 0), 0);
    EXPECT_EQ(Reports.back(), L"hook");
    SetWindowTextW(F->Handle(), L"still here");
    EXPECT_EQ(F->Caption(), L"still here");
}

TEST_F(CallbackBorders, ASkinSwitchEventThatThrowsIsReportedAndTheSkinSwitchesAgain) {
    TSkinData& Main = MainSkin();
    // The manager switches by its timer once a window of the program has been activated.
    auto First = HiddenForm();
    SetActiveWindow(First->Handle());
    ASSERT_NE(SkinManager->Started(), 0);
    ASSERT_TRUE(WaitFor([] { return SkinManager->SkinningEnabled(); }));
    int Changes = 0;
    Main.OnSkinChanged = [&](TObject*) {
        if (++Changes == 1) throw Exception(L"skin changed");
    };
    Main.SetActive(false);
    ASSERT_TRUE(WaitFor([&] { return Changes == 1; }));
    EXPECT_EQ(Reports, (std::vector<std::wstring>{L"skin changed"}));
    EXPECT_FALSE(SkinManager->SkinningEnabled());

    Main.SetActive(true);
    ASSERT_TRUE(WaitFor([&] { return Changes == 2; }));
    EXPECT_TRUE(SkinManager->SkinningEnabled());
    auto F = HiddenForm();
    EXPECT_NE(SkinNow(F->Handle()), nullptr) << "windows are skinned again";
    Main.OnSkinChanged = nullptr;
}

// The skin manager's hook attaches a frame skin to a window when it is activated; the frame
// then skins the window's controls when the message the hook posted arrives. A control whose
// classification throws stops that at the frame's window procedure; the hook and the frame
// go on with the next window.
TEST_F(CallbackBorders, AThrowWhileSkinningAnActivatedWindowStopsAtItsBorder) {
    MainSkin().SetActive(true);
    ASSERT_TRUE(WaitFor([] { return SkinManager && SkinManager->SkinningEnabled(); }));
    auto Broken = HiddenForm();
    auto* Odd = new TDCEdit(Broken.get());
    Odd->SetParent(Broken.get());
    Odd->SetBounds(5, 5, 60, 20);
    Odd->HandleNeeded();
    TDCEdit::Reads = 0;
    SetActiveWindow(Broken->Handle());
    EXPECT_NE(FrameOf(Broken->Handle()), nullptr) << "the hook attached the frame";
    ASSERT_TRUE(WaitFor([] { return TDCEdit::Reads > 0; })) << "the frame met the control";
    EXPECT_EQ(Reports, (std::vector<std::wstring>{L"no buttons to count"}));

    auto Good = HiddenForm();
    SetActiveWindow(Good->Handle());
    EXPECT_NE(FrameOf(Good->Handle()), nullptr) << "the next window activated is skinned";
    SetWindowTextW(Broken->Handle(), L"still here");
    EXPECT_EQ(Broken->Caption(), L"still here");
}

TEST_F(CallbackBorders, ASerialEventThatThrowsIsReportedAndItsDataBlockFreed) {
    FakeSerial Fake;
    TComm Comm(nullptr);
    Comm.SetPlatform(Fake);
    std::string Received;
    int Empties = 0;
    Comm.OnReceiveData = [&](TObject*, const char* Buffer, uint16_t Length) {
        Received.append(Buffer, Length);
        if (Received.size() == 1) throw Exception(L"data");
    };
    Comm.OnSendDataEmpty = [&](TObject*) {
        if (++Empties == 1) throw Exception(L"empty");
    };
    Comm.OpenPort();
    ASSERT_NE(Comm.PortHandle(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Empties == 1; }));

    Fake.Receive("R");
    ASSERT_TRUE(PumpUntil([&] { return Received == "R"; }));
    Fake.Receive("CA");
    ASSERT_TRUE(PumpUntil([&] { return Received == "RCA"; })) << "data still arrives";
    Comm.SendData("Aa", 2);
    ASSERT_TRUE(PumpUntil([&] { return Empties == 2; }));
    Comm.ClosePort();
    EXPECT_EQ(Reports, (std::vector<std::wstring>{L"empty", L"data"}));
    EXPECT_EQ(Fake.BlocksLive(), 0) << "the block of the throwing event was freed";
}
