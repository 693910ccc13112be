#include "SkinTestMenus.h"

#include "Reader.h"

void ReadSkinTestMenus(TForm& Form, const std::function<void(TMenuItem& Item)>& Clicked) {
    ReadComponentResource(Form, L"SKINTESTMENUS");
    std::function<void(TMenuItem&)> Bind = [&](TMenuItem& Item) {
        for (int I = 0; I < Item.Count(); ++I) {
            TMenuItem* Sub = Item.Items(I);
            Sub->OnClick = [Clicked, Sub](TObject*) { Clicked(*Sub); };
            Bind(*Sub);
        }
    };
    for (int I = 0; I < Form.ComponentCount(); ++I)
        if (auto* Menu = dynamic_cast<TMenu*>(Form.Components(I))) Bind(*Menu->Items());
}
