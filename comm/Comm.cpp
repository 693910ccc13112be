#include "comm/Comm.h"

#include <algorithm>

#include "comm/CommThreads.h"

TSerialPlatform& TSerialPlatform::Real() {
    static TSerialPlatform real;
    return real;
}

PUBLISHED(TComm) {
    p.Property(L"CommPortIndex", &TComm::CommPortIndex, &TComm::SetCommPortIndex);
    p.Property(L"CommPortCount", &TComm::CommPortCount);
    p.Property(L"CommPortName", &TComm::CommPortName);
    p.Property(L"PortOpen", &TComm::PortOpen, &TComm::SetPortOpen);
    p.Property(L"CommPort", &TComm::CommPort, &TComm::SetCommPort);
    p.Property(L"PortOpenError", &TComm::PortOpenError, &TComm::SetPortOpenError);
    p.Property(L"Output", &TComm::Output, &TComm::SetOutput);
    p.Property(L"InputLen", &TComm::InputLen, &TComm::SetInputLen);
    p.Property(L"InBufferSize", &TComm::InBufferSize, &TComm::SetInBufferSize);
    p.Property(L"CommName", &TComm::CommName, &TComm::SetCommName);
    p.Property(L"BaudRate", &TComm::BaudRate, &TComm::SetBaudRate);
    p.Property(L"ParityCheck", &TComm::ParityCheck, &TComm::SetParityCheck);
    p.Property(L"Outx_CtsFlow", &TComm::Outx_CtsFlow, &TComm::SetOutx_CtsFlow);
    p.Property(L"Outx_DsrFlow", &TComm::Outx_DsrFlow, &TComm::SetOutx_DsrFlow);
    p.Property(L"DtrControl", &TComm::DtrControl, &TComm::SetDtrControl);
    p.Property(L"DsrSensitivity", &TComm::DsrSensitivity, &TComm::SetDsrSensitivity);
    p.Property(L"TxContinueOnXoff", &TComm::TxContinueOnXoff, &TComm::SetTxContinueOnXoff);
    p.Property(L"Outx_XonXoffFlow", &TComm::Outx_XonXoffFlow, &TComm::SetOutx_XonXoffFlow);
    p.Property(L"Inx_XonXoffFlow", &TComm::Inx_XonXoffFlow, &TComm::SetInx_XonXoffFlow);
    p.Property(L"ReplaceWhenParityError", &TComm::ReplaceWhenParityError,
               &TComm::SetReplaceWhenParityError);
    p.Property(L"IgnoreNullChar", &TComm::IgnoreNullChar, &TComm::SetIgnoreNullChar);
    p.Property(L"RtsControl", &TComm::RtsControl, &TComm::SetRtsControl);
    p.Property(L"XonLimit", &TComm::XonLimit, &TComm::SetXonLimit);
    p.Property(L"XoffLimit", &TComm::XoffLimit, &TComm::SetXoffLimit);
    p.Property(L"ByteSize", &TComm::ByteSize, &TComm::SetByteSize);
    p.Property(L"Parity", &TComm::Parity, &TComm::SetParity);
    p.Property(L"StopBits", &TComm::StopBits, &TComm::SetStopBits);
    p.Property(L"XonChar", &TComm::XonChar, &TComm::SetXonChar);
    p.Property(L"XoffChar", &TComm::XoffChar, &TComm::SetXoffChar);
    p.Property(L"ReplacedChar", &TComm::ReplacedChar, &TComm::SetReplacedChar);
    p.Property(L"ReadIntervalTimeout", &TComm::ReadIntervalTimeout, &TComm::SetReadIntervalTimeout);
    p.Property(L"ReadTotalTimeoutMultiplier", &TComm::ReadTotalTimeoutMultiplier,
               &TComm::SetReadTotalTimeoutMultiplier);
    p.Property(L"ReadTotalTimeoutConstant", &TComm::ReadTotalTimeoutConstant,
               &TComm::SetReadTotalTimeoutConstant);
    p.Property(L"WriteTotalTimeoutMultiplier", &TComm::WriteTotalTimeoutMultiplier,
               &TComm::SetWriteTotalTimeoutMultiplier);
    p.Property(L"WriteTotalTimeoutConstant", &TComm::WriteTotalTimeoutConstant,
               &TComm::SetWriteTotalTimeoutConstant);
    p.Property(L"OnReceiveData", &TComm::OnReceiveData);
    p.Property(L"OnReceiveError", &TComm::OnReceiveError);
    p.Property(L"OnModemStateChange", &TComm::OnModemStateChange);
    p.Property(L"OnRequestHangup", &TComm::OnRequestHangup);
    p.Property(L"OnSendDataEmpty", &TComm::OnSendDataEmpty);
}

