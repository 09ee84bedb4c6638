// The two HTTP operations every request to the maker's web service uses: a
// GET whose reply body comes back as text, and a file download with progress.
#pragma once

#include <windows.h>

#include <string>

#include "web/WebHosts.h"
#include "win32/ScopedHandle.h"
#include "win32/ScopedInternetHandle.h"

// GETs `path` (with its query; empty means the root) from `host` and returns
// the body. Any failure, and any status other than 200, gives "": an error
// page is not a reply. Bodies are kept byte for byte.
std::string HttpGetToString(const std::string& path, const WebEndpoint& host);

// Sends the GET on a worker thread whose answer nobody reads (reports and
// counts). Returns the thread's handle (the caller closes it).
HANDLE StartHttpRequestThread(const std::string& path, const WebEndpoint& host);

// A download of one URL into a file. Open checks the HTTP status before it
// creates the target, so an error page is never saved as the file.
class HttpDownload {
public:
    HttpDownload() = default;
    ~HttpDownload();
    HttpDownload(const HttpDownload&) = delete;
    HttpDownload& operator=(const HttpDownload&) = delete;

    bool Open(const std::wstring& url, const std::wstring& target);
    // Reads the body to its end in 1 KiB blocks, writing exactly what arrives;
    // returns the last percentage reached (0 on a write failure, and 0 when
    // the length is unknown). Closes the target file.
    int Run();

    unsigned long long ContentLength() const { return contentLength_; }

private:
    void Close();

    ScopedInternetHandle session_;
    ScopedInternetHandle url_;
    ScopedHandle file_;
    unsigned long long contentLength_ = 0;
};
