// The adb client's words: command words travel in code page 936, remote
// paths and package-manager texts in UTF-8, local paths stay UTF-16 (the
// conversions are the shared ones in win32/TextConvert.h).
#pragma once

#include <string>

#include "win32/TextConvert.h"

constexpr unsigned kAdbWordCodePage = 936;

// One word of an adb command line: its code page 936 form (what travels to
// the phone) and the UTF-16 original (what local paths and UTF-8 texts use).
struct AdbWord {
    std::string text;
    std::wstring wide;
};
