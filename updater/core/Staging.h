// The check mode's hand-over: the new updater and the libraries it loads are
// taken out of the package into "autoupdate\temp\<version>\" and started
// from there, so the apply step can replace the installed ones.
#pragma once

#include <string>

#include "core/UpdatePaths.h"

// Extracts the updater (`updaterFileName`, at the package's root) and
// "UiLib_u.dll", which must be there, "Hemlar.dll" and "libcurl.dll" where
// the package has them, and "autoupdate/version.ini" into autoupdate. False
// when a required item is missing or any extraction fails.
bool StageUpdaterCopy(const UpdatePaths& paths, const std::string& version, const std::wstring& updaterFileName);

// Starts the staged copy in the apply mode, its path quoted; not waited for.
bool StartApplyCopy(const std::wstring& executable);

// The argument text of the apply mode.
extern const wchar_t kApplyModeArguments[];
