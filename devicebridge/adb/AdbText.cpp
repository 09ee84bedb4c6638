#include "adb/AdbText.h"

#include <windows.h>

std::string NarrowFromWide(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring WideFromNarrow(const std::string& text, unsigned codePage) {
    if (text.empty()) return {};
    DWORD flags = codePage == CP_UTF8 ? 0 : MB_PRECOMPOSED;
    int size = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size > 0 ? size : 0, L'\0');
    if (size > 0) MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}
