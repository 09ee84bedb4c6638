#include "ZipTextHelpers.h"

#include "win32/TextConvert.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

bool AnsiToWide(const char* text, wchar_t* out) {
    if (!out) return false;
    out[0] = L'\0';
    if (!text) return false;
    const std::wstring wide = AnsiToWide(std::string_view(text));
    if (wide.size() >= kZipTextBuffer) return false;
    return CopyToFixedBuffer(wide, out, kZipTextBuffer);
}

bool WideToAnsi(const wchar_t* text, char* out) {
    if (!out) return false;
    out[0] = '\0';
    if (!text) return false;
    const std::string narrow = WideToAnsi(std::wstring_view(text));
    if (narrow.size() >= kZipTextBuffer) return false;
    return CopyToFixedBuffer(narrow, out, kZipTextBuffer);
}

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

void CreateDirectoryChain(const wchar_t* path) {
    if (!path) return;
    const std::wstring full(path);
    if (full.size() >= kZipTextBuffer) return;
    for (size_t i = 0; i < full.size(); ++i) {
        // Each level with its trailing separator; a drive root just fails.
        if (IsSeparator(full[i]) && i > 0) CreateDirectoryW(full.substr(0, i + 1).c_str(), nullptr);
    }
    if (!full.empty() && !IsSeparator(full.back())) CreateDirectoryW(full.c_str(), nullptr);
}

void CreateDirectoryChain(const char* path) {
    if (path) CreateDirectoryChain(AnsiToWide(std::string_view(path)).c_str());
}

void CreateDirectoriesForFile(const wchar_t* path) {
    if (!path) return;
    const std::wstring full(path);
    const size_t cut = full.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return;
    CreateDirectoryChain(full.substr(0, cut + 1).c_str());
}

void CreateDirectoriesForFile(const char* path) {
    if (path) CreateDirectoriesForFile(AnsiToWide(std::string_view(path)).c_str());
}
