// The phone's recovery package: the scripts and images that put it into
// recovery mode. It lies next to the ROM or comes from the web service, and
// is unpacked into the program's script folder.
#pragma once

#include <string>

namespace recoverypackage {

// The ROM path with its last extension replaced by ".recovery.zip" (added
// when the name has none).
std::wstring LocalPackageFor(const std::wstring& romPath);

enum class Outcome { Unpacked, DownloadFailed, NotAZip, UnpackFailed };

// Removes the previous phone's recovery scripts (rec.bat, push_brush.bat,
// wipe.bat) from `scriptFolder` and unpacks `package` there; every item must
// unpack. Other files of the folder stay.
Outcome Unpack(const std::wstring& package, const std::wstring& scriptFolder);

// Downloads `url` afresh to "<scriptFolder>recovery.zip" and unpacks it.
// An HTTP error status, a failed transfer or a reply that is not a zip is a
// failure, and no script of an earlier phone is left to run.
Outcome DownloadAndUnpack(const std::string& url, const std::wstring& scriptFolder);

}  // namespace recoverypackage
