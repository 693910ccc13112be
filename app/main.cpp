// The dialer's entry: one instance per desktop, then the main window and its message loop.
#include <windows.h>

#include "app/Fmain.h"
#include "app/LiveCounts.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (FindWindowA("TFmain", nullptr)) {
        MessageBoxW(nullptr, L"该程序已经有一个在运行中！", L"运行", MB_OK);
        return 0;
    }
    Application->Initialize();
    Application->SetTitle(ProgramTitle);
    Application->CreateForm(Fmain);
    // Only a test that watches a long run asks for these. The history of dialled numbers
    // grows by design, one heap block a line: its length is told beside the heap's count.
    const auto counts = TLiveCounts::FromEnvironment(
        [] { return "history=" + std::to_string(Fmain->Memo1->Lines()->Count()); });
    Application->Run();
    return 0;
}
