// What the procedure reads from the shipped scripts before running them.
#pragma once

#include <optional>
#include <string>

namespace scriptfiles {

// A script line that writes the recovery image with dd through su, and is
// not commented out with "::": the phone must be rooted for it.
bool HasLiveDdLine(const std::wstring& script);

// The phone path the ROM goes to: the text after "set sdZip=" on the last
// live such line, cut right after its first "update.zip". None when no live
// line sets it.
std::optional<std::string> FindPushTarget(const std::wstring& script);

}  // namespace scriptfiles
