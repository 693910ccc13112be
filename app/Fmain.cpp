#include "app/Fmain.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <shellapi.h>

#include "app/DeviceReply.h"

TFmain* Fmain = nullptr;

// The dialer state, shared by the window's handlers; all zero at start.
bool OffHook = false;
bool Ringing = false;
int HistoryCount = 0;
int HistoryIndex = 0;
int PortIndex = 0;
bool DeviceFound = false;
bool PortProbed = false;

namespace {

// Colours the dialer shows its state with ($00BBGGRR).
constexpr TColor LightMagenta = static_cast<TColor>(0x00FF80FF);
constexpr TColor LightGreen = static_cast<TColor>(0x0080FF80);
constexpr TColor LightRed = static_cast<TColor>(0x008080FF);
constexpr TColor Yellow = static_cast<TColor>(0x0000FFFF);
constexpr TColor LightCyan = static_cast<TColor>(0x00FFFF80);
constexpr TColor Chartreuse = static_cast<TColor>(0x0000FF80);
constexpr TColor FreshLineFree = static_cast<TColor>(0x0000FF00);  // lime green
constexpr TColor FreshLineTaken = static_cast<TColor>(0x00FF8000); // azure blue
constexpr TColor Sent = static_cast<TColor>(0x00008080);           // olive

constexpr unsigned DialDelay = 1200;   // from "Aa" to the first digit
constexpr unsigned DigitSpacing = 360; // between digit commands
constexpr unsigned ProbeStep = 200;

// The device's digit commands run "Da".."Dl" over these characters.
constexpr std::wstring_view DialCharacters = L"1234567890*#";

bool IsDialCharacter(wchar_t C) {
    return C == 8 || C == L'#' || C == L'*' || (C >= L'0' && C <= L'9');
}

void InjectKey(BYTE VirtualKey) {
    keybd_event(VirtualKey, 0, 0, 0);
}

constexpr wchar_t CtrlV = 0x16;

// The clipboard's text, cut where no request could be longer; none when it holds no text.
std::optional<std::wstring> ClipboardText(HWND Owner) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(Owner)) return std::nullopt;
    std::optional<std::wstring> Text;
    if (HANDLE Data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* Chars = static_cast<const wchar_t*>(GlobalLock(Data))) {
            const size_t Room =
                std::min<size_t>(GlobalSize(Data) / sizeof(wchar_t), MaxRequestLength + 1);
            Text = std::wstring(Chars, wcsnlen(Chars, Room));
            GlobalUnlock(Data);
        }
    }
    CloseClipboard();
    return Text;
}

} // namespace

PUBLISHED(TFmain) {}

