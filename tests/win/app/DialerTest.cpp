// The main window's logic in process: the real window from its stored description, its real
// timers and serial component, and a scripted port behind the component (a device answers the
// probe on COM2). Message boxes are read and closed as they come, from a thread timer that
// runs inside their modal loops too. One window serves every test, as the program has one.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
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
#include "app/DialRequest.h"
#include "app/Fmain.h"
#include "app/LinkRegistration.h"

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
    EXPECT_NE(dynamic_cast<TSkinEdit*>(Frame->ControlSkins.Find(Fmain->RzEdit1->Handle())),
              nullptr);
    EXPECT_NE(dynamic_cast<TSkinEdit*>(Frame->ControlSkins.Find(Fmain->RzEdit2->Handle())),
              nullptr);
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

// ---- requests from outside the keypad ------------------------------------------------------

namespace {

// Hands a request to the window as another program does.
LRESULT SendRequest(const std::wstring& Text, ULONG_PTR Signature = RequestSignature) {
    COPYDATASTRUCT Data{};
    Data.dwData = Signature;
    Data.cbData = static_cast<DWORD>(Text.size() * sizeof(wchar_t));
    Data.lpData = const_cast<wchar_t*>(Text.data());
    return SendMessageW(Fmain->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Data));
}

bool WalkOver() {
    return Linked() && !Fmain->Timer2->Enabled() && !Fmain->Timer3->Enabled();
}

void SetClipboardText(const std::wstring& Text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL Memory = GlobalAlloc(GMEM_MOVEABLE, (Text.size() + 1) * sizeof(wchar_t));
    ASSERT_NE(Memory, nullptr);
    std::copy(Text.c_str(), Text.c_str() + Text.size() + 1,
              static_cast<wchar_t*>(GlobalLock(Memory)));
    GlobalUnlock(Memory);
    EXPECT_NE(SetClipboardData(CF_UNICODETEXT, Memory), nullptr);
    CloseClipboard();
}

constexpr TColor FreshLineFree = static_cast<TColor>(0x0000FF00);
constexpr TColor FreshLineTaken = static_cast<TColor>(0x00FF8000);

} // namespace

TEST_F(TDialer, ARequestIsAnsweredAtOnceAndDialledFromTheQueue) {
    EXPECT_EQ(SendRequest(L"tel:1-2"), TRUE);
    EXPECT_EQ(Sent(), "") << "nothing is done before the sender has its answer";
    ASSERT_TRUE(SentIs("AaDaDb", 4000));
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"12");
    EXPECT_TRUE(StatusShown(L"拨号中..."));
    EXPECT_EQ(Fmain->Memo1->Lines()->Get(Fmain->Memo1->Lines()->Count() - 1), L"12");
}

TEST_F(TDialer, OnlyOurOwnMessagesAreRequests) {
    EXPECT_EQ(SendRequest(L"12", 0x12345678), FALSE) << "another signature";
    COPYDATASTRUCT Odd{RequestSignature, 3, const_cast<wchar_t*>(L"12")};
    EXPECT_EQ(SendMessageW(Fmain->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&Odd)), FALSE);
    EXPECT_EQ(SendRequest(std::wstring(MaxRequestLength + 1, L'1')), FALSE) << "too long";
    // The link keys are written only by the program started with that switch.
    EXPECT_EQ(SendRequest(L"/register"), FALSE);
    EXPECT_EQ(SendRequest(L"/unregister"), FALSE);
    PumpFor(300);
    HKEY Key = nullptr;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\PcDialer", 0, KEY_READ, &Key),
              ERROR_SUCCESS);
    EXPECT_EQ(Sent(), "");
    EXPECT_TRUE(Boxes.Texts.empty());
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"");
}

TEST_F(TDialer, DuringACallOrARingANumberOnlyTakesTheDisplay) {
    Type(L"7");
    Press(L'\r');
    ASSERT_TRUE(SentIs("AaDg", 3000));
    EXPECT_EQ(SendRequest(L"34"), TRUE);
    PumpFor(500);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"34");
    EXPECT_EQ(Fmain->RzEdit1->Font()->Color(), FreshLineTaken);
    EXPECT_EQ(Sent(), "AaDg") << "nothing goes into the call";
    ASSERT_TRUE(HangUp());

    Port.Receive("R");
    ASSERT_TRUE(WaitFor([] { return Ringing; }, 3000));
    const std::string Before = Sent();
    EXPECT_EQ(SendRequest(L"56"), TRUE);
    PumpFor(300);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"56");
    EXPECT_EQ(Fmain->RzEdit1->Font()->Color(), FreshLineFree);
    EXPECT_EQ(Sent(), Before) << "a link answers no ring";
    EXPECT_TRUE(Ringing);
    // The switch does.
    EXPECT_EQ(SendRequest(L"/ANSWER"), TRUE);
    EXPECT_TRUE(SentIs(Before + "Aa", 1000));
}

