// The version files under autoupdate: curjson (installed), newjson
// (offered), oldjson (previous). Each holds one JSON object in UTF-8.
#pragma once

#include <optional>
#include <string>

// A string member of the JSON object in the file, converted to the ANSI code
// page; nothing when the file is missing, unreadable, not an object, the
// member is missing or no string, or it does not fit 259 bytes. At most the
// first 256 KiB of the file are read.
std::optional<std::string> ReadVersionMember(const std::wstring& file, const char* member);

// The offered version's update class against the installed one in
// `curjson`: 2 when nothing is installed yet.
int UpdateClassAgainstInstalled(const std::wstring& curjson, const std::string& offeredVersion);

// The installed version name, "0.0.0" when there is no curjson.
std::string InstalledVersionName(const std::wstring& curjson);
