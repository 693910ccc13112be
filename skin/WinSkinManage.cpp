#include "WinSkinManage.h"

#include "WinConvert.h"
#include "WinSkinForm.h"
#include "WinSkinMenu.h"

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

} // namespace

ISkinHost* SkinHost() {
    return SkinManager;
}

ISkinHost& EnsureSkinHost() {
    if (!SkinManager) SkinManager = new TSkinManage;
    return *SkinManager;
}

TSkinManage::TSkinManage() : FTimer(std::make_unique<TTimer>(nullptr)) {
    FTimer->SetEnabled(false);
    FTimer->SetInterval(250);
    FTimer->SetOnTimer([this](TObject*) { RunScheduled(); });
}

TSkinManage::~TSkinManage() {
    FTimer.reset();
    FHook.Reset();
    // Frame skins belong to their forms (or end with their windows); menu skins are ours.
    FForms.clear();
    FMenus.clear();
    FSkinDatas.clear();
}

void TSkinManage::RegisterSkinData(TSkinData* Data) {
    if (std::find(FSkinDatas.begin(), FSkinDatas.end(), Data) != FSkinDatas.end()) return;
    FSkinDatas.push_back(Data);
    if (!FMainSkinData && Data->SkinFormtype() == sfMainform) FMainSkinData = Data;
}

