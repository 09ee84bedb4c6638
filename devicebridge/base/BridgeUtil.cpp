#include "base/BridgeUtil.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

bool HasMarker(const std::string& output, const char* marker) {
    return output.find(marker) != std::string::npos;
}

void DebugLine(const std::string& line) {
    OutputDebugStringA(line.c_str());
}

void DebugLine(const std::wstring& line) {
    OutputDebugStringW(line.c_str());
}

std::wstring WidenAnsi(const std::string& text) {
    if (text.empty()) return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string NarrowAnsi(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr, nullptr);
    return narrow;
}

namespace {

template <typename Char>
void CopyCut(const std::basic_string<Char>& text, Char* out, size_t capacity) {
    if (!out || capacity == 0) return;
    size_t count = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), count * sizeof(Char));
    out[count] = Char(0);
}

}  // namespace

void CopyToCallerBuffer(const std::wstring& text, wchar_t* out, size_t capacity) {
    CopyCut(text, out, capacity);
}

void CopyToCallerBuffer(const std::string& text, char* out, size_t capacity) {
    CopyCut(text, out, capacity);
}

