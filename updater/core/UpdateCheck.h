// The check mode's conversation with the web service: is there a newer
// version, and fetching its package.
#pragma once

#include <string>
#include <vector>

#include "core/UpdatePaths.h"

// Tells what the updater is doing: the program log and the debugger output.
void UpdaterTrace(const std::wstring& line);

constexpr int kNoAnswer = -2;

// One check URL: stores the reply in newjson (unless "flaglocalnewjson"
// exists), reads the offered version and compares it with curjson. The
// offered version must be a dotted number. kNoAnswer when the URL gave no
// usable reply; a negative class deletes newjson.
int CheckOneUrl(const UpdatePaths& paths, const std::string& url, const std::string& packageUrlKey,
                std::string& offeredVersion);

// Tries the URLs in order; the first result other than kNoAnswer counts, -1
// when none answered.
int CheckForUpdate(const UpdatePaths& paths, const std::vector<std::string>& urls, const std::string& packageUrlKey,
                   std::string& offeredVersion);

// Fetches the package that newjson names into Update.zip: 0 when a package
// that opens as a zip is there, -1 otherwise (a failed or refused download
// leaves no package behind). A package on disk whose length equals the
// server's Content-Length is kept without a download.
int DownloadPackage(const UpdatePaths& paths, const std::string& packageUrlKey);

// The server's Content-Length for the URL from a header-only request, -1.0
// when unknown.
double ProbeContentLength(const std::string& url);

// True when the file opens as a zip archive.
bool PackageOpens(const std::wstring& path);
