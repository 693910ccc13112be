#include "MdiTestForms.h"

#include "Reader.h"

namespace {

constexpr std::string_view FrameMenus = R"(object MdiTestFrame: TMdiTestFrame
  object MainMenu1: TMainMenu
    object MenuFile: TMenuItem
      Caption = '&File'
      object MenuNew: TMenuItem
        Caption = '&New'
        ShortCut = 'Ctrl+N'
      end
      object MenuNewMaximized: TMenuItem
        Caption = 'New &maximised'
      end
      object MenuFileLine: TMenuItem
        Caption = '-'
      end
      object MenuSkin: TMenuItem
        Caption = '&Skin off'
      end
      object MenuExit: TMenuItem
        Caption = 'E&xit'
      end
    end
    object MenuWindow: TMenuItem
      Caption = '&Window'
      object MenuTile: TMenuItem
        Caption = '&Tile'
      end
      object MenuCascade: TMenuItem
        Caption = '&Cascade'
      end
      object MenuArrange: TMenuItem
        Caption = '&Arrange icons'
      end
    end
  end
end
)";

} // namespace

TMdiTestFrame::TMdiTestFrame(TComponent* AOwner, bool Skinned) : TForm(AOwner) {
    SetName(L"MdiTestFrame");
    SetFormStyle(fsMDIForm);
    ReadComponentText(*this, FrameMenus);
    MainMenu1 = dynamic_cast<TMainMenu*>(FindComponent(L"MainMenu1"));
    WindowMenuItem = Item(L"MenuWindow");
    SkinItem = Item(L"MenuSkin");
    SetMenu(MainMenu1);
    SetWindowMenu(WindowMenuItem);
    SetCaption(L"MDI test 多文档");
    SetBounds(60, 60, 560, 420);
    Item(L"MenuNew")->OnClick = [this](TObject*) { NewChild(false); };
    Item(L"MenuNewMaximized")->OnClick = [this](TObject*) { NewChild(true); };
    SkinItem->OnClick = [this](TObject*) { ToggleSkin(); };
    Item(L"MenuExit")->OnClick = [this](TObject*) { Close(); };
    Item(L"MenuTile")->OnClick = [this](TObject*) { Tile(); };
    Item(L"MenuCascade")->OnClick = [this](TObject*) { Cascade(); };
    Item(L"MenuArrange")->OnClick = [this](TObject*) { ArrangeIcons(); };
    if (Skinned) {
        // The skin component as a stored description would give it: read first, then loaded.
        SkinData1 = new TSkinData(this);
        SkinData1->SetName(L"SkinData1");
        SkinData1->SetLoading();
        const auto Payload = ResourceData(L"DEFAULTSKIN");
        SkinData1->SetSkinStream(TBytes(Payload.begin(), Payload.end()));
        SkinData1->SetActive(true);
        SkinData1->Loaded();
    }
    ShowSkinState();
}

TMenuItem* TMdiTestFrame::Item(const wchar_t* Name) const {
    auto* I = dynamic_cast<TMenuItem*>(FindComponent(Name));
    if (!I) throw EComponentError(std::wstring(L"No menu item ") + Name);
    return I;
}

TMdiTestChild* TMdiTestFrame::NewChild(bool Maximized) {
    auto* Child = TCustomForm::CreateForm<TMdiTestChild>(this);
    Child->SetCaption(L"Document " + std::to_wstring(++Made));
    if (Maximized) Child->SetWindowState(wsMaximized);
    Child->Show();
    return Child;
}

void TMdiTestFrame::ToggleSkin() {
    if (!SkinData1) return;
    SkinData1->SetActive(!SkinData1->Active());
    ShowSkinState();
}

void TMdiTestFrame::ShowSkinState() {
    SkinItem->SetEnabled(SkinData1 != nullptr);
    SkinItem->SetCaption(SkinData1 && SkinData1->Active() ? L"&Skin off" : L"&Skin on");
}

TMdiTestChild::TMdiTestChild(TComponent* AOwner) : TForm(AOwner) {
    SetFormStyle(fsMDIChild);
    // Built here rather than read: every child reads under the same owner, and a description
    // would name them all alike.
    MainMenu1 = new TMainMenu(this);
    auto Add = [this](TMenuItem* Parent, const wchar_t* Name, const wchar_t* Caption) {
        auto* I = new TMenuItem(this);
        I->SetName(Name);
        I->SetCaption(Caption);
        Parent->Add(I);
        return I;
    };
    TMenuItem* Document = Add(MainMenu1->Items(), L"MenuDocument", L"&Document");
    Add(Document, L"MenuMark", L"&Mark");
    Add(Document, L"MenuClose", L"&Close");
    SetMenu(MainMenu1);
    SetPosition(poDefault);
    SetBounds(0, 0, 240, 160);
    SetColor(clWindow);
    if (auto* Mark = dynamic_cast<TMenuItem*>(FindComponent(L"MenuMark")))
        Mark->OnClick = [this](TObject*) { ++Marks; };
    if (auto* Close = dynamic_cast<TMenuItem*>(FindComponent(L"MenuClose")))
        Close->OnClick = [this](TObject*) { this->Close(); };
    OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
}

PUBLISHED(TMdiTestFrame) {}
PUBLISHED(TMdiTestChild) {}
