#include "Classes.h"

#include <algorithm>
#include <map>

// ---------------------------------------------------------------------------------------------
// Registry

namespace {

struct TNoCaseLess {
    bool operator()(const std::wstring& A, const std::wstring& B) const {
        return LowerCase(A) < LowerCase(B);
    }
};

std::map<std::wstring, const TMetaClass*, TNoCaseLess>& Registry() {
    static std::map<std::wstring, const TMetaClass*, TNoCaseLess> R;
    return R;
}

} // namespace

const TMetaClass& TObject::StaticClass() {
    static const TMetaClass Meta(L"TObject", nullptr, nullptr);
    return Meta;
}

std::wstring TObject::ClassName() const {
    return ClassType().ClassName();
}

bool TObject::InheritsFrom(const TMetaClass& Class) const {
    return ClassType().InheritsFrom(Class);
}

TMetaClass::TMetaClass(const wchar_t* Name, const TMetaClass* Parent, TComponentFactory Factory,
                       void (*Declare)(TPropertyBuilder& p))
    : FName(Name), FParent(Parent), FFactory(Factory) {
    if (Declare) {
        TPropertyBuilder Builder(*this);
        Declare(Builder);
    }
}

bool TMetaClass::InheritsFrom(const TMetaClass& Other) const {
    for (const TMetaClass* C = this; C; C = C->FParent)
        if (C == &Other) return true;
    return false;
}

TComponent* TMetaClass::Create(TComponent* Owner) const {
    if (!FFactory) throw EPropertyError(L"Cannot create an instance of the class " + FName);
    return FFactory(Owner);
}

const TPropInfo* TMetaClass::FindProperty(std::wstring_view Name) const {
    for (const TMetaClass* C = this; C; C = C->FParent)
        for (const auto& P : C->FProps)
            if (SameText(P.Name, Name)) return &P;
    return nullptr;
}

std::vector<const TPropInfo*> TMetaClass::Properties() const {
    std::vector<const TMetaClass*> Chain;
    for (const TMetaClass* C = this; C; C = C->FParent)
        Chain.insert(Chain.begin(), C);
    std::vector<const TPropInfo*> Out;
    for (const TMetaClass* C : Chain)
        for (const auto& P : C->FProps) {
            // A redeclared property keeps the place of the first declaration.
            auto Same = [&](const TPropInfo* Q) { return SameText(Q->Name, P.Name); };
            auto It = std::find_if(Out.begin(), Out.end(), Same);
            if (It != Out.end())
                *It = &P;
            else
                Out.push_back(&P);
        }
    return Out;
}

void TMetaClass::AddProperty(const TPropInfo& Info) {
    for (auto& P : FProps)
        if (SameText(P.Name, Info.Name)) {
            P = Info;
            return;
        }
    FProps.push_back(Info);
}

bool TMetaClass::Register(const TMetaClass& Class) {
    Registry().emplace(Class.ClassName(), &Class);
    return true;
}

const TMetaClass* FindClass(std::wstring_view Name) {
    auto It = Registry().find(std::wstring(Name));
    return It == Registry().end() ? nullptr : It->second;
}

// ---------------------------------------------------------------------------------------------
// TPersistent

void TPersistent::Assign(const TPersistent& Source) {
    throw EConvertError(L"Cannot assign a " + Source.ClassName() + L" to a " + ClassName());
}

void TPersistent::ReadBinary(std::span<const uint8_t>) {
    throw EPropertyError(ClassName() + L" takes no binary data");
}

void TPersistent::ReadStrings(const std::vector<std::wstring>&) {
    throw EPropertyError(ClassName() + L" takes no list of strings");
}