void TSkinManage::UnregisterSkinData(TSkinData* Data) {
    // Windows still wearing this skin let go of it before it goes.
    for (auto It = FForms.rbegin(); It != FForms.rend();) {
        TWinSkinForm* F = *It;
        if (F->SkinData != Data) {
            ++It;
            continue;
        }
        RemoveFrame(F);
        It = FForms.rbegin();
    }
    FSkinDatas.erase(std::remove(FSkinDatas.begin(), FSkinDatas.end(), Data), FSkinDatas.end());
    // Its pending request goes with it: a timer left running would fire for nothing.
    if (FTarget == Data) {
        FTarget = nullptr;
        FAction = saNone;
        FTimer->SetEnabled(false);
    }
    if (FMainSkinData == Data) {
        FMainSkinData = nullptr;
        for (TSkinData* D : FSkinDatas)
            if (D->SkinFormtype() == sfMainform) {
                FMainSkinData = D;
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
        const std::wstring Class = WindowClassName(Wnd);
        if (Class == L"ScrollBar" && (CS->style & SBS_SIZEGRIP))
            if (TWinSkinForm* Frame = FindForm(CS->hwndParent)) Frame->SkinChildWindow(Wnd);
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

void TSkinManage::Request(TSkinData* Data, TSkinAction AAction, unsigned Delay) {
    FTarget = Data;
    FAction = AAction;
    FTimer->SetInterval(Delay);
    if (FStarted)
        FTimer->SetEnabled(true);
    else if (AAction == saApply || AAction == saRemove)
        FEnabled = AAction == saApply;
}

void TSkinManage::RemoveFrame(TWinSkinForm* Frame) {
    const HWND Wnd = Frame->Wnd;
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Frame), FForms.end());
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
    FTimer->SetEnabled(false);
    if (!FTarget) return;
    TSkinData* Data = FTarget;
    // A component of one form acts on that form's frame only, any other on every window.
    const bool OwnFormOnly = Data->SkinFormtype() == sfOnlyThisForm;
    switch (FAction) {
    case saApply:
        OwnFormOnly ? ApplyToOwnForm(*Data) : ApplyToAllForms();
        break;
    case saRemove:
        OwnFormOnly ? RemoveOwnFrame(*Data) : RemoveAllFrames();
        break;
    case saRefresh:
        RefreshFrames(*Data, OwnFormOnly);
        break;
    default:
        break;
    }
    // Cleared first: a handler of the event may ask for the next change at once.
    FTarget = nullptr;
    if (Data->OnSkinChanged) Data->OnSkinChanged(Data);
}

void TSkinManage::ApplyToOwnForm(TSkinData& Data) {
    FEnabled = true;
    FApplyingAll = true;
    for (int I = Screen->FormCount() - 1; I >= 0; --I)
        if (Screen->Forms(I) == Data.Owner()) {
            SkinForm(Screen->Forms(I));
            break;
        }
    FApplyingAll = false;
}

void TSkinManage::ApplyToAllForms() {
    FEnabled = true;
    FApplyingAll = true;
    PurgeForms();
    for (int I = Screen->FormCount() - 1; I >= 0; --I)
        SkinForm(Screen->Forms(I));
    FApplyingAll = false;
}

void TSkinManage::RemoveOwnFrame(TSkinData& Data) {
    FEnabled = false;
    PurgeForms();
    for (auto It = FForms.rbegin(); It != FForms.rend(); ++It)
        if ((*It)->SkinData == &Data) {
            RemoveFrame(*It);
            return;
        }
}

void TSkinManage::RemoveAllFrames() {
    FEnabled = false;
    PurgeForms();
    while (!FForms.empty())
        RemoveFrame(FForms.back());
}

void TSkinManage::RefreshFrames(TSkinData& Data, bool FirstOnly) {
    PurgeForms();
    std::vector<TWinSkinForm*> Mine;
    for (TWinSkinForm* F : FForms)
        if (F->SkinData == &Data) {
            Mine.push_back(F);
            if (FirstOnly) break;
        }
    // Every frame lays out anew before any repaints.
    for (TWinSkinForm* F : Mine) {
        F->FreeNCButtons();
        F->ComputeFrameGeometry();
    }
    for (TWinSkinForm* F : Mine)
        F->Refresh();
}

bool TSkinManage::SkinWindow(HWND Wnd) {
    if (!FEnabled || !IsWindow(Wnd)) return false;
    PurgeForms();
    if (SendMessageW(Wnd, SKM_QUERY, 0, 0) == 1 || FindForm(Wnd)) return false;
    TCustomForm* Form = FindVCLForm(Wnd);
    if (!FApplyingAll && (GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD) &&
        LowerCase(WindowClassName(GetParent(Wnd))) != L"mdiclient")
        return false;
    RECT R;
    GetWindowRect(Wnd, &R);
    if (R.right == R.left || R.bottom == R.top) return false;
    if (Form && Form->Tag() == 99) return false;
    const std::wstring Class = WindowClassName(Wnd);
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
    FForms.push_back(Frame);
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
    for (TSkinData* D : FSkinDatas)
        if (D->SkinFormtype() == sfOnlyThisForm)
            if (auto* Owner = dynamic_cast<TCustomForm*>(D->Owner());
                Owner && Owner->HandleAllocated() && Owner->Handle() == Wnd)
                Found = D;
    if (Found) return Found;
    const std::wstring Class = LowerCase(WindowClassName(Wnd));
    if (Class == L"tmessageform" || Class == L"#32770") {
        for (TSkinData* D : FSkinDatas)
            if (D->SkinFormtype() == sfDialog) Found = D;
        if (Found) return Found;
    }
    for (TSkinData* D : FSkinDatas)
        if (D->SkinFormtype() == sfMainform) Found = D;
    if (Found) return Found;
    return FSkinDatas.empty() ? nullptr : FSkinDatas.front();
}

bool TSkinManage::CanSkin(const std::wstring& ClassName) const {
    if (!FMainSkinData) return true;
    if (FMainSkinData->OnFormSkin) {
        bool DoSkin = true;
        FMainSkinData->OnFormSkin(FMainSkinData, ClassName, DoSkin);
        return DoSkin;
    }
    if (ClassName == L"SysMonthCal32") return false;
    if (FMainSkinData->SkinControls().Contains(xcFastReport) && ClassName.rfind(L"Tfr", 0) == 0)
        return false;
    return true;
}

TWinSkinForm* TSkinManage::FindForm(HWND Wnd) const {
    if (!Wnd) return nullptr;
    for (TWinSkinForm* F : FForms)
        if (F->Wnd == Wnd) return F;
    return nullptr;
}

void TSkinManage::ForgetFrame(TWinSkinForm* Frame) {
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Frame), FForms.end());
}

