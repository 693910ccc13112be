// Components, the class registry and published properties.
//
// A component class declares itself and its published properties like this:
//
//   // Comm.h
//   enum TParity { None, Odd, Even, Mark, Space };
//   DECLARE_ENUM_NAMES(TParity, L"None", L"Odd", L"Even", L"Mark", L"Space")
//
//   class TComm : public TComponent {
//       DECLARE_CLASS(TComm, TComponent)        // leaves the access at public
//   public:
//       explicit TComm(TComponent* AOwner);     // this constructor lets the reader create it
//       unsigned BaudRate() const;
//       void SetBaudRate(unsigned Value);
//       TReceiveDataEvent OnReceiveData;        // std::function<void(TObject* Sender, ...)>
//   private:
//       std::wstring FCommName = L"COM1";
//   };
//
//   // Comm.cpp (the class's own unit)
//   PUBLISHED(TComm) {
//       p.Property(L"BaudRate", &TComm::BaudRate, &TComm::SetBaudRate); // getter, setter
//       p.Property(L"CommPortCount", &TComm::CommPortCount);             // getter only: read-only
//       p.Property(L"CommName", &TComm::FCommName);                      // a field: read/write
//       p.Property(L"OnReceiveData", &TComm::OnReceiveData);             // an event field
//   }
//
// The kind of a property follows from its C++ type: integers (any width, range-checked),
// bool ("True"/"False"), char (one character or #nn), std::wstring, std::string (UTF-8),
// enumerations with DECLARE_ENUM_NAMES (member names), TSet<E> ("[a,b]"), TColor (clBtnFace or
// $00BBGGRR), TBytes (binary data), pointers to TPersistent objects (sub-objects such as fonts,
// bitmaps and string lists: read through the getter, written by Assign), pointers to
// components (references, need a setter) and std::function fields (events). Classes inherit
// the tables of their ancestors; a class may declare a property again to replace it.
// Names are looked up without regard to case. Reading a property a class does not have gives
// empty text; writing one throws EPropertyError.
#pragma once

#include "Colors.h"
#include "SysUtils.h"

#include <any>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class TObject;
class TPersistent;
class TComponent;
class TMetaClass;
class TPropertyBuilder;

using TBytes = std::vector<uint8_t>;
using TNotifyEvent = std::function<void(TObject* Sender)>;

