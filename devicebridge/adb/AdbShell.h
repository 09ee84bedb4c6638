// The interactive adb shell and the framebuffer snapshot written as a BMP.
#pragma once

#include "adb/AdbClient.h"

#include <cstdint>
#include <string>
#include <vector>

// 0 after the stream ended, 1 when "shell:" could not be opened.
int AdbInteractiveShell(const AdbTarget& target, std::string& output);

// The "~." escape of the shell's input: feed bytes one at a time; true once a
// line start, "~" and "." came in a row.
class ShellEscapeScanner {
public:
    bool Feed(char c);
private:
    int state_ = 0;
};

struct FramebufferImage {
    uint32_t version = 0, bpp = 0, size = 0, width = 0, height = 0;
    uint32_t redOffset = 0, redLength = 0, blueOffset = 0, blueLength = 0;
    uint32_t greenOffset = 0, greenLength = 0, alphaOffset = 0, alphaLength = 0;
    bool turned = false;
    std::vector<unsigned char> pixels;
};

// Whether a header describes pixels the converter can read safely.
bool FramebufferHeaderIsSound(const FramebufferImage& image);
// 0 after "shortcut success \n", 1 otherwise. The path is UTF-16.
int AdbFramebufferShot(const AdbTarget& target, const std::wstring& path, bool turned, std::string& output);
bool WriteBmp(const FramebufferImage& image, const std::wstring& path);
