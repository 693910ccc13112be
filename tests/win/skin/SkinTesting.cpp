#include "SkinTesting.h"

#include <tlhelp32.h>

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
