#include "SkinTestForm.h"

#include "Reader.h"

TSkinTestForm::TSkinTestForm(TComponent* AOwner) : TForm(AOwner) {
    SetName(L"SkinTestForm");
    ReadSkinTestMenus(*this,
                      [this](TMenuItem& Item) { SetCaption(L"Skin test 皮肤: " + Item.Name()); });
    MainMenu1 = dynamic_cast<TMainMenu*>(FindComponent(L"MainMenu1"));
    PopupMenu1 = dynamic_cast<TPopupMenu*>(FindComponent(L"PopupMenu1"));
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu, biMinimize});
    SetCaption(L"Skin test 皮肤");
    SetBounds(120, 120, 300, 200);
    SetClientSize(260, 166);
    SkinButton = AddButton(L"SkinButton", L"", 12);
    MessageButton = AddButton(L"MessageButton", L"Message box", 48);
    CaptionButton = AddButton(L"CaptionButton", L"Long caption", 84);
    PopupButton = AddButton(L"PopupButton", L"Popup menu", 120);
    SkinButton->OnClick = [this](TObject*) { ToggleSkin(); };
    MessageButton->OnClick = [this](TObject*) { ShowMessageBox(); };
    CaptionButton->OnClick = [this](TObject*) { ToggleCaption(); };
    PopupButton->OnClick = [this](TObject*) { ShowPopupMenu(); };

    // The skin component as a stored description would give it: read first, then loaded.
    SkinData1 = new TSkinData(this);
    SkinData1->SetName(L"SkinData1");
    SkinData1->SetLoading();
    const auto Payload = ResourceData(L"DEFAULTSKIN");
    SkinData1->SetSkinStream(TBytes(Payload.begin(), Payload.end()));
    SkinData1->SetActive(true);
    SkinData1->Loaded();
    ShowState();
}

TButton* TSkinTestForm::AddButton(const wchar_t* Name, const wchar_t* Caption, int Top) {
    auto* B = new TButton(this);
    B->SetName(Name);
    B->SetParent(this);
    B->SetBounds(20, Top, 220, 28);
    B->SetCaption(Caption);
    return B;
}

void TSkinTestForm::ShowState() {
    SkinButton->SetCaption(SkinData1->Active() ? L"Skin off" : L"Skin on");
}

void TSkinTestForm::ToggleSkin() {
    SkinData1->SetActive(!SkinData1->Active());
    ShowState();
}

void TSkinTestForm::ShowMessageBox() {
    MessageBoxW(Handle(), L"This box wears the skin's dialog frame.",
                L"A message box whose caption is longer than its text", MB_OK);
}

void TSkinTestForm::ToggleCaption() {
    const bool Long = Caption().size() < 40;
    SetCaption(Long ? L"Skin test 皮肤 with a caption far too long for the caption strip"
                    : L"Skin test 皮肤");
}

void TSkinTestForm::ShowPopupMenu() {
    if (!PopupMenu1) return;
    const POINT At = PopupButton->ClientToScreen({0, PopupButton->Height()});
    PopupMenu1->Popup(At.x, At.y);
}
