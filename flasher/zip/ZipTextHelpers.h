// Text and folder helpers of the zip utilities, shared by the plug-in, the
// downloader and the updater.
#pragma once

#include <cstddef>

// Fixed-buffer conversions: `out` holds kZipTextBuffer characters (or bytes);
// a text that does not fit is refused (false, out empty), never cut.
constexpr size_t kZipTextBuffer = 260;
bool AnsiToWide(const char* text, wchar_t* out);
bool WideToAnsi(const wchar_t* text, char* out);

// Creates every folder of the path in turn (first folder, then first and
// second, ...), with '\' or '/' between them; levels that exist are fine.
// Paths of 260 characters or more are refused.
void CreateDirectoryChain(const char* path);
void CreateDirectoryChain(const wchar_t* path);

// Creates the folders a file path needs: everything before its last separator.
void CreateDirectoriesForFile(const char* path);
void CreateDirectoriesForFile(const wchar_t* path);
