#include "RzEdit.h"

TRzEdit::TRzEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TRzEdit::CreateParams(TCreateParams& P) {
    TCustomEdit::CreateParams(P);
    // The frame line replaces the system's sunken edge.
    if (FFrameVisible) P.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
}

void TRzEdit::SetFrameVisible(bool V) {
    if (V == FFrameVisible) return;
    FFrameVisible = V;
    RecreateWnd();
}

void TRzEdit::SetFrameColor(TColor V) {
    if (V == FFrameColor) return;
    FFrameColor = V;
    PaintFrame();
}

void TRzEdit::SetDisabledColor(TColor V) {
    if (V == FDisabledColor) return;
    FDisabledColor = V;
    if (!Enabled()) Invalidate();
}

void TRzEdit::ColorChanged() {
    TCustomEdit::ColorChanged();
    Invalidate();
}

void TRzEdit::PaintFrame() {
    if (!HandleAllocated() || !FFrameVisible) return;
    RECT R;
    GetWindowRect(Handle(), &R);
    OffsetRect(&R, -R.left, -R.top);
    TWindowDC DC(Handle(), true);
    TBrushHandle Brush(CreateSolidBrush(ColorToRGB(FFrameColor) & 0xFFFFFF));
    FrameRect(DC, &R, Brush);
}

void TRzEdit::PaintClient(HDC DC) {
    RECT Client;
    GetClientRect(Handle(), &Client);
    TColor Back = Enabled() ? Color() : FDisabledColor;
    if (Back == clNone) {
        // The parent paints in our window's coordinates; the client starts inside the frame.
        POINT Origin{0, 0};
        MapWindowPoints(Handle(), nullptr, &Origin, 1);
        RECT W;
        GetWindowRect(Handle(), &W);
        int Saved = SaveDC(DC);
        OffsetViewportOrgEx(DC, W.left - Origin.x, W.top - Origin.y, nullptr);
        DrawParentBackground(this, DC);
        RestoreDC(DC, Saved);
    } else {
        FillColor(DC, Client, Back);
    }
    // The system's edit draws its text and selection over the background we laid.
    TMessage Paint{WM_PAINT, reinterpret_cast<WPARAM>(DC), 0, 0};
    DefaultHandler(Paint);
}

void TRzEdit::WndProc(TMessage& M) {
    switch (M.Msg) {
    case WM_ERASEBKGND:
        M.Result = 1;
        return;
    case WM_PAINT: {
        if (M.WParam) {
            PaintClient(reinterpret_cast<HDC>(M.WParam));
            return;
        }
        TPaintDC PaintDC(Handle());
        RECT Client;
        GetClientRect(Handle(), &Client);
        if (Client.right > 0 && Client.bottom > 0) {
            TBitmap Buffer(Client.right, Client.bottom);
            HDC B = Buffer.Canvas()->Handle();
            PaintClient(B);
            BitBlt(PaintDC, 0, 0, Client.right, Client.bottom, B, 0, 0, SRCCOPY);
        }
        return;
    }
    case WM_NCCALCSIZE:
        TCustomEdit::WndProc(M);
        if (FFrameVisible) {
            auto* R = reinterpret_cast<RECT*>(M.LParam);
            InflateRect(R, -1, -1);
        }
        return;
    case WM_NCPAINT:
        if (FFrameVisible) {
            PaintFrame();
            M.Result = 0;
            return;
        }
        break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC: {
        // The background is laid before the text: the edit draws its text transparently.
        auto DC = reinterpret_cast<HDC>(M.WParam);
        SetTextColor(DC, ColorToRGB(Enabled() ? Font()->Color() : clGrayText) & 0xFFFFFF);
        SetBkMode(DC, TRANSPARENT);
        M.Result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        return;
    }
    case CN_COMMAND:
        // Whatever the edit scrolls or redraws in place is laid on the background again.
        if (HIWORD(M.WParam) == EN_UPDATE) InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case CM_ENABLEDCHANGED:
        TCustomEdit::WndProc(M);
        Invalidate();
        return;
    default:
        break;
    }
    TCustomEdit::WndProc(M);
}

PUBLISHED(TRzEdit) {
    p.Property(L"DisabledColor", &TRzEdit::DisabledColor, &TRzEdit::SetDisabledColor);
    p.Property(L"FrameColor", &TRzEdit::FrameColor, &TRzEdit::SetFrameColor);
    p.Property(L"FrameVisible", &TRzEdit::FrameVisible, &TRzEdit::SetFrameVisible);
}