TComm::TComm(TComponent* AOwner)
    : TComponent(AOwner), FPlatform(&TSerialPlatform::Real()),
      FNotifyWindow([this](TMessage& Message) { NotifyProc(Message); }, this) {}

TComm::~TComm() {
    // The workers use the port, the stop event and this component's window; they must end
    // before any of those go.
    ClosePort();
    DiscardNotifications();
}

// What the workers of a closed port posted is of no use to the owner any more (and would be
// taken for news of the next port): it is removed unseen, and each data block freed.
void TComm::DiscardNotifications() {
    MSG msg;
    while (::PeekMessageW(&msg, FNotifyWindow.Handle(), MsgReceiveData, MsgSendDataEmpty,
                          PM_REMOVE | PM_QS_POSTMESSAGE))
        if (msg.message == MsgReceiveData) TPostedBlock Discarded(*FPlatform, msg.lParam);
}

// The port handle comes from the platform layer, so it is counted here by hand.
void TComm::ClosePortHandle() {
    FPlatform->ClosePort(FHandle);
    HandleCount::Remove(THandleKind::Kernel);
    FHandle = nullptr;
}

void TComm::FailOpen(const char* reason) {
    ClosePortHandle();
    FPortOpenError = reason;
}

void TComm::OpenPort() {
    FPortOpenError.clear();
    if (FHandle) {
        FPortOpenError = "This serial port already opened";
        return;
    }
    const std::string path = "\\\\.\\" + FCommName;
    HANDLE port = FPlatform->OpenPort(path.c_str());
    if (port == INVALID_HANDLE_VALUE || port == nullptr) {
        FPortOpenError = "Error opening serial port";
        return;
    }
    if (FPlatform->GetFileType(port) != FILE_TYPE_CHAR) {
        FPlatform->ClosePort(port);
        FPortOpenError = "File handle is not a comm handle ";
        return;
    }
    if (!FPlatform->SetupComm(port, 4096, 4096)) {
        FPlatform->ClosePort(port);
        FPortOpenError = "Cannot setup comm buffer";
        throw ECommsError(L"Cannot setup comm buffer");
    }
    FHandle = port;
    HandleCount::Add(THandleKind::Kernel);
    FPlatform->PurgeComm(FHandle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    ApplyCommTimeouts();
    ApplyCommState();

    FStopEvent.Reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    TKernelHandle queueReady(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!FStopEvent || !queueReady) {
        FStopEvent.Reset();
        FailOpen("Unable to create event");
        return;
    }
    FStopRequested = false;
    const TCommThreadLink link{FPlatform, FHandle, FStopEvent.Get(), &FStopRequested,
                               FNotifyWindow.Handle()};
    FReadThread = std::make_unique<TReadThread>(link, FInBufferSize, FInputLen);
    if (!FReadThread->Create()) {
        FReadThread.reset();
        FStopEvent.Reset();
        FailOpen("Unable to create read thread");
        return;
    }
    FReadThread->SetPriority(THREAD_PRIORITY_HIGHEST);
    FWriteThread = std::make_unique<TWriteThread>(link, queueReady.Get());
    if (!FWriteThread->Create()) {
        FReadThread.reset(); // never resumed: released without running
        FWriteThread.reset();
        FStopEvent.Reset();
        FailOpen("Unable to create write thread");
        return;
    }
    FWriteThread->SetPriority(THREAD_PRIORITY_ABOVE_NORMAL);
    FReadThread->Resume();
    FWriteThread->Resume();
    ::WaitForSingleObject(queueReady.Get(), INFINITE);
}

void TComm::ClosePort() {
    FPortOpenError.clear();
    if (!FHandle) return;
    StopReadThread();
    StopWriteThread();
    FStopEvent.Reset();
    ClosePortHandle();
    DiscardNotifications();
}

void TComm::StopReadThread() {
    if (!FReadThread) return;
    FStopRequested = true;
    ::SetEvent(FStopEvent.Get());
    FPlatform->PurgeComm(FHandle, PURGE_RXABORT | PURGE_RXCLEAR);
    FReadThread->WaitFor();
    FReadThread.reset();
}

void TComm::StopWriteThread() {
    if (!FWriteThread) return;
    FStopRequested = true;
    ::SetEvent(FStopEvent.Get());
    FPlatform->PurgeComm(FHandle, PURGE_TXABORT | PURGE_TXCLEAR);
    FWriteThread->WaitFor();
    FWriteThread.reset();
}

bool TComm::SendData(const void* Data, uint32_t Count) {
    const uint16_t count = static_cast<uint16_t>(Count);
    if (!FWriteThread || !FWriteThread->Accepting() || count == 0) return false;
    TPostedBlock block = TPostedBlock::Copy(*FPlatform, Data, count);
    if (!block ||
        !::PostThreadMessageA(FWriteThread->ThreadId(), MsgWriteData, count, block.Param()))
        return false;
    block.Release();
    return true;
}

// With XON/XOFF on output, line noise can leave an XOFF as the last flow character the
// device sent: the writer then waits for good on the write the port holds and every later
// command queues behind it. The driver cannot be asked whether output is held (Wine always
// reports no hold), and the escape meant for this is not enough on every driver (Wine on a
// pseudo-terminal returns success and keeps holding), while switching output flow control
// off and on again lets the output go on all of them. An output purge is no way out: it
// would fail the held write and end the writer. Whatever was held is sent first.
void TComm::ReleaseOutputHold() {
    if (!FHandle) return;
    FPlatform->EscapeCommFunction(FHandle, SETXON);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!FPlatform->GetCommState(FHandle, &dcb)) return;
    dcb.fOutX = 0;
    FPlatform->SetCommState(FHandle, &dcb);
    ApplyCommState();
}