TFmain::TFmain(TComponent* AOwner) : TForm(AOwner) {
    RegisterHandler(L"FormCreate", &TFmain::FormCreate);
    RegisterHandler(L"FormShow", &TFmain::FormShow);
    RegisterHandler(L"FormClose", &TFmain::FormClose);
    RegisterHandler(L"Key1KeyPress", &TFmain::Key1KeyPress);
    RegisterHandler(L"Key1KeyUp", &TFmain::Key1KeyUp);
    RegisterHandler(L"Key1MouseUp", &TFmain::Key1MouseUp);
    RegisterHandler(L"Key1Click", &TFmain::Key1Click);
    RegisterHandler(L"Timer1Timer", &TFmain::Timer1Timer);
    RegisterHandler(L"Timer2Timer", &TFmain::Timer2Timer);
    RegisterHandler(L"Timer3Timer", &TFmain::Timer3Timer);
    RegisterHandler(L"Timer4Timer", &TFmain::Timer4Timer);
    RegisterHandler(L"Timer5Timer", &TFmain::Timer5Timer);
    RegisterHandler(L"Comm1ReceiveData", &TFmain::Comm1ReceiveData);
    RegisterHandler(L"RzEdit2Change", &TFmain::RzEdit2Change);
    RegisterHandler(L"RzMarqueeStatus1Click", &TFmain::RzMarqueeStatus1Click);
    RegisterHandler(L"hTrayIcon1Click", &TFmain::hTrayIcon1Click);
    RegisterHandler(L"RzBitBtn2Click", &TFmain::RzBitBtn2Click);
    // Each on-screen key only injects its keyboard shortcut when the mouse goes down on it.
    static constexpr struct {
        const wchar_t* Handler;
        BYTE Key;
    } keys[] = {
        {L"Key1MouseDown", VK_NUMPAD1},       {L"Key2MouseDown", VK_NUMPAD2},
        {L"Key3MouseDown", VK_NUMPAD3},       {L"Key4MouseDown", VK_NUMPAD4},
        {L"Key5MouseDown", VK_NUMPAD5},       {L"Key6MouseDown", VK_NUMPAD6},
        {L"Key7MouseDown", VK_NUMPAD7},       {L"Key8MouseDown", VK_NUMPAD8},
        {L"Key9MouseDown", VK_NUMPAD9},       {L"Key0MouseDown", VK_NUMPAD0},
        {L"KeyxMouseDown", VK_MULTIPLY},      {L"KeyhMouseDown", VK_DIVIDE},
        {L"RzBitBtn14MouseDown", 'E'},        {L"RzBitBtn15MouseDown", VK_DECIMAL},
        {L"RzBitBtn1MouseDown", VK_OEM_3},    {L"RzBitBtn4MouseDown", VK_ADD},
        {L"RzBitBtn5MouseDown", VK_SUBTRACT},
    };
    for (const auto& k : keys)
        RegisterMouseDown(k.Handler, k.Key);

    RegisterField(L"RzGroupBox2", RzGroupBox2);
    RegisterField(L"RzEdit1", RzEdit1);
    RegisterField(L"RzBitBtn4", RzBitBtn4);
    RegisterField(L"RzBitBtn5", RzBitBtn5);
    RegisterField(L"Edit1", Edit1);
    RegisterField(L"RzGroupBox3", RzGroupBox3);
    RegisterField(L"Key1", Key1);
    RegisterField(L"Key2", Key2);
    RegisterField(L"Key3", Key3);
    RegisterField(L"Key4", Key4);
    RegisterField(L"Key5", Key5);
    RegisterField(L"Key6", Key6);
    RegisterField(L"Key7", Key7);
    RegisterField(L"Key8", Key8);
    RegisterField(L"Key9", Key9);
    RegisterField(L"Keyx", Keyx);
    RegisterField(L"Key0", Key0);
    RegisterField(L"Keyh", Keyh);
    RegisterField(L"RzGroupBox4", RzGroupBox4);
    RegisterField(L"RzBitBtn14", RzBitBtn14);
    RegisterField(L"RzBitBtn15", RzBitBtn15);
    RegisterField(L"RzBitBtn1", RzBitBtn1);
    RegisterField(L"ComboBox1", ComboBox1);
    RegisterField(L"RzStatusBar1", RzStatusBar1);
    RegisterField(L"RzEdit2", RzEdit2);
    RegisterField(L"RzBitBtn2", RzBitBtn2);
    RegisterField(L"Panel1", Panel1);
    RegisterField(L"Memo1", Memo1);
    RegisterField(L"Button1", Button1);
    RegisterField(L"Button2", Button2);
    RegisterField(L"Comm1", Comm1);
    RegisterField(L"Timer1", Timer1);
    RegisterField(L"Timer2", Timer2);
    RegisterField(L"Timer3", Timer3);
    RegisterField(L"Timer4", Timer4);
    RegisterField(L"Timer5", Timer5);
    RegisterField(L"ZnHideForm1", ZnHideForm1);
    RegisterField(L"hTrayIcon1", hTrayIcon1);
    RegisterField(L"ImageList1", ImageList1);
}

void TFmain::RegisterMouseDown(const wchar_t* Handler, BYTE VirtualKey) {
    RegisterHandler(Handler, TMouseEvent([VirtualKey](TObject*, TMouseButton, TShiftState, int,
                                                      int) { InjectKey(VirtualKey); }));
}

// ---- helpers --------------------------------------------------------------------------

std::wstring TFmain::NumberText() const {
    return RzEdit1->Text();
}
void TFmain::SetNumberText(const std::wstring& Text) {
    RzEdit1->SetText(Text);
}
void TFmain::SetStatus(const std::wstring& Text) {
    RzEdit2->SetText(Text);
}