void TSkinManage::RemoveForm(HWND Wnd) {
    auto It = std::find_if(FForms.begin(), FForms.end(),
                           [Wnd](const TWinSkinForm* F) { return F->Wnd == Wnd; });
    if (It != FForms.end()) FForms.erase(It);
}

void TSkinManage::PurgeForms() {
    for (size_t I = FForms.size(); I-- > 0;) {
        if (I >= FForms.size()) continue;
        TWinSkinForm* F = FForms[I];
        if (F->SkinState != lsDestroyed) continue;
        FForms.erase(FForms.begin() + static_cast<std::ptrdiff_t>(I));
        delete F;
    }
}

void TSkinManage::SkinObjectsGoing(TSkinData* Data) {
    for (TWinSkinForm* F : FForms)
        if (F->SkinData == Data) F->FreeNCButtons();
}

void TSkinManage::RefreshForms(TSkinData* Data) {
    PurgeForms();
    // A frame may end while it lays out again: walk a copy, checking each is still here.
    const std::vector<TWinSkinForm*> Frames = FForms;
    for (TWinSkinForm* F : Frames)
        if (std::find(FForms.begin(), FForms.end(), F) != FForms.end() && F->SkinData == Data)
            F->SkinObjectsChanged();
}

void TSkinManage::SkinMenuWindow(HWND Wnd) {
    if (!FEnabled || IsMenuWindow(Wnd) || SendMessageW(Wnd, SKM_QUERY, 0, 0) == 1) return;
    TSkinData* Data = ChooseSkinData(Wnd);
    if (!Data || !Data->SkinLoaded()) return;
    const TSkinControlTypes Kinds = Data->SkinControls();
    switch (FMenuMode) {
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
    FMenus.push_back(std::move(Menu));
}

bool TSkinManage::UnskinMenuWindow(HWND Wnd) {
    auto It =
        std::find_if(FMenus.begin(), FMenus.end(), [Wnd](const auto& M) { return M->Wnd == Wnd; });
    const bool Found = It != FMenus.end();
    if (Found) {
        (*It)->Detach();
        FMenus.erase(It);
    }
    if (FMenus.empty()) FMenuMode = mmPopup;
    return Found;
}

bool TSkinManage::IsMenuWindow(HWND Wnd) const {
    return std::any_of(FMenus.begin(), FMenus.end(),
                       [Wnd](const auto& M) { return M->Wnd == Wnd; });
}

TWinSkinPopMenu* TSkinManage::PopMenuOf(HMENU Menu) const {
    if (!Menu) return nullptr;
    for (const auto& M : FMenus)
        if (M->MenuHandle == Menu) return M.get();
    return nullptr;
}

TBitmap* TSkinManage::MenuBitmap(HMENU Menu) const {
    for (const auto& M : FMenus)
        if (M->MenuHandle == Menu) return &M->Background;
    return nullptr;
}

void TSkinManage::SetMDIFrame(HWND Client, TCustomForm* Frame) {
    FMDIClient = Client;
    FMDIFrameForm = Frame;
}

void TSkinManage::SetMDIMaximized(bool Value) {
    if (Value == FMDIMaximized) return;
    FMDIMaximized = Value;
    // A child frame may free itself while it follows: walk a copy, checking each is still here.
    const std::vector<TWinSkinForm*> Frames = FForms;
    for (TWinSkinForm* F : Frames)
        if (std::find(FForms.begin(), FForms.end(), F) != FForms.end() && F->MdiKind == mkChild)
            F->MDIMaximizedChanged(Value);
    // The frame's menu strip shows the maximised child's buttons, or no longer.
    if (FMDIClient && IsWindow(FMDIClient))
        PostMessageW(GetParent(FMDIClient), SKM_REPAINTFRAME, 0, 0);
}

TCustomForm* TSkinManage::FindVCLForm(HWND Wnd) const {
    return Screen->FindForm(Wnd);
}
