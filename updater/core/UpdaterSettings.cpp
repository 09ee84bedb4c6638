#include "core/UpdaterSettings.h"

#include <windows.h>

#include "win32/TextConvert.h"

namespace {

std::wstring ReadText(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* fallback) {
    wchar_t value[260] = {};
    GetPrivateProfileStringW(section, key, fallback, value, 260, file.c_str());
    return value;
}

}  // namespace

int ReadWebapiIndex(const std::wstring& settingsFile) {
    return static_cast<int>(GetPrivateProfileIntW(L"Webapi", L"index", 1, settingsFile.c_str()));
}

std::string ReadChannel(const std::wstring& settingsFile) {
    return WideToAnsi(ReadText(settingsFile, L"channel", L"value", L"error"));
}

void CarrySettings(const std::wstring& packageCopy, const std::wstring& installedCopy) {
    if (ReadText(installedCopy, L"channel", L"value", L"").empty()) {
        const std::wstring channel = ReadText(packageCopy, L"channel", L"value", L"");
        if (!channel.empty()) WritePrivateProfileStringW(L"channel", L"value", channel.c_str(), installedCopy.c_str());
    }
    if (static_cast<int>(GetPrivateProfileIntW(L"Webapi", L"index", -1, installedCopy.c_str())) == -1) {
        const int index = static_cast<int>(GetPrivateProfileIntW(L"Webapi", L"index", 1, packageCopy.c_str()));
        WritePrivateProfileStringW(L"Webapi", L"index", std::to_wstring(index).c_str(), installedCopy.c_str());
    }
}
