#include "Handles.h"

namespace {

std::atomic<long> Counts[static_cast<int>(THandleKind::Count)];

} // namespace

long LiveHandles(THandleKind Kind) {
    return Counts[static_cast<int>(Kind)].load();
}

void HandleCount::Add(THandleKind Kind) {
    ++Counts[static_cast<int>(Kind)];
}
void HandleCount::Remove(THandleKind Kind) {
    --Counts[static_cast<int>(Kind)];
}

TWindowDC::TWindowDC(HWND Wnd, bool WholeWindow)
    : FWnd(Wnd), FDC(WholeWindow ? GetWindowDC(Wnd) : GetDC(Wnd)) {
    if (FDC) HandleCount::Add(THandleKind::WindowDC);
}

TWindowDC::~TWindowDC() {
    if (FDC) {
        ReleaseDC(FWnd, FDC);
        HandleCount::Remove(THandleKind::WindowDC);
    }
}

TPaintDC::TPaintDC(HWND Wnd) : FWnd(Wnd), FPS{}, FDC(BeginPaint(Wnd, &FPS)) {}

TPaintDC::~TPaintDC() {
    EndPaint(FWnd, &FPS);
}
