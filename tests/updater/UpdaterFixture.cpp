#include "UpdaterFixture.h"

#include <windows.h>

#include <vector>

#include "ZipWriter.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace updatertest {

const char kMissing[] = "<missing>";

std::wstring MakeInstallationFolder(const testsupport::ScratchDir& scratch) {
    const std::wstring folder = scratch.Path() + L"Program Files\\\x5B89\x88C5 \x76EE\x5F55\\";
    CreateFolderTree(folder + L"autoupdate");
    return folder;
}

std::string VersionJson(const std::string& version, const std::string& url) {
    return "{\"versionName\":\"" + version + "\",\"downloadUrl\":\"" + url + "\"}";
}

namespace {

std::wstring Native(const std::string& relative) {
    std::wstring path = Utf8ToWide(relative);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

}  // namespace

void WriteFiles(const std::wstring& folder, const FileSet& files) {
    for (const auto& [name, content] : files) {
        const std::wstring path = folder + Native(name);
        CreateFolderTree(path.substr(0, path.find_last_of(L'\\')));
        testsupport::WriteFileBytes(path, content);
    }
}

FileSet ReadFiles(const std::wstring& folder, const FileSet& names) {
    FileSet result;
    for (const auto& entry : names) {
        const std::wstring path = folder + Native(entry.first);
        result[entry.first] = FileExists(path) ? testsupport::ReadFileBytes(path) : std::string(kMissing);
    }
    return result;
}

std::string PackageOf(const FileSet& files) {
    std::vector<testsupport::ZipItem> items;
    for (const auto& [name, content] : files) items.emplace_back(name, content);
    return testsupport::BuildZip(items);
}

namespace {

void Collect(const std::wstring& folder, const std::string& prefix, FileSet& files) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            Collect(folder + name + L"\\", prefix + WideToUtf8(name) + "/", files);
        else
            files[prefix + WideToUtf8(name)] = testsupport::ReadFileBytes(folder + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

FileSet AllFiles(const std::wstring& folder) {
    FileSet files;
    Collect(folder, "", files);
    return files;
}

}  // namespace updatertest
