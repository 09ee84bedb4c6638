#include "download/DownloadToFile.h"

#include "curl/CurlEasy.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<FILE*>(file));
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
    // Error pages are not stored as the file (a 416 on a complete resume is
    // not an error for libcurl and writes nothing).
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, offset);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file.get());
    if (progress != nullptr) {
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ForwardProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, progress);
    }
    const CURLcode result = curl_easy_perform(curl);
    if (std::fclose(file.release()) != 0 && result == CURLE_OK) return CURLE_WRITE_ERROR;
    return result;
}
