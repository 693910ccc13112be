// The main window's logic in process: the real window from its stored description, its real
// timers and serial component, and a scripted port behind the component (a device answers the
// probe on COM2). Message boxes are read and closed as they come, from a thread timer that
// runs inside their modal loops too. One window serves every test, as the program has one.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <windows.h>

#include "FakeSerial.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"
#include "WinSubCtrls.h"
#include "WinSubEdit.h"
#include "WinSubScroll.h"
#include "app/Fmain.h"

extern bool OffHook;
extern bool Ringing;
extern bool DeviceFound;
extern int HistoryCount;

namespace {

// "COM" and the character 测 in code page 936: a port name that is not ASCII.
const std::string AnsiPort = "COM\xB2\xE2";
const std::wstring WidePort = L"COM\x6D4B";
const char* const SerialComm = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

FakeSerial Port;

std::wstring ClassOf(HWND Wnd) {
    wchar_t Name[64] = {};
    GetClassNameW(Wnd, Name, 64);
    return Name;
}

// Every message box of this thread as it appears: its text in order, and how many were open
// at once. A box is pressed at the tick after it was seen unless Hold says to keep it.
struct TBoxes {
    std::vector<std::wstring> Texts;
    size_t MostAtOnce = 0;
    std::function<bool()> Hold;
    std::function<void(const std::wstring&)> Seen;
    std::vector<HWND> Open;

    void Reset() {
        Texts.clear();
        MostAtOnce = 0;
        Hold = nullptr;
        Seen = nullptr;
    }
    static BOOL CALLBACK Collect(HWND Wnd, LPARAM List) {
        if (ClassOf(Wnd) == L"#32770") reinterpret_cast<std::vector<HWND>*>(List)->push_back(Wnd);
        return TRUE;
    }
    static std::wstring TextOf(HWND Box) {
        for (HWND C = GetWindow(Box, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT)) {
            wchar_t Text[256] = {};
            if (ClassOf(C) == L"Static" && GetWindowTextW(C, Text, 256) > 0) return Text;
        }
        return {};
    }
    void Tick() {
        std::vector<HWND> Now;
        EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&Now));
        for (HWND Box : Now)
            if (std::find(Open.begin(), Open.end(), Box) == Open.end()) {
                Open.push_back(Box);
                Texts.push_back(TextOf(Box));
                if (Seen) Seen(Texts.back());
            }
        std::erase_if(
            Open, [&](HWND Box) { return std::find(Now.begin(), Now.end(), Box) == Now.end(); });
        MostAtOnce = std::max(MostAtOnce, Open.size());
        if (!Open.empty() && !(Hold && Hold()))
            PostMessageW(Open.back(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
} Boxes;

void CALLBACK BoxTick(HWND, UINT, UINT_PTR, DWORD) {
    Boxes.Tick();
}

// Handles messages as the program's loop does until Done() holds or Ms have passed.
bool WaitFor(const std::function<bool()>& Done, DWORD Ms) {
    const DWORD Start = GetTickCount();
    for (;;) {
        if (Done()) return true;
        const DWORD Elapsed = GetTickCount() - Start;
        if (Elapsed >= Ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(Ms - Elapsed, 10),
                                  QS_ALLINPUT);
        Application->ProcessMessages();
        Application->Idle();
    }
}

// For checks that something does NOT happen.
void PumpFor(DWORD Ms) {
    (void)WaitFor([] { return false; }, Ms);
}

// Every text the status line shows, as it is written (the clearing tick wipes it soon).
std::vector<std::wstring> Statuses;

// The clearing tick, so that the next text is a change even when it repeats the last one.
void ClearStatus() {
    Fmain->Timer1Timer(Fmain->Timer1);
    Statuses.clear();
}

bool StatusShown(const std::wstring& Text) {
    return std::find(Statuses.begin(), Statuses.end(), Text) != Statuses.end();
}

// Blocks the dialer received, counted as they are delivered.
int Deliveries = 0;

// The ports the registry lists while the program runs: saved first, given back at the end.
class TDialerEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        HKEY Key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialComm, 0, KEY_ALL_ACCESS, &Key),
                  ERROR_SUCCESS);
        for (;;) {
            char Name[256], Data[256];
            DWORD NameSize = sizeof Name, DataSize = sizeof Data, Type = 0;
            if (RegEnumValueA(Key, 0, Name, &NameSize, nullptr, &Type,
                              reinterpret_cast<BYTE*>(Data), &DataSize) != ERROR_SUCCESS)
                break;
            Saved.push_back({Name, std::string(Data, DataSize)});
            RegDeleteValueA(Key, Name);
        }
        for (const auto& [Name, Data] :
             std::vector<std::pair<std::string, std::string>>{{"\\Device\\Serial0", "COM1"},
                                                              {"\\Device\\Serial1", "COM2"},
                                                              {"\\Device\\Serial9", AnsiPort}})
            RegSetValueExA(Key, Name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(Data.c_str()),
                           static_cast<DWORD>(Data.size() + 1));
        RegCloseKey(Key);

        Port.devicePaths = {"\\\\.\\COM2"};
        SetTimer(nullptr, 0, 20, &BoxTick);
        Application->Initialize();
        Application->SetTitle(ProgramTitle);
        Application->CreateForm(Fmain);
        Fmain->Comm1->SetPlatform(Port);
        const TNotifyEvent Change = Fmain->RzEdit2->OnChange;
        Fmain->RzEdit2->OnChange = [Change](TObject* Sender) {
            Statuses.push_back(Fmain->RzEdit2->Text());
            Change(Sender);
        };
        const TReceiveDataEvent Receive = Fmain->Comm1->OnReceiveData;
        Fmain->Comm1->OnReceiveData = [Receive](TObject* Sender, const char* B, uint16_t N) {
            ++Deliveries;
            Receive(Sender, B, N);
        };
        Fmain->Show();
    }
    void TearDown() override {
        delete Fmain;
        Fmain = nullptr;
        HKEY Key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SerialComm, 0, KEY_ALL_ACCESS, &Key) != ERROR_SUCCESS)
            return;
        for (const char* Name : {"\\Device\\Serial0", "\\Device\\Serial1", "\\Device\\Serial9"})
            RegDeleteValueA(Key, Name);
        for (const auto& [Name, Data] : Saved)
            RegSetValueExA(Key, Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Data.data()),
                           static_cast<DWORD>(Data.size()));
        RegCloseKey(Key);
    }

  private:
    std::vector<std::pair<std::string, std::string>> Saved;
};

