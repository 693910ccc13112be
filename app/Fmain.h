#pragma once
// The dialer's main window: a number display, a keypad, Enter / Reset / COM keys, a port box
// and a status line, driving the telephone-line device on a serial port through Comm1. The
// logic is the window's event handlers; they share the dialer state of this unit.
#include <deque>
#include <string>

#include "app/DialRequest.h"
#include "comm/Comm.h"
#include "desktop/ZnHideForm.h"
#include "desktop/hTrayIcon.h"
#include "skin/WinSkinData.h"
#include "ui/ExtCtrls.h"
#include "ui/Forms.h"
#include "ui/ImgList.h"
#include "ui/StdCtrls.h"
#include "ui/WndProcHook.h"
#include "widgets/RzButton.h"
#include "widgets/RzEdit.h"
#include "widgets/RzCombo.h"
#include "widgets/RzPanel.h"

class TFmain : public TForm {
    DECLARE_CLASS(TFmain, TForm)
  public:
    explicit TFmain(TComponent* AOwner);

    // Window life.
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // Keys and the on-screen keypad: every button injects its key, so clicks and typing
    // travel one road through Key1KeyPress.
    void Key1KeyPress(TObject* Sender, wchar_t& Key);
    void Key1KeyUp(TObject* Sender, WORD& Key, TShiftState Shift);
    void Key1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Key1Click(TObject* Sender);

    // Timers: status clearing, the two steps of the port walk, the digit sender, the ring
    // window.
    void Timer1Timer(TObject* Sender);
    void Timer2Timer(TObject* Sender);
    void Timer3Timer(TObject* Sender);
    void Timer4Timer(TObject* Sender);
    void Timer5Timer(TObject* Sender);

    void Comm1ReceiveData(TObject* Sender, const char* Buffer, uint16_t BufferLength);
    bool SendCommand(const std::string& Command);
    void ResetLine();
    void ListSerialPorts(TStrings* List);
    void SpeakerBeep(uint16_t Frequency, uint16_t Duration);
    void RzEdit2Change(TObject* Sender);
    void RzMarqueeStatus1Click(TObject* Sender);
    void hTrayIcon1Click(TObject* Sender);
    void RzBitBtn2Click(TObject* Sender);

    // A request from outside the keypad (the command line, a link, another program), taken at
    // once and carried out from the message queue. False when it is not understood (its
    // "输入错误！" box follows) or cannot be taken now.
    bool TakeRequest(const std::wstring& Text);
    // The clipboard's text as a new number on the display (Ctrl+V, Shift+Insert, WM_PASTE).
    void PasteNumber();

    TRzGroupBox* RzGroupBox2 = nullptr;
    TRzEdit* RzEdit1 = nullptr;
    TRzBitBtn* RzBitBtn4 = nullptr;
    TRzBitBtn* RzBitBtn5 = nullptr;
    TEdit* Edit1 = nullptr;
    TRzGroupBox* RzGroupBox3 = nullptr;
    TRzBitBtn* Key1 = nullptr;
    TRzBitBtn* Key2 = nullptr;
    TRzBitBtn* Key3 = nullptr;
    TRzBitBtn* Key4 = nullptr;
    TRzBitBtn* Key5 = nullptr;
    TRzBitBtn* Key6 = nullptr;
    TRzBitBtn* Key7 = nullptr;
    TRzBitBtn* Key8 = nullptr;
    TRzBitBtn* Key9 = nullptr;
    TRzBitBtn* Keyx = nullptr;
    TRzBitBtn* Key0 = nullptr;
    TRzBitBtn* Keyh = nullptr;
    TRzGroupBox* RzGroupBox4 = nullptr;
    TRzBitBtn* RzBitBtn14 = nullptr;
    TRzBitBtn* RzBitBtn15 = nullptr;
    TRzBitBtn* RzBitBtn1 = nullptr;
    TRzComboBox* ComboBox1 = nullptr;
    TRzStatusBar* RzStatusBar1 = nullptr;
    TRzEdit* RzEdit2 = nullptr;
    TRzBitBtn* RzBitBtn2 = nullptr;
    TPanel* Panel1 = nullptr;
    TMemo* Memo1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TComm* Comm1 = nullptr;
    TTimer* Timer1 = nullptr;
    TTimer* Timer2 = nullptr;
    TTimer* Timer3 = nullptr;
    TTimer* Timer4 = nullptr;
    TTimer* Timer5 = nullptr;
    TZnHideForm* ZnHideForm1 = nullptr;
    ThTrayIcon* hTrayIcon1 = nullptr;
    TImageList* ImageList1 = nullptr;

  protected:
    void WndProc(TMessage& Message) override;
    void DoCreate() override;

  private:
    static constexpr UINT WM_STARTDISCOVERY = WM_APP + 1;
    static constexpr UINT WM_RUNREQUESTS = WM_APP + 2;
    static constexpr UINT WM_INPUTERROR = WM_APP + 3;
    // Requests beyond this many waiting ones are not taken.
    static constexpr size_t MaxQueuedRequests = 256;
    void RegisterMouseDown(const wchar_t* Handler, BYTE VirtualKey);
    void EnterAction();
    void HistoryStep(int Direction);
    void StartDiscovery();
    bool OpenProbedPort();
    void RingAlert();
    void EndRingWindow();
    bool Send(const std::string& Command);
    void SetStatus(const std::wstring& Text);
    void ResetButtonFaces();
    TRzBitBtn* DigitButton(wchar_t Key) const;
    std::wstring NumberText() const;
    void SetNumberText(const std::wstring& Text);
    void ShowMessage(const std::wstring& Text);
    bool TakeCopyData(const COPYDATASTRUCT* Data);
    void RunRequests();
    void RunRequest(const TDialRequest& Request);
    void RequestNumber(const std::wstring& Number);
    void ShowForRequest();
    void SetNewNumber(const std::wstring& Number);
    bool Linked() const;
    bool Walking() const;
    void QueueInputError();
    void ShowInputError();
    void PasteKeys(TMessage& Message, const TWndMethod& Previous);

    // The number Enter dialled or sent, for the digit sender.
    std::wstring FDialNumber;
    // The device's "设备连接正常！" box is open; a repeated answer does not stack another.
    bool FDeviceBoxShown = false;

    // Requests taken and not yet carried out, in order.
    std::deque<TDialRequest> FRequests;
    bool FRunningRequests = false;
    // A requested number waits for the port walk to link the device, then it is dialled.
    bool FDialPending = false;
    // The showing asked for a port walk that has not begun yet.
    bool FWalkPending = false;
    // The "输入错误！" box for refused text is on its way or open: no second one stacks up.
    bool FInputErrorBox = false;
    // The number display and the focus sink paste through the number rules.
    TWindowProcHook FDisplayPaste;
    TWindowProcHook FSinkPaste;
};

extern TFmain* Fmain;

// The maker's page, opened from the status line and named in the caption.
inline constexpr const char* MakerAddress = DIALER_MAKER_ADDRESS;
inline constexpr const wchar_t* ProgramTitle = L"电脑拨号";
