// Controls: TControl (windowless, painted by its parent), TWinControl (its own window),
// TGraphicControl and TCustomControl (each with a canvas to paint on).
//
// Every message a control receives goes through its WindowProc, a replaceable method value:
//   TWndMethod Saved = Button->WindowProc;
//   Button->WindowProc = [&](TMessage& M) { Before(M); Saved(M); After(M); };
//   ...
//   Button->WindowProc = Saved;        // restore
// Perform(Msg, W, L) sends a message through WindowProc directly. The default WindowProc calls
// the virtual WndProc, which ends in DefaultHandler (the window class's own procedure).
// No exception leaves a window procedure: it is reported through HandleException.
#pragma once

#include "Classes.h"
#include "Graphics.h"
#include "Messages.h"
#include "UtilWindow.h"

#include <memory>
#include <vector>

class TWinControl;
class TCustomForm;
LRESULT CALLBACK ControlWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
DECLARE_ENUM_NAMES(TAlign, L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient")

enum TMouseButton { mbLeft, mbRight, mbMiddle };
DECLARE_ENUM_NAMES(TMouseButton, L"mbLeft", L"mbRight", L"mbMiddle")

enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
DECLARE_ENUM_NAMES(TShiftStateFlag, L"ssShift", L"ssAlt", L"ssCtrl", L"ssLeft", L"ssRight",
                   L"ssMiddle", L"ssDouble")
using TShiftState = TSet<TShiftStateFlag>;

enum TControlStyleFlag {
    csAcceptsControls,
    csCaptureMouse,
    csClickEvents,
    csOpaque,
    csSetCaption,
    csDoubleClicks
};
using TControlStyle = TSet<TControlStyleFlag>;

// Cursor identifiers (negative numbers are the system's cursors), written by name.
enum TCursor : int16_t {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};
template <> struct TPropText<TCursor> {
    static std::wstring ToText(TCursor V);
    static TCursor FromText(std::wstring_view T);
};
// The system cursor for a cursor identifier (crDefault gives the arrow).
HCURSOR CursorHandle(TCursor Cursor);

using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

// Shift state from a mouse message's key flags plus the Alt key.
TShiftState MouseShiftState(WPARAM KeyFlags);
// Shift state of the keyboard now.
TShiftState KeyboardShiftState();

class TControl : public TComponent {
    DECLARE_CLASS(TControl, TComponent)
  public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWndMethod WindowProc;
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int V) { SetBounds(V, FTop, FWidth, FHeight); }
    void SetTop(int V) { SetBounds(FLeft, V, FWidth, FHeight); }
    void SetWidth(int V) { SetBounds(FLeft, FTop, V, FHeight); }
    void SetHeight(int V) { SetBounds(FLeft, FTop, FWidth, V); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    RECT BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    virtual RECT ClientRect() const { return {0, 0, FWidth, FHeight}; }
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }
    virtual void SetClientSize(int AWidth, int AHeight);
    void SetClientWidth(int V) { SetClientSize(V, ClientHeight()); }
    void SetClientHeight(int V) { SetClientSize(ClientWidth(), V); }
    POINT ClientToScreen(POINT P) const;
    POINT ScreenToClient(POINT P) const;
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign V);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool V);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent showing.
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool V);

    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool V);
    TFont* Font() const { return FFont.get(); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool V);

    std::wstring Caption() const { return GetText(); }
    void SetCaption(const std::wstring& V) { SetText(V); }
    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& V) { FHint = V; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool V);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool V);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor V);
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle V) { FControlStyle = V; }

    virtual void Invalidate();
    virtual void Update();
    void Repaint() {
        Invalidate();
        Update();
    }
    virtual void Click();
    void BringToFront();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;

  protected:
    virtual void WndProc(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);
    virtual std::wstring GetText() const { return FText; }
    virtual void SetText(const std::wstring& V);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void DblClick();
    virtual void Resize();
    // The parent changed its font or colour; a control following it copies them.
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    virtual void FontChanged();
    virtual void ColorChanged();
    void RequestAlign();

    std::wstring FText;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;

  private:
    void MouseMessage(TMessage& M, TMouseButton Button, bool Down, bool Double);
    friend class TWinControl;
    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    bool FEnabled = true;
    TColor FColor = clWindow;
    bool FParentColor = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FCopyingFromParent = false;
    std::wstring FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    bool FClicking = false;
};

