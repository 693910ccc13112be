#include "Strings.h"

#include <windows.h>

#include <algorithm>

int AnsiCompareText(const std::wstring& A, const std::wstring& B) {
    int R = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, A.c_str(),
                           static_cast<int>(A.size()), B.c_str(), static_cast<int>(B.size()));
    return R - CSTR_EQUAL;
}

int TStrings::Add(const std::wstring& S) {
    int I = Count();
    Insert(I, S);
    return I;
}

int TStrings::AddObject(const std::wstring& S, TObject* Object) {
    // One change for the line and its object.
    BeginUpdate();
    int I;
    try {
        I = Add(S);
        PutObject(I, Object);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return I;
}

int TStrings::IndexOf(const std::wstring& S) const {
    for (int I = 0; I < Count(); ++I)
        if (AnsiCompareText(Get(I), S) == 0) return I;
    return -1;
}

std::wstring TStrings::Text() const {
    std::wstring Out;
    for (int I = 0; I < Count(); ++I)
        Out += Get(I) + L"\r\n";
    return Out;
}

void TStrings::SetText(const std::wstring& Value) {
    BeginUpdate();
    try {
        Clear();
        size_t Start = 0;
        while (Start < Value.size()) {
            size_t End = Value.find_first_of(L"\r\n", Start);
            if (End == std::wstring::npos) End = Value.size();
            Add(Value.substr(Start, End - Start));
            if (End < Value.size() && Value[End] == L'\r' && End + 1 < Value.size() &&
                Value[End + 1] == L'\n')
                ++End;
            Start = End + 1;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::wstring TStrings::CommaText() const {
    std::wstring Out;
    for (int I = 0; I < Count(); ++I) {
        if (I) Out += L',';
        const std::wstring& S = Get(I);
        if (S.empty() || S.find_first_of(L" ,\"") != std::wstring::npos) {
            Out += L'"';
            for (wchar_t C : S) {
                if (C == L'"') Out += L'"';
                Out += C;
            }
            Out += L'"';
        } else
            Out += S;
    }
    return Out;
}

void TStrings::BeginUpdate() {
    ++FUpdateCount;
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) Changed();
}

void TStrings::Assign(const TPersistent& Source) {
    auto* S = dynamic_cast<const TStrings*>(&Source);
    if (!S) return TPersistent::Assign(Source);
    if (S == this) return;
    BeginUpdate();
    try {
        Clear();
        for (int I = 0; I < S->Count(); ++I)
            AddObject(S->Get(I), S->Objects(I));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::ReadStrings(const std::vector<std::wstring>& Lines) {
    BeginUpdate();
    try {
        Clear();
        for (const auto& L : Lines)
            Add(L);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStringList::CheckIndex(int Index, bool AllowEnd) const {
    if (Index < 0 || Index > Count() || (!AllowEnd && Index == Count()))
        throw EListError(L"List index out of bounds (" + IntToStr(Index) + L")");
}

const std::wstring& TStringList::Get(int Index) const {
    return FItems[static_cast<size_t>(Index)].S;
}

TObject* TStringList::Objects(int Index) const {
    return FItems[static_cast<size_t>(Index)].Object;
}

void TStringList::Put(int Index, const std::wstring& S) {
    CheckIndex(Index, false);
    if (FSorted) throw EListError(L"Operation not allowed on sorted list");
    FItems[static_cast<size_t>(Index)].S = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* Object) {
    CheckIndex(Index, false);
    FItems[static_cast<size_t>(Index)].Object = Object;
    Changed();
}

void TStringList::Insert(int Index, const std::wstring& S) {
    CheckIndex(Index, true);
    if (FSorted) throw EListError(L"Operation not allowed on sorted list");
    FItems.insert(FItems.begin() + Index, TItem{S, nullptr});
    Changed();
}

int TStringList::Add(const std::wstring& S) {
    if (!FSorted) return TStrings::Add(S);
    int Index;
    if (Find(S, Index)) {
        if (FDuplicates == dupIgnore) return Index;
        if (FDuplicates == dupError) throw EListError(L"String list does not allow duplicates");
    }
    FItems.insert(FItems.begin() + Index, TItem{S, nullptr});
    Changed();
    return Index;
}

void TStringList::Delete(int Index) {
    CheckIndex(Index, false);
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Changed();
}

int TStringList::IndexOf(const std::wstring& S) const {
    if (!FSorted) return TStrings::IndexOf(S);
    int I;
    return Find(S, I) ? I : -1;
}

bool TStringList::Find(const std::wstring& S, int& Index) const {
    // Lower bound; with duplicates the first equal line is found.
    int Lo = 0, Hi = Count();
    while (Lo < Hi) {
        int Mid = (Lo + Hi) / 2;
        if (AnsiCompareText(FItems[static_cast<size_t>(Mid)].S, S) < 0)
            Lo = Mid + 1;
        else
            Hi = Mid;
    }
    Index = Lo;
    return Lo < Count() && AnsiCompareText(FItems[static_cast<size_t>(Lo)].S, S) == 0;
}

void TStringList::SetSorted(bool Value) {
    if (FSorted == Value) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::Sort() {
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const TItem& A, const TItem& B) { return AnsiCompareText(A.S, B.S) < 0; });
    Changed();
}

void TStringList::Exchange(int A, int B) {
    CheckIndex(A, false);
    CheckIndex(B, false);
    std::swap(FItems[static_cast<size_t>(A)], FItems[static_cast<size_t>(B)]);
    Changed();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

PUBLISHED(TStrings) {}

PUBLISHED(TStringList) {
    p.Property(L"Sorted", &TStringList::Sorted, &TStringList::SetSorted);
    p.Property(L"Duplicates", &TStringList::Duplicates, &TStringList::SetDuplicates);
    p.Property(L"OnChange", &TStringList::OnChange);
}
