// Whether an entry name may be joined to a folder without leaving it.
#pragma once

#include <string_view>

namespace zipcore {

// False for names that would land outside the folder they are joined to, or
// somewhere other than they read: empty names, absolute and drive names
// ("/x", "\x", "C:x", "\\server"), any ".." part (with '/' or '\' as the
// separator, and with the trailing dots and blanks Windows drops), and
// alternate data streams ("name:stream").
bool IsContainedEntryName(std::wstring_view name);

}  // namespace zipcore
