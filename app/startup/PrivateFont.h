// The interface font, registered from Font\ under the program's folder as a
// font private to the process. A missing or unreadable file is skipped.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class PrivateFont {
public:
    explicit PrivateFont(const std::wstring& file);
    ~PrivateFont();
    PrivateFont(const PrivateFont&) = delete;
    PrivateFont& operator=(const PrivateFont&) = delete;

    bool Loaded() const { return handle_ != nullptr; }

private:
    std::vector<char> bytes_;  // kept while the font is registered
    HANDLE handle_ = nullptr;
};

constexpr wchar_t kInterfaceFontFile[] = L"Font\\方正兰亭细黑_GBK_M.TTF";
