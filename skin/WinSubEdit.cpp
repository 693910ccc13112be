#include "WinSubEdit.h"

#include "ImgUtil.h"
#include "WinConvert.h"
#include "WinSubCtrls.h"
#include "WinSubScroll.h"

#include "StdCtrls.h"

namespace {

int RectWidth(const RECT& R) {
    return R.right - R.left;
}
int RectHeight(const RECT& R) {
    return R.bottom - R.top;
}

void Frame(HDC DC, const RECT& R, TColor Colour) {
    TBrushHandle Brush(CreateSolidBrush(ColorToRGB(Colour) & 0xFFFFFF));
    FrameRect(DC, &R, Brush);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Edit boxes

bool TSkinEdit::BeforeMessage(TMessage& M) {
    // An edit painting into a DC it was given leaves its client area clipped there; the border
    // lies outside it.
    if (M.Msg == WM_PAINT && M.WParam) FSavedDC = SaveDC(reinterpret_cast<HDC>(M.WParam));
    return TSkinControl::BeforeMessage(M);
}

void TSkinEdit::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_PAINT: {
        // Into the DC the edit was painted into (a picture of it being made), else the window's:
        // the border lies outside the client area a BeginPaint DC gives.
        const auto DC = reinterpret_cast<HDC>(M.WParam);
        if (DC && FSavedDC) RestoreDC(DC, FSavedDC);
        FSavedDC = 0;
        PaintFrame(DC);
        return;
    }
    case WM_PRINTCLIENT:
        PaintPrinted(reinterpret_cast<HDC>(M.WParam));
        return;
    default:
        TSkinControl::AfterMessage(M);
    }
}

void TSkinEdit::FindUpDown() {
    for (HWND C = GetWindow(Wnd, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT)) {
        const std::wstring Class = LowerCase(WindowClassName(C));
        if (Class == L"msctls_updown32" || Class.find(L"spin") != std::wstring::npos ||
            Class.find(L"updown") != std::wstring::npos) {
            UpDownWnd = C;
            // An up-down inside the edit is drawn as part of it, one pixel inside its border.
            if (Skins && !Skins->Find(C)) {
                UpDown = new TSkinUpDown(this);
                UpDown->BuddyMode = true;
                UpDown->InitWindow(C, SkinData, Skins);
            }
            return;
        }
    }
}

void TSkinEdit::Notification(TComponent* AComponent, TOperation Operation) {
    TSkinControl::Notification(AComponent, Operation);
    // The up-down's window went, and its skin with it.
    if (Operation == opRemove && AComponent == UpDown) {
        UpDown = nullptr;
        UpDownWnd = nullptr;
    }
}

void TSkinEdit::Paint(HDC DC, const RECT& R) {
    if (!UpDownWnd) FindUpDown();
    RECT Client;
    GetClientRect(Wnd, &Client);
    // Only an edit with a border gets the skin's flat one.
    if (RectWidth(Client) >= RectWidth(R) || RectHeight(Client) >= RectHeight(R)) return;
    Frame(DC, R, SkinData->ButtonShadow);
    RECT Inner = R;
    InflateRect(&Inner, -1, -1);
    Frame(DC, Inner, clWhite);
}

void TSkinEdit::PaintPrinted(HDC DC) {
    if (!DC || !GetWindowRect(Wnd, &ScreenRect)) return;
    const RECT R{0, 0, RectWidth(ScreenRect), RectHeight(ScreenRect)};
    RECT Client;
    GetClientRect(Wnd, &Client);
    if (RectWidth(Client) + 2 >= RectWidth(R) || RectHeight(Client) + 2 >= RectHeight(R)) return;
    RECT Inner = R;
    InflateRect(&Inner, -1, -1);
    // The edit's own background colour, as the printing DC holds it.
    FrameRect(DC, &Inner, static_cast<HBRUSH>(GetCurrentObject(DC, OBJ_BRUSH)));
    Frame(DC, R, SkinData->ButtonShadow);
}

// ---------------------------------------------------------------------------------------------
// Combo boxes

TSkinComBox::~TSkinComBox() {
    Destroying();
    FEdit.Remove();
}

void TSkinComBox::Notification(TComponent* AComponent, TOperation Operation) {
    TSkinControl::Notification(AComponent, Operation);
    // The list's window went, and the skin of its bars with it.
    if (Operation == opRemove && AComponent == ListBars) {
        ListBars = nullptr;
        ListWnd = nullptr;
    }
}

void TSkinComBox::InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) {
    if (Attached) return;
    TSkinControl::InitControl(ASkins, Data, ARecolour);
    if (Attached) AttachParts();
}

void TSkinComBox::InitWindow(HWND AWnd, TSkinData* Data, TControlSkins* ASkins) {
    if (Attached) return;
    TSkinControl::InitWindow(AWnd, Data, ASkins);
    if (Attached) AttachParts();
}

void TSkinComBox::AttachParts() {
    ReadBoxState();
    if ((Style & 3) != CBS_SIMPLE) {
        // The edit part repaints the whole box after its own painting and shows the press.
        EditWnd = GetWindow(Wnd, GW_CHILD);
        if (EditWnd)
            FEdit.Install(
                EditWnd, [this](TMessage& M) { EditMessage(M); },
                IsWindowUnicode(EditWnd) != FALSE);
        return;
    }
    ListWnd = Info.hwndList;
    if (ListWnd && (GetWindowLongW(ListWnd, GWL_STYLE) & WS_CHILD) && !Skins->Find(ListWnd)) {
        ListBars = new TSkinScrollbarH(this);
        ListBars->InitWindow(ListWnd, SkinData, Skins);
    }
}

