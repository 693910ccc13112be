// Ties a window this program creates to the object that handles its messages, the one way
// every class of ours does it (subclassing a window someone else made goes through a thunk
// instead): a window property. Its name carries the kind of object, so that one kind is never
// read as another, and the process id, so that a window of another process carrying a property
// of the same spelling is never taken for one of ours.
//
//   const TWindowBinding<TApplication> AppBinding(L"Application");
//   AppBinding.Bind(Wnd, this);                  // once the window exists
//   TApplication* App = AppBinding.Find(Wnd);    // in the window procedure; null when unbound
//   AppBinding.Unbind(Wnd);                      // before the object goes
#pragma once

#include <windows.h>

#include <string>

class TWindowBindingName {
  public:
    explicit TWindowBindingName(const wchar_t* Kind);
    const wchar_t* Get() const { return FName.c_str(); }

  private:
    std::wstring FName;
};

template <class T> class TWindowBinding {
  public:
    explicit TWindowBinding(const wchar_t* Kind) : FName(Kind) {}
    void Bind(HWND Wnd, T* Object) const { SetPropW(Wnd, FName.Get(), Object); }
    void Unbind(HWND Wnd) const { RemovePropW(Wnd, FName.Get()); }
    T* Find(HWND Wnd) const { return static_cast<T*>(GetPropW(Wnd, FName.Get())); }

  private:
    TWindowBindingName FName;
};
