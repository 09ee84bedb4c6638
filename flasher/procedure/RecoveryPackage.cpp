#include "RecoveryPackage.h"

#include <windows.h>

#include "download/DownloadToFile.h"
#include "PluginLog.h"
#include "ZipUtils.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace recoverypackage {

namespace {

// The three scripts a recovery package brings: those of the previous phone
// must never run for this one. Everything else the installation keeps in the
// script folder (its adb, its own scripts and tools) stays.
void RemoveScripts(const std::wstring& folder) {
    for (const wchar_t* script : {L"rec.bat", L"push_brush.bat", L"wipe.bat"}) RemoveFileEvenIfReadOnly(folder + script);
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
