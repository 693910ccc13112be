#include "WinSkinManage.h"

#include "WinSkinForm.h"
#include "WinSkinMenu.h"
#include "WinSubClass.h"

#include <algorithm>
#include <cwchar>

TSkinManage* SkinManager = nullptr;

namespace {

// The manager lives until the program ends.
struct TManagerEnd {
    ~TManagerEnd() {
        delete SkinManager;
        SkinManager = nullptr;
    }
} ManagerEnd;

std::wstring ClassNameOf(HWND Wnd, int Max = 100) {
    wchar_t Name[256]{};
    GetClassNameW(Wnd, Name, std::min(Max + 1, 256));
    return Name;
}

} // namespace

TSkinManage& EnsureSkinManager() {
    if (!SkinManager) SkinManager = new TSkinManage;
    return *SkinManager;
}

TSkinManage::TSkinManage() : Timer(std::make_unique<TTimer>(nullptr)) {
    Timer->SetEnabled(false);
    Timer->SetInterval(250);
    Timer->SetOnTimer([this](TObject*) { RunScheduled(); });
}

TSkinManage::~TSkinManage() {
    Timer.reset();
    FHook.Reset();
    // Frame skins belong to their forms (or end with their windows); menu skins are ours.
    Forms.clear();
    Menus.clear();
    SkinDatas.clear();
}

void TSkinManage::RegisterSkinData(TSkinData* Data) {
    if (std::find(SkinDatas.begin(), SkinDatas.end(), Data) != SkinDatas.end()) return;
    SkinDatas.push_back(Data);
    if (!MainSkinData && Data->SkinFormtype() == sfMainform) MainSkinData = Data;
}

void TSkinManage::UnregisterSkinData(TSkinData* Data) {
    // Windows still wearing this skin let go of it before it goes.
    for (auto It = Forms.rbegin(); It != Forms.rend();) {
        TWinSkinForm* F = *It;
        if (F->SkinData != Data) {
            ++It;
            continue;
        }
        RemoveFrame(F);
        It = Forms.rbegin();
    }
    SkinDatas.erase(std::remove(SkinDatas.begin(), SkinDatas.end(), Data), SkinDatas.end());
    if (FTarget == Data) FTarget = nullptr;
    if (MainSkinData == Data) {
        MainSkinData = nullptr;
        for (TSkinData* D : SkinDatas)
            if (D->SkinFormtype() == sfMainform) {
                MainSkinData = D;
                break;
            }
    }
}

void TSkinManage::InstallHook() {
    if (FHook) return;
    FHook.Reset(SetWindowsHookExW(WH_CBT, &TSkinManage::CBTProc, nullptr, GetCurrentThreadId()));
}

LRESULT CALLBACK TSkinManage::CBTProc(int Code, WPARAM WParam, LPARAM LParam) {
    if (SkinManager) {
        try {
            SkinManager->HookCall(Code, WParam, LParam);
        } catch (...) {
            // A window that cannot be skinned keeps its own look; the program goes on.
        }
    }
    return CallNextHookEx(nullptr, Code, WParam, LParam);
}

void TSkinManage::HookCall(int Code, WPARAM WParam, LPARAM LParam) {
    if (Code < 0 || !FEnabled) {
        if (Code == HCBT_ACTIVATE) FStarted = true;
        return;
    }
    const auto Wnd = reinterpret_cast<HWND>(WParam);
    switch (Code) {
    case HCBT_CREATEWND: {
        const CREATESTRUCTW* CS = reinterpret_cast<CBT_CREATEWNDW*>(LParam)->lpcs;
        const std::wstring Class = ClassNameOf(Wnd);
        if (Class == L"ScrollBar" && (CS->style & SBS_SIZEGRIP))
            if (TWinSkinForm* Frame = FindForm(CS->hwndParent)) SkinChildWindow(*Frame, Wnd);
        if (!(CS->style & WS_CHILD) && Class == L"#32768") SkinMenuWindow(Wnd);
        break;
    }
    case HCBT_DESTROYWND:
        UnskinMenuWindow(Wnd);
        break;
    case HCBT_ACTIVATE:
        FStarted = true;
        SkinWindow(Wnd);
        break;
    default:
        break;
    }
}

void TSkinManage::Request(TSkinData* Data, int AAction, unsigned Delay) {
    FTarget = Data;
    FAction = AAction;
    Timer->SetInterval(Delay);
    if (FStarted)
        Timer->SetEnabled(true);
    else if (AAction == saApply || AAction == saRemove)
        FEnabled = AAction == saApply;
}

