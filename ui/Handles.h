// Owning wrappers for Win32 handles, one per kind of release call, and a live count per kind.
//
//   TGdiHandle<HBITMAP> Bmp(CreateCompatibleBitmap(DC, 10, 10));  // DeleteObject on scope exit
//   TKernelHandle Event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
//   LiveHandles(THandleKind::GdiObject)   // objects our wrappers hold right now
//
// Every handle the program creates goes through one of these, so the live counts are an exact
// leak check (Wine's own resource counters always read 0). Release() hands the handle to
// someone else (e.g. SetWindowRgn, which then owns the region) and stops counting it;
// Forget() is for a handle that the system already destroyed (a child window whose parent
// went first).
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>

enum class THandleKind {
    Kernel,
    Window,
    GdiObject,
    DC,
    WindowDC,
    Icon,
    Cursor,
    Menu,
    Hook,
    Timer,
    Subclass, // window procedures put in front of a window's own (WndSubclass.h)
    Count
};

long LiveHandles(THandleKind Kind);

namespace HandleCount {
void Add(THandleKind Kind);
void Remove(THandleKind Kind);
} // namespace HandleCount

template <class Traits> class TOwnedHandle {
  public:
    using Type = typename Traits::Type;

    TOwnedHandle() = default;
    explicit TOwnedHandle(Type H) : FHandle(H) {
        if (Valid()) HandleCount::Add(Traits::Kind);
    }
    TOwnedHandle(const TOwnedHandle&) = delete;
    TOwnedHandle& operator=(const TOwnedHandle&) = delete;
    TOwnedHandle(TOwnedHandle&& O) noexcept : FHandle(std::exchange(O.FHandle, Type())) {}
    TOwnedHandle& operator=(TOwnedHandle&& O) noexcept {
        if (this != &O) {
            Reset();
            FHandle = std::exchange(O.FHandle, Type());
        }
        return *this;
    }
    ~TOwnedHandle() { Reset(); }

    Type Get() const { return FHandle; }
    operator Type() const { return FHandle; }
    bool Valid() const { return Traits::Valid(FHandle); }
    explicit operator bool() const { return Valid(); }

    // Frees the current handle and takes H.
    void Reset(Type H = Type()) {
        if (Valid()) {
            Traits::Close(FHandle);
            HandleCount::Remove(Traits::Kind);
        }
        FHandle = H;
        if (Valid()) HandleCount::Add(Traits::Kind);
    }
    [[nodiscard]] Type Release() {
        if (Valid()) HandleCount::Remove(Traits::Kind);
        return std::exchange(FHandle, Type());
    }
    void Forget() { (void)Release(); }

  private:
    Type FHandle = Type();
};

namespace HandleTraits {

struct Kernel {
    using Type = HANDLE;
    static constexpr THandleKind Kind = THandleKind::Kernel;
    static bool Valid(HANDLE H) { return H && H != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE H) { CloseHandle(H); }
};

struct Window {
    using Type = HWND;
    static constexpr THandleKind Kind = THandleKind::Window;
    static bool Valid(HWND H) { return H != nullptr; }
    static void Close(HWND H) { DestroyWindow(H); }
};

template <class H> struct Gdi {
    using Type = H;
    static constexpr THandleKind Kind = THandleKind::GdiObject;
    static bool Valid(H X) { return X != nullptr; }
    static void Close(H X) { DeleteObject(X); }
};

struct MemoryDC {
    using Type = HDC;
    static constexpr THandleKind Kind = THandleKind::DC;
    static bool Valid(HDC H) { return H != nullptr; }
    static void Close(HDC H) { DeleteDC(H); }
};

struct Icon {
    using Type = HICON;
    static constexpr THandleKind Kind = THandleKind::Icon;
    static bool Valid(HICON H) { return H != nullptr; }
    static void Close(HICON H) { DestroyIcon(H); }
};

struct Cursor {
    using Type = HCURSOR;
    static constexpr THandleKind Kind = THandleKind::Cursor;
    static bool Valid(HCURSOR H) { return H != nullptr; }
    static void Close(HCURSOR H) { DestroyCursor(H); }
};

struct Menu {
    using Type = HMENU;
    static constexpr THandleKind Kind = THandleKind::Menu;
    static bool Valid(HMENU H) { return H != nullptr; }
    static void Close(HMENU H) { DestroyMenu(H); }
};

struct Hook {
    using Type = HHOOK;
    static constexpr THandleKind Kind = THandleKind::Hook;
    static bool Valid(HHOOK H) { return H != nullptr; }
    static void Close(HHOOK H) { UnhookWindowsHookEx(H); }
};

struct WinEventHook {
    using Type = HWINEVENTHOOK;
    static constexpr THandleKind Kind = THandleKind::Hook;
    static bool Valid(HWINEVENTHOOK H) { return H != nullptr; }
    static void Close(HWINEVENTHOOK H) { UnhookWinEvent(H); }
};

} // namespace HandleTraits

