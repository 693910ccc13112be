#include "WinSubButton.h"

#include "ImgUtil.h"
#include "WinConvert.h"

#include "Buttons.h"
#include "ImgList.h"

#include <algorithm>

namespace {

// Properties are read by name, so any button class with the same names takes the skin;
// a missing property reads as empty text or 0.
std::wstring Prop(const TControl* C, std::wstring_view Name) {
    return C ? LowerCase(GetPropText(*C, Name)) : std::wstring();
}

int PropInt(const TControl* C, std::wstring_view Name) {
    const std::wstring T = Prop(C, Name);
    try {
        return T.empty() ? 0 : std::stoi(T);
    } catch (...) {
        return 0;
    }
}

template <class T> T* PropObject(const TControl* C, std::wstring_view Name) {
    return C ? dynamic_cast<T*>(GetObjectProp(const_cast<TControl&>(*C), Name)) : nullptr;
}

TButtonLayout LayoutFromText(const std::wstring& T) {
    if (T == L"blglyphright") return blGlyphRight;
    if (T == L"blglyphtop") return blGlyphTop;
    if (T == L"blglyphbottom") return blGlyphBottom;
    return blGlyphLeft;
}

SIZE MeasureText(HDC DC, const std::wstring& Text, int Width, UINT Format) {
    if (Text.empty()) return {};
    RECT R{0, 0, std::max(Width, 1), 0};
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Format | DT_CALCRECT);
    return {R.right - R.left, R.bottom - R.top};
}

void DrawTextIn(HDC DC, const std::wstring& Text, RECT R, UINT Format, TColor Colour) {
    if (Text.empty()) return;
    const int OldMode = SetBkMode(DC, TRANSPARENT);
    const COLORREF OldColour = SetTextColor(DC, ColorToRGB(Colour) & 0xFFFFFF);
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Format);
    SetTextColor(DC, OldColour);
    SetBkMode(DC, OldMode);
}

// What the glyph buttons read from their control.
struct TGlyphInputs {
    TBitmap* Glyph = nullptr;
    TImageList* Images = nullptr;
    int NumGlyphs = 1;
    int ImageIndex = -1;
    int DisabledIndex = -1;
    int Margin = -1;
    int Spacing = 4;
    TButtonLayout Layout = blGlyphLeft;
    bool Centered = false;
    bool UseImages = false;

    explicit TGlyphInputs(const TControl* C) {
        Glyph = PropObject<TBitmap>(C, L"Glyph");
        Images = PropObject<TImageList>(C, L"Images");
        NumGlyphs = std::max(PropInt(C, L"NumGlyphs"), 1);
        ImageIndex = Prop(C, L"ImageIndex").empty() ? -1 : PropInt(C, L"ImageIndex");
        DisabledIndex = Prop(C, L"DisabledIndex").empty() ? -1 : PropInt(C, L"DisabledIndex");
        Margin = PropInt(C, L"Margin");
        Spacing = PropInt(C, L"Spacing");
        Layout = LayoutFromText(Prop(C, L"Layout"));
        Centered = Prop(C, L"Alignment") == L"tacenter";
        if (Glyph && Glyph->Empty()) Glyph = nullptr;
        UseImages = !Glyph && Images && ImageIndex != -1;
    }

    SIZE Size() const {
        if (Glyph) return {Glyph->Width() / NumGlyphs, Glyph->Height()};
        if (UseImages) return {Images->Width(), Images->Height()};
        return {};
    }

    // Frame: 1 normal, 2 disabled, 3 pressed (a strip without that frame shows its first).
    void Draw(HDC DC, POINT At, int Frame, bool Enabled) const {
        if (Glyph) {
            if (Frame > NumGlyphs) Frame = 1;
            const int W = Glyph->Width() / NumGlyphs;
            TBitmap Part(W, Glyph->Height());
            BitBlt(Part.Canvas()->Handle(), 0, 0, W, Glyph->Height(), Glyph->Canvas()->Handle(),
                   (Frame - 1) * W, 0, SRCCOPY);
            // The key is the bottom-left pixel of the picture as drawn.
            const TColor Key =
                static_cast<TColor>(GetPixel(Part.Canvas()->Handle(), 0, Glyph->Height() - 1));
            if (!Enabled && Frame != 2) GreyBitmap(Part);
            DrawTransparent(DC, {At.x, At.y, At.x + W, At.y + Glyph->Height()}, Part,
                            Enabled || Frame == 2 ? Key : GreyOf(Key));
        } else if (UseImages) {
            int Index = ImageIndex;
            bool Embossed = false;
            if (!Enabled) {
                if (DisabledIndex != -1)
                    Index = DisabledIndex;
                else
                    Embossed = true;
            }
            if (Index < 0 || Index >= Images->Count()) return;
            TBitmap Image;
            Images->GetBitmap(Index, Image);
            const RECT All{0, 0, Image.Width(), Image.Height()};
            if (Embossed)
                DrawDisabledPart(DC, At.x, At.y, Image, All, Images->MaskColor());
            else
                DrawTransparentPart(DC, At.x, At.y, Image, All, Images->MaskColor());
        }
    }