const auto* const Environment = ::testing::AddGlobalTestEnvironment(new TDialerEnvironment);

void Press(wchar_t C) {
    wchar_t Key = C;
    Fmain->Key1KeyPress(Fmain->Edit1, Key);
    WORD Up = 0;
    Fmain->Key1KeyUp(Fmain->Edit1, Up, {});
}

void Type(const std::wstring& Keys) {
    Fmain->Edit1->SetFocus();
    for (wchar_t C : Keys)
        Press(C);
}

// Reset, and on a linked port the wait until its "Ca" has been written.
bool HangUp() {
    const size_t Before = Port.Written().size();
    Press(L' ');
    return !Fmain->Comm1->PortOpen() ||
           WaitFor([&] { return Port.Written().size() >= Before + 2; }, 2000);
}

bool Linked() {
    return Fmain->Comm1->PortOpen() && DeviceFound && Fmain->ComboBox1->Text() == L"COM2";
}

struct TDialer : ::testing::Test {
    size_t Mark = 0;

    void SetUp() override {
        ASSERT_TRUE(WaitFor(
            [] { return Linked() && !Fmain->Timer2->Enabled() && !Fmain->Timer3->Enabled(); },
            10000))
            << "the first showing links to COM2";
        // Every test starts with the line free, once the hang-up has gone out.
        ASSERT_TRUE(HangUp());
        ASSERT_FALSE(OffHook);
        Boxes.Reset();
        Statuses.clear();
        Mark = Port.Written().size();
    }
    void TearDown() override {
        Boxes.Reset();
        HangUp();
        if (Ringing) {
            Fmain->Timer5->SetEnabled(false);
            Fmain->Timer5Timer(Fmain->Timer5);
        }
        if (!Linked()) {
            Press(L'`');
            WaitFor(Linked, 5000);
        }
    }
    // Device commands written since the test began.
    std::string Sent() const { return Port.Written().substr(Mark); }
    bool SentIs(const std::string& Commands, DWORD Ms) {
        return WaitFor([&] { return Sent() == Commands; }, Ms);
    }
};

} // namespace

