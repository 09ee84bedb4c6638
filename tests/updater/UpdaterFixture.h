// Shared pieces of the updater's tests: an installation folder under a path
// with blanks and Chinese characters, version files and update packages.
#pragma once

#include <map>
#include <string>

#include "TestPaths.h"
#include "core/UpdatePaths.h"

namespace updatertest {

// "<scratch>\Program Files\安装 目录\" with an autoupdate folder.
std::wstring MakeInstallationFolder(const testsupport::ScratchDir& scratch);

// {"versionName": version, "downloadUrl": url}
std::string VersionJson(const std::string& version, const std::string& url = "http://127.0.0.1:1/Update.zip");

// Relative path (with '/') to content.
using FileSet = std::map<std::string, std::string>;

// Writes the files under the folder, creating their folders.
void WriteFiles(const std::wstring& folder, const FileSet& files);
// The content of each named file under the folder ("<missing>" when absent).
FileSet ReadFiles(const std::wstring& folder, const FileSet& names);
// A zip holding the files.
std::string PackageOf(const FileSet& files);

// Every file below the folder, relative, with '/'.
FileSet AllFiles(const std::wstring& folder);

extern const char kMissing[];

}  // namespace updatertest
