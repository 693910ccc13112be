// skintest.exe: a window wearing the default skin, with buttons that switch the skin off and
// on at run time, show a skinned message box, try a long caption and pop a menu up, and a
// skinned menu bar.
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
