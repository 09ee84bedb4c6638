// The edit's input check: does a whole text match a regular expression?
#pragma once
#include <cstddef>

namespace UiLib {

// Texts longer than this never pass: the standard matcher recurses per
// character, and a single-line field has no business being longer.
constexpr size_t kMaxCheckedTextLength = 1024;

// True when `text` as a whole matches `pattern` (ECMAScript grammar, on the
// UTF-16 text, so Chinese characters are single characters). An empty
// pattern passes everything; an invalid pattern fails everything.
bool TextPassesCheck(const wchar_t* pattern, const wchar_t* text);

}  // namespace UiLib
