// mditest.exe: a multiple-document frame wearing the default skin (see MdiTestForms.h).
#include "MdiTestForms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Application->Initialize();
        Application->SetTitle(L"MDI test");
        TMdiTestFrame* Frame = nullptr;
        Application->CreateForm(Frame);
        Frame->NewChild(false);
        Frame->NewChild(false);
        Application->Run();
    } catch (...) {
        Application->HandleException(Application);
        return 1;
    }
    return 0;
}
