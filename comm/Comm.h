#pragma once
// TComm: one serial port as a non-visual component. The owner sets the line settings,
// opens the port, queues bytes with SendData and hears about received data and line
// events through events raised on the main thread. The reading and writing are done by two
// worker threads (CommThreads.h) that only ever post messages back.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "comm/CommMessages.h"
#include "comm/SerialPlatform.h"
#include "ui/Classes.h"
#include "ui/Handles.h"
#include "ui/UtilWindow.h"

enum class TDtrControl : uint8_t { DtrEnable, DtrDisable, DtrHandshake };
enum class TRtsControl : uint8_t { RtsEnable, RtsDisable, RtsHandshake, RtsTransmissionAvailable };
enum class TByteSize : uint8_t { _5, _6, _7, _8 };
enum class TParity : uint8_t { None, Odd, Even, Mark, Space };
enum class TStopBits : uint8_t { _1, _1_5, _2 };
DECLARE_ENUM_NAMES(TDtrControl, L"DtrEnable", L"DtrDisable", L"DtrHandshake")
DECLARE_ENUM_NAMES(TRtsControl, L"RtsEnable", L"RtsDisable", L"RtsHandshake",
                   L"RtsTransmissionAvailable")
DECLARE_ENUM_NAMES(TByteSize, L"_5", L"_6", L"_7", L"_8")
DECLARE_ENUM_NAMES(TParity, L"None", L"Odd", L"Even", L"Mark", L"Space")
DECLARE_ENUM_NAMES(TStopBits, L"_1", L"_1_5", L"_2")

using TReceiveDataEvent =
    std::function<void(TObject* Sender, const char* Buffer, uint16_t BufferLength)>;
using TReceiveErrorEvent = std::function<void(TObject* Sender, uint32_t EventMask)>;
using TModemStateChangeEvent = std::function<void(TObject* Sender, uint32_t ModemEvent)>;
using TSendDataEmptyEvent = std::function<void(TObject* Sender)>;

class ECommsError : public Exception {
  public:
    using Exception::Exception;
};

class TReadThread;
class TWriteThread;

class TComm : public TComponent {
    DECLARE_CLASS(TComm, TComponent)
  public:
    explicit TComm(TComponent* AOwner);
    ~TComm() override;

    void OpenPort();
    void ClosePort();
    bool SendData(const void* Data, uint32_t Count);
    // Lets out output that an XOFF from the line is holding; see Comm.cpp.
    void ReleaseOutputHold();

    HANDLE PortHandle() const { return FHandle; }

    // The port list from the registry, read on first use (and again while it is empty).
    uint32_t CommPortCount() const;
    uint32_t CommPortIndex() const { return FCommPortIndex; }
    void SetCommPortIndex(uint32_t Value);
    std::string CommPortName() const { return FCommPortName; }

    bool PortOpen() const { return FHandle != nullptr; }
    void SetPortOpen(bool Value);
    uint8_t CommPort() const { return FCommPort; }
    void SetCommPort(uint8_t Value);
    const std::string& PortOpenError() const { return FPortOpenError; }
    void SetPortOpenError(const std::string& Value) { FPortOpenError = Value; }
    const std::string& Output() const { return FOutput; }
    void SetOutput(const std::string& Value);
    uint16_t InputLen() const { return FInputLen; }
    void SetInputLen(uint16_t Value);
    uint16_t InBufferSize() const { return FInBufferSize; }
    void SetInBufferSize(uint16_t Value);
    const std::string& CommName() const { return FCommName; }
    void SetCommName(const std::string& Value) { FCommName = Value; }

