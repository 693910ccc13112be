// The skin manager: the one object that watches the windows of the user-interface thread
// through a window hook and decides which of them wear a skin, and with which skin component.
// Top-level windows get a frame skin (TWinSkinForm) when they are activated, menu windows a
// menu skin (TWinSkinPopMenu) when they are created. Switching the skin on, off and refreshing
// it, as TSkinData asks, happens after a fixed delay on the manager's timer, so a quick
// succession of requests carries out only the last.
//
// It is made by the first skin component loaded at run time (EnsureSkinManager) and lives
// until the program ends. Everything runs on the thread that installed the hook.
#pragma once

#include "WinSkinData.h"

#include "ExtCtrls.h"
#include "Forms.h"

#include <memory>
#include <string>
#include <vector>

class TWinSkinForm;
class TWinSkinPopMenu;

// Sent by the manager before it skins a window: a window that answers 1 wears a skin already.
inline constexpr UINT SKM_QUERY = 0x3504;
// Posted to a window right after its frame skin was attached (wParam 0, lParam 1000).
inline constexpr UINT SKM_APPLY = 0x3503;

// The manager's scheduled actions.
enum TSkinAction { saNone = 0, saApply = 1, saRemove = 2, saRefresh = 3 };
// What the next menu window belongs to.
enum TMenuMode { mmPopup = 0, mmMenuBar = 1, mmSystemMenu = 2 };

class TSkinManage {
  public:
    TSkinManage();
    ~TSkinManage();
    TSkinManage(const TSkinManage&) = delete;
    TSkinManage& operator=(const TSkinManage&) = delete;

    void RegisterSkinData(TSkinData* Data);
    void UnregisterSkinData(TSkinData* Data);
    // The CBT hook on this thread (once; later calls do nothing).
    void InstallHook();
    bool HookInstalled() const { return FHook.Valid(); }

    // A skin component's request: its action after Delay ms (before the first window was
    // activated, switching on or off takes effect at once). The last request wins.
    void Request(TSkinData* Data, int AAction, unsigned Delay = 250);
    void RunScheduled();
    int PendingAction() const { return FAction; }
    // A window was activated or a frame attached: requests wait for their delay from now on.
    void MarkStarted() { FStarted = true; }
    bool Started() const { return FStarted; }
    // Whether new windows are skinned; a component of one form switches it on when loaded.
    void SetSkinningEnabled(bool Value) { FEnabled = Value; }
    bool SkinningEnabled() const { return FEnabled; }

    // Attaches a frame skin when the window qualifies; true when one was attached.
    bool SkinWindow(HWND Wnd);
    void SkinForm(TCustomForm* Form);
    TSkinData* ChooseSkinData(HWND Wnd) const;
    bool CanSkin(const std::wstring& ClassName) const;

    TWinSkinForm* FindForm(HWND Wnd) const;
    // Takes a frame skin that ends out of the list (without freeing it).
    void RemoveForm(HWND Wnd);
    void PurgeForms();
    // The skin objects of Data are about to be rebuilt: every frame wearing it lets go of
    // what it holds of them.
    void SkinObjectsGoing(TSkinData* Data);
    // Every frame wearing Data takes its objects anew: caption buttons, layout, paint.
    void RefreshForms(TSkinData* Data);

    void SkinMenuWindow(HWND Wnd);
    bool UnskinMenuWindow(HWND Wnd);
    bool IsMenuWindow(HWND Wnd) const;
    // The background picture of the menu window showing that menu; null when none.
    TBitmap* MenuBitmap(HMENU Menu) const;
    void SetMDIMaximized(bool Value);
    TCustomForm* FindVCLForm(HWND Wnd) const;

    // State, as the frame and menu skins read and set it.
    std::unique_ptr<TTimer> Timer;
    std::vector<TWinSkinForm*> Forms;
    std::vector<std::unique_ptr<TWinSkinPopMenu>> Menus;
    std::vector<TSkinData*> SkinDatas;
    bool ApplyingAll = false; // an apply walks all forms: the child-window test is lifted
    int MenuMode = mmPopup;
    HWND MDIClient = nullptr;
    TCustomForm* MDIFrameForm = nullptr;
    bool MDIMaximized = false;
    TSkinData* MainSkinData = nullptr;

  private:
    bool FEnabled = false;
    bool FStarted = false;
    int FAction = saNone;
    TSkinData* FTarget = nullptr;

    static LRESULT CALLBACK CBTProc(int Code, WPARAM WParam, LPARAM LParam);
    void HookCall(int Code, WPARAM WParam, LPARAM LParam);
    // Detaches and frees a frame skin that is switched off, and repaints its window.
    void RemoveFrame(TWinSkinForm* Frame);

    THookHandle FHook;
};

// Null until the first skin component is loaded.
extern TSkinManage* SkinManager;
TSkinManage& EnsureSkinManager();
