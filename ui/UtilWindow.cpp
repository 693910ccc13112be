#include "UtilWindow.h"

#include "SysUtils.h"
#include "WindowBinding.h"

namespace {

const TWindowBinding<TUtilityWindow>& UtilityBinding() {
    static const TWindowBinding<TUtilityWindow> Binding(L"Utility");
    return Binding;
}

void RegisterUtilClass(WNDPROC Proc) {
    WNDCLASSEXW Class{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), TUtilityWindow::ClassName, &Class)) return;
    Class.cbSize = sizeof(Class);
    Class.lpfnWndProc = Proc;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = TUtilityWindow::ClassName;
    if (!RegisterClassExW(&Class)) throw EOSError(L"RegisterClassEx", GetLastError());
}

} // namespace

TUtilityWindow::TUtilityWindow(TWndMethod Method, TObject* Sender)
    : FMethod(std::move(Method)), FSender(Sender) {
    RegisterUtilClass(&StaticProc);
    HWND Wnd = CreateWindowExW(WS_EX_TOOLWINDOW, ClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleW(nullptr), this);
    if (!Wnd) throw EOSError(L"CreateWindowEx", GetLastError());
    FHandle.Reset(Wnd);
}

TUtilityWindow::~TUtilityWindow() {
    // Messages still arriving during destruction must not reach a half-destroyed owner.
    if (FHandle) UtilityBinding().Unbind(FHandle);
}

void TUtilityWindow::DefaultHandler(TMessage& Message) {
    Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

LRESULT CALLBACK TUtilityWindow::StaticProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_NCCREATE) {
        auto* Create = reinterpret_cast<CREATESTRUCTW*>(LParam);
        UtilityBinding().Bind(Wnd, static_cast<TUtilityWindow*>(Create->lpCreateParams));
    }
    TUtilityWindow* Self = UtilityBinding().Find(Wnd);
    // Creation messages come before FHandle is set: they get the default treatment.
    if (!Self || !Self->FHandle || !Self->FMethod) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    TMessage M{Msg, WParam, LParam, 0};
    try {
        Self->FMethod(M);
    } catch (...) {
        HandleException(Self->FSender);
        return 0;
    }
    return M.Result;
}
