// Small stateless routines the main program's handlers share: the updater's
// start, picture scaling for screenshots, text fixes and device-id checks.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <string>

// Starts the updater in check mode (" koviupdate"). 0 when it started, 1 not.
int StartUpdaterProcess(const char* updaterPath);

// UTF-8 to the system's ANSI code page; characters the code page lacks become
// its default character.
std::string Utf8ToAnsiString(const char* utf8);

// Index of GDI+'s PNG encoder with its class id, or -1 when there is none.
// GDI+ must be started by the caller.
int FindPngEncoder(CLSID* encoder);

// Scales a picture to 600 pixels wide (height in proportion, whole pixels)
// and saves it as PNG. False when the picture cannot be read, has no size,
// no PNG encoder exists or the PNG cannot be written.
bool ScaleImageToPng(const std::wstring& source, const std::wstring& target);

// True when the picture loads and is wider than 1000 pixels.
bool ImageIsWide(const std::wstring& path);

// Replaces every occurrence of `search` in `text`; each search resumes after
// the replacement just inserted, so a replacement containing the search text
// cannot loop.
void ReplaceAll(const std::wstring& search, const std::wstring& replacement, std::wstring& text);

// Finds the member of a device set whose instance id equals `instanceId`;
// 1 with `info` filled, 0 when none matches or an id cannot be read.
int FindDeviceByInstanceId(HDEVINFO devices, SP_DEVINFO_DATA* info, const std::wstring& instanceId);

// True for a non-empty text of digits and upper-case A-F only.
bool IsUpperHex(const std::wstring& text);

// Downloads a URL into a file; returns the percentage reached (100: whole).
int DownloadUrlToFile(const std::wstring& url, const std::wstring& target);