// A property that does not exist, is read-only, or got a value it cannot take.
class EPropertyError : public Exception {
  public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------------------------
// Enumeration names and sets

// Specialised by DECLARE_ENUM_NAMES; the members must be numbered 0, 1, 2 ...
template <class E> struct TEnumNames;

#define DECLARE_ENUM_NAMES(E, ...)                                                                 \
    template <> struct TEnumNames<E> { static constexpr const wchar_t* Names[] = {__VA_ARGS__}; };

// Specialised for integer-like types written as identifiers (cursors, character sets):
//   template <> struct TPropText<TCursor> { static std::wstring ToText(TCursor);
//                                           static TCursor FromText(std::wstring_view); };
template <class V> struct TPropText;
template <class V>
concept CustomText = requires(V X, std::wstring_view T) {
    { TPropText<V>::ToText(X) } -> std::convertible_to<std::wstring>;
    { TPropText<V>::FromText(T) } -> std::convertible_to<V>;
};

template <class E>
concept NamedEnum = std::is_enum_v<E> && requires {
    TEnumNames<E>::Names;
};

// The text forms of enumerations and sets, made once for all of them from the member names.
using TEnumNameList = std::span<const wchar_t* const>;
std::wstring EnumName(size_t Ordinal, TEnumNameList Names);
// Throws EConvertError when the name is no member.
size_t EnumOrdinal(std::wstring_view Name, TEnumNameList Names);
// The same for a property's text, which may have spaces around the name.
size_t EnumOrdinalOfText(std::wstring_view Text, TEnumNameList Names);
std::wstring SetMembersText(uint32_t Bits, TEnumNameList Names);
uint32_t SetMembersBits(std::wstring_view Text, TEnumNameList Names);

template <class E> std::wstring EnumToString(E Value) {
    return EnumName(static_cast<size_t>(Value), TEnumNames<E>::Names);
}

// Throws EConvertError when the name is no member.
template <class E> E StringToEnum(std::wstring_view Name) {
    return static_cast<E>(EnumOrdinal(Name, TEnumNames<E>::Names));
}

// A set of up to 32 members of an enumeration.
template <class E> class TSet {
  public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Members) {
        for (E M : Members)
            Include(M);
    }
    static constexpr TSet FromBits(uint32_t Bits) {
        TSet S;
        S.FBits = Bits;
        return S;
    }
    constexpr bool Contains(E M) const { return (FBits >> static_cast<unsigned>(M)) & 1u; }
    constexpr TSet& Include(E M) {
        FBits |= 1u << static_cast<unsigned>(M);
        return *this;
    }
    constexpr TSet& Exclude(E M) {
        FBits &= ~(1u << static_cast<unsigned>(M));
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr uint32_t Bits() const { return FBits; }
    constexpr bool operator==(const TSet&) const = default;
    constexpr TSet operator|(TSet O) const { return FromBits(FBits | O.FBits); }
    constexpr TSet operator&(TSet O) const { return FromBits(FBits & O.FBits); }

  private:
    uint32_t FBits = 0;
};

template <class E> std::wstring SetToString(TSet<E> S) {
    return SetMembersText(S.Bits(), TEnumNames<E>::Names);
}

// Splits "[a, b]" (brackets optional) into trimmed member names.
std::vector<std::wstring> SplitSetText(std::wstring_view Text);

template <class E> TSet<E> StringToSet(std::wstring_view Text) {
    return TSet<E>::FromBits(SetMembersBits(Text, TEnumNames<E>::Names));
}

// In a class body: its meta class and property declaration hook. The link anchor makes every
// program that includes the class's header link the unit holding its PUBLISHED block, which
// registers the class by name: a class a stored description names may appear nowhere else.
#define DECLARE_CLASS(T, Base)                                                                     \
  public:                                                                                          \
    using inherited = Base;                                                                        \
    static const TMetaClass& StaticClass();                                                        \
    const TMetaClass& ClassType() const override {                                                 \
        return StaticClass();                                                                      \
    }                                                                                              \
    static void DeclareProperties(TPropertyBuilder& p);                                            \
    [[gnu::used]] static constexpr const TMetaClass& (*LinkAnchor_)() = &T::StaticClass;

// In one unit, the class's own (not in a header: the property table's code and texts are then
// made once, not in every unit that includes it): defines the meta class, registers it by name
// and opens the body of the property declarations (the builder is named p).
#define PUBLISHED(T)                                                                               \
    const TMetaClass& T::StaticClass() {                                                           \
        static const TMetaClass Meta(L"" #T, &T::inherited::StaticClass(),                         \
                                     TMetaClass::FactoryOf<T>(), &T::DeclareProperties);           \
        return Meta;                                                                               \
    }                                                                                              \
    [[maybe_unused]] static const bool T##_Registered_ = TMetaClass::Register(T::StaticClass());   \
    void T::DeclareProperties([[maybe_unused]] TPropertyBuilder& p)

// ---------------------------------------------------------------------------------------------
// Objects

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static const TMetaClass& StaticClass();
    virtual const TMetaClass& ClassType() const { return StaticClass(); }
    std::wstring ClassName() const;
    bool InheritsFrom(const TMetaClass& Class) const;
};

// Objects with published properties that can be copied from one another (fonts, bitmaps,
// string lists, components).
class TPersistent : public TObject {
    DECLARE_CLASS(TPersistent, TObject)
  public:
    TPersistent() = default;