    static TColor GreyOf(TColor C) {
        const COLORREF R = ColorToRGB(C);
        const int Avg = (GetRValue(R) + GetGValue(R) + GetBValue(R)) / 3;
        return static_cast<TColor>(RGB(Avg, Avg, Avg));
    }
};

// Glyph and caption placed by the layout rules into DC (the buffer) over Client.
void PaintGlyphAndText(HDC DC, SIZE Client, const TGlyphInputs& In, const std::wstring& Text,
                       int GlyphFrame, bool Enabled, TColor TextColour) {
    const UINT Measure = DT_EXPANDTABS | DT_WORDBREAK;
    const SIZE TextSize = MeasureText(DC, Text, Client.cx, Measure);
    const TGlyphLayout L = LayoutGlyphAndText(Client, In.Size(), TextSize, In.Layout, In.Margin,
                                              In.Spacing, In.Centered);
    In.Draw(DC, L.Glyph, GlyphFrame, Enabled);
    UINT Format = DT_WORDBREAK | DT_EXPANDTABS;
    if (In.Layout == blGlyphRight)
        Format |= DT_RIGHT;
    else if (In.Layout != blGlyphLeft)
        Format |= DT_CENTER;
    DrawTextIn(DC, Text, L.Text, Format, TextColour);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TSkinButton

bool TSkinButton::HasButtonImage() const {
    return SkinData && SkinData->Buttons && !SkinData->Buttons->Bitmap.Empty();
}

bool TSkinButton::BeforeMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_PAINT:
        if (M.WParam || !HasButtonImage()) break;
        {
            PAINTSTRUCT PS;
            HDC DC = BeginPaint(Wnd, &PS);
            try {
                if (GetWindowRect(Wnd, &ScreenRect))
                    Paint(DC, {0, 0, ScreenRect.right - ScreenRect.left,
                               ScreenRect.bottom - ScreenRect.top});
            } catch (...) {
                // A broken skin never stops the button.
            }
            EndPaint(Wnd, &PS);
        }
        M.Result = 0;
        return false;
    case WM_ERASEBKGND:
        if (!HasButtonImage()) break;
        M.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetFocus() != Wnd) SetFocus(Wnd);
        MouseState |= msPressed;
        PaintFrame();
        M.Result = 0;
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinButton::BecomeHoverButton() {
    if (Skins) Skins->SetHoverButton(this);
}

void TSkinButton::StopBeingHoverButton() {
    if (Skins) Skins->ForgetHoverButton(this);
}

void TSkinButton::Click() {
    if (Control) {
        Control->Click();
    } else if (GraphicControl) {
        GraphicControl->Click();
    } else if (Wnd) {
        const auto Id = static_cast<WORD>(GetDlgCtrlID(Wnd));
        PostMessageW(GetParent(Wnd), WM_COMMAND, MAKEWPARAM(Id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Wnd));
    }
}

void TSkinButton::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (M.WParam == VK_SPACE) PressBySpace(M.Msg == WM_KEYDOWN);
        break;
    case WM_MOUSEMOVE:
        if (!(MouseState & msHot)) BecomeHot();
        break;
    case WM_LBUTTONUP:
        if (MouseState & msPressed) ReleaseAndClick();
        break;
    // A parent hears of the mouse entering and leaving its children too, with the child in
    // LParam.
    case CM_MOUSEENTER:
        if (Enabled && M.LParam == 0) MouseEntered();
        break;
    case CM_MOUSELEAVE:
        if (Enabled && M.LParam == 0) MouseLeft();
        break;
    case WM_SETTEXT:
    case CM_TEXTCHANGED:
        FLinesKnown = false;
        TSkinControl::AfterMessage(M);
        break;
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        ReadEnabled();
        TSkinControl::AfterMessage(M);
        break;
    default:
        TSkinControl::AfterMessage(M);
    }
}

void TSkinButton::PressBySpace(bool Down) {
    if (Down)
        MouseState |= msPressed;
    else
        MouseState &= ~msPressed;
    Repaint();
}

void TSkinButton::BecomeHot() {
    MouseState |= msHot;
    BecomeHoverButton();
    Repaint();
}

void TSkinButton::ReleaseAndClick() {
    MouseState &= ~msPressed;
    Repaint();
    Click();
}

void TSkinButton::MouseEntered() {
    MouseState |= msHot;
    Repaint();
    BecomeHoverButton();
}

