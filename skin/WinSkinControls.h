// Which control of a skinned window gets which control skin: one table whose rows answer to a
// kind the skin's Skin3rd list names for a class, to a class of control, or to both. It knows
// every control skin; the frame skin calls it with the window's TControlSkins, which then hold
// what it made.
#pragma once

#include "WinSubClass.h"

class TCustomForm;

// Gives the controls of a form (its components) their skins. Runs when the skin is applied and
// on every refresh; skins of windows already gone are dropped first. Sender is the frame skin,
// as the skin data's OnSkinControl hears of it.
void SkinFormControls(TControlSkins& Skins, TCustomForm* Form, TSkinData* Data, TComponent* Sender);
// The same for a plain window (a dialog, a message box): its child windows, by system class.
void SkinChildWindows(TControlSkins& Skins, HWND Wnd, TSkinData* Data);
// One child window of a plain window (a size grip created after the skin was applied).
void SkinChildWindow(TControlSkins& Skins, HWND Child, TSkinData* Data);