TEST_F(TDialer, AnswerWithoutARingDoesNothingAndHangUpEndsACallWithoutAWalk) {
    const size_t Opens = Port.Opened().size();
    EXPECT_EQ(SendRequest(L"/answer"), TRUE);
    PumpFor(300);
    EXPECT_EQ(Sent(), "");
    Type(L"5");
    Press(L'\r');
    ASSERT_TRUE(SentIs("Aa", 1000));
    EXPECT_EQ(SendRequest(L"/hangup"), TRUE);
    ASSERT_TRUE(SentIs("AaCa", 1000));
    PumpFor(1500);
    EXPECT_EQ(Sent(), "AaCa") << "the digits of the ended call never leave";
    EXPECT_FALSE(OffHook);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"");
    EXPECT_EQ(Port.Opened().size(), Opens) << "no port walk";
    EXPECT_FALSE(StatusShown(L"连接设备..."));
}

TEST_F(TDialer, ANumberWaitsForTheWalkAndIsDialledOnceLinked) {
    Press(L'`');
    EXPECT_EQ(SendRequest(L"8"), TRUE);
    PumpFor(100);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"8");
    EXPECT_EQ(Sent().find("Aa"), std::string::npos) << "not before the device is linked";
    // COM1 is probed and stays silent, COM2 answers: then the dial.
    EXPECT_TRUE(SentIs("CACAAaDh", 6000)) << Sent();
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"设备连接正常！"});
}

TEST_F(TDialer, AWaitingNumberStaysWhenNoDeviceIsFoundAndGivesWayToAKey) {
    // No port opens: the walk ends quickly.
    Port.refusedPaths = {"\\\\.\\COM1", "\\\\.\\COM2", "\\\\.\\" + AnsiPort};
    Press(L'`');
    EXPECT_EQ(SendRequest(L"9"), TRUE);
    const bool Failed = WaitFor([] { return !Boxes.Texts.empty(); }, 5000);
    Port.refusedPaths.clear();
    ASSERT_TRUE(Failed);
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"通信口被占用！"});
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"9");
    EXPECT_EQ(Sent().find("Aa"), std::string::npos);

    // Not linked and no walk coming: a number looks for the device itself. A key typed while
    // it waits takes over from it.
    Mark = Port.Written().size();
    Boxes.Reset();
    EXPECT_EQ(SendRequest(L"4"), TRUE);
    ASSERT_TRUE(WaitFor([&] { return Sent() == "CA"; }, 2000)) << "the request started a walk";
    Type(L"5");
    ASSERT_TRUE(WaitFor(WalkOver, 5000));
    PumpFor(300);
    EXPECT_EQ(Sent(), "CACA");
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"45");
}

TEST_F(TDialer, RefusedRequestsShowOneBoxAtATime) {
    int Refused = 0;
    // While the first box is up, more refused text arrives.
    Boxes.Seen = [&](const std::wstring&) {
        if (Boxes.Texts.size() != 1) return;
        for (int I = 0; I < 5; ++I)
            Refused += SendRequest(L"bad " + std::to_wstring(I)) == FALSE;
        // A showing meanwhile brings the box forward, not the window it keeps disabled.
        SendRequest(L"/show");
    };
    int Ticks = 0;
    Boxes.Hold = [&] { return ++Ticks < 10; };
    EXPECT_EQ(SendRequest(L"call me"), FALSE);
    ASSERT_TRUE(WaitFor([] { return !Boxes.Texts.empty() && Boxes.Open.empty(); }, 3000));
    PumpFor(200);
    EXPECT_EQ(Refused, 5);
    EXPECT_EQ(Boxes.MostAtOnce, 1u);
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"输入错误！"});
    EXPECT_EQ(GetFocus(), Fmain->Edit1->Handle()) << "the keys reach the dialer again";
    // Once it is closed, the next refused text has a box of its own.
    Boxes.Seen = nullptr;
    EXPECT_EQ(SendRequest(L"tel:"), FALSE);
    EXPECT_TRUE(WaitFor([] { return Boxes.Texts.size() == 2 && Boxes.Open.empty(); }, 3000));
    EXPECT_EQ(Sent(), "");
}

