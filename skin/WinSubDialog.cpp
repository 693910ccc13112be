#include "WinSubDialog.h"

#include "WinSkinData.h"

void TSkinSizer::Paint(HDC DC, const RECT& Rect) {
    FillFace(DC, Rect);
}

bool TSkinBoxH::BeforeMessage(TMessage& M) {
    if (M.Msg != WM_ERASEBKGND || !M.WParam) return TSkinControl::BeforeMessage(M);
    RECT R;
    GetWindowRect(Wnd, &R);
    OffsetRect(&R, -R.left, -R.top);
    FillFace(reinterpret_cast<HDC>(M.WParam), R);
    M.Result = 0;
    return false;
}

PUBLISHED(TSkinSizer) {}
PUBLISHED(TSkinBoxH) {}