// ---------------------------------------------------------------------------------------------
// TComponent

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Whoever holds a reference drops it now; each removal edits the lists, so take copies.
    auto Notifies = FFreeNotifies;
    FFreeNotifies.clear();
    for (TComponent* C : Notifies) {
        auto& Back = C->FFreeNotifies;
        Back.erase(std::remove(Back.begin(), Back.end(), this), Back.end());
        C->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents() {
    while (!FComponents.empty()) {
        TComponent* C = FComponents.back();
        RemoveComponent(C);
        delete C;
    }
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError(L"Component index out of bounds (" + IntToStr(Index) + L")");
    return FComponents[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
    if (!FOwner) return -1;
    auto& L = FOwner->FComponents;
    return static_cast<int>(std::find(L.begin(), L.end(), this) - L.begin());
}

TComponent* TComponent::FindComponent(std::wstring_view Name) const {
    if (Name.empty()) return nullptr;
    for (TComponent* C : FComponents)
        if (SameText(C->FName, Name)) return C;
    return nullptr;
}

void TComponent::SetName(const std::wstring& Value) {
    if (Value == FName) return;
    if (!Value.empty() && !IsValidIdent(Value))
        throw EComponentError(L"'" + Value + L"' is not a valid component name");
    if (FOwner && !Value.empty()) {
        TComponent* Other = FOwner->FindComponent(Value);
        if (Other && Other != this)
            throw EComponentError(L"A component named " + Value + L" already exists");
    }
    FName = Value;
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->FOwner == this) return;
    if (!AComponent->FName.empty() && FindComponent(AComponent->FName))
        throw EComponentError(L"A component named " + AComponent->FName + L" already exists");
    if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    auto It = std::find(FComponents.begin(), FComponents.end(), AComponent);
    if (It == FComponents.end()) return;
    FComponents.erase(It);
    AComponent->FOwner = nullptr;
    if (!FComponentState.Contains(csDestroying)) Notification(AComponent, opRemove);
}

void TComponent::Loaded() {
    FComponentState.Exclude(csLoading).Exclude(csReading);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    // Both sides know each other so that whichever goes first unhooks from the other.
    auto& Back = AComponent->FFreeNotifies;
    if (std::find(Back.begin(), Back.end(), this) == Back.end()) Back.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
                        FFreeNotifies.end());
    if (AComponent) {
        auto& Back = AComponent->FFreeNotifies;
        Back.erase(std::remove(Back.begin(), Back.end(), this), Back.end());
    }
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::AddHandler(std::wstring_view Name, std::any Handler) {
    for (auto& H : FHandlers)
        if (SameText(H.first, Name)) {
            H.second = std::move(Handler);
            return;
        }
    FHandlers.emplace_back(std::wstring(Name), std::move(Handler));
}

const std::any* TComponent::FindHandler(std::wstring_view Name) const {
    for (auto& H : FHandlers)
        if (SameText(H.first, Name)) return &H.second;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Access by name

std::wstring EnumName(size_t Ordinal, TEnumNameList Names) {
    return Ordinal < Names.size() ? std::wstring(Names[Ordinal])
                                  : IntToStr(static_cast<long long>(Ordinal));
}

size_t EnumOrdinal(std::wstring_view Name, TEnumNameList Names) {
    for (size_t I = 0; I < Names.size(); ++I)
        if (SameText(Name, Names[I])) return I;
    throw EConvertError(L"'" + std::wstring(Name) + L"' is not a member of the enumeration");
}

size_t EnumOrdinalOfText(std::wstring_view Text, TEnumNameList Names) {
    return EnumOrdinal(Trim(Text), Names);
}

std::wstring SetMembersText(uint32_t Bits, TEnumNameList Names) {
    std::wstring Out = L"[";
    for (size_t I = 0; I < Names.size(); ++I)
        if ((Bits >> I) & 1u) {
            if (Out.size() > 1) Out += L',';
            Out += Names[I];
        }
    return Out + L"]";
}

uint32_t SetMembersBits(std::wstring_view Text, TEnumNameList Names) {
    uint32_t Bits = 0;
    for (const auto& Name : SplitSetText(Text))
        Bits |= 1u << EnumOrdinal(Name, Names);
    return Bits;
}

std::vector<std::wstring> SplitSetText(std::wstring_view Text) {
    std::wstring T = Trim(Text);
    std::wstring_view V = T;
    if (!V.empty() && V.front() == L'[') {
        if (V.back() != L']') throw EConvertError(L"'" + T + L"' is not a valid set");
        V = V.substr(1, V.size() - 2);
    }
    std::vector<std::wstring> Out;
    while (!V.empty()) {
        size_t Comma = V.find(L',');
        std::wstring Item = Trim(V.substr(0, Comma));
        if (Item.empty()) throw EConvertError(L"'" + T + L"' is not a valid set");
        Out.push_back(Item);
        if (Comma == std::wstring_view::npos) break;
        V.remove_prefix(Comma + 1);
        if (Trim(V).empty()) throw EConvertError(L"'" + T + L"' is not a valid set");
    }
    return Out;
}

namespace {

// Walks "Font.Name" down to the object holding the last property.
TObject* Resolve(TObject& Instance, std::wstring_view& Name) {
    TObject* Obj = &Instance;
    size_t Dot;
    while ((Dot = Name.find(L'.')) != std::wstring_view::npos) {
        const TPropInfo* P = Obj->ClassType().FindProperty(Name.substr(0, Dot));
        if (!P || P->Kind != TPropKind::Object) return nullptr;
        Obj = P->Access->ObjectOf(*P, *Obj);
        if (!Obj) return nullptr;
        Name.remove_prefix(Dot + 1);
    }
    return Obj;
}

const TPropInfo* Require(TObject& Instance, std::wstring_view Name, TObject*& Holder) {
    std::wstring_view Last = Name;
    Holder = Resolve(Instance, Last);
    const TPropInfo* P = Holder ? Holder->ClassType().FindProperty(Last) : nullptr;
    if (!P) throw EPropertyError(Instance.ClassName() + L" has no property " + std::wstring(Name));
    return P;
}

[[noreturn]] void Rethrow(std::wstring_view Name, const Exception& E) {
    throw EPropertyError(L"Invalid value for property " + std::wstring(Name) + L": " + E.Message());
}

} // namespace

const TPropInfo* GetPropInfo(const TObject& Instance, std::wstring_view Name) {
    TObject* Holder = Resolve(const_cast<TObject&>(Instance), Name);
    return Holder ? Holder->ClassType().FindProperty(Name) : nullptr;
}

bool IsPublishedProp(const TObject& Instance, std::wstring_view Name) {
    return GetPropInfo(Instance, Name) != nullptr;
}

std::wstring GetPropText(const TObject& Instance, std::wstring_view Name) {
    TObject* Holder = Resolve(const_cast<TObject&>(Instance), Name);
    const TPropInfo* P = Holder ? Holder->ClassType().FindProperty(Name) : nullptr;
    return P ? P->Access->GetText(*P, *Holder) : std::wstring();
}

void SetPropText(TObject& Instance, std::wstring_view Name, std::wstring_view Value) {
    TObject* Holder;
    const TPropInfo* P = Require(Instance, Name, Holder);
    if (!P->Access->SetText)
        throw EPropertyError(L"Property " + std::wstring(Name) + L" is read-only");
    try {
        P->Access->SetText(*P, *Holder, Value);
    } catch (const Exception& E) {
        Rethrow(Name, E);
    }
}

bool TrySetPropText(TObject& Instance, std::wstring_view Name, std::wstring_view Value) noexcept {
    try {
        TObject* Holder = Resolve(Instance, Name);
        const TPropInfo* P = Holder ? Holder->ClassType().FindProperty(Name) : nullptr;
        if (!P || !P->Access->SetText) return false;
        P->Access->SetText(*P, *Holder, Value);
        return true;
    } catch (...) {
        return false;
    }
}

TPersistent* GetObjectProp(TObject& Instance, std::wstring_view Name) {
    const TPropInfo* P = GetPropInfo(Instance, Name);
    if (!P || !P->Access->ObjectOf) return nullptr;
    TObject* Holder = Resolve(Instance, Name);
    return P->Access->ObjectOf(*P, *Holder);
}

void SetObjectProp(TObject& Instance, std::wstring_view Name, TPersistent* Value) {
    TObject* Holder;
    const TPropInfo* P = Require(Instance, Name, Holder);
    if (!P->Access->SetObject)
        throw EPropertyError(L"Property " + std::wstring(Name) + L" takes no object");
    try {
        P->Access->SetObject(*P, *Holder, Value);
    } catch (const Exception& E) {
        Rethrow(Name, E);
    }
}

void SetEventHandler(TObject& Instance, std::wstring_view Name, const std::any& Handler) {
    TObject* Holder;
    const TPropInfo* P = Require(Instance, Name, Holder);
    if (!P->Access->SetHandler) throw EPropertyError(std::wstring(Name) + L" is not an event");
    P->Access->SetHandler(*P, *Holder, Handler);
}

void SetBinaryProp(TObject& Instance, std::wstring_view Name, std::span<const uint8_t> Data) {
    TObject* Holder;
    const TPropInfo* P = Require(Instance, Name, Holder);
    try {
        TPersistent* Object =
            P->Kind == TPropKind::Object ? P->Access->ObjectOf(*P, *Holder) : nullptr;
        if (P->Access->SetBytes)
            P->Access->SetBytes(*P, *Holder, Data);
        else if (Object)
            Object->ReadBinary(Data);
        else
            throw EPropertyError(L"Property " + std::wstring(Name) + L" takes no binary data");
    } catch (const Exception& E) {
        Rethrow(Name, E);
    }
}

// ---------------------------------------------------------------------------------------------
// Text forms of the property kinds

namespace PropDetail {

std::wstring BoolToText(bool V) {
    return V ? L"True" : L"False";
}

bool TextToBool(std::wstring_view T) {
    std::wstring S = Trim(T);
    if (SameText(S, L"True")) return true;
    if (SameText(S, L"False")) return false;
    throw EConvertError(L"'" + S + L"' is not a valid Boolean value");
}

std::wstring CharToText(wchar_t C) {
    if (C < 32 || C == 127) return L"#" + IntToStr(C);
    return std::wstring(1, C);
}

wchar_t TextToChar(std::wstring_view T) {
    if (T.size() == 1) return T[0];
    if (T.size() > 1 && T[0] == L'#') {
        long long V;
        if (TryStrToInt64(T.substr(1), V) && V >= 0 && V <= 0xFFFF) return static_cast<wchar_t>(V);
    }
    throw EConvertError(L"'" + std::wstring(T) + L"' is not a valid character");
}

std::wstring BytesToText(std::span<const uint8_t> Data) {
    std::wstring Out;
    Out.reserve(Data.size() * 2);
    for (uint8_t B : Data)
        Out += IntToHex(B, 2);
    return Out;
}

TBytes TextToBytes(std::wstring_view T) {
    TBytes Out;
    int High = -1;
    for (wchar_t C : T) {
        int D;
        if (C >= L'0' && C <= L'9')
            D = C - L'0';
        else if (C >= L'A' && C <= L'F')
            D = C - L'A' + 10;
        else if (C >= L'a' && C <= L'f')
            D = C - L'a' + 10;
        else if (C <= L' ')
            continue;
        else
            throw EConvertError(L"Invalid character in binary data");
        if (High < 0)
            High = D;
        else {
            Out.push_back(static_cast<uint8_t>(High * 16 + D));
            High = -1;
        }
    }
    if (High >= 0) throw EConvertError(L"Binary data has an odd number of digits");
    return Out;
}

long long TextToInteger(std::wstring_view T, long long Min, unsigned long long Max) {
    long long V = StrToInt64(T);
    std::wstring S = Trim(T);
    bool Hex = S.find(L'$') != std::wstring::npos || S.find(L'x') != std::wstring::npos ||
               S.find(L'X') != std::wstring::npos;
    // A hexadecimal pattern of the type's width is its bit pattern: $FFFFFFFF into a 32-bit
    // signed value is -1.
    if (Hex && Min < 0 && V > 0 && static_cast<unsigned long long>(V) > Max &&
        static_cast<unsigned long long>(V) <= Max * 2 + 1)
        return static_cast<long long>(static_cast<unsigned long long>(V) - (Max * 2 + 2));
    if (V < Min || (V >= 0 && static_cast<unsigned long long>(V) > Max))
        throw EConvertError(L"Value " + S + L" is out of range (" + IntToStr(Min) + L".." +
                            UIntToStr(Max) + L")");
    return V;
}

TComponent* FindReference(TObject& Instance, std::wstring_view Name) {
    auto* Self = dynamic_cast<TComponent*>(&Instance);
    for (TComponent* C = Self ? Self->Owner() : nullptr; C; C = C->Owner()) {
        if (TComponent* Found = C->FindComponent(Name)) return Found;
        if (SameText(C->Name(), Name)) return C;
    }
    return nullptr;
}

TComponent* ReferenceByText(TObject& Instance, std::wstring_view Text) {
    const std::wstring Name = Trim(Text);
    if (Name.empty()) return nullptr;
    TComponent* Found = FindReference(Instance, Name);
    if (!Found) throw EPropertyError(L"No component named " + Name);
    return Found;
}

std::wstring ReferenceName(const TComponent* C) {
    return C ? C->Name() : std::wstring();
}

void WrongReference(const std::wstring& Prop, const TPersistent* Value) {
    throw EPropertyError(L"A " + Value->ClassName() + L" cannot be assigned to " + Prop);
}

void WrongHandler(std::wstring_view Event) {
    throw EPropertyError(L"The handler does not fit the event " + std::wstring(Event));
}

std::wstring NoText(const TPropInfo&, const TObject&) {
    return {};
}

} // namespace PropDetail

PUBLISHED(TPersistent) {}

PUBLISHED(TComponent) {
    p.Property(L"Name", &TComponent::Name, &TComponent::SetName);
    p.Property(L"Tag", &TComponent::Tag, &TComponent::SetTag);
}
