// What the skin benchmarks share: the default skin carried as a resource, loaded as a stored
// description would load it, and the wait until a shown window wears its frame skin.
#pragma once

#include "Reader.h"
#include "WinSkinData.h"
#include "WinSkinForm.h"
#include "WinSkinManage.h"

namespace Bench {

inline TSkinData* LoadDefaultSkin(TComponent* Owner = nullptr, TSkinFormType Type = sfMainform) {
    auto* Skin = new TSkinData(Owner);
    Skin->SetLoading();
    if (Type != sfMainform) Skin->SetSkinFormtype(Type);
    const auto Payload = ResourceData(L"DEFAULTSKIN");
    Skin->SetSkinStream(TBytes(Payload.begin(), Payload.end()));
    Skin->SetActive(true);
    Skin->Loaded();
    return Skin;
}

// The window's frame skin once it is ready; null when it did not come within about a second.
inline TWinSkinForm* WaitForFrame(HWND Wnd) {
    TWinSkinForm* Frame = nullptr;
    for (int I = 0; I < 500 && !(Frame && Frame->SkinState == lsReady); ++I) {
        Application->ProcessMessages();
        Sleep(2);
        Frame = SkinManager->FindForm(Wnd);
    }
    return Frame && Frame->SkinState == lsReady ? Frame : nullptr;
}

} // namespace Bench
