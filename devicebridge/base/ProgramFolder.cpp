#include "base/ProgramFolder.h"

#include <windows.h>

#include <vector>

std::wstring ProgramFolderW() {
    // Grow the buffer until the whole path fits; long paths are not cut short.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            std::wstring path(buffer.data(), length);
            return path.substr(0, path.find_last_of(L'\\') + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ProgramFolderA() {
    std::wstring wide = ProgramFolderW();
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), narrow.data(), size, nullptr, nullptr);
    return narrow;
}
