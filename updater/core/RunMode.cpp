#include "core/RunMode.h"

#include <windows.h>

#include "core/VersionName.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

RunMode ModeOfArguments(const std::wstring& arguments) {
    return arguments.size() >= 12 ? RunMode::Apply : RunMode::Check;
}

std::wstring FolderOfPath(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

std::wstring FileNameOfPath(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

namespace {

// Splits off the last folder name of "...\name\": returns "name", leaves "...\".
std::wstring PopFolder(std::wstring& folder) {
    if (folder.size() < 2 || folder.back() != L'\\') return std::wstring();
    const size_t cut = folder.find_last_of(L'\\', folder.size() - 2);
    if (cut == std::wstring::npos) return std::wstring();
    std::wstring name = folder.substr(cut + 1, folder.size() - cut - 2);
    folder.resize(cut + 1);
    return name;
}

bool SameName(const std::wstring& a, const wchar_t* b) { return CompareStringOrdinal(a.c_str(), -1, b, -1, TRUE) == CSTR_EQUAL; }

}  // namespace

std::wstring InstallationOfStagingFolder(const std::wstring& moduleFolder) {
    std::wstring folder = moduleFolder;
    const std::wstring version = PopFolder(folder);
    const std::wstring temp = PopFolder(folder);
    const std::wstring autoupdate = PopFolder(folder);
    if (!IsVersionName(WideToUtf8(version)) || !SameName(temp, L"temp") || !SameName(autoupdate, L"autoupdate"))
        return std::wstring();
    if (!FolderExists(folder + L"autoupdate")) return std::wstring();
    return folder;
}
