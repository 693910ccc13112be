// Helpers of the skin engine's window tests: the default skin as the main window holds it,
// forms shown wearing it, small skins made on the spot, pixels read back from windows, and
// waits that pump messages until what a test waits for is there.
#pragma once

#include "SkinDataSupport.h"

#include "Forms.h"
#include "Reader.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// A test form; closing it keeps it (the tests count the requests instead).
class TCloseCountingForm : public TForm {
    DECLARE_CLASS(TCloseCountingForm, TForm)
  public:
    explicit TCloseCountingForm(TComponent* AOwner) : TForm(AOwner) {
        OnClose = [this](TObject*, TCloseAction& Action) {
            ++Closes;
            Action = caNone;
        };
    }
    int Closes = 0;
};

namespace SkinTest {

using namespace SkinDataTest;

inline void Pump() {
    Application->ProcessMessages();
}

// Handles messages as they come until Done() holds or Ms have passed; answers Done().
inline bool WaitFor(const std::function<bool()>& Done, DWORD Ms = 3000) {
    const DWORD Start = GetTickCount();
    while (!Done()) {
        const DWORD Elapsed = GetTickCount() - Start;
        if (Elapsed >= Ms) return Done();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, Ms - Elapsed, QS_ALLINPUT);
        Pump();
    }
    return true;
}

// Handles messages for Ms (a wait with nothing to look at, for a timer that must not fire).
inline void PumpFor(DWORD Ms) {
    WaitFor([] { return false; }, Ms);
}

// The skin component as the main window holds it: the default skin, main-form type, on.
inline TSkinData& MainSkin() {
    static TComponent* Root = [] {
        auto* R = new TComponent(nullptr);
        ReadComponentText(*R, std::string_view("object Root: TComponent\n"
                                               "  object MainSkin: TSkinData\n"
                                               "    Active = True\n"
                                               "    DisableTag = 99\n"
                                               "    SkinStream = @DEFAULTSKIN\n"
                                               "  end\n"
                                               "end\n"));
        return R;
    }();
    return *dynamic_cast<TSkinData*>(Root->FindComponent(L"MainSkin"));
}

// The manager's own removal of every frame skin, run at once instead of after its delay.
inline void RemoveAllFrames() {
    SkinManager->Request(&MainSkin(), saRemove);
    SkinManager->RunScheduled();
    SkinManager->SetSkinningEnabled(true);
}

// A skin component of a form of its own (only that form wears it), from a stored skin.
inline TSkinData* OwnSkin(TForm& Form, const TBytes& Payload) {
    auto* S = new TSkinData(&Form);
    S->SetLoading();
    S->SetSkinFormtype(sfOnlyThisForm);
    S->SetSkinStream(Payload);
    S->SetActive(true);
    S->Loaded();
    return S;
}

inline TWinSkinForm* FrameOf(HWND Wnd) {
    return SkinManager ? SkinManager->FindForm(Wnd) : nullptr;
}

// Shows the form in front and waits until it wears its frame skin; null when it does not.
inline TWinSkinForm* ShowSkinned(TForm& Form) {
    Form.Show();
    SetForegroundWindow(Form.Handle());
    const HWND Wnd = Form.Handle();
    if (!WaitFor([Wnd] {
            TWinSkinForm* F = FrameOf(Wnd);
            return F && F->SkinState == lsReady;
        }))
        return nullptr;
    Pump();
    return FrameOf(Wnd);
}

// A form with its frame skin attached and applied, without showing it (made and destroyed at
// once, unlike a shown window).
inline std::unique_ptr<TCloseCountingForm> HiddenSkinnedForm(int ClientW = 200, int ClientH = 100,
                                                             TFormBorderStyle Border = bsSingle) {
    MainSkin();
    auto F = std::make_unique<TCloseCountingForm>(nullptr);
    F->SetBorderStyle(Border);
    F->SetBounds(300, 300, 300, 200);
    F->SetClientSize(ClientW, ClientH);
    F->SetCaption(L"Hidden");
    F->HandleNeeded();
    return F;
}

// Attaches and applies a frame skin to a window that is not shown.
inline TWinSkinForm* SkinNow(HWND Wnd) {
    // A form's own skin component skins it as soon as it is loaded.
    if (!FrameOf(Wnd) && (!SkinManager || !SkinManager->SkinWindow(Wnd))) return nullptr;
    TWinSkinForm* Frame = FrameOf(Wnd);
    WaitFor([&] { return Frame->SkinState == lsReady; });
    return Frame;
}

// The window's pixels as the screen shows them, frame included.
inline std::unique_ptr<TBitmap> Grab(HWND Wnd) {
    RECT R;
    GetWindowRect(Wnd, &R);
    auto B = std::make_unique<TBitmap>(R.right - R.left, R.bottom - R.top, pf24bit);
    TWindowDC DC(Wnd, true);
    BitBlt(B->Canvas()->Handle(), 0, 0, B->Width(), B->Height(), DC, 0, 0, SRCCOPY);
    return B;
}

