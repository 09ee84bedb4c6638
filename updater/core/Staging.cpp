#include "core/Staging.h"

#include <windows.h>

#include "ZipReader.h"
#include "ZipUtils.h"
#include "core/UpdateCheck.h"
#include "win32/FileUtil.h"
#include "win32/ProcessLauncher.h"

const wchar_t kApplyModeArguments[] = L"-updater framemode tempmode reserve";

namespace {

bool PackageHas(const std::wstring& package, const wchar_t* item) {
    ZipReaderHandle* zip = ZipArchiveOpen(package.c_str(), 0, ZIPKIND_FILENAME);
    if (!zip) return false;
    int index = -1;
    ZipItemInfo entry;
    const bool found = FindZipItem(zip, item, false, &index, &entry) == ZRC_OK && index >= 0;
    ZipArchiveClose(zip);
    return found;
}

}  // namespace

bool StageUpdaterCopy(const UpdatePaths& paths, const std::string& version, const std::wstring& updaterFileName) {
    const std::wstring staging = paths.StagingFolder(version);
    CreateFolderTree(staging);
    struct Item {
        std::wstring name;
        bool required;
    };
    const Item items[] = {{updaterFileName, true}, {L"UiLib_u.dll", true}, {L"Hemlar.dll", false},
                          {L"libcurl.dll", false}};
    for (const Item& item : items) {
        if (!item.required && !PackageHas(paths.package, item.name.c_str())) continue;
        if (!Unzip(paths.package.c_str(), item.name.c_str(), (staging + item.name).c_str())) return false;
    }
    if (PackageHas(paths.package, L"autoupdate/version.ini") &&
        !Unzip(paths.package.c_str(), L"autoupdate/version.ini", paths.versionIni.c_str()))
        return false;
    return true;
}

bool StartApplyCopy(const std::wstring& executable) {
    ProcessLaunch launch;
    launch.commandLine = L"\"" + executable + L"\" " + kApplyModeArguments;
    ScopedHandle process = LaunchProcess(launch);
    if (!process) {
        UpdaterTrace(executable + L" " + launch.commandLine + L" err = " + std::to_wstring(GetLastError()));
        return false;
    }
    return true;
}
