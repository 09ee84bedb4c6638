// Which of its two jobs a start of the updater does, and for which
// installation.
#pragma once

#include <string>

enum class RunMode { Check = 0, Apply = 1 };

// Only the length of the argument text decides: 12 characters or more is the
// apply mode (the check mode's copy passes "-updater framemode tempmode reserve").
RunMode ModeOfArguments(const std::wstring& arguments);

// The installation folder that a copy running from
// "<installation>\autoupdate\temp\<version>\" serves; empty when the folder
// is not such a staging folder (the version a dotted number, the installation
// holding "autoupdate"). `moduleFolder` ends in a backslash.
std::wstring InstallationOfStagingFolder(const std::wstring& moduleFolder);

// The folder of a module path, with its trailing backslash, and its file name.
std::wstring FolderOfPath(const std::wstring& path);
std::wstring FileNameOfPath(const std::wstring& path);