void TSkinButton::MouseLeft() {
    // A press the mouse took away is no click when it comes back.
    MouseState &= ~(msHot | msPressed);
    Repaint();
    StopBeingHoverButton();
}

void TSkinButton::ReadEnabled() {
    Enabled = Wnd ? IsWindowEnabled(Wnd) != FALSE : GraphicControl && GraphicControl->Enabled();
    // A button that cannot be used shows neither hot nor pressed when it can again.
    if (!Enabled) MouseState = 0;
}

const std::wstring& TSkinButton::CaptionLines() {
    if (FLinesKnown) return FLines;
    const TControl* C = SkinnedControl();
    if (C) {
        Text = GetPropText(*C, L"Caption");
        MultiLine = Prop(C, L"MultiLine") == L"true";
    } else if (Wnd) {
        Text = SkinWindowText(Wnd, false);
    }
    FLines = ButtonCaptionLines(Text);
    FLinesKnown = true;
    return FLines;
}

HDC TSkinButton::PrepareBuffer(const RECT& R, int Frame, int FrameCount, bool Picture) {
    const int W = R.right - R.left, H = R.bottom - R.top;
    if (Buffer.Width() != W || Buffer.Height() != H) Buffer.SetSize(W, H);
    if (FFaceSize.cx != W || FFaceSize.cy != H) {
        for (TBitmap& F : FFaces)
            F.Clear();
        FFaceSize = {W, H};
    }
    const size_t Index = Picture ? static_cast<size_t>(std::clamp(Frame, 1, 7)) : 0;
    TBitmap& Face = FFaces[Index];
    const RECT All{0, 0, W, H};
    if (Face.Empty()) {
        Face.SetSize(W, H);
        HDC FaceDC = Face.Canvas()->Handle();
        FillColor(FaceDC, All, SkinData->ButtonFace);
        if (Picture) {
            TDataSkinButton& B = *SkinData->Buttons;
            DrawSkinNineGrid(FaceDC, All, B.Bitmap, false, B.Tile != 0, B.Trans == 1, FrameCount,
                             Frame, B.Margins);
        }
    }
    HDC DC = Buffer.Canvas()->Handle();
    BitBlt(DC, 0, 0, W, H, Face.Canvas()->Handle(), 0, 0, SRCCOPY);
    FLastLook = {}; // the buffer no longer holds the last picture
    return DC;
}

void TSkinButton::Refresh() {
    // Another skin: every face is made again.
    FFaceSize = {};
    FLastLook = {};
    FLinesKnown = false;
    TSkinControl::Refresh();
}

TColor TSkinButton::TextColour(int Frame, TColor Font) const {
    const TDataSkinButton& B = *SkinData->Buttons;
    const bool Plain = SkinnedControl() == nullptr;
    if (!Enabled) return Plain ? static_cast<TColor>(0x808080) : clBtnShadow;
    if (Frame == 1 && (Plain || B.HasNormalColour2)) return B.NormalColour2;
    if (Frame == 4 && (Plain || B.HasMouseOverColour2)) return B.MouseOverColour2;
    if (Frame == 2 && (Plain || B.HasPressedColour2)) return B.PressedColour2;
    return Font;
}