TEST_F(TDialer, PastedTextGoesThroughTheNumberRulesAndIsNotDialled) {
    // Ctrl+V: its character is the paste, not a character of the number.
    SetClipboardText(L" (1) 2-3 ");
    Fmain->Edit1->SetFocus();
    wchar_t Key = 0x16;
    Fmain->Key1KeyPress(Fmain->Edit1, Key);
    EXPECT_EQ(Key, 0);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"123");
    EXPECT_EQ(Fmain->RzEdit1->Font()->Color(), FreshLineFree);
    // The edit boxes' own paste (their menu, Shift+Insert).
    SetClipboardText(L"tel:+86 45");
    SendMessageW(Fmain->RzEdit1->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"008645");
    SetClipboardText(L"（７）\r\n");
    Fmain->Edit1->SetText(L"x");
    SendMessageW(Fmain->Edit1->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"7");
    EXPECT_EQ(Fmain->Edit1->Text(), L"");
    // Refused text: one box, the display as it was.
    SetClipboardText(L"call me");
    SendMessageW(Fmain->RzEdit1->Handle(), WM_PASTE, 0, 0);
    ASSERT_TRUE(WaitFor([] { return !Boxes.Texts.empty() && Boxes.Open.empty(); }, 3000));
    EXPECT_EQ(Boxes.Texts, std::vector<std::wstring>{L"输入错误！"});
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"7");
    // After a dial a pasted number is a new one, in the colour of the line taken.
    Type(L"2");
    Press(L'\r');
    ASSERT_TRUE(SentIs("Aa", 1000));
    SetClipboardText(L"9");
    SendMessageW(Fmain->RzEdit1->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(Fmain->RzEdit1->Text(), L"9");
    EXPECT_EQ(Fmain->RzEdit1->Font()->Color(), FreshLineTaken);
    EXPECT_TRUE(SentIs("AaDgDb", 3000)) << "the dialled number's digits, and nothing pasted";
}

namespace {

std::optional<std::wstring> UserValue(const std::wstring& Key, const std::wstring& Name) {
    wchar_t Data[512] = {};
    DWORD Size = sizeof Data;
    if (RegGetValueW(HKEY_CURRENT_USER, Key.c_str(), Name.empty() ? nullptr : Name.c_str(),
                     RRF_RT_REG_SZ, nullptr, Data, &Size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(Data);
}

bool UserKeyExists(const std::wstring& Key) {
    HKEY K = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Key.c_str(), 0, KEY_READ, &K) != ERROR_SUCCESS)
        return false;
    RegCloseKey(K);
    return true;
}

void SetUserValue(const std::wstring& Key, const std::wstring& Name, const std::wstring& Data) {
    RegSetKeyValueW(HKEY_CURRENT_USER, Key.c_str(), Name.c_str(), REG_SZ, Data.c_str(),
                    static_cast<DWORD>((Data.size() + 1) * sizeof(wchar_t)));
}

} // namespace

TEST(LinkRegistration, RegisteringWritesItsKeysAndUnregisteringTakesAwayOnlyThem) {
    const std::wstring Path = L"C:\\Dialer\\dialer.exe";
    const std::wstring Tel = L"Software\\Classes\\tel", CallTo = L"Software\\Classes\\callto";
    EXPECT_TRUE(UnregisterLinks(Path)) << "nothing registered: nothing to do";
    SetUserValue(Tel, L"Other", L"kept"); // another program's value in a shared key

    ASSERT_TRUE(RegisterLinks(Path));
    for (const TLinkValue& V : LinkValues(Path))
        EXPECT_EQ(UserValue(V.Key, V.Name), V.Data) << WideToUtf8(V.Key + L"\\" + V.Name);
    EXPECT_EQ(UserValue(Tel + L"\\shell\\open\\command", L""),
              L"\"C:\\Dialer\\dialer.exe\" \"%1\"");
    EXPECT_EQ(UserValue(CallTo, L"URL Protocol"), L"");
    EXPECT_EQ(UserValue(L"Software\\RegisteredApplications", L"PcDialer"),
              L"Software\\PcDialer\\Capabilities");
    EXPECT_EQ(UserValue(L"Software\\PcDialer\\Capabilities\\URLAssociations", L"callto"),
              L"PcDialer.Link");
    EXPECT_EQ(UserValue(L"Software\\Classes\\PcDialer.Link\\shell\\open\\command", L""),
              L"\"C:\\Dialer\\dialer.exe\" \"%1\"");
    EXPECT_EQ(UserValue(Tel, L"Other"), L"kept");

    // Another program takes callto: links over afterwards.
    SetUserValue(CallTo + L"\\shell\\open\\command", L"", L"\"C:\\Other\\other.exe\" \"%1\"");
    EXPECT_TRUE(UnregisterLinks(Path));
    EXPECT_FALSE(UserKeyExists(L"Software\\Classes\\PcDialer.Link"));
    EXPECT_FALSE(UserKeyExists(L"Software\\PcDialer"));
    EXPECT_FALSE(UserValue(L"Software\\RegisteredApplications", L"PcDialer"));
    EXPECT_FALSE(UserKeyExists(Tel + L"\\shell"));
    EXPECT_FALSE(UserKeyExists(Tel + L"\\DefaultIcon"));
    EXPECT_FALSE(UserValue(Tel, L""));
    EXPECT_FALSE(UserValue(Tel, L"URL Protocol"));
    EXPECT_EQ(UserValue(Tel, L"Other"), L"kept") << "a key with another's value stays";
    EXPECT_EQ(UserValue(CallTo + L"\\shell\\open\\command", L""),
              L"\"C:\\Other\\other.exe\" \"%1\"");
    EXPECT_EQ(UserValue(CallTo, L""), L"URL:callto") << "the other program's link is whole";

    RegDeleteTreeW(HKEY_CURRENT_USER, Tel.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, CallTo.c_str());
}
