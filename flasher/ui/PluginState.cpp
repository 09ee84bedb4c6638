#include "PluginState.h"

#include <windows.h>

#include <vector>

PluginState& PluginState::Get() {
    static PluginState state;
    return state;
}

void PluginState::CaptureExeFolder() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    std::wstring file(path.data(), length < path.size() ? length : 0);
    Get().exeFolder = file.substr(0, file.find_last_of(L'\\') + 1);
}