    // Copies Source's value; throws EConvertError when the classes do not match.
    virtual void Assign(const TPersistent& Source);
    // Text of the object as a property value (a font: "Name,Height"); empty by default.
    virtual std::wstring AsText() const { return {}; }
    // Stored descriptions give some objects binary data ({...}) or a list of strings ((...)).
    virtual void ReadBinary(std::span<const uint8_t> Data);
    virtual void ReadStrings(const std::vector<std::wstring>& Lines);
};

// ---------------------------------------------------------------------------------------------
// Property table

enum class TPropKind {
    Integer,
    Boolean,
    Char,
    String,
    Enumeration,
    Set,
    Color,
    Binary,
    Object,
    Component,
    Event
};

// A getter or setter as the property table keeps it: a pointer to a member function or field,
// made a member of TObject, held as its bytes. Pointers to members have one size whatever they
// point to; the property's access functions know the type and take the pointer back out.
class TAccessor {
  public:
    TAccessor() = default;
    template <class M> explicit TAccessor(M Member) {
        static_assert(std::is_member_pointer_v<M> && sizeof(M) <= sizeof(FBytes));
        std::memcpy(FBytes, &Member, sizeof(M));
    }
    template <class M> M As() const {
        M Member;
        std::memcpy(&Member, FBytes, sizeof(M));
        return Member;
    }

  private:
    alignas(void*) unsigned char FBytes[2 * sizeof(void*)] = {};
};

struct TPropInfo;

// How the properties of one value type and accessor form are read and written: plain functions
// made once per form and shared by every property of that form. A null entry is an operation
// the property does not have.
struct TPropAccess {
    std::wstring (*GetText)(const TPropInfo& P, const TObject& O);
    void (*SetText)(const TPropInfo& P, TObject& O, std::wstring_view Text); // null: read-only
    TPersistent* (*ObjectOf)(const TPropInfo& P, TObject& O);                // Object and Component
    void (*SetObject)(const TPropInfo& P, TObject& O, TPersistent* Value); // (Assign) and Component
    void (*SetHandler)(const TPropInfo& P, TObject& O, const std::any& Handler);     // Event
    void (*SetBytes)(const TPropInfo& P, TObject& O, std::span<const uint8_t> Data); // Binary
};

struct TPropInfo {
    std::wstring_view Name;
    TPropKind Kind = TPropKind::Integer;
    std::span<const wchar_t* const> Members; // Enumeration and Set: member names in ordinal order
    bool ReadOnly = true;
    const TPropAccess* Access = nullptr;
    TAccessor Getter;
    TAccessor Setter;
};

using TComponentFactory = TComponent* (*)(TComponent* Owner);

class TMetaClass {
  public:
    // Declare, when given, fills in the class's own properties.
    TMetaClass(const wchar_t* Name, const TMetaClass* Parent, TComponentFactory Factory,
               void (*Declare)(TPropertyBuilder& p) = nullptr);

    const std::wstring& ClassName() const { return FName; }
    const TMetaClass* ClassParent() const { return FParent; }
    bool InheritsFrom(const TMetaClass& Other) const;
    // Null for abstract classes and classes that are not components.
    TComponentFactory Factory() const { return FFactory; }
    TComponent* Create(TComponent* Owner) const;

    // Own properties first, then the ancestors'.
    const TPropInfo* FindProperty(std::wstring_view Name) const;
    // All properties, ancestors' first, in declaration order (a redeclared one appears once,
    // at its first position).
    std::vector<const TPropInfo*> Properties() const;
    const std::vector<TPropInfo>& OwnProperties() const { return FProps; }
    void AddProperty(const TPropInfo& Info);

    // What PUBLISHED gives the constructor as the factory: one for a class a stored
    // description can create, null for the others.
    template <class T> static constexpr TComponentFactory FactoryOf() {
        if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                      std::is_constructible_v<T, TComponent*>)
            return [](TComponent* Owner) -> TComponent* { return new T(Owner); };
        else
            return nullptr;
    }

    // Makes the class known to FindClass; returns true (for use in an initializer).
    static bool Register(const TMetaClass& Class);

  private:
    std::wstring FName;
    const TMetaClass* FParent;
    TComponentFactory FFactory;
    std::vector<TPropInfo> FProps;
};