void TFmain::ShowMessage(const std::wstring& Text) {
    Application->MessageBox(Text, ProgramTitle, MB_OK);
}

bool TFmain::SendCommand(const std::string& Command) {
    return Comm1->SendData(Command.data(), static_cast<uint32_t>(Command.size()));
}

// A command the port refuses changes nothing: the caller keeps the line as it was, and the
// user learns there is no device to talk to.
bool TFmain::Send(const std::string& Command) {
    if (SendCommand(Command)) return true;
    SetStatus(L"未找到设备！");
    return false;
}

TRzBitBtn* TFmain::DigitButton(wchar_t Key) const {
    switch (Key) {
    case L'0':
        return Key0;
    case L'1':
        return Key1;
    case L'2':
        return Key2;
    case L'3':
        return Key3;
    case L'4':
        return Key4;
    case L'5':
        return Key5;
    case L'6':
        return Key6;
    case L'7':
        return Key7;
    case L'8':
        return Key8;
    case L'9':
        return Key9;
    case L'*':
        return Keyx;
    case L'#':
    case L'/':
        return Keyh;
    default:
        return nullptr;
    }
}

void TFmain::ResetButtonFaces() {
    for (TRzBitBtn* b : {Key0, Key1, Key2, Key3, Key4, Key5, Key6, Key7, Key8, Key9, Keyx, Keyh,
                         RzBitBtn14, RzBitBtn15, RzBitBtn1, RzBitBtn4, RzBitBtn5})
        b->SetColor(clBtnFace);
}

// ---- window life ----------------------------------------------------------------------

void TFmain::DoCreate() {
    // The controls are bound to their fields by now.
    const auto Paste = [this](TMessage& M, const TWndMethod& Previous) { PasteKeys(M, Previous); };
    FDisplayPaste.Install(*RzEdit1, Paste);
    FSinkPaste.Install(*Edit1, Paste);
    TForm::DoCreate();
}

void TFmain::FormCreate(TObject*) {
    ListSerialPorts(ComboBox1->Items());
    ComboBox1->SetItemIndex(0);
    Comm1->SetCommName(WideToAnsi(ComboBox1->Text()));
}

void TFmain::FormShow(TObject*) {
    // Coming back during a call keeps the call: the device is off hook on the linked port,
    // and a walk would close that port without hanging up.
    const bool InCall = OffHook && DeviceFound && Comm1->PortOpen();
    // The display a waiting number was on is cleared now.
    FDialPending = false;
    RzEdit2->SetColor(LightGreen);
    OffHook = InCall;
    HistoryCount = 0;
    HistoryIndex = HistoryCount;
    RzEdit1->Font()->SetColor(OffHook ? FreshLineTaken : FreshLineFree);
    SetNumberText(L"");
    Edit1->SetFocus();
    if (InCall) return;
    // Discovery starts through the ordinary key road, as if the grave accent were typed. The
    // key goes to whichever window has the keyboard: coming back from the tray that is still
    // the shell's, and this window can only take the keyboard once it is on screen, which is
    // just after this handler. So the key follows as soon as the showing is complete.
    FWalkPending = true;
    PostMessageW(Handle(), WM_STARTDISCOVERY, 0, 0);
}

void TFmain::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_STARTDISCOVERY:
        SetForegroundWindow(Handle());
        Edit1->SetFocus();
        // An injected key goes to whichever window has the keyboard; unless that is the focus
        // sink, the walk starts without it.
        if (GetForegroundWindow() == Handle() && GetFocus() == Edit1->Handle())
            InjectKey(VK_OEM_3);
        else
            StartDiscovery();
        return;
    case WM_RUNREQUESTS:
        RunRequests();
        return;
    case WM_INPUTERROR:
        ShowInputError();
        return;
    case WM_COPYDATA:
        if (TakeCopyData(reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam))) {
            Message.Result = TRUE;
            return;
        }
        break;
    default:
        break;
    }
    TForm::WndProc(Message);
}

void TFmain::FormClose(TObject*, TCloseAction&) {
    AnimateWindow(Handle(), 200, AW_HIDE | AW_CENTER);
}

