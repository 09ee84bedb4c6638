// The two choices the updater reads from the suite's settings file, and their
// carrying from a package's copy into the installed one.
#pragma once

#include <string>

// [Webapi] index, default 1.
int ReadWebapiIndex(const std::wstring& settingsFile);
// [channel] value, default "error", in the ANSI code page.
std::string ReadChannel(const std::wstring& settingsFile);

// An empty installed [channel] value takes the package's (when not empty); a
// missing installed [Webapi] index takes the package's (default 1).
void CarrySettings(const std::wstring& packageCopy, const std::wstring& installedCopy);