using TKernelHandle = TOwnedHandle<HandleTraits::Kernel>;
using TWindowHandle = TOwnedHandle<HandleTraits::Window>;
template <class H> using TGdiHandle = TOwnedHandle<HandleTraits::Gdi<H>>;
using TBitmapHandle = TGdiHandle<HBITMAP>;
using TBrushHandle = TGdiHandle<HBRUSH>;
using TPenHandle = TGdiHandle<HPEN>;
using TFontHandle = TGdiHandle<HFONT>;
using TRegionHandle = TGdiHandle<HRGN>;
using TMemoryDC = TOwnedHandle<HandleTraits::MemoryDC>;
using TIconHandle = TOwnedHandle<HandleTraits::Icon>;
using TCursorHandle = TOwnedHandle<HandleTraits::Cursor>;
using TMenuHandle = TOwnedHandle<HandleTraits::Menu>;
using THookHandle = TOwnedHandle<HandleTraits::Hook>;
using TWinEventHookHandle = TOwnedHandle<HandleTraits::WinEventHook>;

// GetDC / ReleaseDC for the life of the object (a window's DC, or the screen's for null).
class TWindowDC {
  public:
    explicit TWindowDC(HWND Wnd, bool WholeWindow = false);
    ~TWindowDC();
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    operator HDC() const { return FDC; }
    HDC Get() const { return FDC; }

  private:
    HWND FWnd;
    HDC FDC;
};

// BeginPaint / EndPaint inside a WM_PAINT handler.
class TPaintDC {
  public:
    explicit TPaintDC(HWND Wnd);
    ~TPaintDC();
    TPaintDC(const TPaintDC&) = delete;
    TPaintDC& operator=(const TPaintDC&) = delete;
    operator HDC() const { return FDC; }
    const PAINTSTRUCT& Paint() const { return FPS; }

  private:
    HWND FWnd;
    PAINTSTRUCT FPS;
    HDC FDC;
};

// Selects an object into a DC and puts the previous one back.
class TSelectObject {
  public:
    TSelectObject(HDC DC, HGDIOBJ Object) : FDC(DC), FOld(SelectObject(DC, Object)) {}
    ~TSelectObject() {
        if (FOld) SelectObject(FDC, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

  private:
    HDC FDC;
    HGDIOBJ FOld;
};

// SaveDC / RestoreDC around drawing that changes a DC's state (clip region, origin, modes).
class TSaveDC {
  public:
    explicit TSaveDC(HDC DC) : FDC(DC), FSaved(SaveDC(DC)) {}
    ~TSaveDC() {
        if (FSaved) RestoreDC(FDC, FSaved);
    }
    TSaveDC(const TSaveDC&) = delete;
    TSaveDC& operator=(const TSaveDC&) = delete;

  private:
    HDC FDC;
    int FSaved;
};
