// The row-appearance keys that every owner of list rows (list, combo) reads
// into its list-info record: the item colours and item images.
#pragma once
#include "controls/UIListInterfaces.h"

namespace UiLib {

// Stores the value when `name` is one of the item colour or image keys;
// true when it was one (the caller repaints).
bool SetListInfoColorOrImage(TListInfoUI& info, const wchar_t* name, const wchar_t* value);

// "itemalign": a value holding "left", "center" or "right" sets the
// horizontal alignment bits of the item text style.
void SetListInfoAlign(TListInfoUI& info, const wchar_t* value);

}  // namespace UiLib
