// Text conversions of the adb client: command words travel in code page 936,
// remote paths and package-manager texts in UTF-8, local paths stay UTF-16.
#pragma once

#include <string>

constexpr unsigned kAdbWordCodePage = 936;

std::string NarrowFromWide(const std::wstring& text, unsigned codePage);
std::wstring WideFromNarrow(const std::string& text, unsigned codePage);
inline std::string Utf8FromWide(const std::wstring& text) { return NarrowFromWide(text, 65001); }
inline std::wstring WideFromUtf8(const std::string& text) { return WideFromNarrow(text, 65001); }

// One word of an adb command line: its code page 936 form (what travels to
// the phone) and the UTF-16 original (what local paths and UTF-8 texts use).
struct AdbWord {
    std::string text;
    std::wstring wide;
};