TEST_F(TDialer, AnsweringEndsTheRingWindowAndResetDoesToo) {
    Port.Receive("R");
    ASSERT_TRUE(WaitFor([] { return StatusShown(L"有来电..."); }, 3000));
    ASSERT_TRUE(Ringing);
    Press(L'\r');
    ASSERT_TRUE(SentIs("Aa", 2000));
    EXPECT_TRUE(StatusShown(L"接听中..."));
    EXPECT_FALSE(Ringing) << "the call was answered";
    EXPECT_FALSE(Fmain->Timer5->Enabled());
    EXPECT_FALSE(Fmain->hTrayIcon1->Animate());
    // Hung up and a new number: Enter dials, it does not answer again.
    Press(L' ');
    Statuses.clear();
    Type(L"5");
    Press(L'\r');
    ASSERT_TRUE(SentIs("AaCaAa", 2000));
    EXPECT_TRUE(StatusShown(L"拨号中..."));
    EXPECT_FALSE(StatusShown(L"接听中..."));
    Press(L' ');

    // A ring, then Reset: the window is over too.
    Port.Receive("R");
    ASSERT_TRUE(WaitFor([] { return Ringing; }, 3000));
    Press(L' ');
    EXPECT_FALSE(Ringing);
    EXPECT_FALSE(Fmain->Timer5->Enabled());
    Statuses.clear();
    Type(L"6");
    Press(L'\r');
    EXPECT_TRUE(StatusShown(L"拨号中..."));
}

TEST_F(TDialer, TheDigitsSentAreThoseOfTheNumberEnterDialled) {
    Type(L"12");
    Press(L'\r');
    ASSERT_TRUE(SentIs("Aa", 1000));
    Type(L"9"); // during the 1200 ms wait: a new number on the display
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"9");
    ASSERT_TRUE(SentIs("AaDaDb", 4000));
    ASSERT_TRUE(WaitFor([] { return StatusShown(L"通信中"); }, 2000));
    EXPECT_EQ(Fmain->Memo1->Lines()->Get(Fmain->Memo1->Lines()->Count() - 1), L"12");
}

TEST_F(TDialer, ACommandThatCannotBeSentChangesNothingAndSaysSo) {
    // Linked and dialling, the port goes before the digits leave.
    Type(L"3");
    Press(L'\r');
    ASSERT_TRUE(SentIs("Aa", 1000));
    ASSERT_TRUE(OffHook);
    Fmain->Comm1->ClosePort();
    ASSERT_TRUE(WaitFor([] { return StatusShown(L"未找到设备！"); }, 3000));
    EXPECT_FALSE(StatusShown(L"通信中"));
    EXPECT_TRUE(OffHook) << "nothing was sent, so the line is as it was";

    // No port at all: Reset, a dial and an answer all say so and change nothing.
    ClearStatus();
    Press(L' ');
    EXPECT_EQ(Statuses, std::vector<std::wstring>{L"未找到设备！"});
    EXPECT_TRUE(OffHook);
    OffHook = false; // as a reply that frees the line would leave it
    const int Lines = Fmain->Memo1->Lines()->Count();
    const int Dialled = HistoryCount;
    ClearStatus();
    Type(L"4");
    Press(L'\r');
    EXPECT_EQ(Statuses, std::vector<std::wstring>{L"未找到设备！"});
    EXPECT_FALSE(OffHook);
    EXPECT_FALSE(Fmain->Timer4->Enabled());
    EXPECT_EQ(Fmain->Memo1->Lines()->Count(), Lines);
    EXPECT_EQ(HistoryCount, Dialled);
    Ringing = true;
    ClearStatus();
    Press(L'\r');
    EXPECT_EQ(Statuses, std::vector<std::wstring>{L"未找到设备！"});
    EXPECT_FALSE(OffHook);
    EXPECT_TRUE(Ringing);
    Ringing = false;
    EXPECT_EQ(Sent(), "Aa");
}

TEST_F(TDialer, AShowingDuringACallKeepsTheCallAndTheLink) {
    Type(L"7");
    Press(L'\r');
    ASSERT_TRUE(SentIs("AaDg", 3000));
    ASSERT_TRUE(OffHook);
    const int Dialled = HistoryCount;
    Type(L"8");
    Press(L'\r');
    ASSERT_EQ(HistoryCount, Dialled) << "digits into the call add no history line";
    const size_t Opens = Port.Opened().size();
    Statuses.clear();
    Fmain->FormShow(Fmain); // as when the window comes back from the notification area
    PumpFor(800);
    EXPECT_TRUE(OffHook);
    EXPECT_TRUE(Linked());
    EXPECT_EQ(Port.Opened().size(), Opens) << "no port walk";
    EXPECT_FALSE(StatusShown(L"连接设备..."));
    EXPECT_EQ(HistoryCount, 0) << "the history counters still restart";
    // The call goes on: the next number is sent into it.
    Type(L"9");
    Press(L'\r');
    ASSERT_TRUE(SentIs("AaDgDhDi", 3000));
}

