// The skin manager: the one object that watches the windows of the user-interface thread
// through a window hook and decides which of them wear a skin, and with which skin component.
// Top-level windows get a frame skin (TWinSkinForm) when they are activated, menu windows a
// menu skin (TWinSkinPopMenu) when they are created. Switching the skin on, off and refreshing
// it, as TSkinData asks, happens after a fixed delay on the manager's timer, so a quick
// succession of requests carries out only the last.
//
// It is made by the first skin component loaded at run time (EnsureSkinHost) and lives
// until the program ends. Everything runs on the thread that installed the hook.
#pragma once

#include "WinSkinData.h"
#include "WinSkinHost.h"

#include "ExtCtrls.h"
#include "Forms.h"

#include <memory>
#include <string>
#include <vector>

class TSkinManage final : public ISkinHost {
  public:
    TSkinManage();
    ~TSkinManage();
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;

    // ---- what skin components, frames and menu skins ask (see ISkinHost)
    void RegisterSkinData(TSkinData* Data) override;
    void UnregisterSkinData(TSkinData* Data) override;
    void InstallHook() override;
    void Request(TSkinData* Data, TSkinAction Action, unsigned Delay = 250) override;
    void MarkStarted() override { FStarted = true; }
    bool Started() const override { return FStarted; }
    void SetSkinningEnabled(bool Value) override { FEnabled = Value; }
    bool SkinningEnabled() const override { return FEnabled; }
    void SkinObjectsGoing(TSkinData* Data) override;
    void RefreshForms(TSkinData* Data) override;
    bool SkinWindow(HWND Wnd) override;
    TWinSkinForm* FindForm(HWND Wnd) const override;
    void ForgetFrame(TWinSkinForm* Frame) override;
    void SetMDIFrame(HWND Client, TCustomForm* Frame) override;
    TCustomForm* MDIFrameForm() const override { return FMDIFrameForm; }
    bool MDIMaximized() const override { return FMDIMaximized; }
    void SetMDIMaximized(bool Value) override;
    void SetMenuMode(TMenuMode Mode) override { FMenuMode = Mode; }
    TWinSkinPopMenu* PopMenuOf(HMENU Menu) const override;
    bool MenuWindowsOpen() const override { return !FMenus.empty(); }

    // ---- the manager's own work
    bool HookInstalled() const { return FHook.Valid(); }
    // Carries out the last request now (the timer calls it after the delay).
    void RunScheduled();
    TSkinAction PendingAction() const { return FAction; }
    // A request waits for the timer.
    bool ActionScheduled() const { return FTimer->Enabled(); }
    void SkinForm(TCustomForm* Form);
    TSkinData* ChooseSkinData(HWND Wnd) const;
    bool CanSkin(const std::wstring& ClassName) const;
    // Takes a frame skin that ends out of the list (without freeing it).
    void RemoveForm(HWND Wnd);
    void PurgeForms();
    void SkinMenuWindow(HWND Wnd);
    bool UnskinMenuWindow(HWND Wnd);
    bool IsMenuWindow(HWND Wnd) const;
    // The background picture of the menu window showing that menu; null when none.
    TBitmap* MenuBitmap(HMENU Menu) const;
    TCustomForm* FindVCLForm(HWND Wnd) const;

    // State, read-only outside.
    const std::vector<TWinSkinForm*>& Forms() const { return FForms; }
    const std::vector<std::unique_ptr<TWinSkinPopMenu>>& Menus() const { return FMenus; }
    TMenuMode MenuMode() const { return FMenuMode; }
    HWND MDIClient() const { return FMDIClient; }
    TSkinData* MainSkinData() const { return FMainSkinData; }

  private:
    static LRESULT CALLBACK CBTProc(int Code, WPARAM WParam, LPARAM LParam);
    void HookCall(int Code, WPARAM WParam, LPARAM LParam);
    // Detaches and frees a frame skin that is switched off, and repaints its window.
    void RemoveFrame(TWinSkinForm* Frame);
    // The scheduled actions: of a component of one form, and of a component of every window.
    void ApplyToOwnForm(TSkinData& Data);
    void ApplyToAllForms();
    void RemoveOwnFrame(TSkinData& Data);
    void RemoveAllFrames();
    void RefreshFrames(TSkinData& Data, bool FirstOnly);

    std::unique_ptr<TTimer> FTimer;
    std::vector<TWinSkinForm*> FForms;
    std::vector<std::unique_ptr<TWinSkinPopMenu>> FMenus;
    std::vector<TSkinData*> FSkinDatas;
    bool FApplyingAll = false; // an apply walks all forms: the child-window test is lifted
    TMenuMode FMenuMode = mmPopup;
    HWND FMDIClient = nullptr;
    TCustomForm* FMDIFrameForm = nullptr;
    bool FMDIMaximized = false;
    TSkinData* FMainSkinData = nullptr;
    bool FEnabled = false;
    bool FStarted = false;
    TSkinAction FAction = saNone;
    TSkinData* FTarget = nullptr;
    THookHandle FHook;
};

// Null until the first skin component is loaded; the engine itself reaches it through
// SkinHost().
extern TSkinManage* SkinManager;