// Case-insensitive; null when no such class was registered.
const TMetaClass* FindClass(std::wstring_view Name);

// ---------------------------------------------------------------------------------------------
// Components

enum TComponentStateFlag { csLoading, csReading, csWriting, csDestroying, csDesigning };
DECLARE_ENUM_NAMES(TComponentStateFlag, L"csLoading", L"csReading", L"csWriting", L"csDestroying",
                   L"csDesigning")
using TComponentState = TSet<TComponentStateFlag>;

enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    DECLARE_CLASS(TComponent, TPersistent)
  public:
    explicit TComponent(TComponent* AOwner);
    // Frees the owned components (last created first) after telling everyone who asked for a
    // free notification.
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const std::wstring& Name() const { return FName; }
    // Throws EComponentError for a name that is not an identifier or that another component
    // of the same owner has.
    void SetName(const std::wstring& Value);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t Value) { FTag = Value; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;
    int ComponentIndex() const;
    TComponent* FindComponent(std::wstring_view Name) const;
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();

    TComponentState ComponentState() const { return FComponentState; }
    // Called once the stored description holding this component was read completely.
    virtual void Loaded();
    // A stored description nests this component inside Parent; components that form trees of
    // their own (menu items) join it here. Controls get their parent through SetParent.
    virtual void SetParentComponent(TComponent* Parent) { (void)Parent; }
    // Marks the start of reading (set by the reader; Loaded clears it).
    void SetLoading() { FComponentState.Include(csLoading).Include(csReading); }
    // Called by the destructors of classes that must stop reacting before their own members go.
    void Destroying() { FComponentState.Include(csDestroying); }

    // AComponent->Notification(this, opRemove) runs when this component is freed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Handlers a stored description may bind by name; a form registers its own methods.
    template <class C, class R, class... A>
    void RegisterHandler(std::wstring_view Name, R (C::*Method)(A...)) {
        C* Self = static_cast<C*>(this);
        RegisterHandler(Name, std::function<R(A...)>([Self, Method](A... Args) -> R {
                            return (Self->*Method)(std::forward<A>(Args)...);
                        }));
    }
    template <class R, class... A>
    void RegisterHandler(std::wstring_view Name, std::function<R(A...)> Handler) {
        AddHandler(Name, std::any(std::move(Handler)));
    }
    const std::any* FindHandler(std::wstring_view Name) const;

  private:
    void AddHandler(std::wstring_view Name, std::any Handler);

    TComponent* FOwner = nullptr;
    std::wstring FName;
    intptr_t FTag = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
    TComponentState FComponentState;
    std::vector<std::pair<std::wstring, std::any>> FHandlers;
};

// ---------------------------------------------------------------------------------------------
// Access by name. Name may be a path through sub-objects: "Font.Name".

const TPropInfo* GetPropInfo(const TObject& Instance, std::wstring_view Name);
bool IsPublishedProp(const TObject& Instance, std::wstring_view Name);
// Empty text when the property does not exist.
std::wstring GetPropText(const TObject& Instance, std::wstring_view Name);
// Throws EPropertyError (naming the property) when missing, read-only or the text is bad.
void SetPropText(TObject& Instance, std::wstring_view Name, std::wstring_view Value);
// The same for code that writes a property on whatever object it meets: false, and nothing
// changed, when the class has no such writable property or refuses the text.
bool TrySetPropText(TObject& Instance, std::wstring_view Name, std::wstring_view Value) noexcept;
// The sub-object or referenced component; null when missing or not an object property.
TPersistent* GetObjectProp(TObject& Instance, std::wstring_view Name);
// Object properties copy Value (Assign); component properties refer to it.
void SetObjectProp(TObject& Instance, std::wstring_view Name, TPersistent* Value);
// Handler must hold a std::function of the event's exact type.
void SetEventHandler(TObject& Instance, std::wstring_view Name, const std::any& Handler);
void SetBinaryProp(TObject& Instance, std::wstring_view Name, std::span<const uint8_t> Data);

