// Handing package records to the downloader program: its window is found by
// class "CPellarinesFrame" and title "Downloader"; when it is absent it can be
// started from the DownModule folder and looked for again.
#pragma once

#include <windows.h>

#include <string>

#include "record/PackageRecord.h"

HWND FindDownloaderWindow();

// Sends at once when the window exists; false otherwise.
bool SendToRunningDownloader(const PackageRecord& record);

// On a worker thread, so the frame never waits for a starting program: sends
// to the running downloader, or starts `program` and looks for its window up
// to 5 times 500 ms apart. `afterSend` (may be empty) runs on the worker once
// the record went out. Returns the worker's handle (the caller closes it).
HANDLE DeliverToDownloader(const PackageRecord& record, const std::wstring& program,
                           void (*afterSend)(const PackageRecord&) = nullptr);

// On a worker thread: shows the running downloader's window on top, or
// starts `program` and shows its window once it appears (up to 5 looks).
HANDLE BringUpDownloader(const std::wstring& program);

// The downloader's program in the installation: "<folder>\DownModule\Pellarine_u.exe".
std::wstring DownloaderProgram();
