#include "WinSubClass.h"

#include "WinConvert.h"
#include "WinSkinForm.h"

#include "StdCtrls.h"

TSkinControl::TSkinControl(TComponent* AOwner) : TComponent(AOwner) {}

TSkinControl::~TSkinControl() {
    Destroying();
    Release();
}

void TSkinControl::Release() {
    FHook.Remove();
    FSubclass.Remove();
    if (SkinForm) SkinForm->RemoveControlSkin(this);
    SkinForm = nullptr;
}

TControl* TSkinControl::SkinnedControl() const {
    return Control ? static_cast<TControl*>(Control) : GraphicControl;
}

void TSkinControl::InitControl(TWinSkinForm* Frame, TSkinData* Data, bool ARecolour,
                               TCanvas* ACanvas) {
    if (Attached) return;
    Recolour = ARecolour;
    SkinData = Data;
    SkinForm = Frame;
    Canvas = ACanvas;
    Control = dynamic_cast<TWinControl*>(Owner());
    if (!Control) return;
    Wnd = Control->Handle();
    FHooked = true;
    FHook.Install(*Control, [this](TMessage& M, const TWndMethod&) { MessageEntry(M); });
    Frame->AddControlSkin(this);
    Focused = GetFocus() == Wnd;
    Enabled = !(GetWindowLongW(Wnd, GWL_STYLE) & WS_DISABLED);
    Text = SkinWindowText(Wnd, true);
    if (Recolour) {
        SavedColor = Control->Color();
        Control->SetColor(Data->ButtonFace);
    }
    Control->Invalidate();
    Attached = true;
    State = scsAttached;
}

void TSkinControl::InitWindow(HWND AWnd, TSkinData* Data, TWinSkinForm* Frame, TCanvas* ACanvas) {
    if (Attached) return;
    Wnd = AWnd;
    SkinData = Data;
    SkinForm = Frame;
    Canvas = ACanvas;
    Enabled = true;
    Frame->AddControlSkin(this);
    Text = SkinWindowText(Wnd, false);
    FHooked = false;
    FSubclass.Install(
        Wnd, [this](TMessage& M) { MessageEntry(M); }, false);
    InvalidateRect(Wnd, nullptr, TRUE);
    Attached = true;
    State = scsAttached;
}

void TSkinControl::InitGraphic(TWinSkinForm* Frame, TSkinData* Data, TCanvas* ACanvas) {
    if (Attached) return;
    SkinData = Data;
    SkinForm = Frame;
    Canvas = ACanvas;
    GraphicControl = dynamic_cast<TControl*>(Owner());
    if (!GraphicControl) return;
    FHooked = true;
    FHook.Install(*GraphicControl, [this](TMessage& M, const TWndMethod&) { MessageEntry(M); });
    Frame->AddControlSkin(this);
    Enabled = GraphicControl->Enabled();
    Attached = true;
    State = scsAttached;
}

void TSkinControl::PassOn(TMessage& M) {
    if (FHooked)
        FHook.CallPrevious(M);
    else
        FSubclass.CallPrevious(M);
}

void TSkinControl::MessageEntry(TMessage& M) {
    if (!SkinActive) {
        if (M.Msg == SKM_ENABLESKIN) {
            SkinActive = M.WParam > 0;
            if (SkinActive) Repaint();
            return;
        }
        PassOn(M);
        if (M.Msg == WM_NCDESTROY) State = scsDestroyed;
    } else if (BeforeMessage(M)) {
        PassOn(M);
        AfterMessage(M);
    }
    // The window is gone: so is its skin.
    if (State == scsDestroyed) delete this;
}

bool TSkinControl::BeforeMessage(TMessage& M) {
    if (M.Msg == WM_NCDESTROY) {
        PassOn(M);
        State = scsDestroyed;
        RestoreColor();
        return false;
    }
    return true;
}

void TSkinControl::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        Repaint();
        break;
    case WM_SETTEXT:
        if (M.LParam)
            Text = FHooked ? std::wstring(reinterpret_cast<const wchar_t*>(M.LParam))
                           : SkinAnsiToWide(reinterpret_cast<const char*>(M.LParam));
        Repaint();
        break;
    case WM_PAINT:
        PaintFrame(reinterpret_cast<HDC>(M.WParam));
        break;
    case SKM_ENABLESKIN:
        SkinActive = M.WParam > 0;
        break;
    default:
        break;
    }
}

void TSkinControl::PaintFrame(HDC DC) {
    if (!Wnd || !GetWindowRect(Wnd, &ScreenRect)) return;
    const RECT R{0, 0, ScreenRect.right - ScreenRect.left, ScreenRect.bottom - ScreenRect.top};
    try {
        if (DC) {
            Paint(DC, R);
        } else {
            TWindowDC Window(Wnd, true);
            Paint(Window, R);
        }
    } catch (...) {
        // A broken skin never stops the control.
    }
}

void TSkinControl::Paint(HDC, const RECT&) {}

void TSkinControl::RestoreColor() {
    if (Recolour && Control) Control->SetColor(SavedColor);
}

void TSkinControl::Refresh() {
    if (Recolour && Control) Control->SetColor(SkinData->ButtonFace);
    Repaint();
}

void TSkinControl::Repaint() {
    if (TControl* C = SkinnedControl()) {
        C->Invalidate();
    } else if (Wnd) {
        InvalidateRect(Wnd, nullptr, TRUE);
        UpdateWindow(Wnd);
    }
}

void TSkinControl::EndHover() {
    if (Wnd)
        SendMessageW(Wnd, CM_MOUSELEAVE, 0, 0);
    else if (GraphicControl)
        GraphicControl->Perform(CM_MOUSELEAVE);
}

void TSkinControl::FillFace(HDC DC, const RECT& R) const {
    FillColor(DC, R, SkinData->ButtonFace);
}

void TSkinControl::FillParentColour(HDC DC, const RECT& R) const {
    const TControl* C = SkinnedControl();
    FillColor(DC, R, C && C->Parent() ? C->Parent()->Color() : SkinData->ButtonFace);
}

// ---------------------------------------------------------------------------------------------
// Which control gets which skin

namespace {

// Skins whose window is gone are dropped before the controls are looked at again.
void DropDestroyed(TWinSkinForm& Frame) {
    for (TSkinControl* S : std::vector<TSkinControl*>(Frame.ControlSkins))
        if (S->State == scsDestroyed) delete S;
}

} // namespace

void SkinFormControls(TWinSkinForm& Frame) {
    DropDestroyed(Frame);
}

void SkinChildWindows(TWinSkinForm& Frame) {
    DropDestroyed(Frame);
}

void SkinChildWindow(TWinSkinForm&, HWND) {}
