// The skin test window's menus, read from the stored description "SKINTESTMENUS" (Menus.txt)
// with its glyphs "GLYPHIMAGES": a menu bar whose drop-downs have sub-menus, glyphs, shortcuts,
// checked, default and disabled items, separators in every awkward place, and a disabled
// top-level item; and a popup menu. The window tests read the same menus into their forms.
#pragma once

#include "Forms.h"
#include "Menus.h"

#include <functional>

// Reads the menus into Form (which then shows MainMenu1 as its menu bar); every item's click
// calls Clicked with the item.
void ReadSkinTestMenus(TForm& Form, const std::function<void(TMenuItem& Item)>& Clicked);
