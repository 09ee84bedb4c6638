// A window standing in for the main program's ("UIMainFrame", "Kovi刷机"):
// it keeps every package record the downloader sends it by WM_COPYDATA.
// Records arrive only while the creating thread pumps messages
// (uiharness::PumpUntil).
#pragma once

#include "record/PackageRecord.h"

#include <windows.h>

#include <string>
#include <vector>

namespace downloadertest {

class MainWindowStandIn {
public:
    MainWindowStandIn();
    ~MainWindowStandIn();
    MainWindowStandIn(const MainWindowStandIn&) = delete;
    MainWindowStandIn& operator=(const MainWindowStandIn&) = delete;

    HWND Hwnd() const { return hwnd_; }
    void Destroy();
    std::vector<PackageRecord> records;
    // The first report for the package `name` (UTF-8) with status text
    // `err`; null when none came.
    const PackageRecord* Report(const std::string& name, const char* err) const;
    int ReportCount(const std::string& name, const char* err) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

// Sends one record the way the main program does; false when not delivered.
bool SendRecord(HWND downloader, const PackageRecord& record, WPARAM wParam = 0);

// UTF-8 text (as this source is written) in the ANSI code page, as records hold it.
std::string Ansi(const char* utf8);

// A record for a package request; `name` in UTF-8.
PackageRecord MakeRecord(const char* id, const char* name, const std::string& url, const char* type,
                         const char* err = "", const std::string& md5 = "");

}  // namespace downloadertest
