#include "WinSubClass.h"

#include "WinConvert.h"

#include <algorithm>
#include <utility>

TSkinControl::TSkinControl(TComponent* AOwner) : TComponent(AOwner) {}

TSkinControl::~TSkinControl() {
    *FAlive = false;
    Destroying();
    // A skin taken off a live control gives back the colour it changed; a control being
    // destroyed is past caring.
    if (Recolour && Control && State == scsAttached &&
        !Control->ComponentState().Contains(csDestroying))
        GiveColourBack();
    Release();
}

void TSkinControl::TakeColour() {
    SavedColor = Control->Color();
    SavedParentColor = Control->ParentColor();
    Control->SetColor(SkinData->ButtonFace);
}

void TSkinControl::GiveColourBack() {
    Control->SetColor(SavedColor);
    // A control that followed its parent's colour follows it again.
    if (SavedParentColor) Control->SetParentColor(true);
}

void TSkinControl::Release() {
    FHook.Remove();
    FSubclass.Remove();
    if (Skins) Skins->Remove(this);
    Skins = nullptr;
}

TControl* TSkinControl::SkinnedControl() const {
    return Control ? static_cast<TControl*>(Control) : GraphicControl;
}

void TSkinControl::InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) {
    if (Attached) return;
    Recolour = ARecolour;
    SkinData = Data;
    Skins = ASkins;
    Canvas = &ASkins->Canvas();
    Control = dynamic_cast<TWinControl*>(Owner());
    if (!Control) return;
    Wnd = Control->Handle();
    FHooked = true;
    FHook.Install(*Control, [this](TMessage& M, const TWndMethod&) { MessageEntry(M); });
    ASkins->Add(this);
    Focused = GetFocus() == Wnd;
    Enabled = !(GetWindowLongW(Wnd, GWL_STYLE) & WS_DISABLED);
    Text = SkinWindowText(Wnd, true);
    if (Recolour) TakeColour();
    Control->Invalidate();
    Attached = true;
    State = scsAttached;
}

void TSkinControl::InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins) {
    if (Attached) return;
    Wnd = AWnd;
    SkinData = Data;
    Skins = ASkins;
    Canvas = &ASkins->Canvas();
    Enabled = true;
    Focused = GetFocus() == Wnd;
    ASkins->Add(this);
    Text = SkinWindowText(Wnd, false);
    FHooked = false;
    FSubclass.Install(
        Wnd, [this](TMessage& M) { MessageEntry(M); }, false);
    InvalidateRect(Wnd, nullptr, TRUE);
    Attached = true;
    State = scsAttached;
}

void TSkinControl::InitGraphic(TControlSkins* ASkins, TSkinData* Data) {
    if (Attached) return;
    SkinData = Data;
    Skins = ASkins;
    Canvas = &ASkins->Canvas();
    GraphicControl = dynamic_cast<TControl*>(Owner());
    if (!GraphicControl) return;
    FHooked = true;
    FHook.Install(*GraphicControl, [this](TMessage& M, const TWndMethod&) { MessageEntry(M); });
    ASkins->Add(this);
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
    // A handler below may free the control or its form (and this skin with it), or destroy
    // the window (its WM_NCDESTROY then arrives nested): nothing of the skin is touched once
    // it went, and only the outermost message deletes it.
    const std::shared_ptr<bool> Alive = FAlive;
    ++FDepth;
    if (!SkinActive) {
        if (M.Msg == SKM_ENABLESKIN) {
            SkinActive = M.WParam > 0;
            if (SkinActive) Repaint();
        } else {
            PassOn(M);
            if (!*Alive) return;
            if (M.Msg == WM_NCDESTROY) State = scsDestroyed;
        }
    } else if (BeforeMessage(M)) {
        if (!*Alive) return;
        PassOn(M);
        if (!*Alive) return;
        // A skin let go of while its control handled the message has nothing more to do.
        if (!FDisposed) AfterMessage(M);
    }
    if (!*Alive) return;
    --FDepth;
    // The window is gone: so is its skin.
    if (FDepth == 0 && (State == scsDestroyed || FDisposed)) Dispose();
}

void TSkinControl::Dispose() {
    if (FDepth == 0) {
        delete this;
        return;
    }
    FDisposed = true;
    Release();
}

