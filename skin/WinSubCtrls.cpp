#include "WinSubCtrls.h"

#include "ImgUtil.h"
#include "WinConvert.h"

#include "StdCtrls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace {

// Pictures of twelve (check) or eight (radio) frames keep checked, disabled and disabled
// checked further along than the four-frame order 2, 3, 4.
int LongPictureFrame(int S) {
    return S == 2 ? 5 : S == 3 ? 4 : S == 4 ? 8 : S;
}

bool Contains(const std::wstring& S, const wchar_t* Part) {
    return S.find(Part) != std::wstring::npos;
}

COLORREF Rgb(TColor C) {
    return ColorToRGB(C) & 0xFFFFFF;
}

DWORD StyleOf(HWND Wnd) {
    return static_cast<DWORD>(GetWindowLongW(Wnd, GWL_STYLE));
}

// The text of a published property in lower case; empty when the control has none.
std::wstring LowerProp(const TControl* C, std::wstring_view Name) {
    return C ? LowerCase(GetPropText(*C, Name)) : std::wstring();
}

bool HasProp(const TControl* C, std::wstring_view Name) {
    return C && IsPublishedProp(*C, Name);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Check boxes and radio buttons

TBitmap* TSkinCheckBox::GlyphImage() {
    return SkinData && SkinData->Buttons ? &SkinData->Buttons->CheckBitmap : nullptr;
}

int TSkinCheckBox::GlyphFrameCount() {
    return std::max(SkinData->Buttons->CheckFrameCount, 1);
}

bool TSkinCheckBox::BeforeMessage(TMessage& M) {
    if (M.Msg == WM_PAINT) {
        const TBitmap* Image = GlyphImage();
        if (Image && !Image->Empty()) {
            PaintOverOwn(M);
            return false;
        }
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinCheckBox::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    // The system's button paints these changes at once, outside WM_PAINT.
    case BM_SETCHECK:
    case BM_SETSTATE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
    case CM_EXIT:
    case CM_ENABLEDCHANGED:
        RepaintNow();
        break;
    case WM_SETTEXT:
        TSkinControl::AfterMessage(M);
        RepaintNow();
        break;
    default:
        TSkinControl::AfterMessage(M);
    }
}

int TSkinCheckBox::GlyphFrame() {
    const LRESULT Shown = SendMessageW(Wnd, BM_GETSTATE, 0, 0) & 3;
    const bool Indeterminate = Shown == BST_INDETERMINATE;
    int S = Shown == BST_CHECKED ? 2 : 1;
    // A control object's own state wins over what its window shows.
    const TControl* C = SkinnedControl();
    if (HasProp(C, L"State")) {
        const std::wstring V = LowerProp(C, L"State");
        if (Contains(V, L"uncheck"))
            S = 1;
        else if (Contains(V, L"check"))
            S = 2;
        else if (Contains(V, L"gray"))
            S = 4;
    } else if (HasProp(C, L"Checked")) {
        S = LowerProp(C, L"Checked") == L"true" ? 2 : 1;
    }
    const bool Disabled = (StyleOf(Wnd) & WS_DISABLED) != 0;
    if (Disabled) S += 2;
    if (Indeterminate) S = 4;
    if (GlyphFrameCount() == 12) S = Indeterminate ? (Disabled ? 12 : 9) : LongPictureFrame(S);
    return S;
}

RECT TSkinCheckBox::GlyphPlace(const RECT& R, int G, int GH, bool OnTheRight) {
    const int Top = R.top + (R.bottom - R.top - GH) / 2;
    int Left;
    if (OnTheRight)
        Left = (G < 16 ? R.right - (15 - G) / 2 : R.right - 1) - G;
    else
        Left = G < 15 ? R.left + 1 + (14 - G) / 2 : R.left + 2;
    return {Left, Top, Left + G, Top + GH};
}

void TSkinCheckBox::Paint(HDC DC, const RECT& R) {
    TBitmap* Image = GlyphImage();
    if (!Image || Image->Empty() || !Wnd) return;
    const int N = GlyphFrameCount();
    const int G = Image->Width() / N, GH = Image->Height();
    if (G <= 0) return;
    const bool OnTheRight = (StyleOf(Wnd) & BS_LEFTTEXT) != 0;
    const RECT Cell = OnTheRight ? RECT{R.right - 18, R.top, R.right, R.bottom}
                                 : RECT{R.left, R.top, R.left + 16, R.bottom};
    FillParentColour(DC, Cell);
    DrawSkinFrame(DC, GlyphPlace(R, G, GH, OnTheRight), *Image, true, N, GlyphFrame());
}

TBitmap* TSkinRadioButton::GlyphImage() {
    return SkinData && SkinData->Buttons ? &SkinData->Buttons->RadioBitmap : nullptr;
}

int TSkinRadioButton::GlyphFrameCount() {
    return std::max(SkinData->Buttons->RadioFrameCount, 1);
}

int TSkinRadioButton::GlyphFrame() {
    int S = SendMessageW(Wnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 2 : 1;
    const TControl* C = SkinnedControl();
    if (HasProp(C, L"Checked")) S = LowerProp(C, L"Checked") == L"true" ? 2 : 1;
    if (StyleOf(Wnd) & WS_DISABLED) S += 2;
    if (GlyphFrameCount() == 8) S = LongPictureFrame(S);
    return S;
}

RECT TSkinRadioButton::GlyphPlace(const RECT& R, int G, int GH, bool OnTheRight) {
    const int Top = R.top + (R.bottom - R.top - GH) / 2;
    int Left;
    if (OnTheRight)
        Left = (G < 15 ? R.right - (14 - G) / 2 : R.right - 1) - G;
    else
        Left = G < 15 ? R.left + (14 - G) / 2 : R.left;
    return {Left, Top, Left + G, Top + GH};
}

// ---------------------------------------------------------------------------------------------
// Group boxes

bool TSkinGroupBox::BeforeMessage(TMessage& M) {
    if (M.Msg == WM_PAINT) {
        PaintOverOwn(M);
        return false;
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinGroupBox::Paint(HDC DC, const RECT& R) {
    if (!Wnd) return;
    std::wstring Caption = SkinWindowText(Wnd, Control != nullptr);
    if (Caption.empty() && Control) Caption = GetPropText(*Control, L"Caption");
    HFONT Font = Control ? Control->Font()->Handle()
                         : reinterpret_cast<HFONT>(SendMessageW(Wnd, WM_GETFONT, 0, 0));
    // Made before the DC's state is saved, so that it is deselected before it goes.
    TPenHandle Pen(CreatePen(PS_SOLID, 1, Rgb(SkinData->ButtonShadow)));
    TSaveDC Saved(DC);
    SelectObject(DC, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
    // The line runs through the middle of the caption's first line.
    SIZE Zero{};
    GetTextExtentPoint32W(DC, L"0", 1, &Zero);
    const int H = Zero.cy / 2 - 1;
    CoverOwnEdge(DC, {R.left, R.top + H, R.right, R.bottom});
    SelectObject(DC, Pen);
    SelectObject(DC, GetStockObject(NULL_BRUSH));
    RoundRect(DC, R.left + 1, R.top + H, R.right - 1, R.bottom - 1, 5, 5);
    if (!Caption.empty()) PaintCaption(DC, R, Caption);
}

void TSkinGroupBox::CoverOwnEdge(HDC DC, RECT Edge) {
    TBrushHandle OwnFace;
    HBRUSH Face = SkinData->FaceBrush();
    if (!Face) {
        OwnFace = TBrushHandle(CreateSolidBrush(Rgb(SkinData->ButtonFace)));
        Face = OwnFace;
    }
    FrameRect(DC, &Edge, Face);
    InflateRect(&Edge, -1, -1);
    FrameRect(DC, &Edge, Face);
}

void TSkinGroupBox::PaintCaption(HDC DC, const RECT& R, const std::wstring& Caption) {
    const bool Disabled = (StyleOf(Wnd) & WS_DISABLED) != 0;
    const TColor Ink = Disabled  ? SkinData->ButtonShadow
                       : Control ? Control->Font()->Color()
                                 : SkinData->ButtonText;
    // Opaque: the caption breaks the line.
    SetBkMode(DC, OPAQUE);
    SetBkColor(DC, Rgb(SkinData->ButtonFace));
    SetTextColor(DC, Rgb(Ink));
    RECT T{R.left + 9, R.top, R.right, R.bottom};
    DrawTextW(DC, Caption.c_str(), static_cast<int>(Caption.size()), &T,
              DT_EXPANDTABS | DT_SINGLELINE);
}

// ---------------------------------------------------------------------------------------------
// Panels and containers

void TSkinBox::InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) {
    if (Attached) return;
    Recolour = ARecolour;
    SkinData = Data;
    Skins = ASkins;
    Canvas = &ASkins->Canvas();
    Control = dynamic_cast<TWinControl*>(Owner());
    if (!Control) return;
    Wnd = Control->HandleAllocated() ? Control->Handle() : nullptr;
    ASkins->Add(this);
    if (Recolour) TakeColour();
    Attached = true;
    State = scsAttached;
}

void TSkinBox::RestoreColor() {
    if (State != scsDestroyed && Recolour && Control) GiveColourBack();
    State = scsRestored;
}

// ---------------------------------------------------------------------------------------------
// Custom check glyphs

void TSkinObjImage::InitControl(TControlSkins* ASkins, TSkinData* Data, bool ARecolour) {
    TSkinBox::InitControl(ASkins, Data, ARecolour);
    if (Attached && Mode == 1) BuildGlyphs();
}

void TSkinObjImage::Refresh() {
    if (Mode == 1) BuildGlyphs();
}

TSkinObjImage::~TSkinObjImage() {
    // A skin taken off a live control (the skin switched off) leaves it its own glyphs.
    GiveGlyphsBack();
}

void TSkinObjImage::RestoreColor() {
    TSkinBox::RestoreColor();
    GiveGlyphsBack();
}

void TSkinObjImage::GiveGlyphsBack() {
    if (Mode != 1 || !Attached || !Control || State == scsDestroyed ||
        Control->ComponentState().Contains(csDestroying))
        return;
    try {
        SetPropText(*Control, L"UseCustomGlyphs", L"false");
    } catch (...) {
        // A control without the switch keeps what it has.
    }
}

void TSkinObjImage::BuildGlyphs() {
    auto* Target =
        Control ? dynamic_cast<TBitmap*>(GetObjectProp(*Control, L"CustomGlyphs")) : nullptr;
    if (!Target || !SkinData || !SkinData->Buttons) return;
    TBitmap& Source = SkinData->Buttons->CheckBitmap;
    const int N = std::max(SkinData->Buttons->CheckFrameCount, 1);
    const int G = Source.Width() / N, H = Source.Height();
    if (G <= 0 || H <= 0) return;
    // Slots 1-9 hold unchecked, checked and grayed, then the same pressed, then disabled.
    const std::vector<std::pair<int, std::vector<int>>> Slots = {
        {1, {1, 4}}, {2, {2, 5}}, {3, {7}}, {4, {8}}};
    TBitmap Glyphs(9 * G, H, pf24bit);
    FillColor(Glyphs.Canvas()->Handle(), {0, 0, 9 * G, H}, SkinKeyColour);
    auto Copy = [&](int Frame, int Slot) {
        BitBlt(Glyphs.Canvas()->Handle(), (Slot - 1) * G, 0, G, H, Source.Canvas()->Handle(),
               (Frame - 1) * G, 0, SRCCOPY);
    };
    for (const auto& [Frame, To] : Slots)
        if (Frame <= N)
            for (int Slot : To)
                Copy(Frame, Slot);
    if (N == 5)
        for (int Slot : {3, 6, 9})
            Copy(5, Slot);
    Target->Assign(Glyphs);
    try {
        SetPropText(*Control, L"transparentcolor", L"16711935");
        // Off and on again: the control reads its glyphs when the switch turns on.
        SetPropText(*Control, L"UseCustomGlyphs", L"false");
        SetPropText(*Control, L"UseCustomGlyphs", L"true");
    } catch (const EPropertyError&) {
        // A control without these properties shows the picture as it takes it.
    }
}

// ---------------------------------------------------------------------------------------------
// Progress bars

bool TSkinProgress::BeforeMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        M.Result = 1;
        return false;
    case WM_PAINT:
        if (!HasPicture(SkinData->Progress.get())) break;
        PaintWhole(M);
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinProgress::Paint(HDC DC, const RECT& R) {
    if (!HasPicture(SkinData->Progress.get()) || !Wnd) return;
    TDataSkinBorder& P = *SkinData->Progress;
    const int W = R.right - R.left, H = R.bottom - R.top;
    if (W <= 0 || H <= 0) return;
    const int Pos = static_cast<int>(SendMessageW(Wnd, PBM_GETPOS, 0, 0));
    const int Upper = static_cast<int>(SendMessageW(Wnd, PBM_GETRANGE, FALSE, 0));
    if (P.Style == 1) return PaintChunks(DC, R, Pos, Upper);

    // A vertical bar is built lying down and turned, so that it fills from the bottom.
    const bool Vertical = (StyleOf(Wnd) & PBS_VERTICAL) != 0;
    const int BW = Vertical ? H : W, BH = Vertical ? W : H;
    TBitmap Bar(BW, BH, pf24bit);
    {
        const HDC BarDC = Bar.Canvas()->Handle();
        const RECT All{0, 0, BW, BH};
        FillColor(BarDC, All, SkinData->ButtonFace);
        DrawSkinNineGrid(BarDC, All, P.Bitmap, false, P.Tile != 0, true, 2, 1, P.Margins);
        if (Pos > 0 && Upper > 0) {
            const int Filled = MulDiv(BW, Pos, Upper);
            if (Filled > 0)
                DrawSkinNineGrid(BarDC, {0, 0, std::min(Filled, BW), BH}, P.Bitmap, false,
                                 P.Tile != 0, true, 2, 2, P.Margins);
        }
    }
    if (Vertical) RotateBitmapLeft(Bar);
    const HDC BarDC = Bar.Canvas()->Handle();
    // The bottom row is left out of the bar; it shows what lies behind the control.
    FillParentColour(BarDC, {0, H - 1, W, H});
    BitBlt(DC, R.left, R.top, W, H, BarDC, 0, 0, SRCCOPY);
}

void TSkinProgress::PaintChunks(HDC DC, const RECT& R, int Pos, int Upper) {
    TDataSkinBorder& P = *SkinData->Progress;
    const int W = R.right - R.left, H = R.bottom - R.top;
    // Repainted at every step: composed in the skin's off-screen bitmap.
    TBitmap& Picture = SkinData->WorkBitmap();
    Picture.SetPixelFormat(pf24bit);
    Picture.SetSize(W, H);
    const HDC Off = Picture.Canvas()->Handle();
    const RECT All{0, 0, W, H};
    FillColor(Off, All, SkinData->ButtonFace);
    DrawSkinNineGrid(Off, All, P.Bitmap, false, P.Tile != 0, true, 1, 1, P.Margins);
    TBitmap& Chunk = P.ExtraBitmap;
    if (Pos > 0 && Upper > 0 && !Chunk.Empty()) {
        const int Filled = MulDiv(W, Pos, Upper);
        if (Filled > 0) {
            const int CW = Chunk.Width(), CH = Chunk.Height();
            TBitmap Strip(Filled, CH, pf24bit);
            for (int I = 0; I <= Filled / CW; ++I)
                BitBlt(Strip.Canvas()->Handle(), I * CW, 0, CW, CH, Chunk.Canvas()->Handle(), 0, 0,
                       SRCCOPY);
            const int X = static_cast<int>(P.Margins.left), Y = (H - CH) / 2;
            DrawTransparent(Off, {X, Y, X + Filled, Y + CH}, Strip, SkinKeyColour);
        }
    }
    BitBlt(DC, R.left, R.top, W, H, Off, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Track bars

bool TSkinTrackBar::BeforeMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        M.Result = 1;
        return false;
    case WM_NOTIFY:
    case CN_NOTIFY:
        if (CustomDraw(M)) return false;
        break;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(M);
}

bool TSkinTrackBar::CustomDraw(TMessage& M) {
    auto* Header = reinterpret_cast<NMHDR*>(M.LParam);
    if (!Header || Header->code != static_cast<UINT>(NM_CUSTOMDRAW) || Header->hwndFrom != Wnd)
        return false;
    auto* Draw = reinterpret_cast<NMCUSTOMDRAW*>(M.LParam);
    switch (Draw->dwDrawStage) {
    case CDDS_PREPAINT:
        M.Result = CDRF_NOTIFYITEMDRAW;
        return true;
    case CDDS_ITEMPREPAINT:
        if (Draw->dwItemSpec != TBCD_THUMB) {
            M.Result = CDRF_DODEFAULT;
            return true;
        }
        try {
            DrawThumb(Draw->hdc);
        } catch (...) {
            // A broken skin leaves the thumb out rather than the program.
        }
        M.Result = CDRF_SKIPDEFAULT;
        return true;
    default:
        return false;
    }
}

void TSkinTrackBar::DrawThumb(HDC DC) {
    RECT Thumb{};
    SendMessageW(Wnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&Thumb));
    if (Thumb.right <= Thumb.left || Thumb.bottom <= Thumb.top) return;
    TDataSkinObject* Image = SkinData->TrackbarThumbHorz.get();
    if ((StyleOf(Wnd) & TBS_VERT) && SkinData->TrackbarThumbVert &&
        !SkinData->TrackbarThumbVert->Bitmap.Empty())
        Image = SkinData->TrackbarThumbVert.get();
    if (Image && !Image->Bitmap.Empty()) {
        DrawSkinFrame(DC, Thumb, Image->Bitmap, true, Image->FrameCount, 2);
        return;
    }
    TPenHandle Pen(CreatePen(PS_SOLID, 1, Rgb(SkinData->ButtonShadow)));
    TBrushHandle Face(CreateSolidBrush(Rgb(SkinData->ButtonFace)));
    TSelectObject UsePen(DC, Pen);
    TSelectObject UseBrush(DC, Face);
    Rectangle(DC, Thumb.left, Thumb.top, Thumb.right, Thumb.bottom);
}

void TSkinTrackBar::Refresh() {
    if (Control && Wnd && IsWindowVisible(Wnd)) Control->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Up-down controls

bool TSkinUpDown::BeforeMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_PAINT:
        PaintWhole(M);
        return false;
    case WM_ERASEBKGND:
        if (!Control && M.WParam) {
            RECT Client;
            GetClientRect(Wnd, &Client);
            FillColor(reinterpret_cast<HDC>(M.WParam), Client, clWhite);
        }
        M.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The control steps and starts repeating on its own; the skin only shows the press.
        if (!PassOnSurvived(M)) return false;
        MouseState |= msPressed;
        PaintFrame();
        return false;
    case WM_LBUTTONUP:
        MouseState &= ~msPressed;
        if (!PassOnSurvived(M)) return false;
        PaintFrame();
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinUpDown::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_MOUSEMOVE: {
        // Painted again when the pointer comes in or crosses into the other half.
        const bool Entered = !(MouseState & msHot);
        if (Entered) {
            MouseState |= msHot;
            TRACKMOUSEEVENT T{sizeof(T), TME_LEAVE, Wnd, 0};
            TrackMouseEvent(&T);
        }
        RECT Client;
        GetClientRect(Wnd, &Client);
        const bool Horz = Horizontal || (StyleOf(Wnd) & UDS_HORZ);
        const POINT P{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
        const int Half = Horz ? P.x >= Client.right / 2 : P.y >= Client.bottom / 2;
        if (Entered || Half != FLastHalf) PaintFrame();
        break;
    }
    case WM_MOUSELEAVE:
        MouseState &= ~msHot;
        PaintFrame();
        break;
    case CM_MOUSELEAVE:
        if (M.LParam == 0) {
            MouseState &= ~msHot;
            PaintFrame();
        }
        break;
    default:
        TSkinControl::AfterMessage(M);
    }
}

void TSkinUpDown::Paint(HDC DC, const RECT& R) {
    if (!Wnd) return;
    RECT Client;
    GetClientRect(Wnd, &Client);
    const int W = Client.right, H = Client.bottom;
    if (W <= 0 || H <= 0) return;
    TBitmap Picture(W, H, pf24bit);
    const HDC Off = Picture.Canvas()->Handle();
    FillColor(Off, Client, SkinData->ButtonFace);
    RECT Area = Client;
    if (BuddyMode) InflateRect(&Area, -1, -1);

    POINT Pointer{};
    GetCursorPos(&Pointer);
    ScreenToClient(Wnd, &Pointer);
    const DWORD Style = StyleOf(Wnd);
    const bool IsEnabled = !(Style & WS_DISABLED);
    const bool Horz = Horizontal || (Style & UDS_HORZ);
    RECT First = Area, Second = Area;
    if (Horz)
        First.right = Second.left = Area.left + (Area.right - Area.left) / 2;
    else
        First.bottom = Second.top = Area.top + (Area.bottom - Area.top) / 2;
    auto StateOf = [&](const RECT& Half) {
        if (!IsEnabled) return 3;
        if (!PtInRect(&Half, Pointer)) return 1;
        return (MouseState & msPressed) ? 2 : (MouseState & msHot) ? 4 : 1;
    };
    FLastHalf = PtInRect(&First, Pointer) ? 0 : PtInRect(&Second, Pointer) ? 1 : -1;
    PaintArrow(Off, First, Horz ? 2 : 0, StateOf(First));
    PaintArrow(Off, Second, Horz ? 3 : 1, StateOf(Second));
    BitBlt(DC, R.left, R.top, W, H, Off, 0, 0, SRCCOPY);
}

void TSkinUpDown::PaintArrow(HDC DC, const RECT& Half, int Arrow, int State) {
    if (Half.right <= Half.left || Half.bottom <= Half.top) return;
    TDataSkinBorder* Image = Arrow >= 2 ? SkinData->UpDownHorz.get() : SkinData->UpDownVert.get();
    if (!Image || Image->Bitmap.Empty()) return DrawnArrow(DC, Half, Arrow, State);
    // The eight frames: the four states of the first arrow, then those of the second.
    const int Frame = State + 4 * (Arrow >= 2 ? Arrow - 2 : Arrow);
    DrawSkinFrame(DC, Half, Image->Bitmap, true, Image->FrameCount, Frame);
    if (!Image->ExtraBitmap.Empty())
        DrawSkinGlyph(DC, Half, Image->ExtraBitmap, true, Image->FrameCount, Frame);
}

void TSkinUpDown::DrawnArrow(HDC DC, const RECT& Half, int Arrow, int State) {
    {
        TPenHandle Pen(CreatePen(PS_SOLID, 1, Rgb(SkinData->ButtonDkShadow)));
        TBrushHandle Fill(CreateSolidBrush(
            Rgb(State == 2 || State == 4 ? SkinData->ButtonShadow : SkinData->ButtonFace)));
        TSelectObject UsePen(DC, Pen);
        TSelectObject UseBrush(DC, Fill);
        Rectangle(DC, Half.left, Half.top, Half.right, Half.bottom);
    }
    // Four short lines, the shortest at the tip, centred on the half.
    const TColor Ink = State == 3 ? SkinData->ButtonShadow : SkinData->ButtonText;
    const int CX = (Half.left + Half.right) / 2, CY = (Half.top + Half.bottom) / 2;
    for (int K = 0; K < 4; ++K) {
        RECT Line;
        switch (Arrow) {
        case 0: // up: the tip on top
            Line = {CX - K, CY - 2 + K, CX + K + 1, CY - 1 + K};
            break;
        case 1: // down
            Line = {CX - 3 + K, CY - 2 + K, CX + 4 - K, CY - 1 + K};
            break;
        case 2: // left
            Line = {CX - 2 + K, CY - K, CX - 1 + K, CY + K + 1};
            break;
        default: // right
            Line = {CX - 2 + K, CY - 3 + K, CX - 1 + K, CY + 4 - K};
            break;
        }
        FillColor(DC, Line, Ink);
    }
}

PUBLISHED(TSkinCheckBox) {}
PUBLISHED(TSkinRadioButton) {}
PUBLISHED(TSkinGroupBox) {}
PUBLISHED(TSkinBox) {}
PUBLISHED(TSkinObjImage) {}
PUBLISHED(TSkinProgress) {}
PUBLISHED(TSkinTrackBar) {}
PUBLISHED(TSkinUpDown) {}