// What CreateWnd gives CreateWindowEx; subclasses adjust it in CreateParams.
struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    HMENU Menu = nullptr;
    // Class name registered for this control (the C++ class name by default).
    std::wstring WinClassName;
    // A system class (L"EDIT", L"BUTTON" ...) whose procedure does the default handling.
    std::wstring SysClassName;
    UINT ClassStyle = CS_DBLCLKS;
    HBRUSH Background = nullptr;
};

class TWinControl : public TControl {
    DECLARE_CLASS(TWinControl, TControl)
  public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return FHandle.Valid(); }
    void HandleNeeded() { (void)Handle(); }
    void DestroyHandle();
    // Makes the window again (after a change of style that needs it).
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const { return FControls[static_cast<size_t>(Index)]; }
    // Topmost visible child (windowed or not) at a client point; null when none.
    TControl* ControlAtPos(POINT P, bool AllowDisabled, bool AllowWinControls = false) const;
    bool ContainsControl(const TControl* Control) const;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    RECT ClientRect() const override;
    void SetVisible(bool V) override;
    void SetEnabled(bool V) override;
    bool Showing() const override;
    void Invalidate() override;
    void Update() override;

    int TabOrder() const;
    void SetTabOrder(int V);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool V) { FTabStop = V; }
    bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // The next control in tab order (wrapping), visible, enabled and a tab stop.
    TWinControl* FindNextControl(TWinControl* Current, bool GoForward, bool CheckTabStop) const;
    void SelectNext(TWinControl* Current, bool GoForward, bool CheckTabStop);
    void AlignControls();
    TBrush* Brush() const { return FBrush.get(); }
    // The outermost parent (the form, for a control on one).
    TWinControl* TopParent();

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

  protected:
    virtual void CreateParams(TCreateParams& Params);
    virtual void CreateWnd();
    // Makes the window CreateWnd asked for (an MDI child asks its MDI client instead).
    virtual HWND CreateWindowHandle(const TCreateParams& Params);
    // Destroys the window (an MDI child through its MDI client).
    virtual void DestroyWindowHandle();
    // Runs once the window exists (children created, font set).
    virtual void CreateHandle();
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    std::wstring GetText() const override;
    void SetText(const std::wstring& V) override;
    // Painting of windows of our own classes: PaintWindow paints the control itself, then the
    // windowless children are painted over it.
    virtual void PaintWindow(HDC DC);
    void PaintControls(HDC DC);
    virtual bool DoKeyDown(TMessage& M);
    virtual bool DoKeyUp(TMessage& M);
    virtual bool DoKeyPress(TMessage& M);
    // A form that sees its controls' keys first answers true.
    virtual bool WantsKeyPreview() const { return false; }
    void FontChanged() override;
    void ColorChanged() override;
    virtual void InsertControl(TControl* Control);
    virtual void RemoveControl(TControl* Control);
    // Resize to the children's extent (forms with AutoSize).
    virtual void AdjustSize() {}
    bool IsOwnClass() const { return FDefWndProc == nullptr; }

  private:
    friend class TControl;
    friend LRESULT CALLBACK ControlWndProc(HWND, UINT, WPARAM, LPARAM);
    void UpdateBounds();
    bool ReflectNotification(TMessage& M);
    void SetCursorForPoint(TMessage& M);
    void DispatchMouseToChild(TMessage& M, bool& Handled);

    TWindowHandle FHandle;
    WNDPROC FDefWndProc = nullptr;
    std::vector<TControl*> FControls;
    std::unique_ptr<TBrush> FBrush;
    bool FTabStop = false;
    bool FAligning = false;
    bool FCreating = false;
};

class TGraphicControl : public TControl {
    DECLARE_CLASS(TGraphicControl, TControl)
  public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    // Valid during Paint: the parent's DC moved to this control's origin and clipped to it.
    TCanvas* Canvas() const { return FCanvas.get(); }
    TNotifyEvent OnPaint;

  protected:
    friend class TWinControl;
    virtual void Paint();
    void WndProc(TMessage& Message) override;

  private:
    std::unique_ptr<TCanvas> FCanvas;
};

class TCustomControl : public TWinControl {
    DECLARE_CLASS(TCustomControl, TWinControl)
  public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }
    TNotifyEvent OnPaint;

  protected:
    virtual void Paint();
    void PaintWindow(HDC DC) override;

  private:
    std::unique_ptr<TCanvas> FCanvas;
};

// The control object of a window of this process; null for other windows.
TWinControl* FindControl(HWND Wnd);
// The control (windowed or not) under a screen point.
TControl* FindDragTarget(POINT ScreenPos, bool AllowDisabled);
// The control holding the mouse capture, if any.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
TCustomForm* GetParentForm(const TControl* Control);
