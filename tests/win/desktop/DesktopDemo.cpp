// Puts both desktop components on screen for a look from outside (screenshots, xdotool):
// a form docked at the top edge and slid out of sight, and a tray icon given to the real shell.
//   desktop_demo.exe READY_FILE SECONDS
// Writes READY_FILE once the form is hidden and the icon is in the tray, writes "restored" to
// it when a double click on the icon brought the hidden main form back, and ends after SECONDS.
#include "ZnHideForm.h"
#include "hTrayIcon.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

class TDemoForm : public TForm {
    DECLARE_CLASS(TDemoForm, TForm)
  public:
    using TForm::TForm;
};

class TDemoPad : public TCustomControl {
    DECLARE_CLASS(TDemoPad, TCustomControl)
  public:
    using TCustomControl::TCustomControl;
};

void Note(const char* File, const char* Text) {
    if (FILE* F = std::fopen(File, "w")) {
        std::fputs(Text, F);
        std::fclose(F);
    }
}

bool PumpUntil(const std::function<bool()>& Done, DWORD Ms) {
    DWORD Start = GetTickCount();
    while (!Done()) {
        DWORD Elapsed = GetTickCount() - Start;
        if (Elapsed >= Ms) return false;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, Ms - Elapsed, QS_ALLINPUT) ==
            WAIT_OBJECT_0) {
            Application->ProcessMessages();
            Application->Idle();
        }
    }
    return true;
}

} // namespace

PUBLISHED(TDemoForm) {}
PUBLISHED(TDemoPad) {}

int main(int Argc, char** Argv) {
    if (Argc < 3) {
        std::fprintf(stderr, "usage: desktop_demo READY_FILE SECONDS\n");
        return 2;
    }
    const char* Ready = Argv[1];
    DWORD Seconds = static_cast<DWORD>(std::atoi(Argv[2]));
    Application->Initialize();
    Application->SetTitle(L"电话系统");
    TDemoForm* Main = nullptr;
    Application->CreateForm(Main);
    Main->SetCaption(L"电脑拨号");
    Main->SetColor(static_cast<TColor>(0x00C08000)); // a blue that stands out from the black screen
    Main->SetBounds(500, 200, 246, 230);
    auto* Pad = new TDemoPad(Main);
    Pad->SetParent(Main);
    Pad->SetColor(static_cast<TColor>(0x0000FFFF));
    Pad->SetBounds(20, 20, 80, 30);

    // Every showing counts, the first one included (switching AlwaysTop on shows the form).
    int Shows = 0;
    Main->OnShow = [&](TObject*) {
        if (++Shows > 1) Note(Ready, "restored");
    };
    auto* Hide = new TZnHideForm(Main);
    Hide->SetEdgeSpace(3);
    Hide->SetValidSpace(10);
    Hide->SetAutoDock(true);
    Hide->SetAlwaysTop(true);

    auto* Tray = new ThTrayIcon(Main);
    auto Frames = std::make_unique<TImageList>(Main);
    TBitmap Strip(16, 16, pf24bit);
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16; ++X) {
            uint8_t* P = Strip.ScanLine(Y) + X * 3;
            bool Ring = (X - 8) * (X - 8) + (Y - 8) * (Y - 8) < 36;
            P[0] = 0;
            P[1] = Ring ? 0 : 200; // red disc on green
            P[2] = Ring ? 255 : 0;
        }
    Frames->Add(Strip);
    Frames->GetIcon(0, *Tray->Icon());
    Tray->SetHint(L"电话系统");
    Tray->SetMinimizeToTray(true);
    Tray->SetVisible(true);
    // A click takes the program into the tray (as the dialer's click does), a double click
    // brings it back.
    Tray->OnClick = [&](TObject*) { ShowWindow(Application->Handle(), SW_MINIMIZE); };

    Main->Show();
    // One drag step to the top edge, then the pointer away: the form slides up.
    RECT R{500, 6, 746, 236};
    SendMessageW(Main->Handle(), WM_MOVING, WMSZ_TOP, reinterpret_cast<LPARAM>(&R));
    Main->SetBounds(R.left, R.top, R.right - R.left, R.bottom - R.top);
    SetCursorPos(600, 100);
    PumpUntil([&] { return Application->MouseControl() != nullptr; }, 3000);
    SetCursorPos(100, 900);
    bool Hidden = PumpUntil([&] { return Hide->Hidden(); }, 3000);
    std::printf("docked %ls, hidden %d, top %d\n", EnumToString(Hide->DockPos()).c_str(), Hidden,
                Main->Top());
    std::fflush(stdout);
    Note(Ready, "ready");
    PumpUntil(
        [&] {
            if (!Main->Visible() && !IsWindowVisible(Application->Handle())) {
                Note(Ready, "intray");
                return true;
            }
            return false;
        },
        Seconds * 1000);
    PumpUntil([] { return false; }, Seconds * 1000);
    delete Main;
    return 0;
}
