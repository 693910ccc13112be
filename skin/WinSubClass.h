// Control skins: a small object attached to one control of a skinned window that sees the
// control's messages before and after the control does and paints the control from the skin.
// TSkinControl is the base of the family; TControlSkins holds the skins of one window. Which
// control gets which skin is decided elsewhere (WinSkinControls), so that this base knows none
// of the skins built on it.
#pragma once

#include "WinSkinData.h"

#include "Controls.h"
#include "WndProcHook.h"
#include "WndSubclass.h"

#include <memory>
#include <string>
#include <vector>

class TControlSkins;

// A skin object with a picture: skins that draw from one leave the control its own look without.
inline bool HasPicture(const TDataSkinObject* Object) {
    return Object && !Object->Bitmap.Empty();
}

// Switches the skinning of one control on (wParam > 0) or off.
inline constexpr UINT SKM_ENABLESKIN = 0x3506;

enum TSkinControlState { scsCreated = 0, scsAttached = 1, scsDestroyed = 6 };

// Mouse states of the skins of clickable controls (flags).
inline constexpr unsigned msHot = 1, msPressed = 2;

class TSkinControl : public TComponent {
    DECLARE_CLASS(TSkinControl, TComponent)
  public:
    explicit TSkinControl(TComponent* AOwner);
    ~TSkinControl() override;

    // Attach to a control object: its WindowProc is hooked. Once only.
    virtual void InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour);
    // Attach to a plain window (no control object): the window is subclassed (ANSI).
    virtual void InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins);
    // Gives the control its colour back (when the skin changed it).
    virtual void RestoreColor();
    // Runs before the control sees a message; false means the message was handled here.
    virtual bool BeforeMessage(TMessage& M);
    // Runs after the control has processed the message.
    virtual void AfterMessage(TMessage& M);
    // Paints the skin now, into DC or the control's window DC.
    virtual void PaintFrame(HDC DC = nullptr);
    // The skin's drawing of the control into DC over Rect (window coordinates from 0, 0).
    virtual void Paint(HDC DC, const RECT& Rect);
    // After a skin change: colour and paint again.
    virtual void Refresh();
    virtual bool Skinnable() { return true; }

    // The third way in, for windowless controls (speed buttons): their WindowProc is hooked.
    void InitGraphic(TControlSkins* ASkins, TSkinData* Data);
    void Repaint();
    // Ends the hot look (its container calls it when another button turns hot).
    void EndHover();
    // The control object this skin serves, windowed or not (null for a plain window).
    TControl* SkinnedControl() const;
    // Ends the skin: at once, or, while one of its control's messages is still being handled
    // below it on the stack, as soon as the outermost of them returns. It leaves its
    // container at once either way.
    void Dispose();

    // Fields, as the painters and the container read them.
    TCanvas* Canvas = nullptr; // shared by every skin of one window, owned by their container
    bool Enabled = true;
    bool Focused = false;
    std::wstring Text;
    bool SkinActive = true;
    TSkinData* SkinData = nullptr;
    HWND Wnd = nullptr;
    TWinControl* Control = nullptr;
    RECT ScreenRect{};
    TControl* GraphicControl = nullptr;
    bool Recolour = false;
    TColor SavedColor = clNone;
    bool SavedParentColor = false; // the control took its parent's colour before skinning
    bool Attached = false;
    int State = scsCreated;
    TControlSkins* Skins = nullptr; // null once the skin let go

  protected:
    // Passes the message to the control's own handling (its saved WindowProc or window
    // procedure).
    void PassOn(TMessage& M);
    // The same, for code that goes on afterwards: false when the skin ended meanwhile (a
    // handler freed the control, or its form), and then nothing of it may be touched.
    [[nodiscard]] bool PassOnSurvived(TMessage& M) {
        return Survives([&] { PassOn(M); });
    }
    // Runs Call (a message passed on to some window of the control) and tells whether the
    // skin lives on.
    template <class F> [[nodiscard]] bool Survives(F&& Call) {
        const std::shared_ptr<bool> Alive = FAlive;
        Call();
        return *Alive;
    }
    void FillFace(HDC DC, const RECT& R) const;
    void FillParentColour(HDC DC, const RECT& R) const;
    // WM_PAINT of a skin that draws the whole control: into the message's DC or a BeginPaint
    // one, over the window rectangle from (0, 0); the control's own painting does not run.
    void PaintWhole(TMessage& M);
    // WM_PAINT of a control that paints itself with the skin drawn over it: both land in one
    // off-screen picture that reaches the window in a single copy. EraseFirst: the control's
    // background goes into the picture too (for a skin that answers WM_ERASEBKGND itself).
    void PaintOverOwn(TMessage& M, bool EraseFirst = false);
    // Paints again before returning (a system control paints some changes at once, outside
    // WM_PAINT, and would show its own look until the next paint).
    void RepaintNow();
    // Stops hooking the control and leaves its container; the object stays.
    void Release();
    // Remembers the control's colour and gives it the skin's face colour; and back.
    void TakeColour();
    void GiveColourBack();

  private:
    void MessageEntry(TMessage& M);
    TWindowProcHook FHook;     // the control object's WindowProc
    TWindowSubclass FSubclass; // a plain window's procedure
    bool FHooked = false;      // which of the two is in use
    // Messages of the control being handled right now, nested; the skin is deleted only when
    // the outermost returns.
    int FDepth = 0;
    bool FDisposed = false;
    // False from the destructor on: a message handler up the stack learns that its skin went.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// The control skins of one skinned window, owned by its frame skin (one each).
