#include "SkinTesting.h"

#include <tlhelp32.h>

#include <algorithm>
#include <array>

namespace SkinTest {

namespace {

int ThreadCount() {
    TKernelHandle Snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!Snap) return -1;
    THREADENTRY32 E{};
    E.dwSize = sizeof(E);
    int N = 0;
    for (BOOL More = Thread32First(Snap, &E); More; More = Thread32Next(Snap, &E))
        if (E.th32OwnerProcessID == GetCurrentProcessId()) ++N;
    return N;
}

} // namespace

namespace {

INT_PTR CALLBACK ClosingDialogProc(HWND Dialog, UINT Msg, WPARAM WParam, LPARAM) {
    if (Msg == WM_COMMAND && LOWORD(WParam) == IDOK) {
        DestroyWindow(Dialog);
        return TRUE;
    }
    return Msg == WM_INITDIALOG;
}

} // namespace

HWND ClosingDialog() {
    alignas(4) static std::array<WORD, 64> Template{};
    std::fill(Template.begin(), Template.end(), WORD(0));
    auto* D = reinterpret_cast<DLGTEMPLATE*>(Template.data());
    D->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
    D->cdit = 1;
    D->cx = 160;
    D->cy = 80;
    WORD* P = reinterpret_cast<WORD*>(D + 1);
    *P++ = 0; // no menu
    *P++ = 0; // the dialog class
    for (const wchar_t* T = L"Closing"; *T; ++T)
        *P++ = *T;
    *P++ = 0;
    *P++ = 8; // point size, then the face
    for (const wchar_t* T = L"Tahoma"; *T; ++T)
        *P++ = *T;
    *P++ = 0;
    if (reinterpret_cast<ULONG_PTR>(P) & 2) ++P; // items start on a DWORD
    auto* I = reinterpret_cast<DLGITEMTEMPLATE*>(P);
    I->style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
    I->x = 10;
    I->y = 10;
    I->cx = 60;
    I->cy = 14;
    I->id = IDOK;
    P = reinterpret_cast<WORD*>(I + 1);
    *P++ = 0xFFFF;
    *P++ = 0x0080; // a button
    for (const wchar_t* T = L"Close"; *T; ++T)
        *P++ = *T;
    *P++ = 0;
    *P++ = 0; // no creation data
    return CreateDialogIndirectParamW(nullptr, D, nullptr, ClosingDialogProc, 0);
}

std::wstring SkinFileOf(const wchar_t* Name, const TBytes& Stored) {
    wchar_t Path[MAX_PATH];
    GetTempPathW(MAX_PATH, Path);
    const std::wstring File = std::wstring(Path) + Name;
    TKernelHandle H(
        CreateFileW(File.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD Done = 0;
    WriteFile(H, Stored.data() + 4, static_cast<DWORD>(Stored.size() - 4), &Done, nullptr);
    return File;
}

TCounts Counts() {
    return {LiveHandles(THandleKind::GdiObject), LiveHandles(THandleKind::Window),
            LiveHandles(THandleKind::DC),        LiveHandles(THandleKind::WindowDC),
            LiveHandles(THandleKind::Timer),     LiveHandles(THandleKind::Subclass),
            LiveHandles(THandleKind::Hook),      LiveHandles(THandleKind::Menu),
            LiveHandles(THandleKind::Icon),      ThreadCount()};
}

std::string Describe(const TCounts& C) {
    return "gdi " + std::to_string(C.Gdi) + ", windows " + std::to_string(C.Windows) + ", dcs " +
           std::to_string(C.DCs) + ", window dcs " + std::to_string(C.WindowDCs) + ", timers " +
           std::to_string(C.Timers) + ", subclasses " + std::to_string(C.Subclasses) + ", hooks " +
           std::to_string(C.Hooks) + ", menus " + std::to_string(C.Menus) + ", icons " +
           std::to_string(C.Icons) + ", threads " + std::to_string(C.Threads);
}

} // namespace SkinTest

PUBLISHED(TCloseCountingForm) {}