bool TSkinControl::BeforeMessage(TMessage& M) {
    if (M.Msg == WM_NCDESTROY) {
        if (!PassOnSurvived(M)) return false;
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
        // Kept here rather than asked for at each paint: asking costs the system a round trip.
        Focused = M.Msg == WM_SETFOCUS;
        Repaint();
        break;
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        Repaint();
        break;
    case WM_SETTEXT:
        if (M.LParam)
            Text = FHooked ? std::wstring(reinterpret_cast<const wchar_t*>(M.LParam))
                           : AnsiToWide(reinterpret_cast<const char*>(M.LParam));
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
    if (Recolour && Control) GiveColourBack();
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

void TSkinControl::PaintWhole(TMessage& M) {
    PAINTSTRUCT PS{};
    const HDC Given = reinterpret_cast<HDC>(M.WParam);
    const HDC DC = Given ? Given : BeginPaint(Wnd, &PS);
    try {
        if (DC && GetWindowRect(Wnd, &ScreenRect))
            Paint(DC,
                  {0, 0, ScreenRect.right - ScreenRect.left, ScreenRect.bottom - ScreenRect.top});
    } catch (...) {
        // A broken skin never stops the control.
    }
    if (!Given) EndPaint(Wnd, &PS);
    M.Result = 0;
}

void TSkinControl::PaintOverOwn(TMessage& M, bool EraseFirst) {
    PAINTSTRUCT PS{};
    const HDC Given = reinterpret_cast<HDC>(M.WParam);
    const HDC DC = Given ? Given : BeginPaint(Wnd, &PS);
    RECT Client{};
    GetClientRect(Wnd, &Client);
    if (DC && Client.right > 0 && Client.bottom > 0) {
        TBitmap Picture(Client.right, Client.bottom);
        const HDC Off = Picture.Canvas()->Handle();
        // The control's own picture first (its background included), then the skin's.
        if (EraseFirst) {
            TMessage Erase{WM_ERASEBKGND, reinterpret_cast<WPARAM>(Off), 0, 0};
            PassOn(Erase);
        }
        TMessage Own{WM_PAINT, reinterpret_cast<WPARAM>(Off), 0, 0};
        PassOn(Own);
        try {
            Paint(Off, Client);
        } catch (...) {
            // A broken skin leaves the control's own look.
        }
        BitBlt(DC, 0, 0, Client.right, Client.bottom, Off, 0, 0, SRCCOPY);
    }
    if (!Given) EndPaint(Wnd, &PS);
    M.Result = 0;
}

void TSkinControl::RepaintNow() {
    if (Wnd && IsWindowVisible(Wnd))
        RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

// ---------------------------------------------------------------------------------------------
// The skins of one window

bool TControlSkins::Add(TSkinControl* Skin) {
    if (std::find(FItems.begin(), FItems.end(), Skin) != FItems.end()) return true;
    FItems.push_back(Skin);
    return false;
}

void TControlSkins::Remove(TSkinControl* Skin) {
    FItems.erase(std::remove(FItems.begin(), FItems.end(), Skin), FItems.end());
    if (FHoverButton == Skin) FHoverButton = nullptr;
}

TSkinControl* TControlSkins::Find(HWND Wnd) const {
    for (TSkinControl* S : FItems)
        if (S->Wnd == Wnd && S->State != scsDestroyed) return S;
    return nullptr;
}

bool TControlSkins::Has(const TComponent* Component) const {
    for (TSkinControl* S : FItems)
        if (S->SkinnedControl() == Component) return true;
    return false;
}

void TControlSkins::FreeAll() {
    FHoverButton = nullptr;
    // Each skin takes itself out of the list as it goes (a skin inside a message of its
    // control ends when that returns).
    while (!FItems.empty())
        FItems.back()->Dispose();
}

void TControlSkins::DropDestroyed() {
    for (TSkinControl* S : std::vector<TSkinControl*>(FItems))
        if (S->State == scsDestroyed) S->Dispose();
}

void TControlSkins::SetHoverButton(TSkinControl* Button) {
    if (FHoverButton && FHoverButton != Button) FHoverButton->EndHover();
    FHoverButton = Button;
}

void TControlSkins::ForgetHoverButton(const TSkinControl* Button) {
    if (FHoverButton == Button) FHoverButton = nullptr;
}

void TControlSkins::EndHoverButton() {
    if (TSkinControl* B = std::exchange(FHoverButton, nullptr)) B->EndHover();
}

PUBLISHED(TSkinControl) {}