TEST_F(TDialer, AnEmptyPortListIsReportedOnce) {
    TStringList Ports;
    Ports.Assign(*Fmain->ComboBox1->Items());
    Fmain->ComboBox1->Items()->Clear();
    Press(L'`');
    PumpFor(800);
    Fmain->ComboBox1->Items()->Assign(Ports);
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"未找到通信口"});
}

TEST_F(TDialer, OneInputErrorBoxPerCheck) {
    Fmain->RzEdit1->SetText(L"1a2b3");
    Fmain->Key1MouseUp(Fmain->Key1, mbLeft, {}, 0, 0);
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"输入错误！"});
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"");
}

TEST_F(TDialer, TheEnterKeysCapitalLetterKeepsTheSentNumberLikeTheSmallOne) {
    Type(L"7");
    Press(L'\r');
    ASSERT_TRUE(SentIs("AaDg", 3000));
    Statuses.clear();
    Press(L'E'); // the on-screen Enter key with Caps Lock on
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"7");
    EXPECT_TRUE(StatusShown(L"发码..."));
    EXPECT_TRUE(SentIs("AaDgDg", 2000));
}

TEST_F(TDialer, WithoutTheKeyboardTheShowingStartsTheWalkItself) {
    // The focus sink cannot take the keyboard: an injected key would land elsewhere (here in
    // the port box).
    Fmain->Edit1->SetEnabled(false);
    Fmain->ComboBox1->SetFocus();
    const std::wstring Text = Fmain->ComboBox1->Text();
    Fmain->FormShow(Fmain);
    const bool Walked = WaitFor([] { return StatusShown(L"连接设备..."); }, 2000);
    Fmain->Edit1->SetEnabled(true);
    EXPECT_TRUE(Walked);
    EXPECT_TRUE(WaitFor(Linked, 5000));
    EXPECT_EQ(Fmain->ComboBox1->Text(), Text) << "no key typed into another control";
    Fmain->Edit1->SetFocus();
}

TEST_F(TDialer, PortNamesStayInTheSystemsCodePage) {
    const TStrings* Items = Fmain->ComboBox1->Items();
    std::vector<std::wstring> Names;
    for (int I = 0; I < Items->Count(); ++I)
        Names.push_back(Items->Get(I));
    EXPECT_EQ(Names, (std::vector<std::wstring>{L"COM1", L"COM2", WidePort}));
    // A walk where no port answers opens every one by its own name.
    Port.devicePaths.clear();
    const size_t Opens = Port.Opened().size();
    Press(L'`');
    const bool Ended = WaitFor([] { return !Boxes.Texts.empty(); }, 5000);
    Port.devicePaths = {"\\\\.\\COM2"};
    ASSERT_TRUE(Ended);
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"未找到设备！"});
    const std::vector<std::string> Opened = Port.Opened();
    const std::vector<std::string> Walk(Opened.begin() + static_cast<ptrdiff_t>(Opens),
                                        Opened.end());
    ASSERT_GE(Walk.size(), 3u);
    EXPECT_EQ(Walk[2], "\\\\.\\" + AnsiPort);
}

TEST_F(TDialer, APortThatRefusesItsQueuesIsPassedOver) {
    Port.noQueuePaths = {"\\\\.\\COM1"};
    Press(L'`');
    const bool Found = WaitFor([] { return !Boxes.Texts.empty() && Linked(); }, 5000);
    Port.noQueuePaths.clear();
    EXPECT_TRUE(Found);
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"设备连接正常！"});
}

TEST_F(TDialer, AProbeAnswerWhileItsBoxIsShownOnlySetsTheState) {
    // The device repeats its answer while the first box is up; the box stays until all of it
    // was delivered.
    const int Before = Deliveries;
    Boxes.Seen = [](const std::wstring& Text) {
        if (Text == L"设备连接正常！" && Boxes.Texts.size() == 1)
            for (int I = 0; I < 3; ++I)
                Port.Receive("CA");
    };
    Boxes.Hold = [Before] { return Deliveries < Before + 4; };
    DeviceFound = false;
    Port.Receive("CA");
    ASSERT_TRUE(WaitFor([&] { return Deliveries >= Before + 4 && Boxes.Open.empty(); }, 5000));
    PumpFor(100);
    EXPECT_EQ(Boxes.MostAtOnce, 1u);
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"设备连接正常！"});
    EXPECT_TRUE(DeviceFound);
    // The dialer takes keys at once.
    Type(L"1");
    Press(L'\r');
    EXPECT_TRUE(SentIs("Aa", 500));
}

