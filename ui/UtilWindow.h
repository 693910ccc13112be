// A hidden top-level window whose messages go to a method value: components that need
// messages (notifications posted from threads, tray callbacks, timers) own one.
//
//   FWindow = std::make_unique<TUtilityWindow>([this](TMessage& M) { WndProc(M); }, this);
//   void TComm::WndProc(TMessage& M) {
//       if (M.Msg == WM_USER + 1) { ...; return; }
//       FWindow->DefaultHandler(M);            // whatever the method does not handle
//   }
//
// The window is not message-only, so it also hears broadcasts (the taskbar's re-creation).
// An exception escaping the method is reported through HandleException(Sender) and the
// message answers 0.
#pragma once

#include "Handles.h"
#include "Messages.h"

#include <functional>

class TObject;

using TWndMethod = std::function<void(TMessage& Message)>;

class TUtilityWindow {
  public:
    explicit TUtilityWindow(TWndMethod Method, TObject* Sender = nullptr);
    ~TUtilityWindow();
    TUtilityWindow(const TUtilityWindow&) = delete;
    TUtilityWindow& operator=(const TUtilityWindow&) = delete;

    HWND Handle() const { return FHandle; }
    void DefaultHandler(TMessage& Message);

    static constexpr const wchar_t* ClassName = L"TPUtilWindow";

  private:
    static LRESULT CALLBACK StaticProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

    TWndMethod FMethod;
    TObject* FSender;
    TWindowHandle FHandle;
};
