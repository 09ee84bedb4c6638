// What the updater checks of a package before anything depends on it, and
// before the main program is closed for it: it opens as a zip and every item
// is readable and names a place inside the installation.
#pragma once

#include <string>
#include <vector>

// The stored names (with '/') of every item, folders included; false when
// the package does not open, an item cannot be read or names a place
// outside the folder it is unpacked into.
bool ReadPackageNames(const std::wstring& package, std::vector<std::wstring>& names);

bool PackageAcceptable(const std::wstring& package);
