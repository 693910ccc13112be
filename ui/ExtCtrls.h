// TTimer: a window timer on a hidden window of its own. Setting the interval to its current
// value, or enabling a timer that is already enabled, leaves the countdown running; only a real
// change restarts it. An interval of 0 or a missing OnTimer keeps the timer stopped.
#pragma once

#include "Classes.h"
#include "UtilWindow.h"

#include <memory>

class TTimer : public TComponent {
    DECLARE_CLASS(TTimer, TComponent)
  public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool V);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned V);
    void SetOnTimer(TNotifyEvent V);
    const TNotifyEvent& OnTimer() const { return FOnTimer; }
    // True while the window timer runs.
    bool Running() const { return FRunning; }
    HWND Handle() const { return FWindow->Handle(); }

  protected:
    void Loaded() override;
    virtual void Timer();

  private:
    void UpdateTimer();
    void WndProc(TMessage& M);

    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
    bool FRunning = false;
    std::unique_ptr<TUtilityWindow> FWindow;
};
