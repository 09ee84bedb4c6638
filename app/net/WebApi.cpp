#include "WebApi.h"

#include "web/HttpGet.h"

#include <wininet.h>

#include <process.h>

#include <cstdio>
#include <memory>

namespace {

constexpr DWORD kDownloadBlock = 1024;

DWORD StatusOf(HINTERNET request) {
    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
    return status;
}

// The content length as a 64-bit number (the numeric query stops at 4 GiB).
unsigned long long ContentLengthOf(HINTERNET request) {
    wchar_t text[32] = {};
    DWORD size = sizeof text;
    if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) return 0;
    return wcstoull(text, nullptr, 10);
}

struct Request {
    std::string path;
    WebEndpoint host;
};

unsigned __stdcall RequestThread(void* argument) {
    std::unique_ptr<Request> request(static_cast<Request*>(argument));
    HttpGetToString(request->path, request->host);
    return 0;
}

}  // namespace

HANDLE StartHttpRequestThread(const std::string& path, const WebEndpoint& host) {
    auto request = std::make_unique<Request>(Request{path, host});
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &RequestThread, request.get(), 0, nullptr));
    if (thread) request.release();
    return thread;
}

std::string HttpGetToString(const std::string& path, const WebEndpoint& host) {
    const HttpReply reply = HttpGet(host, path);
    return reply.status == HTTP_STATUS_OK ? reply.body : std::string();
}

HttpDownload::~HttpDownload() { Close(); }

void HttpDownload::Close() {
    file_.Close();
    url_.Reset();
    session_.Reset();
}

bool HttpDownload::Open(const std::wstring& url, const std::wstring& target) {
    Close();
    session_.Reset(InternetOpenW(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session_) {
        std::printf("Internet open failed!\n");
        return false;
    }
    url_.Reset(InternetOpenUrlW(session_.Get(), url.c_str(), nullptr, 0,
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_TRANSFER_BINARY, 0));
    if (!url_) {
        std::printf("Internet open url failed! Error code = %lu\n", GetLastError());
        Close();
        return false;
    }
    const DWORD status = StatusOf(url_.Get());
    contentLength_ = ContentLengthOf(url_.Get());
    std::printf("Status: %lu\nFile size: %llu\n", status, contentLength_);
    if (status != HTTP_STATUS_OK) {
        Close();
        return false;
    }
    file_.Reset(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        std::printf("Create file failed!\n");
        Close();
        return false;
    }
    return true;
}

int HttpDownload::Run() {
    if (!url_ || !file_) return 0;
    std::printf("已下载：0%%");
    unsigned long long total = 0;
    int percent = 0;
    char block[kDownloadBlock];
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(url_.Get(), block, sizeof block, &got) || got == 0) break;
        total += got;
        const int previous = percent;
        percent = contentLength_ ? static_cast<int>(total * 100 / contentLength_) : 0;
        DWORD written = 0;
        if (!WriteFile(file_.Get(), block, got, &written, nullptr) || written != got) {
            std::printf("\nWrite to file failed!\n");
            Close();
            return 0;
        }
        if (percent != previous) std::printf("\r已下载：%d%%", percent);
    }
    std::printf("\nFinished downloading!\n");
    Close();
    return percent;
}