TEST_F(TDialer, KeyWidthsAndCursorsFollowTheLayout) {
    EXPECT_EQ(Fmain->Key3->Width(), 44);
    for (TRzBitBtn* Key :
         {Fmain->Key1, Fmain->Key2, Fmain->Key4, Fmain->Key5, Fmain->Key6, Fmain->Key7, Fmain->Key8,
          Fmain->Key9, Fmain->Keyx, Fmain->Key0, Fmain->Keyh}) {
        EXPECT_EQ(Key->Width(), 45) << WideToUtf8(Key->Name());
        EXPECT_EQ(Key->Cursor(), crHandPoint) << WideToUtf8(Key->Name());
    }
    EXPECT_EQ(Fmain->RzEdit2->Cursor(), crHandPoint);
    for (TRzBitBtn* Key : {Fmain->RzBitBtn14, Fmain->RzBitBtn15, Fmain->RzBitBtn1})
        EXPECT_EQ(Key->Cursor(), crDefault) << WideToUtf8(Key->Name());
}

namespace {

TSkinControl* SkinOf(TWinSkinForm& Frame, const TControl* C) {
    for (TSkinControl* S : Frame.ControlSkins)
        if (S->SkinnedControl() == C) return S;
    return nullptr;
}

bool BarShows(const std::unique_ptr<TWScrollbar>& Bar) {
    return Bar && Bar->HandleAllocated() && IsWindowVisible(Bar->Handle());
}

} // namespace

// The main window's skin names edits, combo boxes, scroll bars, group boxes and panels but not
// buttons: the display, the status line and the port box wear the skin, the group boxes draw
// the skin's line, the status bar (a panel) takes the skin's face colour, the keys keep their
// own look, and the hidden history keeps its bar windows hidden however many lines it gets.
TEST_F(TDialer, TheSkinDressesTheBoxesAndLeavesTheKeysTheirOwnLook) {
    TWinSkinForm* Frame = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            Frame = SkinManager ? SkinManager->FindForm(Fmain->Handle()) : nullptr;
            return Frame && Frame->SkinState == lsReady;
        },
        3000));
    // Edits wear their skin on the window itself.
    EXPECT_NE(dynamic_cast<TSkinEdit*>(Frame->FindControlSkin(Fmain->RzEdit1->Handle())), nullptr);
    EXPECT_NE(dynamic_cast<TSkinEdit*>(Frame->FindControlSkin(Fmain->RzEdit2->Handle())), nullptr);
    EXPECT_NE(dynamic_cast<TSkinComBox*>(SkinOf(*Frame, Fmain->ComboBox1)), nullptr);
    for (TRzGroupBox* Box : {Fmain->RzGroupBox2, Fmain->RzGroupBox3, Fmain->RzGroupBox4})
        EXPECT_NE(dynamic_cast<TSkinGroupBox*>(SkinOf(*Frame, Box)), nullptr)
            << WideToUtf8(Box->Name());
    EXPECT_NE(dynamic_cast<TSkinBox*>(SkinOf(*Frame, Fmain->RzStatusBar1)), nullptr);
    EXPECT_EQ(Fmain->RzStatusBar1->Color(), Frame->SkinData->ButtonFace);
    for (TRzBitBtn* Key : {Fmain->Key1, Fmain->Key0, Fmain->Keyh, Fmain->RzBitBtn1,
                           Fmain->RzBitBtn14, Fmain->RzBitBtn15})
        EXPECT_EQ(SkinOf(*Frame, Key), nullptr) << WideToUtf8(Key->Name());
    auto* History = dynamic_cast<TSkinScrollbar*>(SkinOf(*Frame, Fmain->Memo1));
    ASSERT_NE(History, nullptr);
    EXPECT_FALSE(BarShows(History->HorzBar) || BarShows(History->VertBar));
    for (int I = 0; I < 60; ++I)
        Fmain->Memo1->Lines()->Add(L"13800000000");
    Application->ProcessMessages();
    EXPECT_FALSE(BarShows(History->HorzBar) || BarShows(History->VertBar));
    Fmain->Memo1->Lines()->Clear();
}
