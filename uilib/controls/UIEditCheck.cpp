#include "controls/UIEditCheck.h"

#include <cwchar>
#include <regex>

namespace UiLib {

bool TextPassesCheck(const wchar_t* pattern, const wchar_t* text) {
    if (!pattern || !*pattern) return true;
    if (!text) text = L"";
    if (std::wcslen(text) > kMaxCheckedTextLength) return false;
    try {
        const std::wregex expression(pattern);
        return std::regex_match(text, expression);
    } catch (...) {
        // A pattern that does not compile, or a match that gives up, is a failed check.
        return false;
    }
}

}  // namespace UiLib
