// Readers of the skin's attribute value syntax, shared by every control's
// SetAttribute: colours, rectangles, sizes, numbers and booleans.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>

namespace UiLib {

// Hexadecimal ARGB after an optional '#', read up to the first non-hex
// character; skipLeadingBlanks first passes over characters 1..32.
UILIB_API DWORD __cdecl ParseColorValue(const wchar_t* value, bool skipLeadingBlanks = false);
// Decimal numbers, each after one separator character; missing ones read 0.
UILIB_API RECT __cdecl ParseRectValue(const wchar_t* value);
UILIB_API SIZE __cdecl ParseSizeValue(const wchar_t* value);
// Leading decimal digits with an optional sign; none reads 0.
UILIB_API int __cdecl ParseIntValue(const wchar_t* value);
// Exactly "true" is true.
UILIB_API bool __cdecl ParseBoolValue(const wchar_t* value);

}  // namespace UiLib