void TFmain::hTrayIcon1Click(TObject*) {
    ShowWindow(Application->Handle(), Visible() ? SW_MINIMIZE : SW_SHOWNORMAL);
}

void TFmain::RzBitBtn2Click(TObject*) {
    Close();
}

// ---- keys -----------------------------------------------------------------------------

void TFmain::Key1KeyPress(TObject*, wchar_t& Key) {
    if (Key == CtrlV) {
        Key = 0;
        PasteNumber();
        return;
    }
    // The user takes over from a number that waits for the device; the discovery key is the
    // walk the number waits for.
    if (Key != L'`' && Key != L'~') FDialPending = false;
    // The first key after a dial or a send starts a new number; the Enter characters keep
    // the sent number for a repeat ("E" is the on-screen Enter key with Caps Lock on).
    if (RzEdit1->Font()->Color() == Sent && Key != L'e' && Key != L'E' && Key != L'\r') {
        RzEdit1->Font()->SetColor(OffHook ? FreshLineTaken : FreshLineFree);
        SetNumberText(L"");
        Edit1->SetText(L"");
    }

    switch (Key) {
    case L'\r':
    case L'E':
    case L'e':
        Key = 0;
        EnterAction();
        break;
    case L' ':
    case L'.':
        Key = 0;
        ResetLine();
        break;
    case L'/':
        Key = L'#';
        Keyh->SetColor(LightMagenta);
        break;
    case L'+':
        Key = 0;
        RzBitBtn4->SetColor(Yellow);
        HistoryStep(-1);
        break;
    case L'-':
        Key = 0;
        RzBitBtn5->SetColor(Yellow);
        HistoryStep(+1);
        break;
    case L'`':
    case L'~':
        Key = 0;
        StartDiscovery();
        break;
    default:
        if (TRzBitBtn* button = DigitButton(Key)) button->SetColor(LightMagenta);
    }

    if (!RzEdit1->Focused() && !ComboBox1->Focused() && Key != 8) {
        std::wstring text = Trim(NumberText());
        if (Key != 0) text += Key;
        SetNumberText(text);
    }
}

void TFmain::Key1KeyUp(TObject*, WORD&, TShiftState) {
    ResetButtonFaces();
    std::wstring text = NumberText();
    if (text.empty()) return;
    for (wchar_t& c : text)
        if (!IsDialCharacter(c)) {
            c = L' ';
            SetStatus(L"输入有误！");
        }
    SetNumberText(Trim(text));
}

void TFmain::Key1MouseUp(TObject*, TMouseButton, TShiftState, int, int) {
    ResetButtonFaces();
    const std::wstring text = NumberText();
    // One box tells about the number, however many characters in it are wrong.
    if (std::all_of(text.begin(), text.end(), IsDialCharacter)) return;
    ShowMessage(L"输入错误！");
    SetNumberText(L"");
}

void TFmain::Key1Click(TObject*) {
    Edit1->SetFocus();
}

// ---- dialling -------------------------------------------------------------------------

void TFmain::EnterAction() {
    if (Ringing) {
        if (!Send("Aa")) return;
        RzBitBtn14->SetColor(LightGreen);
        OffHook = true;
        // Answered: the ring is over, and a later Enter dials or sends digits again.
        EndRingWindow();
        SetStatus(L"接听中...");
    } else if (NumberText().empty()) {
        SetStatus(L"请输入号码...");
        RzBitBtn14->SetColor(LightRed);
    } else if (OffHook) {
        RzBitBtn14->SetColor(Yellow);
        FDialNumber = NumberText();
        Timer4->SetInterval(1);
        Timer4->SetEnabled(true);
        RzEdit1->Font()->SetColor(Sent);
        SetStatus(L"发码...");
    } else {
        if (!Send("Aa")) return;
        OffHook = true;
        FDialNumber = NumberText();
        Memo1->Lines()->Add(FDialNumber);
        ++HistoryCount;
        RzBitBtn14->SetColor(LightCyan);
        SetStatus(L"拨号中...");
        RzEdit1->Font()->SetColor(Sent);
        Timer4->SetInterval(DialDelay);
        Timer4->SetEnabled(true);
    }
}