// ---------------------------------------------------------------------------------------------
// Property type traits: how each C++ type reads and writes as text.

namespace PropDetail {

template <class V> struct IsFunction : std::false_type {};
template <class R, class... A> struct IsFunction<std::function<R(A...)>> : std::true_type {};
template <class V> struct IsSet : std::false_type {};
template <class E> struct IsSet<TSet<E>> : std::true_type { using Enum = E; };

std::wstring BoolToText(bool V);
bool TextToBool(std::wstring_view T);
std::wstring CharToText(wchar_t C);
wchar_t TextToChar(std::wstring_view T);
std::wstring BytesToText(std::span<const uint8_t> Data);
TBytes TextToBytes(std::wstring_view T);
long long TextToInteger(std::wstring_view T, long long Min, unsigned long long Max);
TComponent* FindReference(TObject& Instance, std::wstring_view Name);
// The component a reference property's text names (null for empty text); throws
// EPropertyError when there is no such component.
TComponent* ReferenceByText(TObject& Instance, std::wstring_view Text);
std::wstring ReferenceName(const TComponent* C);
[[noreturn]] void WrongReference(const std::wstring& Prop, const TPersistent* Value);
[[noreturn]] void WrongHandler(std::wstring_view Event);
// Events have no text.
std::wstring NoText(const TPropInfo& P, const TObject& O);

template <class V> constexpr TPropKind KindOf() {
    if constexpr (CustomText<V>)
        return TPropKind::Integer;
    else if constexpr (std::is_same_v<V, bool>)
        return TPropKind::Boolean;
    else if constexpr (std::is_same_v<V, char> || std::is_same_v<V, wchar_t>)
        return TPropKind::Char;
    else if constexpr (std::is_same_v<V, TColor>)
        return TPropKind::Color;
    else if constexpr (NamedEnum<V>)
        return TPropKind::Enumeration;
    else if constexpr (std::is_integral_v<V>)
        return TPropKind::Integer;
    else if constexpr (std::is_same_v<V, std::wstring> || std::is_same_v<V, std::string>)
        return TPropKind::String;
    else if constexpr (IsSet<V>::value)
        return TPropKind::Set;
    else if constexpr (std::is_same_v<V, TBytes>)
        return TPropKind::Binary;
    else if constexpr (IsFunction<V>::value)
        return TPropKind::Event;
    else if constexpr (std::is_pointer_v<V> &&
                       std::is_base_of_v<TComponent, std::remove_cv_t<std::remove_pointer_t<V>>>)
        return TPropKind::Component;
    else if constexpr (std::is_pointer_v<V> &&
                       std::is_base_of_v<TPersistent, std::remove_cv_t<std::remove_pointer_t<V>>>)
        return TPropKind::Object;
    else
        static_assert(sizeof(V) == 0, "type cannot be a published property");
}

template <class V> std::wstring ToText(const V& Value) {
    constexpr TPropKind K = KindOf<V>();
    if constexpr (CustomText<V>)
        return TPropText<V>::ToText(Value);
    else if constexpr (K == TPropKind::Boolean)
        return BoolToText(Value);
    else if constexpr (K == TPropKind::Char)
        return CharToText(static_cast<wchar_t>(
            std::is_same_v<V, char> ? static_cast<unsigned char>(Value) : Value));
    else if constexpr (K == TPropKind::Color)
        return ColorToString(Value);
    else if constexpr (K == TPropKind::Enumeration)
        return EnumToString(Value);
    else if constexpr (K == TPropKind::Integer)
        return IntToStr(static_cast<long long>(Value));
    else if constexpr (std::is_same_v<V, std::wstring>)
        return Value;
    else if constexpr (std::is_same_v<V, std::string>)
        return Utf8ToWide(Value);
    else if constexpr (K == TPropKind::Set)
        return SetToString(Value);
    else if constexpr (K == TPropKind::Binary)
        return BytesToText(Value);
    else if constexpr (K == TPropKind::Component)
        return ReferenceName(Value);
    else if constexpr (K == TPropKind::Object)
        return Value ? Value->AsText() : std::wstring();
    else
        return {}; // events have no text
}

template <class V> V FromText(std::wstring_view T) {
    constexpr TPropKind K = KindOf<V>();
    if constexpr (CustomText<V>)
        return TPropText<V>::FromText(T);
    else if constexpr (K == TPropKind::Boolean)
        return TextToBool(T);
    else if constexpr (K == TPropKind::Char) {
        wchar_t C = TextToChar(T);
        if constexpr (std::is_same_v<V, char>) {
            if (C > 255)
                throw EConvertError(L"'" + std::wstring(T) + L"' is not an 8-bit character");
            return static_cast<char>(C);
        } else
            return C;
    } else if constexpr (K == TPropKind::Color)
        return StringToColor(T);
    else if constexpr (K == TPropKind::Enumeration)
        return static_cast<V>(EnumOrdinalOfText(T, TEnumNames<V>::Names));
    else if constexpr (K == TPropKind::Integer)
        return static_cast<V>(
            TextToInteger(T, static_cast<long long>(std::numeric_limits<V>::min()),
                          static_cast<unsigned long long>(std::numeric_limits<V>::max())));
    else if constexpr (std::is_same_v<V, std::wstring>)
        return std::wstring(T);
    else if constexpr (std::is_same_v<V, std::string>)
        return WideToUtf8(T);
    else if constexpr (K == TPropKind::Set)
        return StringToSet<typename IsSet<V>::Enum>(T);
    else if constexpr (K == TPropKind::Binary)
        return TextToBytes(T);
    else
        static_assert(sizeof(V) == 0, "no text form");
}

template <class V> std::span<const wchar_t* const> MembersOf() {
    if constexpr (KindOf<V>() == TPropKind::Enumeration)
        return TEnumNames<V>::Names;
    else if constexpr (KindOf<V>() == TPropKind::Set)
        return TEnumNames<typename IsSet<V>::Enum>::Names;
    else
        return {};
}

// The class a pointer to a member belongs to.
template <class P> struct MemberClass;
template <class M, class C> struct MemberClass<M C::*> { using Type = C; };
template <class P> using ClassOf = typename MemberClass<P>::Type;

// A getter or setter as a member of TObject: every class's accessors of one type then share
// one instantiation of the code below, instead of one per class and property.
template <class M, class C> auto AsObjectMember(M C::*Member) {
    return static_cast<M TObject::*>(Member);
}

template <class S, class V> void Put(TObject& Obj, S Setter, V&& Value) {
    if constexpr (std::is_member_object_pointer_v<S>)
        Obj.*Setter = std::forward<V>(Value);
    else
        std::invoke(Setter, Obj, std::forward<V>(Value));
}

// The access functions of properties of type V with a getter of type G and a setter of type S
// (members of TObject; S is std::nullptr_t for a read-only property).
template <class V, class G, class S> struct TAccessFor {
    static constexpr TPropKind K = KindOf<V>();
    static constexpr bool Writable = !std::is_same_v<S, std::nullptr_t>;

    static G Getter(const TPropInfo& P) { return P.Getter.As<G>(); }
    static S Setter(const TPropInfo& P) { return P.Setter.As<S>(); }

    static std::wstring GetText(const TPropInfo& P, const TObject& O) {
        return ToText<V>(std::invoke(Getter(P), O));
    }
    static void SetText(const TPropInfo& P, TObject& O, std::wstring_view Text) {
        Put(O, Setter(P), FromText<V>(Text));
    }
    static void SetBytes(const TPropInfo& P, TObject& O, std::span<const uint8_t> Data) {
        Put(O, Setter(P), TBytes(Data.begin(), Data.end()));
    }
    static TPersistent* ObjectOf(const TPropInfo& P, TObject& O) {
        return std::invoke(Getter(P), O);
    }
    static void AssignObject(const TPropInfo& P, TObject& O, TPersistent* Value) {
        TPersistent* Target = std::invoke(Getter(P), O);
        if (Target && Value) Target->Assign(*Value);
    }
    static void SetReference(const TPropInfo& P, TObject& O, TPersistent* Value) {
        using C = std::remove_cv_t<std::remove_pointer_t<V>>;
        C* Ref = dynamic_cast<C*>(Value);
        if (Value && !Ref) WrongReference(std::wstring(P.Name), Value);
        Put(O, Setter(P), Ref);
    }
    static void SetReferenceText(const TPropInfo& P, TObject& O, std::wstring_view Text) {
        SetReference(P, O, ReferenceByText(O, Text));
    }
    static void SetHandler(const TPropInfo& P, TObject& O, const std::any& H) {
        const V* F = std::any_cast<V>(&H);
        if (H.has_value() && !F) WrongHandler(P.Name);
        Put(O, Setter(P), F ? *F : V());
    }

    static constexpr TPropAccess Table() {
        TPropAccess A{};
        if constexpr (K == TPropKind::Event)
            A.GetText = &NoText;
        else
            A.GetText = &GetText;
        if constexpr (K == TPropKind::Object) {
            A.ObjectOf = &ObjectOf;
            A.SetObject = &AssignObject;
        } else if constexpr (K == TPropKind::Component) {
            A.ObjectOf = &ObjectOf;
            if constexpr (Writable) {
                A.SetObject = &SetReference;
                A.SetText = &SetReferenceText;
            }
        } else if constexpr (K == TPropKind::Event) {
            if constexpr (Writable) A.SetHandler = &SetHandler;
        } else if constexpr (Writable) {
            A.SetText = &SetText;
            if constexpr (K == TPropKind::Binary) A.SetBytes = &SetBytes;
        }
        return A;
    }
};

template <class V, class G, class S>
inline constexpr TPropAccess AccessTable = TAccessFor<V, G, S>::Table();

// The property's table entry, from accessors already made members of TObject (Setter is
// nullptr for a read-only property).
template <class V, class G, class S>
TPropInfo MakeProperty(const wchar_t* Name, G Getter, S Setter) {
    constexpr TPropKind K = KindOf<V>();
    TPropInfo I;
    I.Name = Name;
    I.Kind = K;
    I.Members = MembersOf<V>();
    // An object property is written by assigning to the object its getter gives.
    I.ReadOnly = std::is_same_v<S, std::nullptr_t> && K != TPropKind::Object;
    I.Access = &AccessTable<V, G, S>;
    I.Getter = TAccessor(Getter);
    if constexpr (!std::is_same_v<S, std::nullptr_t>) I.Setter = TAccessor(Setter);
    return I;
}

} // namespace PropDetail

class TPropertyBuilder {
  public:
    explicit TPropertyBuilder(TMetaClass& Meta) : FMeta(Meta) {}

    // Getter: a const method returning the value, or a field. Setter: a method taking the
    // value, a field, or nothing (read-only; a field given alone is read/write).
    template <class G, class S = std::nullptr_t>
    void Property(const wchar_t* Name, G Getter, S Setter = nullptr) {
        using V = std::remove_cvref_t<std::invoke_result_t<G, const PropDetail::ClassOf<G>&>>;
        const auto Get = PropDetail::AsObjectMember(Getter);
        if constexpr (std::is_same_v<S, std::nullptr_t> && std::is_member_object_pointer_v<G>)
            FMeta.AddProperty(PropDetail::MakeProperty<V>(Name, Get, Get));
        else if constexpr (std::is_same_v<S, std::nullptr_t>)
            FMeta.AddProperty(PropDetail::MakeProperty<V>(Name, Get, nullptr));
        else
            FMeta.AddProperty(
                PropDetail::MakeProperty<V>(Name, Get, PropDetail::AsObjectMember(Setter)));
    }

  private:
    TMetaClass& FMeta;
};