void TSkinButton::Paint(HDC Target, const RECT& R) {
    if (!HasButtonImage() || !Wnd) return;
    const bool DefaultButton = (GetWindowLongW(Wnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    Enabled = IsWindowEnabled(Wnd) != FALSE;
    const std::wstring& Lines = CaptionLines();
    int Frame = MouseState & msPressed ? 2
                : MouseState & msHot   ? 4
                : DefaultButton        ? 5
                : Focused              ? 4
                                       : 1;
    if (!Enabled) Frame = 3;

    TColor FontColour = SkinData->ButtonText;
    HFONT Font = nullptr;
    if (TFont* F = Control ? Control->Font() : nullptr) {
        Font = F->Handle();
        FontColour = F->Color();
    } else {
        Font = reinterpret_cast<HFONT>(SendMessageW(Wnd, WM_GETFONT, 0, 0));
    }
    const int W = R.right - R.left, H = R.bottom - R.top;
    // A repaint in the same look copies the picture made last time.
    const TButtonLook Look{Frame, W, H, Font, TextColour(Frame, FontColour), Lines};
    if (Look == FLastLook && Buffer.Width() == W && Buffer.Height() == H) {
        BitBlt(Target, R.left, R.top, W, H, Buffer.Canvas()->Handle(), 0, 0, SRCCOPY);
        return;
    }
    HDC DC = PrepareBuffer(R, Frame, 5);
    TSelectObject SelectFont(DC, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
    RECT T{0, 0, W, 0};
    if (!Lines.empty())
        DrawTextW(DC, Lines.c_str(), static_cast<int>(Lines.size()), &T,
                  DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER);
    // Centred, and raised by a pixel as the system places button captions.
    OffsetRect(&T, (W - (T.right - T.left)) / 2 - T.left, (H - (T.bottom - T.top)) / 2 - 1);
    DrawTextIn(DC, Lines, T, DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER, Look.Colour);
    FLastLook = Look;
    BitBlt(Target, R.left, R.top, W, H, DC, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// TSkinBitButton

void TSkinBitButton::Paint(HDC Target, const RECT& R) {
    if (!HasButtonImage() || !Wnd) return;
    Enabled = IsWindowEnabled(Wnd) != FALSE;
    const std::wstring& Lines = CaptionLines();
    const TControl* C = SkinnedControl();
    const bool DefaultButton = Prop(C, L"Default") == L"true";
    int Frame = MouseState & msPressed                 ? 2
                : Focused || (MouseState & msHot) != 0 ? 4
                : DefaultButton                        ? 5
                                                       : 1;
    if (!Enabled) Frame = 3;
    HDC DC = PrepareBuffer(R, Frame, SkinData->Buttons->FrameCount);

    TColor FontColour = SkinData->ButtonText;
    TFont* Font = PropObject<TFont>(C, L"Font");
    if (Font) FontColour = Font->Color();
    TSelectObject SelectFont(DC, Font ? Font->Handle() : GetStockObject(DEFAULT_GUI_FONT));
    const TGlyphInputs In(C);
    const int GlyphFrame = In.NumGlyphs != 4 ? 1 : !Enabled ? 2 : Frame == 2 ? 3 : 1;
    const int W = R.right - R.left, H = R.bottom - R.top;
    PaintGlyphAndText(DC, {W, H}, In, Lines, GlyphFrame, Enabled, TextColour(Frame, FontColour));
    BitBlt(Target, R.left, R.top, W, H, DC, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// TSkinSpeedButton

bool TSkinSpeedButton::BeforeMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_PAINT:
        if (!M.WParam || !HasButtonImage() || !GraphicControl) break;
        try {
            Paint(reinterpret_cast<HDC>(M.WParam), GraphicControl->ClientRect());
        } catch (...) {
            // A broken skin never stops the button.
        }
        M.Result = 1;
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // The button keeps its own click (and its capture).
        if (!PassOnSurvived(M)) return false;
        MouseState |= msPressed;
        Repaint();
        return false;
    default:
        break;
    }
    return TSkinControl::BeforeMessage(M);
}

void TSkinSpeedButton::AfterMessage(TMessage& M) {
    switch (M.Msg) {
    case WM_NCDESTROY:
    case CM_RELEASE:
        Release();
        break;
    case WM_LBUTTONUP:
        MouseState &= ~msPressed;
        Repaint();
        break;
    case CM_MOUSEENTER:
        if (M.LParam == 0) {
            MouseState |= msHot;
            Repaint();
        }
        break;
    case CM_MOUSELEAVE:
        if (M.LParam == 0) {
            MouseState &= ~(msHot | msPressed);
            if (GraphicControl && GraphicControl->Visible()) Repaint();
            StopBeingHoverButton();
        }
        break;
    default:
        TSkinButton::AfterMessage(M);
    }
}

void TSkinSpeedButton::Paint(HDC Target, const RECT& R) {
    const TControl* C = SkinnedControl();
    if (!HasButtonImage() || !C) return;
    Enabled = Prop(C, L"Enabled") != L"false";
    const bool Down = Prop(C, L"Down") == L"true";
    int Frame = Down ? 2 : !Enabled ? 3 : MouseState & msPressed ? 2 : MouseState & msHot ? 4 : 1;
    const bool Flat = Prop(C, L"Flat") == L"true";
    HDC DC = PrepareBuffer(R, Frame, SkinData->Buttons->FrameCount, !(Flat && Frame == 1));

    TColor FontColour = SkinData->ButtonText;
    TFont* Font = PropObject<TFont>(C, L"Font");
    if (Font) FontColour = Font->Color();
    TSelectObject SelectFont(DC, Font ? Font->Handle() : GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring& Lines = CaptionLines();
    TGlyphInputs In(C);
    In.UseImages = false; // speed buttons show their glyph only
    In.Centered = false;
    const int GlyphFrame = Frame == 2 ? 3 : Frame == 3 ? 2 : 1;
    const int W = R.right - R.left, H = R.bottom - R.top;
    PaintGlyphAndText(DC, {W, H}, In, Lines, GlyphFrame, Enabled, TextColour(Frame, FontColour));
    BitBlt(Target, R.left, R.top, W, H, DC, 0, 0, SRCCOPY);
}

PUBLISHED(TSkinButton) {}
PUBLISHED(TSkinBitButton) {}
PUBLISHED(TSkinSpeedButton) {}
