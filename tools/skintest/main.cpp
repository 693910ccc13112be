// skintest.exe: a window wearing the default skin, with buttons that switch the skin off and
// on at run time, show a skinned message box and try a long caption.
#include "SkinTestForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Application->Initialize();
        Application->SetTitle(L"Skin test");
        TSkinTestForm* Form = nullptr;
        Application->CreateForm(Form);
        Application->Run();
    } catch (...) {
        Application->HandleException(Application);
        return 1;
    }
    return 0;
}
