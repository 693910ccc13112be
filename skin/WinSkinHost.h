// What skin components, frame skins and menu skins ask of the skin manager, the one object
// that decides which window wears which skin. They know it only through this interface, so
// that the manager, which makes frames and menu skins, is the only unit that knows them all.
#pragma once

#include <windows.h>

class TCustomForm;
class TSkinData;
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

class ISkinHost {
  public:
    // ---- skin components
    virtual void RegisterSkinData(TSkinData* Data) = 0;
    virtual void UnregisterSkinData(TSkinData* Data) = 0;
    // The window hook that skins windows as they are activated (once; later calls do nothing).
    virtual void InstallHook() = 0;
    // A component's request: its action after Delay ms (before the first window was activated,
    // switching on or off takes effect at once). The last request wins.
    virtual void Request(TSkinData* Data, TSkinAction Action, unsigned Delay = 250) = 0;
    // A window was activated or a frame attached: requests wait for their delay from now on.
    virtual void MarkStarted() = 0;
    virtual bool Started() const = 0;
    // Whether new windows are skinned; a component of one form switches it on when loaded.
    virtual void SetSkinningEnabled(bool Value) = 0;
    virtual bool SkinningEnabled() const = 0;
    // The skin objects of Data are about to be rebuilt: every frame wearing it lets go of
    // what it holds of them.
    virtual void SkinObjectsGoing(TSkinData* Data) = 0;
    // Every frame wearing Data takes its objects anew: caption buttons, layout, paint.
    virtual void RefreshForms(TSkinData* Data) = 0;

    // ---- windows
    // Attaches a frame skin when the window qualifies; true when one was attached.
    virtual bool SkinWindow(HWND Wnd) = 0;
    virtual TWinSkinForm* FindForm(HWND Wnd) const = 0;
    // A frame skin that ends leaves the manager's list.
    virtual void ForgetFrame(TWinSkinForm* Frame) = 0;

    // ---- MDI: one frame window per program
    virtual void SetMDIFrame(HWND Client, TCustomForm* Frame) = 0;
    virtual TCustomForm* MDIFrameForm() const = 0;
    // Whether the active MDI child is maximized (its caption buttons join the frame's menu
    // strip); every child frame is told of a change.
    virtual bool MDIMaximized() const = 0;
    virtual void SetMDIMaximized(bool Value) = 0;

    // ---- menus
    // What the next menu window belongs to.
    virtual void SetMenuMode(TMenuMode Mode) = 0;
    // The skin of the menu window showing Menu; null when none does.
    virtual TWinSkinPopMenu* PopMenuOf(HMENU Menu) const = 0;
    virtual bool MenuWindowsOpen() const = 0;

  protected:
    ~ISkinHost() = default;
};

// Null until the first skin component is loaded at run time.
ISkinHost* SkinHost();
// The host, made at the first call; it lives until the program ends.
ISkinHost& EnsureSkinHost();
