// Quellart.exe: the suite's updater. " koviupdate" (or nothing) runs the
// check mode in the installation; the copy staged under
// "autoupdate\temp\<version>\" runs the apply mode.
#include <windows.h>

#include <string>
#include <vector>

#include "core/ApplyUpdate.h"
#include "core/RunMode.h"
#include "core/UpdateCheck.h"
#include "log/ProgramLog.h"
#include "ZipUtils.h"
#include "main/ApplyMode.h"
#include "main/CheckMode.h"

namespace {

std::wstring OwnModulePath() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return std::wstring(path.data(), length);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR arguments, int) {
    const std::wstring modulePath = OwnModulePath();
    const std::wstring folder = FolderOfPath(modulePath);
    const std::wstring fileName = FileNameOfPath(modulePath);
    const RunMode mode = ModeOfArguments(arguments ? arguments : L"");

    std::wstring installation = folder;
    if (mode == RunMode::Apply) {
        installation = InstallationOfStagingFolder(folder);
        if (installation.empty()) {
            // Only a copy staged inside an installation may change it.
            UpdaterTrace(L" apply mode outside autoupdate\\temp\\<version>\\: nothing done");
            return -1;
        }
    }
    programlog::Open(installation);
    SetZipUtilsLogger([](const wchar_t* line) { programlog::Line(std::wstring_view(line)); });
    // An apply cut off earlier is finished or undone before anything else.
    RecoverInterruptedApply(UpdatePaths::ForInstallation(installation));

    if (mode == RunMode::Apply) return UpdateApplyMain(instance, installation, fileName);
    return UpdateCheckAndFetch(instance, installation, fileName);
}