void TFmain::Timer4Timer(TObject*) {
    Timer4->SetEnabled(false);
    // The number Enter took, whatever the display shows by now.
    for (wchar_t c : FDialNumber) {
        const size_t code = DialCharacters.find(c);
        if (code != std::wstring_view::npos && !Send({'D', static_cast<char>('a' + code)})) return;
        // The commands leave on the writer thread while the window waits here.
        Sleep(DigitSpacing);
    }
    SetStatus(L"通信中");
}

void TFmain::ResetLine() {
    Timer4->SetEnabled(false);
    FDialPending = false;
    SetNumberText(L"");
    Edit1->SetText(L"");
    // Hanging up is what a user tries when the dialer seems stuck: it must reach the device
    // even when line noise left our output held (commands held until now go out first).
    Comm1->ReleaseOutputHold();
    if (!Send("Ca")) return;
    SetStatus(L"复位");
    HistoryIndex = HistoryCount;
    OffHook = false;
    EndRingWindow();
    RzEdit1->Font()->SetColor(FreshLineFree);
    RzBitBtn15->SetColor(LightMagenta);
}

// The history keys walk over the numbers dialled since the window was last shown, which are
// the newest lines of the list: cursor position i is line (lines - HistoryCount + i).
void TFmain::HistoryStep(int Direction) {
    if (Direction < 0 && HistoryIndex > 0) --HistoryIndex;
    if (Direction > 0 && HistoryIndex < HistoryCount) ++HistoryIndex;
    TStrings* lines = Memo1->Lines();
    const int line = lines->Count() - HistoryCount + HistoryIndex;
    SetNumberText(line >= 0 && line < lines->Count() ? lines->Get(line) : std::wstring());
}

// ---- device discovery -----------------------------------------------------------------

void TFmain::ListSerialPorts(TStrings* List) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    TStringList ports;
    for (DWORD index = 0;; ++index) {
        char name[256];
        BYTE data[257] = {};
        DWORD nameSize = 256, dataSize = 256, type = 0;
        const LONG result =
            RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (result == ERROR_NO_MORE_ITEMS) {
            ports.SetSorted(true);
            List->Assign(ports);
            break;
        }
        if (result != ERROR_SUCCESS) break;
        std::string port(reinterpret_cast<char*>(data), dataSize);
        while (!port.empty() && port.back() == '\0')
            port.pop_back();
        ports.Add(AnsiToWide(port));
    }
    RegCloseKey(key);
}

void TFmain::StartDiscovery() {
    RzBitBtn1->SetColor(LightMagenta);
    SetStatus(L"连接设备...");
    PortIndex = 0;
    DeviceFound = false;
    PortProbed = false;
    FWalkPending = false;
    // Without a port there is nothing to walk, and nothing more to tell.
    if (ComboBox1->Items()->Count() == 0) {
        FDialPending = false;
        ShowMessage(L"未找到通信口");
        return;
    }
    Timer2->SetEnabled(true);
}

// A port that opens but refuses its driver queues is no place for the device either: the
// walk passes over it as over one that cannot be opened.
bool TFmain::OpenProbedPort() {
    try {
        Comm1->OpenPort();
    } catch (const ECommsError&) {
    }
    return Comm1->PortOpen();
}

void TFmain::Timer2Timer(TObject*) {
    Timer2->SetEnabled(false);
    Comm1->ClosePort();
    Sleep(5);
    TStrings* ports = ComboBox1->Items();
    Comm1->SetCommName(PortIndex < ports->Count() ? WideToAnsi(ports->Get(PortIndex)) : "");
    OpenProbedPort();
    if (!Comm1->PortOpen() && PortIndex >= ports->Count() - 1) {
        // A number that waited for the device stays on the display.
        FDialPending = false;
        ShowMessage(PortProbed ? L"未找到设备！" : L"通信口被占用！");
        Comm1->ClosePort();
    } else if (!Comm1->PortOpen()) {
        ++PortIndex;
        Comm1->ClosePort();
        Timer2->SetInterval(ProbeStep);
        Timer2->SetEnabled(true);
    } else {
        Sleep(5);
        // A hold left from an earlier open would swallow the probe (reopening keeps it).
        Comm1->ReleaseOutputHold();
        SendCommand("CA");
        Timer3->SetEnabled(true);
    }
}