//
// Who owns a skin: its component owner when it has one (the control object it skins, or the
// skin of which it draws a part), and it goes with that owner, leaving this list in its
// destructor; a skin without an owner (of a plain window, a dialog's child) is owned by this
// list. Every other end goes through TSkinControl::Dispose: its window destroyed
// (WM_NCDESTROY), the window's skin ended (FreeAll), a skin whose window went dropped
// (DropDestroyed). Dispose defers the deletion while one of the control's messages is still
// on the stack.
class TControlSkins {
  public:
    TControlSkins() = default;
    ~TControlSkins() { FreeAll(); }
    TControlSkins(const TControlSkins&) = delete;
    TControlSkins& operator=(const TControlSkins&) = delete;

    bool Add(TSkinControl* Skin); // true when it was in the list already
    void Remove(TSkinControl* Skin);
    // The live skin of a window; null when none.
    TSkinControl* Find(HWND Wnd) const;
    bool Has(const TComponent* Component) const;
    // Ends every skin (the window's skin ends); each takes itself out as it goes.
    void FreeAll();
    // Ends the skins whose window is gone, before the controls are looked at again.
    void DropDestroyed();

    // The list as it is now; a skin may leave it while one of them is called: walk a copy then.
    const std::vector<TSkinControl*>& Items() const { return FItems; }
    std::vector<TSkinControl*>::const_iterator begin() const { return FItems.begin(); }
    std::vector<TSkinControl*>::const_iterator end() const { return FItems.end(); }
    size_t size() const { return FItems.size(); }
    bool empty() const { return FItems.empty(); }

    // The canvas every skin of the window draws with.
    TCanvas& Canvas() { return FCanvas; }

    // Plain windows have no control objects to tell a button that the mouse left it: the hot
    // button is remembered here and its look ended when another turns hot or the frame sees
    // the mouse gone.
    TSkinControl* HoverButton() const { return FHoverButton; }
    void SetHoverButton(TSkinControl* Button);
    // Button ended its hot look itself.
    void ForgetHoverButton(const TSkinControl* Button);
    void EndHoverButton();

  private:
    std::vector<TSkinControl*> FItems;
    TCanvas FCanvas;
    TSkinControl* FHoverButton = nullptr;
};
