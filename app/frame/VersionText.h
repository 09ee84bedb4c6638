// The installed version as the updater recorded it in autoupdate\curjson:
// the JSON value of "versionName". Shared by the main frame and the version
// dialog so both show the same text.
#pragma once

#include <string>

// The "versionName" value of the file's JSON object; when the file is not one
// JSON document, the first line holding the key that parses as an object.
// Empty when the file is missing or has no such string.
std::wstring ReadInstalledVersion(const std::wstring& curjsonPath);

// "版本号: V<version>" cut to 29 characters, as the frame shows it; empty for
// an empty version.
std::wstring VersionCaption(const std::wstring& version);