void TSkinComBox::EditMessage(TMessage& M) {
    if (!Survives([&] { FEdit.CallPrevious(M); })) return;
    switch (M.Msg) {
    case WM_PAINT:
        PaintFrame();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseState |= msPressed;
        Repaint();
        break;
    case WM_LBUTTONUP:
        MouseState &= ~msPressed;
        Repaint();
        break;
    default:
        break;
    }
}

void TSkinComBox::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseState |= msPressed;
        Repaint();
        return;
    case WM_DRAWITEM:
    case WM_NCPAINT:
        PaintFrame();
        return;
    case WM_LBUTTONUP:
        MouseState &= ~msPressed;
        Repaint();
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (Enabled || !(GetWindowLongW(Wnd, GWL_STYLE) & WS_DISABLED)) {
            if (M.Msg == CM_MOUSEENTER)
                MouseState |= msHot;
            else
                MouseState &= ~msHot;
        }
        return;
    default:
        TSkinControl::AfterMessage(M);
    }
}

void TSkinComBox::ReadBoxState() {
    Style = GetWindowLongW(Wnd, GWL_STYLE);
    ExStyle = GetWindowLongW(Wnd, GWL_EXSTYLE);
    Info = {};
    Info.cbSize = sizeof(Info);
    GetComboBoxInfo(Wnd, &Info);
}

void TSkinComBox::Paint(HDC DC, const RECT& R) {
    TDataSkinBorder* Button = SkinData->ComboButton.get();
    if (!Button || Button->Bitmap.Empty()) return;
    ReadBoxState();
    if (Info.stateButton & STATE_SYSTEM_INVISIBLE) return;
    const int F = ButtonFrame();
    const bool Left = (ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
    switch (Button->Style) {
    case 1:
        PaintFlatBox(DC, R, *Button, F);
        break;
    case 2: {
        TDataSkinObject& Image = Left && SkinData->SunkEdge ? *SkinData->SunkEdge : *Button;
        DrawSkinNineGrid(DC, R, Image.Bitmap, false, Image.Tile != 0, true, Image.FrameCount, F,
                         Image.Margins);
        break;
    }
    default:
        PaintSunkBoxWithButton(DC, R, *Button, Left, F);
        break;
    }
}

int TSkinComBox::ButtonFrame() const {
    const bool IsEnabled = !(Style & WS_DISABLED);
    const HWND Focus = GetFocus();
    const bool IsFocused = Focus == Wnd || (EditWnd && Focus == EditWnd);
    return !IsEnabled                            ? 3
           : (MouseState & msPressed)            ? 2
           : (IsFocused || (MouseState & msHot)) ? 4
                                                 : 1;
}

void TSkinComBox::PaintFlatBox(HDC DC, const RECT& R, TDataSkinBorder& Button, int F) {
    // The system's edge and button go under the box's ground, which the DC holds.
    HBRUSH Ground = static_cast<HBRUSH>(GetCurrentObject(DC, OBJ_BRUSH));
    RECT Inner = R;
    InflateRect(&Inner, -1, -1);
    FrameRect(DC, &Inner, Ground);
    const int Square = GetSystemMetrics(SM_CYVTHUMB);
    const RECT Place{Inner.right - Square, Inner.top, Inner.right, Inner.bottom};
    FillRect(DC, &Place, Ground);
    DrawSkinFrame(DC, Place, Button.Bitmap, false, Button.FrameCount, F);
    Frame(DC, R, SkinData->ButtonShadow);
}

void TSkinComBox::PaintSunkBoxWithButton(HDC DC, const RECT& R, TDataSkinBorder& Button, bool Left,
                                         int F) {
    const int B = GetSystemMetrics(SM_CXHSCROLL);
    // The text area inside stays as the box painted it; only the edge and the button change.
    TSaveDC Saved(DC);
    if (Left)
        ExcludeClipRect(DC, B + 4, 2, R.right - 2, R.bottom - 2);
    else
        ExcludeClipRect(DC, 2, 2, R.right - B - 4, R.bottom - 2);
    if (TDataSkinObject* Sunk = SkinData->SunkEdge.get())
        DrawSkinNineGrid(DC, R, Sunk->Bitmap, false, Sunk->Tile != 0, Sunk->Trans != 0,
                         Sunk->FrameCount, F, Sunk->Margins);
    const RECT Place = Left ? RECT{2, R.top, B + 2, R.bottom}
                            : RECT{R.right - B - 2, R.top, R.right - 2, R.bottom};
    DrawSkinFrame(DC, Place, Left ? Button.ExtraBitmap : Button.Bitmap, true, Button.FrameCount, F);
    if (TDataSkinObject* Glyph = SkinData->ExtraImages.get(); Glyph && !Glyph->Bitmap.Empty())
        DrawSkinGlyph(DC, Place, Glyph->Bitmap, true, Glyph->FrameCount, F);
}

PUBLISHED(TSkinEdit) {}
PUBLISHED(TSkinComBox) {}
