// The start-up report: the worker that tells the web service the program
// started, fetches the recommended ROM package, news and apps, and probes for
// a phone. It reaches the frame only through its messages; items travel in
// sent messages (valid during the call, copied by the frame).
#pragma once

#include <windows.h>

#include <string>

#include "record/PackageRecord.h"
#include "web/WebHosts.h"

struct NewsItem {
    wchar_t title[50];
    wchar_t url[100];
};
static_assert(sizeof(NewsItem) == 300, "a news item is 300 bytes");

struct StartupJob {
    HWND frame = nullptr;
    HMODULE hemlar = nullptr;
    WebEndpoint api;
    std::wstring programFolder;  // no trailing backslash
};

// The steps, on the calling thread:
//   kPackageJson (sent, wParam the reply text) for a recommended ROM,
//   kNews (sent, wParam index, lParam NewsItem*) per news item,
//   kRecommendItem (sent, wParam index, lParam PackageRecord*) per complete app,
//   kAndroidId (posted, wParam a new char[18] the frame frees) when a phone answers.
void RunStartupReport(const StartupJob& job);

// Starts it on a worker; the handle is the caller's.
HANDLE StartStartupReportThread(const StartupJob& job);