void TComm::ApplyCommState() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    FPlatform->GetCommState(FHandle, &dcb);
    dcb.BaudRate = FBaudRate;
    // The flag word is rebuilt from nothing, so abort-on-error and the reserved bits are off.
    dcb.fBinary = 1;
    dcb.fParity = FParityCheck;
    dcb.fOutxCtsFlow = FOutx_CtsFlow;
    dcb.fOutxDsrFlow = FOutx_DsrFlow;
    static constexpr DWORD dtrCodes[] = {DTR_CONTROL_ENABLE, DTR_CONTROL_DISABLE,
                                         DTR_CONTROL_HANDSHAKE};
    dcb.fDtrControl = dtrCodes[static_cast<int>(FDtrControl)];
    dcb.fDsrSensitivity = FDsrSensitivity;
    dcb.fTXContinueOnXoff = FTxContinueOnXoff;
    dcb.fOutX = FOutx_XonXoffFlow;
    dcb.fInX = FInx_XonXoffFlow;
    dcb.fErrorChar = FReplaceWhenParityError;
    dcb.fNull = FIgnoreNullChar;
    static constexpr DWORD rtsCodes[] = {RTS_CONTROL_ENABLE, RTS_CONTROL_DISABLE,
                                         RTS_CONTROL_HANDSHAKE, RTS_CONTROL_TOGGLE};
    dcb.fRtsControl = rtsCodes[static_cast<int>(FRtsControl)];
    dcb.fAbortOnError = 0;
    dcb.fDummy2 = 0;
    dcb.XonLim = FXonLimit;
    dcb.XoffLim = FXoffLimit;
    dcb.ByteSize = static_cast<BYTE>(5 + static_cast<int>(FByteSize));
    dcb.Parity = static_cast<BYTE>(FParity);
    dcb.StopBits = static_cast<BYTE>(FStopBits);
    dcb.XonChar = FXonChar;
    dcb.XoffChar = FXoffChar;
    dcb.ErrorChar = FReplacedChar;
    FPlatform->SetCommState(FHandle, &dcb);
}

