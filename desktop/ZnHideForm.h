// TZnHideForm: edge docking and auto-hide for the form that owns it, and an always-on-top
// switch that also takes the application's taskbar button away.
//
//   auto* Hide = new TZnHideForm(Form);   // throws Exception("未找到主窗体") without a form
//   Hide->SetEdgeSpace(3);                // 1..50 pixels left on screen when hidden
//   Hide->SetValidSpace(10);              // 5..50: snapping distance
//   Hide->SetAutoDock(true);
//   Hide->SetAlwaysTop(true);
//
// While AutoDock is on, a form dragged near the top, left or right edge of the primary screen
// snaps to it; once docked, it slides out of sight as soon as the pointer has left it (leaving
// EdgeSpace pixels) and comes back when the pointer touches that strip. The moves happen on the
// form's own messages (WM_MOVING and the library's pointer enter/leave notifications); a 558 ms
// timer makes sure a pointer that left for another program is noticed without any input.
// SlideOut brings a hidden form out for the program's own reasons (a call to make).
#pragma once

#include "Forms.h"
#include "WndProcHook.h"

#include <cstdint>
#include <memory>

enum TDockPos { dpNone, dpTop, dpLeft, dpRight };
DECLARE_ENUM_NAMES(TDockPos, L"dpNone", L"dpTop", L"dpLeft", L"dpRight")

// Carries no sender: the handler is told only where the form is docked.
using TDockEvent = std::function<void(const TDockPos nDockPos)>;

class TZnHideForm : public TComponent {
    DECLARE_CLASS(TZnHideForm, TComponent)
  public:
    static constexpr UINT WakeUpInterval = 558;

    explicit TZnHideForm(TComponent* AOwner);
    ~TZnHideForm() override;

    TDockPos DockPos() const { return FDockPos; }
    bool AutoDock() const { return FAutoDock; }
    void SetAutoDock(bool Value);
    bool AlwaysTop() const { return FAlwaysTop; }
    void SetAlwaysTop(bool Value);
    int32_t EdgeSpace() const { return FEdgeSpace; }
    void SetEdgeSpace(int32_t Value);
    int32_t ValidSpace() const { return FValidSpace; }
    void SetValidSpace(int32_t Value);

    TDockEvent DockEvent;
    TDockEvent OnHideForm;
    TDockEvent OnShowForm;

    // Brings a form hidden at its edge back into sight, as a touch of its strip does (through
    // OnShowForm when that is assigned); it slides away again once the pointer has been on it
    // and left. Does nothing to a form that is not hidden at an edge.
    void SlideOut();

    // The form served, and whether it is out of sight now (for the program's own checks).
    TCustomForm* Form() const { return FForm; }
    bool Hidden() const { return FHidden; }
    // The wake-up timer's window while AutoDock is on; null otherwise.
    HWND WakeUpWindow() const { return FWakeUp ? FWakeUp->Handle() : nullptr; }

  protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

  private:
    void FormWndProc(TMessage& Message, const TWndMethod& Previous);
    void SnapAndDock(RECT& R);
    void HideForm();
    void ShowForm();
    void ApplyAlwaysTop(bool Show);
    void StopWakeUp();
    void WakeUpWndProc(TMessage& Message);

    TCustomForm* FForm = nullptr;
    TDockPos FDockPos = dpNone;
    bool FAutoDock = false;
    bool FAlwaysTop = false;
    int32_t FEdgeSpace = 3;
    int32_t FValidSpace = 10;
    RECT FDockRect{};
    bool FHidden = false;
    TWindowProcHook FHook;
    std::unique_ptr<TUtilityWindow> FWakeUp;
    bool FWakeUpTimer = false;
};
