#include "WinSkinMenu.h"

#include "WinSkinManage.h"

#include "StdCtrls.h"

void TMenuBtn::Paint() {}

TWinSkinMenu::TWinSkinMenu(TWinSkinForm* AOwner, TSkinData* Data) : SkinData(Data), Owner(AOwner) {}

TWinSkinMenu::~TWinSkinMenu() = default;

void TWinSkinMenu::BuildFromMainMenu(TCustomForm*) {}

void TWinSkinMenu::BuildFromNativeMenu() {}

void TWinSkinMenu::BuildFromMenu(HMENU) {}

void TWinSkinMenu::GiveBackNativeMenu() {
    if (NativeMenu && !GetMenu(Owner->Wnd)) SetMenu(Owner->Wnd, NativeMenu);
    NativeMenu = nullptr;
}

void TWinSkinMenu::PaintStrip(HDC DC, const RECT& Rect) {
    FillColor(DC, Rect, SkinData->Menubar);
    StripRect = Rect;
}

TMenuBtn* TWinSkinMenu::ButtonAt(POINT P) const {
    for (const auto& B : MenuButtons)
        if (!B->Caption.empty() && PtInRect(&B->Bounds, P)) return B.get();
    return nullptr;
}

TMenuBtn* TWinSkinMenu::ButtonForAccelerator(wchar_t) const {
    return nullptr;
}

void TWinSkinMenu::ButtonPressed(TNCObject*) {}

void TWinSkinPopMenu::Attach(HWND AWnd, TSkinData* Data) {
    Wnd = AWnd;
    SkinData = Data;
    FSubclass.Install(
        Wnd, [this](TMessage& M) { WndProc(M); }, false);
}

void TWinSkinPopMenu::Detach() {
    FSubclass.Remove();
    Background.Clear();
}

void TWinSkinPopMenu::WndProc(TMessage& M) {
    if (M.Msg == SKM_QUERY) {
        M.Result = 1;
        return;
    }
    if (M.Msg == WM_DESTROY) {
        Detach();
        FSubclass.CallPrevious(M);
        return;
    }
    FSubclass.CallPrevious(M);
}

void SkinFormMenus(TWinSkinForm&, bool) {}

void SkinMenuItems(TWinSkinForm&, TMenu&, bool) {}

bool SkinMenuItemMessage(TWinSkinForm&, TMessage&) {
    return false;
}
