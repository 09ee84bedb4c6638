// A single file download over libcurl, shared by the flashing plug-in and the
// updater.
#pragma once

// Told about the transfer; a non-zero result aborts it.
class IDownloadProgress {
public:
    virtual int OnDownloadProgress(double totalToDownload, double downloaded, double totalToUpload,
                                   double uploaded) = 0;

protected:
    ~IDownloadProgress() = default;
};

// Downloads `url` into `path` (both ANSI), creating the path's folders.
// fresh: the file is rewritten; otherwise it is appended to, resuming from
// its size. Only a successful reply's body is stored. Result: the libcurl
// code (0 success; 22 for an HTTP error status), or 37 when the file cannot
// be opened.
int DownloadToFile(const char* url, const char* path, bool fresh, IDownloadProgress* progress);
