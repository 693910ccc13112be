#include "GalleryForm.h"

TGalleryForm::TGalleryForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterHandler(L"MenuClick", &TGalleryForm::MenuClick);
    RegisterHandler(L"ExitClick", &TGalleryForm::ExitClick);
    RegisterHandler(L"PanelMouseUp", &TGalleryForm::PanelMouseUp);
    RegisterField(L"PopupMenu1", PopupMenu1);
}

void TGalleryForm::MenuClick(TObject* Sender) {
    if (auto* C = dynamic_cast<TComponent*>(Sender)) LastMenuClick = C->Name();
}

void TGalleryForm::ExitClick(TObject*) {
    Close();
}

void TGalleryForm::PanelMouseUp(TObject* Sender, TMouseButton Button, TShiftState, int X, int Y) {
    auto* C = dynamic_cast<TControl*>(Sender);
    if (Button != mbRight || !C || !PopupMenu1) return;
    POINT P = C->ClientToScreen({X, Y});
    PopupMenu1->SetPopupComponent(C);
    PopupMenu1->Popup(P.x, P.y);
}

PUBLISHED(TGalleryForm) {}