void TSkinManage::RemoveFrame(TWinSkinForm* Frame) {
    const HWND Wnd = Frame->Wnd;
    Forms.erase(std::remove(Forms.begin(), Forms.end(), Frame), Forms.end());
    Frame->Detach(TWinSkinForm::dkFull);
    delete Frame;
    if (IsWindow(Wnd)) {
        RedrawWindow(Wnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        UpdateWindow(Wnd);
    }
}

void TSkinManage::RunScheduled() {
    // Nothing to do (the target went, or never was) stops the timer just the same.
    Timer->SetEnabled(false);
    if (!FTarget) return;
    TSkinData* Data = FTarget;
    if (Data->SkinFormtype() == sfOnlyThisForm) {
        switch (FAction) {
        case saApply:
            FEnabled = true;
            ApplyingAll = true;
            for (int I = Screen->FormCount() - 1; I >= 0; --I)
                if (Screen->Forms(I) == Data->Owner()) {
                    SkinForm(Screen->Forms(I));
                    break;
                }
            ApplyingAll = false;
            break;
        case saRemove:
            FEnabled = false;
            PurgeForms();
            for (auto It = Forms.rbegin(); It != Forms.rend(); ++It)
                if ((*It)->SkinData == Data) {
                    RemoveFrame(*It);
                    break;
                }
            break;
        case saRefresh:
            PurgeForms();
            for (TWinSkinForm* F : Forms)
                if (F->SkinData == Data) {
                    F->FreeNCButtons();
                    F->ComputeFrameGeometry();
                    F->Refresh();
                    break;
                }
            break;
        default:
            break;
        }
    } else {
        switch (FAction) {
        case saApply:
            FEnabled = true;
            ApplyingAll = true;
            PurgeForms();
            for (int I = Screen->FormCount() - 1; I >= 0; --I)
                SkinForm(Screen->Forms(I));
            ApplyingAll = false;
            break;
        case saRemove:
            FEnabled = false;
            PurgeForms();
            while (!Forms.empty())
                RemoveFrame(Forms.back());
            break;
        case saRefresh: {
            PurgeForms();
            std::vector<TWinSkinForm*> Mine;
            for (TWinSkinForm* F : Forms)
                if (F->SkinData == Data) Mine.push_back(F);
            for (TWinSkinForm* F : Mine) {
                F->FreeNCButtons();
                F->ComputeFrameGeometry();
            }
            for (TWinSkinForm* F : Mine)
                F->Refresh();
            break;
        }
        default:
            break;
        }
    }
    // Cleared first: a handler of the event may ask for the next change at once.
    FTarget = nullptr;
    if (Data->OnSkinChanged) Data->OnSkinChanged(Data);
}

bool TSkinManage::SkinWindow(HWND Wnd) {
    if (!FEnabled || !IsWindow(Wnd)) return false;
    PurgeForms();
    if (SendMessageW(Wnd, SKM_QUERY, 0, 0) == 1 || FindForm(Wnd)) return false;
    TCustomForm* Form = FindVCLForm(Wnd);
    if (!ApplyingAll && (GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD) &&
        LowerCase(ClassNameOf(GetParent(Wnd))) != L"mdiclient")
        return false;
    RECT R;
    GetWindowRect(Wnd, &R);
    if (R.right == R.left || R.bottom == R.top) return false;
    if (Form && Form->Tag() == 99) return false;
    const std::wstring Class = ClassNameOf(Wnd);
    if (Class == L"TApplication" || Class == L"TQRStandardPreview" || !CanSkin(Class)) return false;
    TSkinData* Data = ChooseSkinData(Wnd);
    if (!Data || !Data->SkinLoaded()) return false;
    auto* Frame = new TWinSkinForm(Form);
    Frame->Wnd = Wnd;
    if (!Frame->Attach(Data, Form)) {
        // The window keeps its own frame, and is tried again at its next activation.
        delete Frame;
        return false;
    }
    Forms.push_back(Frame);
    PostMessageW(Wnd, SKM_APPLY, 0, 1000);
    return true;
}

void TSkinManage::SkinForm(TCustomForm* Form) {
    if (!Form || !Form->Visible() || !Form->HandleAllocated()) return;
    const HWND Wnd = Form->Handle();
    if ((GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD) &&
        !(GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_MDICHILD))
        return;
    SkinWindow(Wnd);
}

TSkinData* TSkinManage::ChooseSkinData(HWND Wnd) const {
    TSkinData* Found = nullptr;
    for (TSkinData* D : SkinDatas)
        if (D->SkinFormtype() == sfOnlyThisForm)
            if (auto* Owner = dynamic_cast<TCustomForm*>(D->Owner());
                Owner && Owner->HandleAllocated() && Owner->Handle() == Wnd)
                Found = D;
    if (Found) return Found;
    const std::wstring Class = LowerCase(ClassNameOf(Wnd));
    if (Class == L"tmessageform" || Class == L"#32770") {
        for (TSkinData* D : SkinDatas)
            if (D->SkinFormtype() == sfDialog) Found = D;
        if (Found) return Found;
    }
    for (TSkinData* D : SkinDatas)
        if (D->SkinFormtype() == sfMainform) Found = D;
    if (Found) return Found;
    return SkinDatas.empty() ? nullptr : SkinDatas.front();
}

bool TSkinManage::CanSkin(const std::wstring& ClassName) const {
    if (!MainSkinData) return true;
    if (MainSkinData->OnFormSkin) {
        bool DoSkin = true;
        MainSkinData->OnFormSkin(MainSkinData, ClassName, DoSkin);
        return DoSkin;
    }
    if (ClassName == L"SysMonthCal32") return false;
    if (MainSkinData->SkinControls().Contains(xcFastReport) && ClassName.rfind(L"Tfr", 0) == 0)
        return false;
    return true;
}

TWinSkinForm* TSkinManage::FindForm(HWND Wnd) const {
    if (!Wnd) return nullptr;
    for (TWinSkinForm* F : Forms)
        if (F->Wnd == Wnd) return F;
    return nullptr;
}

void TSkinManage::RemoveForm(HWND Wnd) {
    auto It = std::find_if(Forms.begin(), Forms.end(),
                           [Wnd](const TWinSkinForm* F) { return F->Wnd == Wnd; });
    if (It != Forms.end()) Forms.erase(It);
}

void TSkinManage::PurgeForms() {
    for (size_t I = Forms.size(); I-- > 0;) {
        if (I >= Forms.size()) continue;
        TWinSkinForm* F = Forms[I];
        if (F->SkinState != lsDestroyed) continue;
        Forms.erase(Forms.begin() + static_cast<std::ptrdiff_t>(I));
        delete F;
    }
}

void TSkinManage::SkinObjectsGoing(TSkinData* Data) {
    for (TWinSkinForm* F : Forms)
        if (F->SkinData == Data) F->FreeNCButtons();
}

void TSkinManage::RefreshForms(TSkinData* Data) {
    PurgeForms();
    // A frame may end while it lays out again: walk a copy, checking each is still here.
    const std::vector<TWinSkinForm*> Frames = Forms;
    for (TWinSkinForm* F : Frames)
        if (std::find(Forms.begin(), Forms.end(), F) != Forms.end() && F->SkinData == Data)
            F->SkinObjectsChanged();
}

void TSkinManage::SkinMenuWindow(HWND Wnd) {
    if (!FEnabled || IsMenuWindow(Wnd) || SendMessageW(Wnd, SKM_QUERY, 0, 0) == 1) return;
    TSkinData* Data = ChooseSkinData(Wnd);
    if (!Data || !Data->SkinLoaded()) return;
    const TSkinControlTypes Kinds = Data->SkinControls();
    switch (MenuMode) {
    case mmPopup:
        if (!Kinds.Contains(xcPopupMenu)) return;
        break;
    case mmMenuBar:
        if (!Kinds.Contains(xcMainMenu) && !Kinds.Contains(xcMenuItem)) return;
        break;
    case mmSystemMenu:
        if (!Kinds.Contains(xcSystemMenu)) return;
        break;
    default:
        break;
    }
    auto Menu = std::make_unique<TWinSkinPopMenu>();
    Menu->Attach(Wnd, Data);
    Menus.push_back(std::move(Menu));
}

bool TSkinManage::UnskinMenuWindow(HWND Wnd) {
    auto It = std::find_if(Menus.begin(), Menus.end(), [Wnd](const auto& M) { return M->Wnd == Wnd; });
    const bool Found = It != Menus.end();
    if (Found) {
        (*It)->Detach();
        Menus.erase(It);
    }
    if (Menus.empty()) MenuMode = mmPopup;
    return Found;
}

bool TSkinManage::IsMenuWindow(HWND Wnd) const {
    return std::any_of(Menus.begin(), Menus.end(), [Wnd](const auto& M) { return M->Wnd == Wnd; });
}

TBitmap* TSkinManage::MenuBitmap(HMENU Menu) const {
    for (const auto& M : Menus)
        if (M->MenuHandle == Menu) return &M->Background;
    return nullptr;
}

void TSkinManage::SetMDIMaximized(bool Value) {
    if (Value == MDIMaximized) return;
    MDIMaximized = Value;
    // A child frame may free itself while it follows: walk a copy, checking each is still here.
    const std::vector<TWinSkinForm*> Frames = Forms;
    for (TWinSkinForm* F : Frames)
        if (std::find(Forms.begin(), Forms.end(), F) != Forms.end() && F->MdiKind == mkChild)
            F->MDIMaximizedChanged(Value);
    // The frame's menu strip shows the maximised child's buttons, or no longer.
    if (MDIClient && IsWindow(MDIClient))
        PostMessageW(GetParent(MDIClient), SKM_REPAINTFRAME, 0, 0);
}

TCustomForm* TSkinManage::FindVCLForm(HWND Wnd) const {
    return Screen->FindForm(Wnd);
}