void TFmain::Timer3Timer(TObject*) {
    Timer3->SetEnabled(false);
    if (DeviceFound) {
        ComboBox1->SetText(AnsiToWide(Comm1->CommName()));
        // A call or a ring that came meanwhile is the user's to handle.
        if (std::exchange(FDialPending, false) && !OffHook && !Ringing) EnterAction();
        return;
    }
    Comm1->ClosePort();
    ++PortIndex;
    PortProbed = true;
    Timer2->SetEnabled(true);
}

void TFmain::Comm1ReceiveData(TObject*, const char* Buffer, uint16_t BufferLength) {
    const TDeviceReply reply = JudgeReply(std::string_view(Buffer, BufferLength));
    if (reply == TDeviceReply::ProbeAnswer) {
        DeviceFound = true;
        // The box lets further blocks in while it is shown; a repeated answer then only sets
        // the state and the colours.
        if (!FDeviceBoxShown) {
            FDeviceBoxShown = true;
            struct TShowing {
                bool& Shown;
                ~TShowing() { Shown = false; }
            } showing{FDeviceBoxShown};
            ShowMessage(L"设备连接正常！");
        }
        ComboBox1->SetColor(LightMagenta);
        RzBitBtn1->SetColor(clBtnFace);
    } else if (reply == TDeviceReply::Ring) {
        RingAlert();
    } else {
        OffHook = false;
    }
}

// ---- ring and status line -------------------------------------------------------------

void TFmain::RingAlert() {
    Ringing = true;
    // An open ring window is not lengthened by a later ring: same interval, already enabled.
    Timer5->SetInterval(6000);
    Timer5->SetEnabled(true);
    hTrayIcon1->SetAnimate(true);
    MessageBeep(0);
    for (auto [frequency, duration] : {std::pair{300, 100}, {400, 100}, {200, 200}})
        Beep(frequency, duration);
    for (auto [frequency, duration] : {std::pair{300, 100}, {400, 100}, {200, 200}})
        SpeakerBeep(static_cast<uint16_t>(frequency), static_cast<uint16_t>(duration));
    SetStatus(L"有来电...");
}

void TFmain::Timer5Timer(TObject*) {
    EndRingWindow();
}

void TFmain::EndRingWindow() {
    Timer5->SetEnabled(false);
    Ringing = false;
    hTrayIcon1->SetAnimate(false);
}

// Every supported system is of the NT family, where the Beep service sounds the tone; user
// programs cannot reach the speaker's I/O ports there.
void TFmain::SpeakerBeep(uint16_t Frequency, uint16_t Duration) {
    Beep(Frequency, Duration);
}

void TFmain::RzEdit2Change(TObject*) {
    if (RzEdit2->Text().empty()) return;
    RzEdit2->SetColor(Chartreuse);
    Timer1->SetEnabled(true);
}

void TFmain::Timer1Timer(TObject*) {
    RzEdit2->SetColor(LightGreen);
    SetStatus(L"");
}

void TFmain::RzMarqueeStatus1Click(TObject*) {
    ShellExecuteA(Handle(), "open", MakerAddress, nullptr, nullptr, SW_SHOW);
}

// ---- requests from outside the keypad ------------------------------------------------------

bool TFmain::TakeCopyData(const COPYDATASTRUCT* Data) {
    if (!Data || Data->dwData != RequestSignature || Data->cbData % sizeof(wchar_t) != 0 ||
        Data->cbData / sizeof(wchar_t) > MaxRequestLength || (Data->cbData && !Data->lpData))
        return false;
    const auto* Chars = static_cast<const wchar_t*>(Data->lpData);
    std::wstring Text(Chars, Chars + Data->cbData / sizeof(wchar_t));
    return TakeRequest(Text);
}

