// gallery.exe: shows the gallery window until it is closed.
#include "GalleryForm.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        Application->Initialize();
        Application->SetTitle(L"Widget gallery");
        TGalleryForm* Form = nullptr;
        Application->CreateForm(Form);
        Application->Run();
    } catch (...) {
        Application->HandleException(Application);
        return 1;
    }
    return 0;
}
