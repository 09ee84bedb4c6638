#include "download/DownloadToFile.h"

#include "curl/CurlEasy.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

struct Target {
    CURL* curl;
    FILE* file;
    bool refused = false;
};

// Stores only a successful reply's body: an error page must not become the
// file (nor be appended to a partial one).
size_t WriteToFile(char* data, size_t size, size_t count, void* user) {
    auto* target = static_cast<Target*>(user);
    long status = 0;
    curl_easy_getinfo(target->curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300) {
        target->refused = true;
        return 0;
    }
    return std::fwrite(data, size, count, target->file);
}

int ForwardProgress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow) {
    auto* progress = static_cast<IDownloadProgress*>(user);
    return progress->OnDownloadProgress(static_cast<double>(dltotal), static_cast<double>(dlnow),
                                        static_cast<double>(ultotal), static_cast<double>(ulnow));
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

int DownloadToFile(const char* url, const char* path, bool fresh, IDownloadProgress* progress) {
    if (url == nullptr || path == nullptr) return CURLE_URL_MALFORMAT;
    const std::wstring widePath = AnsiToWide(path);
    const size_t cut = widePath.find_last_of(L"\\/");
    if (cut != std::wstring::npos) CreateFolderTree(widePath.substr(0, cut));

    CurlEasy handle;
    if (!handle) return CURLE_FAILED_INIT;
    std::unique_ptr<FILE, FileCloser> file(_wfopen(widePath.c_str(), fresh ? L"wb" : L"ab"));
    if (!file) return CURLE_FILE_COULDNT_READ_FILE;
    // Large stdio blocks: each write is a round trip under Wine.
    std::setvbuf(file.get(), nullptr, _IOFBF, 1024 * 1024);
    _fseeki64(file.get(), 0, SEEK_END);
    const curl_off_t offset = _ftelli64(file.get());

    CURL* curl = handle.Get();
    curl_easy_setopt(curl, CURLOPT_URL, url);
    ApplyTransferLimits(curl);
    ApplyBulkReceive(curl);
    curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, offset);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    Target target{curl, file.get()};
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &target);
    if (progress != nullptr) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ForwardProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, progress);
    }
    CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    // A 416 to a resume means the file is already whole.
    const bool alreadyComplete = status == 416 && offset > 0;
    if (target.refused || (result == CURLE_OK && status >= 400 && !alreadyComplete)) result = CURLE_HTTP_RETURNED_ERROR;
    if (std::fclose(file.release()) != 0 && result == CURLE_OK) return CURLE_WRITE_ERROR;
    return result;
}
