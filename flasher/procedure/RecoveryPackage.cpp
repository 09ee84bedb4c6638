#include "RecoveryPackage.h"

#include <windows.h>

#include "download/DownloadToFile.h"
#include "PluginLog.h"
#include "ZipUtils.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace recoverypackage {

namespace {

// Scripts of the previous phone must never run for this one.
void RemoveScripts(const std::wstring& folder) {
    for (const wchar_t* pattern : {L"*.bat", L"*.cmd"}) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) RemoveFileEvenIfReadOnly(folder + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
}

}  // namespace

std::wstring LocalPackageFor(const std::wstring& romPath) {
    const size_t dot = romPath.find_last_of(L'.');
    const size_t slash = romPath.find_last_of(L"\\/");
    const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (hasExtension ? romPath.substr(0, dot) : romPath) + L".recovery.zip";
}

Outcome Unpack(const std::wstring& package, const std::wstring& scriptFolder) {
    RemoveScripts(scriptFolder);
    if (!UnzipWithBackup(package.c_str(), scriptFolder.c_str(), nullptr, {})) {
        PluginLog("recovery package did not unpack: " + WideToAnsi(package));
        return Outcome::UnpackFailed;
    }
    return Outcome::Unpacked;
}

Outcome DownloadAndUnpack(const std::string& url, const std::wstring& scriptFolder) {
    const std::wstring target = scriptFolder + L"recovery.zip";
    RemoveScripts(scriptFolder);
    const int code = DownloadToFile(url.c_str(), WideToAnsi(target).c_str(), true, nullptr);
    if (code != 0) {
        PluginLog("Cloud_downloaderr: " + url);
        return Outcome::DownloadFailed;
    }
    const Outcome unpacked = Unpack(target, scriptFolder);
    return unpacked == Outcome::UnpackFailed ? Outcome::NotAZip : unpacked;
}

}  // namespace recoverypackage
