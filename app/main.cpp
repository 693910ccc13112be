// The dialer's entry: one instance per desktop, then the main window and its message loop. A
// start with arguments is a request (a number, a link, a switch): handed over to the running
// instance when there is one, else carried out here.
#include <windows.h>

#include "app/DialRequest.h"
#include "app/Fmain.h"
#include "app/HandOver.h"
#include "app/LinkRegistration.h"
#include "app/LiveCounts.h"

namespace {

// Exit codes of a start with arguments.
constexpr int Done = 0;
constexpr int NotDone = 1;

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const std::vector<std::wstring> Arguments = CommandLineArguments();
    const std::wstring Text = RequestText(Arguments);
    const TDialRequest Request = ParseRequest(Text);
    if (!Arguments.empty()) {
        switch (Request.Kind) {
        case TRequestKind::Register:
            return RegisterLinks(ProgramPath()) ? Done : NotDone;
        case TRequestKind::Unregister:
            return UnregisterLinks(ProgramPath()) ? Done : NotDone;
        default:
            break;
        }
    }
    if (HWND Running = FindWindowA("TFmain", nullptr)) {
        if (!Arguments.empty()) return HandOver(Running, Text) ? Done : NotDone;
        MessageBoxW(nullptr, L"该程序已经有一个在运行中！", L"运行", MB_OK);
        return 0;
    }
    if (!Arguments.empty()) {
        switch (Request.Kind) {
        case TRequestKind::Refused:
            MessageBoxW(nullptr, L"输入错误！", ProgramTitle, MB_OK);
            return NotDone;
        case TRequestKind::Answer:
        case TRequestKind::Hangup:
            // Without a running dialer there is no call to answer or end.
            return NotDone;
        default:
            break;
        }
    }
    Application->Initialize();
    Application->SetTitle(ProgramTitle);
    Application->CreateForm(Fmain);
    // Carried out once the window has been shown, as for a running instance.
    if (Request.Kind == TRequestKind::Number) Fmain->TakeRequest(Text);
    // Only a test that watches a long run asks for these. The history of dialled numbers
    // grows by design, one heap block a line: its length is told beside the heap's count.
    const auto counts = TLiveCounts::FromEnvironment(
        [] { return "history=" + std::to_string(Fmain->Memo1->Lines()->Count()); });
    Application->Run();
    return 0;
}
