#include "core/UpdateCheck.h"

#include <windows.h>

#include "ZipReader.h"
#include "core/VersionFiles.h"
#include "core/VersionName.h"
#include "curl/CurlEasy.h"
#include "download/DownloadToFile.h"
#include "log/ProgramLog.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

void UpdaterTrace(const std::wstring& line) { programlog::Line(line); }

namespace {

const wchar_t kReplyUnusable[] = L" \x670D\x52A1\x5668Sarvel\x7248\x672C\x63A5\x53E3\x83B7\x53D6\x5931\x8D25\xFF0C\x89C1newjson\x6587\x4EF6\xFF01";

std::string AnsiPath(const std::wstring& path) { return WideToAnsi(path); }

long long FileLength(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

}  // namespace

int CheckOneUrl(const UpdatePaths& paths, const std::string& url, const std::string& packageUrlKey,
                std::string& offeredVersion) {
    if (!FileExists(paths.localNewjsonMarker)) {
        // The reply lands beside newjson first: a failed request leaves the one on disk as it was.
        const std::wstring reply = paths.newjson + L".part";
        if (DownloadToFile(url.c_str(), AnsiPath(reply).c_str(), true, nullptr) != 0 ||
            !MoveFileExW(reply.c_str(), paths.newjson.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            RemoveFileEvenIfReadOnly(reply);
            UpdaterTrace(kReplyUnusable);
            return kNoAnswer;
        }
    }
    const auto version = ReadVersionMember(paths.newjson, "versionName");
    const auto packageUrl = ReadVersionMember(paths.newjson, packageUrlKey.c_str());
    if (!version || !packageUrl || !IsVersionName(*version)) {
        UpdaterTrace(kReplyUnusable);
        return kNoAnswer;
    }
    offeredVersion = *version;
    const int updateClass = UpdateClassAgainstInstalled(paths.curjson, offeredVersion);
    if (updateClass < 0) RemoveFileEvenIfReadOnly(paths.newjson);
    return updateClass;
}

int CheckForUpdate(const UpdatePaths& paths, const std::vector<std::string>& urls, const std::string& packageUrlKey,
                   std::string& offeredVersion) {
    for (const std::string& url : urls) {
        const int result = CheckOneUrl(paths, url, packageUrlKey, offeredVersion);
        if (result != kNoAnswer) return result;
    }
    return -1;
}

double ProbeContentLength(const std::string& url) {
    CurlEasy handle;
    if (!handle) return -1.0;
    CURL* curl = handle.Get();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    ApplyTransferLimits(curl);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardBody);
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (curl_easy_perform(curl) == CURLE_OK) {
            curl_off_t length = -1;
            if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) return -1.0;
            return static_cast<double>(length);
        }
        Sleep(200);
    }
    return -1.0;
}

bool PackageOpens(const std::wstring& path) {
    ZipReaderHandle* zip = ZipArchiveOpen(path.c_str(), 0, ZIPKIND_FILENAME);
    if (!zip) return false;
    ZipArchiveClose(zip);
    return true;
}

int DownloadPackage(const UpdatePaths& paths, const std::string& packageUrlKey) {
    if (FileExists(paths.packageSkipMarker)) {
        UpdaterTrace(L" \x4E0D\x4E0B\x8F7D\x76F4\x63A5\x4F7F\x7528\x672C\x5730\x6587\x4EF6\xFF01");
        return PackageOpens(paths.package) ? 0 : -1;
    }
    const auto url = ReadVersionMember(paths.newjson, packageUrlKey.c_str());
    if (!url || url->empty()) return -1;
    const long long onDisk = FileLength(paths.package);
    if (onDisk >= 0 && static_cast<double>(onDisk) == ProbeContentLength(*url) && PackageOpens(paths.package))
        return 0;
    const int result = DownloadToFile(url->c_str(), AnsiPath(paths.package).c_str(), true, nullptr);
    if (result == 0 && PackageOpens(paths.package)) {
        UpdaterTrace(L" \x4E0B\x8F7D\x5B8C\x6210\xFF01");
        return 0;
    }
    // A refused, cut or damaged package must not be taken for the update.
    RemoveFileEvenIfReadOnly(paths.package);
    UpdaterTrace(L" \x4E0B\x8F7D\x5931\x8D25\xFF01");
    return -1;
}
