#include "ZipEntryName.h"

namespace zipcore {

namespace {

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// Windows drops trailing dots and blanks from a path part, so ".. " and "..."
// act as "..". A part made only of dots and blanks, other than ".", climbs or
// names nothing.
bool IsClimbingPart(std::wstring_view part) {
    if (part.empty() || part == L".") return false;
    for (wchar_t c : part) {
        if (c != L'.' && c != L' ') return false;
    }
    return true;
}

}  // namespace

bool IsContainedEntryName(std::wstring_view name) {
    if (name.empty() || IsSeparator(name[0])) return false;
    // A colon names a drive ("C:x") or a data stream ("x:stream").
    if (name.find(L':') != std::wstring_view::npos) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (IsClimbingPart(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

}  // namespace zipcore