// $00BBGGRR of a picture drawn on a DC, for expected pixels.
inline uint32_t Rgb(COLORREF C) {
    return C & 0xFFFFFF;
}

inline POINT FrameToScreen(HWND Wnd, POINT P) {
    RECT R;
    GetWindowRect(Wnd, &R);
    return {R.left + P.x, R.top + P.y};
}

inline LPARAM ScreenPoint(HWND Wnd, POINT FramePoint) {
    const POINT S = FrameToScreen(Wnd, FramePoint);
    return MAKELPARAM(S.x, S.y);
}

// A border picture: frames one above the other (Vertical) or side by side, each of Colour,
// with magenta pixels where Holes says so (x, y within the first frame).
inline TBytes BorderBmp(int FrameW, int FrameH, int Frames, bool Vertical, uint32_t Colour,
                        std::initializer_list<POINT> Holes = {}) {
    TBitmap B(Vertical ? FrameW : FrameW * Frames, Vertical ? FrameH * Frames : FrameH, pf24bit);
    Fill(B, Colour);
    for (int F = 0; F < Frames; ++F)
        for (POINT H : Holes)
            SetPixel(B, H.x + (Vertical ? 0 : F * FrameW), H.y + (Vertical ? F * FrameH : 0),
                     0xFF00FF);
    return B.SaveToStream();
}

// A skin of four plain borders (top 20, sides 4, bottom 5 pixels), Trans as given per edge.
inline TBytes PlainBorderSkin(int LeftTrans, int RightTrans, int TopTrans, int BottomTrans,
                              std::initializer_list<POINT> BottomHoles = {}) {
    auto Line = [](const char* Key, int V) {
        return std::string(Key) + "=" + std::to_string(V) + "\n";
    };
    std::string Ini = "[Personality]\n"
                      "Top=top.bmp\nTopFrame=2\nTopTopHeight=4\nTopBotHeight=4\n"
                      "Bottom=bottom.bmp\nBottomFrame=2\nBottomTopHeight=2\nBottomBotHeight=2\n"
                      "Left=left.bmp\nLeftFrame=2\nLeftTopHeight=4\nLeftBotHeight=4\n"
                      "Right=right.bmp\nRightFrame=2\nRightTopHeight=4\nRightBotHeight=4\n";
    Ini += "[Colours]\nButtonFace=200 210 220\n[Personality]\n";
    Ini += Line("LeftTrans", LeftTrans) + Line("RightTrans", RightTrans) +
           Line("TopTrans", TopTrans) + Line("BottomTrans", BottomTrans);
    return Payload(Ini, {{"top.bmp", BorderBmp(40, 20, 2, true, 0x604020)},
                         {"bottom.bmp", BorderBmp(40, 5, 2, true, 0x206040, BottomHoles)},
                         {"left.bmp", BorderBmp(4, 40, 2, false, 0x402060)},
                         {"right.bmp", BorderBmp(4, 40, 2, false, 0x204060)}});
}

inline int ScreenW() {
    return GetSystemMetrics(SM_CXSCREEN);
}
inline int ScreenH() {
    return GetSystemMetrics(SM_CYSCREEN);
}

// The pointer moved and pressed as a hand does: from another thread, since the scroll loop a
// press starts is modal on the user-interface thread.
class TMouse {
  public:
    void Move(POINT P) { Send(0, P); }
    void Down(POINT P) { Send(MOUSEEVENTF_LEFTDOWN, P); }
    void Up(POINT P) { Send(MOUSEEVENTF_LEFTUP, P); }
    void Click(POINT P) {
        Move(P);
        Down(P);
        Up(P);
    }

  private:
    static void Send(DWORD Flags, POINT P) {
        INPUT I{};
        I.type = INPUT_MOUSE;
        I.mi.dx = P.x * 65535 / (ScreenW() - 1);
        I.mi.dy = P.y * 65535 / (ScreenH() - 1);
        I.mi.dwFlags = Flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        SendInput(1, &I, sizeof(I));
        Sleep(40); // the pace of a hand, not a wait for the program
    }
};

// Runs Gesture on a thread of its own while this thread handles messages until it is over.
inline void WithPointer(const std::function<void(TMouse&)>& Gesture) {
    std::atomic<bool> Done{false};
    std::thread T([&] {
        TMouse M;
        Gesture(M);
        Done = true;
    });
    WaitFor([&] { return Done.load(); }, 10000);
    T.join();
    Pump();
}

// A skin file in the temporary folder, from a stored skin (the file is the stored form less its
// length); its path.
std::wstring SkinFileOf(const wchar_t* Name, const TBytes& Stored);

// A modeless dialog (made, not shown) with one push button, IDOK, whose click destroys the
// dialog.
HWND ClosingDialog();

// Live objects of every kind our wrappers count, and the process's threads.
struct TCounts {
    long Gdi, Windows, DCs, WindowDCs, Timers, Subclasses, Hooks, Menus, Icons;
    int Threads;
    bool operator==(const TCounts&) const = default;
};
TCounts Counts();
std::string Describe(const TCounts& C);

} // namespace SkinTest