    // Line settings: a changed value reaches an open port at once.
    uint32_t BaudRate() const { return FBaudRate; }
    void SetBaudRate(uint32_t V) { SetLine(FBaudRate, V); }
    bool ParityCheck() const { return FParityCheck; }
    void SetParityCheck(bool V) { SetLine(FParityCheck, V); }
    bool Outx_CtsFlow() const { return FOutx_CtsFlow; }
    void SetOutx_CtsFlow(bool V) { SetLine(FOutx_CtsFlow, V); }
    bool Outx_DsrFlow() const { return FOutx_DsrFlow; }
    void SetOutx_DsrFlow(bool V) { SetLine(FOutx_DsrFlow, V); }
    TDtrControl DtrControl() const { return FDtrControl; }
    void SetDtrControl(TDtrControl V) { SetLine(FDtrControl, V); }
    bool DsrSensitivity() const { return FDsrSensitivity; }
    void SetDsrSensitivity(bool V) { SetLine(FDsrSensitivity, V); }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    void SetTxContinueOnXoff(bool V) { SetLine(FTxContinueOnXoff, V); }
    bool Outx_XonXoffFlow() const { return FOutx_XonXoffFlow; }
    void SetOutx_XonXoffFlow(bool V) { SetLine(FOutx_XonXoffFlow, V); }
    bool Inx_XonXoffFlow() const { return FInx_XonXoffFlow; }
    void SetInx_XonXoffFlow(bool V) { SetLine(FInx_XonXoffFlow, V); }
    bool ReplaceWhenParityError() const { return FReplaceWhenParityError; }
    void SetReplaceWhenParityError(bool V) { SetLine(FReplaceWhenParityError, V); }
    bool IgnoreNullChar() const { return FIgnoreNullChar; }
    void SetIgnoreNullChar(bool V) { SetLine(FIgnoreNullChar, V); }
    TRtsControl RtsControl() const { return FRtsControl; }
    void SetRtsControl(TRtsControl V) { SetLine(FRtsControl, V); }
    uint16_t XonLimit() const { return FXonLimit; }
    void SetXonLimit(uint16_t V) { SetLine(FXonLimit, V); }
    uint16_t XoffLimit() const { return FXoffLimit; }
    void SetXoffLimit(uint16_t V) { SetLine(FXoffLimit, V); }
    TByteSize ByteSize() const { return FByteSize; }
    void SetByteSize(TByteSize V) { SetLine(FByteSize, V); }
    TParity Parity() const { return FParity; }
    void SetParity(TParity V) { SetLine(FParity, V); }
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits V) { SetLine(FStopBits, V); }
    char XonChar() const { return FXonChar; }
    void SetXonChar(char V) { SetLine(FXonChar, V); }
    char XoffChar() const { return FXoffChar; }
    void SetXoffChar(char V) { SetLine(FXoffChar, V); }
    char ReplacedChar() const { return FReplacedChar; }
    void SetReplacedChar(char V) { SetLine(FReplacedChar, V); }

    uint32_t ReadIntervalTimeout() const { return FTimeouts.ReadIntervalTimeout; }
    void SetReadIntervalTimeout(uint32_t V) { SetTimeout(FTimeouts.ReadIntervalTimeout, V); }
    uint32_t ReadTotalTimeoutMultiplier() const { return FTimeouts.ReadTotalTimeoutMultiplier; }
    void SetReadTotalTimeoutMultiplier(uint32_t V) {
        SetTimeout(FTimeouts.ReadTotalTimeoutMultiplier, V);
    }
    uint32_t ReadTotalTimeoutConstant() const { return FTimeouts.ReadTotalTimeoutConstant; }
    void SetReadTotalTimeoutConstant(uint32_t V) {
        SetTimeout(FTimeouts.ReadTotalTimeoutConstant, V);
    }
    uint32_t WriteTotalTimeoutMultiplier() const { return FTimeouts.WriteTotalTimeoutMultiplier; }
    void SetWriteTotalTimeoutMultiplier(uint32_t V) {
        SetTimeout(FTimeouts.WriteTotalTimeoutMultiplier, V);
    }
    uint32_t WriteTotalTimeoutConstant() const { return FTimeouts.WriteTotalTimeoutConstant; }
    void SetWriteTotalTimeoutConstant(uint32_t V) {
        SetTimeout(FTimeouts.WriteTotalTimeoutConstant, V);
    }

    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;
    TNotifyEvent OnRequestHangup;
    TSendDataEmptyEvent OnSendDataEmpty;

    // Tests put a wrapping platform here before opening; it must outlive the open port.
    void SetPlatform(TSerialPlatform& Platform) { FPlatform = &Platform; }
    HWND NotifyWindow() const { return FNotifyWindow.Handle(); }

  private:
    template <typename T> void SetLine(T& field, T value) {
        if (field == value) return;
        field = value;
        if (FHandle) ApplyCommState();
    }
    void SetTimeout(DWORD& field, DWORD value) {
        if (field == value) return;
        field = value;
        if (FHandle) ApplyCommTimeouts();
    }
    void ApplyCommState();
    void ApplyCommTimeouts();
    void StopReadThread();
    void StopWriteThread();
    void FailOpen(const char* reason);
    void ClosePortHandle();
    void DiscardNotifications();
    void NotifyProc(TMessage& Message);

    TSerialPlatform* FPlatform;
    HANDLE FHandle = nullptr;
    TKernelHandle FStopEvent;
    std::atomic<bool> FStopRequested{false};
    std::unique_ptr<TReadThread> FReadThread;
    std::unique_ptr<TWriteThread> FWriteThread;
    TUtilityWindow FNotifyWindow;

    mutable std::vector<std::string> FPortList;
    mutable uint32_t FPortCount = 0;
    uint32_t FCommPortIndex = 0;
    mutable std::string FCommPortName;

    uint8_t FCommPort = 1;
    std::string FPortOpenError;
    std::string FOutput;
    uint16_t FInputLen = 1;
    uint16_t FInBufferSize = 2048;
    std::string FCommName = "COM1";
    uint32_t FBaudRate = 9600;
    bool FParityCheck = false;
    bool FOutx_CtsFlow = false;
    bool FOutx_DsrFlow = false;
    TDtrControl FDtrControl = TDtrControl::DtrDisable;
    bool FDsrSensitivity = false;
    bool FTxContinueOnXoff = false;
    bool FOutx_XonXoffFlow = false;
    bool FInx_XonXoffFlow = false;
    bool FReplaceWhenParityError = false;
    bool FIgnoreNullChar = false;
    TRtsControl FRtsControl = TRtsControl::RtsDisable;
    uint16_t FXonLimit = 500;
    uint16_t FXoffLimit = 500;
    TByteSize FByteSize = TByteSize::_8;
    TParity FParity = TParity::None;
    TStopBits FStopBits = TStopBits::_1;
    char FXonChar = 0x11;
    char FXoffChar = 0x13;
    char FReplacedChar = 0;
    COMMTIMEOUTS FTimeouts{100, 0, 0, 0, 0};
};
