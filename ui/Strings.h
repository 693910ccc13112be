// String lists: TStrings (the interface every list of lines offers) and TStringList (the
// plain list). Sorted lists compare case-insensitively with the user locale's collation
// (digits compare as characters, so COM10 sorts before COM2). Each line may carry an object
// pointer, which the list does not own. Index checks: reading past the end is the caller's
// business, as with a plain array; Delete and Insert throw EListError on a bad index.
#pragma once

#include "Classes.h"

#include <string>
#include <vector>

class TStrings : public TPersistent {
    DECLARE_CLASS(TStrings, TPersistent)
  public:
    virtual int Count() const = 0;
    virtual const std::wstring& Get(int Index) const = 0;
    virtual void Put(int Index, const std::wstring& S) = 0;
    virtual TObject* Objects(int Index) const = 0;
    virtual void PutObject(int Index, TObject* Object) = 0;
    virtual void Insert(int Index, const std::wstring& S) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;

    const std::wstring& operator[](int Index) const { return Get(Index); }
    virtual int Add(const std::wstring& S);
    int AddObject(const std::wstring& S, TObject* Object);
    virtual int IndexOf(const std::wstring& S) const;
    // Lines joined with CR LF; setting splits at CR LF, LF or CR.
    std::wstring Text() const;
    void SetText(const std::wstring& Value);
    // Lines separated by commas, quoted when they contain blanks, commas or quotes.
    std::wstring CommaText() const;
    void BeginUpdate();
    void EndUpdate();
    void Assign(const TPersistent& Source) override;
    void ReadStrings(const std::vector<std::wstring>& Lines) override;
    std::wstring AsText() const override { return Text(); }

  protected:
    // Called after a change when no update is pending.
    virtual void Changed() {}
    int UpdateCount() const { return FUpdateCount; }

  private:
    int FUpdateCount = 0;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };
DECLARE_ENUM_NAMES(TDuplicates, L"dupIgnore", L"dupAccept", L"dupError")

class TStringList : public TStrings {
    DECLARE_CLASS(TStringList, TStrings)
  public:
    TStringList() = default;

    int Count() const override { return static_cast<int>(FItems.size()); }
    const std::wstring& Get(int Index) const override;
    void Put(int Index, const std::wstring& S) override;
    TObject* Objects(int Index) const override;
    void PutObject(int Index, TObject* Object) override;
    void Insert(int Index, const std::wstring& S) override;
    void Delete(int Index) override;
    void Clear() override;
    int Add(const std::wstring& S) override;
    int IndexOf(const std::wstring& S) const override;

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    void Sort();
    // Sorted lists only: the index of S, or where it would go; true when found.
    bool Find(const std::wstring& S, int& Index) const;
    void Exchange(int A, int B);

    TNotifyEvent OnChange;

  protected:
    void Changed() override;

  private:
    struct TItem {
        std::wstring S;
        TObject* Object = nullptr;
    };
    void CheckIndex(int Index, bool AllowEnd) const;
    std::vector<TItem> FItems;
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
};

// Locale-aware, case-insensitive comparison used by sorted lists: <0, 0, >0.
int AnsiCompareText(const std::wstring& A, const std::wstring& B);
