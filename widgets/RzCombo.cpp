#include "RzCombo.h"

TRzComboBox::TRzComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}

void TRzComboBox::SetFrameVisible(bool V) {
    if (V == FFrameVisible) return;
    FFrameVisible = V;
    Invalidate();
}

void TRzComboBox::SetFrameColor(TColor V) {
    if (V == FFrameColor) return;
    FFrameColor = V;
    Invalidate();
}

void TRzComboBox::PaintFlat(HDC DC, const RECT& R) {
    // The system's two-pixel sunken edge becomes one frame line and the field's own colour.
    TBrushHandle Frame(CreateSolidBrush(ColorToRGB(FFrameColor) & 0xFFFFFF));
    FrameRect(DC, &R, Frame);
    RECT In = R;
    InflateRect(&In, -1, -1);
    TBrushHandle Field(CreateSolidBrush(ColorToRGB(Enabled() ? Color() : clBtnFace) & 0xFFFFFF));
    FrameRect(DC, &In, Field);
    if (Style() == csSimple) return;
    COMBOBOXINFO Info{};
    Info.cbSize = sizeof(Info);
    if (!GetComboBoxInfo(Handle(), &Info) || (Info.stateButton & STATE_SYSTEM_INVISIBLE)) return;
    RECT B = Info.rcButton;
    B.top = In.top;
    B.bottom = In.bottom;
    B.right = In.right;
    bool Pressed = Info.stateButton & STATE_SYSTEM_PRESSED;
    FillColor(DC, B, Pressed ? clBtnShadow : clBtnFace);
    FillColor(DC, {B.left, B.top, B.left + 1, B.bottom}, FFrameColor);
    // The arrow: a small triangle pointing down in the middle of the button.
    int CX = (B.left + 1 + B.right) / 2, CY = (B.top + B.bottom) / 2 - 1;
    TColor Arrow = Enabled() ? clBtnText : clGrayText;
    for (int I = 0; I < 3; ++I)
        FillColor(DC, {CX - 2 + I, CY + I, CX + 3 - I, CY + I + 1}, Arrow);
}

void TRzComboBox::WndProc(TMessage& M) {
    if (M.Msg != WM_PAINT || !FFrameVisible) return TCustomComboBox::WndProc(M);
    RECT R;
    GetClientRect(Handle(), &R);
    auto Compose = [&](HDC Target) {
        if (R.right <= 0 || R.bottom <= 0) return;
        TBitmap Buffer(R.right, R.bottom);
        HDC B = Buffer.Canvas()->Handle();
        // The system draws its field and button into the buffer; the flat look goes over it.
        TMessage Paint{WM_PAINT, reinterpret_cast<WPARAM>(B), 0, 0};
        DefaultHandler(Paint);
        PaintFlat(B, R);
        BitBlt(Target, 0, 0, R.right, R.bottom, B, 0, 0, SRCCOPY);
    };
    if (M.WParam) {
        Compose(reinterpret_cast<HDC>(M.WParam));
    } else {
        TPaintDC DC(Handle());
        Compose(DC);
    }
}

PUBLISHED(TRzComboBox) {
    p.Property(L"FrameColor", &TRzComboBox::FrameColor, &TRzComboBox::SetFrameColor);
    p.Property(L"FrameVisible", &TRzComboBox::FrameVisible, &TRzComboBox::SetFrameVisible);
}