void TComm::ApplyCommTimeouts() {
    COMMTIMEOUTS timeouts{};
    FPlatform->GetCommTimeouts(FHandle, &timeouts);
    timeouts = FTimeouts;
    FPlatform->SetCommTimeouts(FHandle, &timeouts);
}

void TComm::SetPortOpen(bool Value) {
    if (Value)
        OpenPort();
    else
        ClosePort();
}

void TComm::SetCommPort(uint8_t Value) {
    if (Value == 0 || Value == FCommPort) return;
    FCommPort = Value;
    FCommName = "COM" + std::to_string(Value);
}

void TComm::SetOutput(const std::string& Value) {
    FOutput = Value;
    SendData(FOutput.data(), static_cast<uint32_t>(FOutput.size()));
}

void TComm::SetInputLen(uint16_t Value) {
    if (Value == 0)
        FInputLen = FInBufferSize;
    else if (Value <= FInBufferSize)
        FInputLen = Value;
}

void TComm::SetInBufferSize(uint16_t Value) {
    FInBufferSize = Value == 0 ? 1 : Value;
    // A read must never ask for more than the reader's buffer holds.
    FInputLen = std::min(FInputLen, FInBufferSize);
}

uint32_t TComm::CommPortCount() const {
    if (FPortCount > 0) return FPortCount;
    FPortList.clear();
    HKEY key = nullptr;
    // Reading is all the list needs; asking for more is refused to ordinary users.
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return 0;
    DWORD values = 0;
    if (::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                           nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        for (DWORD i = 0; i < values; ++i) {
            char name[256];
            DWORD nameSize = sizeof name;
            char data[256] = {};
            DWORD dataSize = sizeof data - 1;
            DWORD type = 0;
            if (::RegEnumValueA(key, i, name, &nameSize, nullptr, &type,
                                reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS)
                continue;
            data[dataSize] = 0;
            const std::string port(data);
            // Sorted as the user's locale sorts text, ignoring case: COM10 before COM2.
            auto at = std::lower_bound(FPortList.begin(), FPortList.end(), port,
                                       [](const std::string& a, const std::string& b) {
                                           return ::lstrcmpiA(a.c_str(), b.c_str()) < 0;
                                       });
            if (at != FPortList.end() && ::lstrcmpiA(at->c_str(), port.c_str()) == 0) continue;
            FPortList.insert(at, port);
        }
    }
    ::RegCloseKey(key);
    // Two values may name one port; the count is of the names the list can hand out.
    FPortCount = static_cast<uint32_t>(FPortList.size());
    if (FPortCount > 0) FCommPortName = FPortList.front();
    return FPortCount;
}

void TComm::SetCommPortIndex(uint32_t Value) {
    if (Value >= FPortCount) return;
    FCommPortIndex = Value;
    FCommPortName = FPortList[Value];
}

void TComm::NotifyProc(TMessage& Message) {
    switch (Message.Msg) {
    case MsgReceiveData: {
        const TPostedBlock block(*FPlatform, Message.LParam);
        if (OnReceiveData) OnReceiveData(this, block.Data(), static_cast<uint16_t>(Message.WParam));
        break;
    }
    case MsgReceiveError:
        if (OnReceiveError) OnReceiveError(this, static_cast<uint32_t>(Message.LParam));
        break;
    case MsgRequestHangup:
        if (OnRequestHangup) OnRequestHangup(this);
        break;
    case MsgModemStateChange:
        if (OnModemStateChange) OnModemStateChange(this, static_cast<uint32_t>(Message.LParam));
        break;
    case MsgSendDataEmpty:
        if (OnSendDataEmpty) OnSendDataEmpty(this);
        break;
    default:
        FNotifyWindow.DefaultHandler(Message);
    }
}