bool TFmain::TakeRequest(const std::wstring& Text) {
    TDialRequest Request = ParseRequest(Text);
    // Writing the link keys is the business of the program started with that switch alone.
    if (Request.Kind == TRequestKind::Register || Request.Kind == TRequestKind::Unregister ||
        FRequests.size() >= MaxQueuedRequests)
        return false;
    const bool Understood = Request.Kind != TRequestKind::Refused;
    FRequests.push_back(std::move(Request));
    // The sender never waits for what the request does: a dial, a showing, a box.
    if (FRequests.size() == 1) PostMessageW(Handle(), WM_RUNREQUESTS, 0, 0);
    return Understood;
}

void TFmain::RunRequests() {
    // A request never waits in a modal loop, but a box of the dialer's own may run this one
    // from inside a request's showing: the outer run goes on with the queue.
    if (FRunningRequests) return;
    FRunningRequests = true;
    struct TRunning {
        bool& Running;
        ~TRunning() { Running = false; }
    } running{FRunningRequests};
    while (!FRequests.empty()) {
        const TDialRequest Request = std::move(FRequests.front());
        FRequests.pop_front();
        RunRequest(Request);
    }
}

void TFmain::RunRequest(const TDialRequest& Request) {
    switch (Request.Kind) {
    case TRequestKind::Number:
        RequestNumber(Request.Number);
        break;
    case TRequestKind::Show:
        ShowForRequest();
        break;
    case TRequestKind::Answer:
        if (Ringing) EnterAction();
        break;
    case TRequestKind::Hangup:
        ResetLine();
        break;
    case TRequestKind::Refused:
        QueueInputError();
        break;
    case TRequestKind::Register:
    case TRequestKind::Unregister:
        break;
    }
}

void TFmain::RequestNumber(const std::wstring& Number) {
    ShowForRequest();
    SetNewNumber(Number);
    FDialPending = false;
    // During a call or a ring the number waits on the display: nothing goes into the call, and
    // only the user answers a ring.
    if (OffHook || Ringing) return;
    if (Linked()) {
        EnterAction();
        return;
    }
    FDialPending = true;
    // Not linked and no walk coming: look for the device as the COM key does.
    if (!Walking()) StartDiscovery();
}

void TFmain::ShowForRequest() {
    // Back from the notification area the showing runs FormShow; at the edge the window only
    // slides out, as when the pointer touches its strip.
    if (!Visible())
        hTrayIcon1->RestoreMainForm();
    else
        ZnHideForm1->SlideOut();
    // With a box of ours open the window is disabled, and coming forward it would take the
    // keyboard from the box for good: the box comes forward instead.
    HWND Front = GetLastActivePopup(Handle());
    SetForegroundWindow(Front && IsWindowVisible(Front) ? Front : Handle());
}

void TFmain::SetNewNumber(const std::wstring& Number) {
    RzEdit1->Font()->SetColor(OffHook ? FreshLineTaken : FreshLineFree);
    SetNumberText(Number);
    Edit1->SetText(L"");
}

bool TFmain::Linked() const {
    return DeviceFound && Comm1->PortOpen() && !Walking();
}

bool TFmain::Walking() const {
    return FWalkPending || Timer2->Enabled() || Timer3->Enabled();
}

void TFmain::QueueInputError() {
    if (FInputErrorBox) return;
    FInputErrorBox = true;
    PostMessageW(Handle(), WM_INPUTERROR, 0, 0);
}

void TFmain::ShowInputError() {
    struct TShowing {
        bool& Shown;
        ~TShowing() { Shown = false; }
    } showing{FInputErrorBox};
    ShowMessage(L"输入错误！");
}

void TFmain::PasteNumber() {
    const std::optional<std::wstring> Text = ClipboardText(Handle());
    if (!Text) return;
    if (const std::optional<std::wstring> Number = NormalizeNumber(*Text)) {
        FDialPending = false;
        SetNewNumber(*Number);
    } else {
        QueueInputError();
    }
}

// Shift+Insert and the edit box's own Paste (its menu, Ctrl+V when it gets that far) land here
// instead of inserting the clipboard's text as it is.
void TFmain::PasteKeys(TMessage& M, const TWndMethod& Previous) {
    const bool ShiftInsert = M.Msg == WM_KEYDOWN && M.WParam == VK_INSERT &&
                             GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) >= 0;
    if (M.Msg == WM_PASTE || ShiftInsert) {
        PasteNumber();
        return;
    }
    Previous(M);
}
