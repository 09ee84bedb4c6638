#include "Helpers.h"

#include <cfgmgr32.h>
#include <objidl.h>  // PROPID, which gdiplus.h needs under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <memory>
#include <vector>

#include "net/WebApi.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

int StartUpdaterProcess(const char* updaterPath) {
    char commandLine[] = " koviupdate";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(updaterPath, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

std::string Utf8ToAnsiString(const char* utf8) { return utf8 ? WideToAnsi(Utf8ToWide(utf8)) : std::string(); }

int FindPngEncoder(CLSID* encoder) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return -1;
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return -1;
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *encoder = codecs[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ScaleImageToPng(const std::wstring& source, const std::wstring& target) {
    Gdiplus::Image picture(source.c_str());
    if (picture.GetLastStatus() != Gdiplus::Ok) return false;
    const UINT width = picture.GetWidth(), height = picture.GetHeight();
    CLSID png;
    if (width == 0 || height == 0 || FindPngEncoder(&png) < 0) return false;
    const INT scaledHeight = static_cast<INT>(static_cast<unsigned long long>(height) * 600 / width);
    if (scaledHeight <= 0) return false;
    Gdiplus::Bitmap scaled(600, scaledHeight, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&scaled);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQuality);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        if (graphics.DrawImage(&picture, 0, 0, 600, scaledHeight) != Gdiplus::Ok) return false;
    }
    return scaled.Save(target.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool ImageIsWide(const std::wstring& path) {
    Gdiplus::Image picture(path.c_str());
    return picture.GetLastStatus() == Gdiplus::Ok && picture.GetWidth() > 1000;
}

void ReplaceAll(const std::wstring& search, const std::wstring& replacement, std::wstring& text) {
    if (search.empty()) return;
    for (size_t at = text.find(search); at != std::wstring::npos; at = text.find(search, at)) {
        text.replace(at, search.size(), replacement);
        at += replacement.size();
    }
}

int FindDeviceByInstanceId(HDEVINFO devices, SP_DEVINFO_DATA* info, const std::wstring& instanceId) {
    for (DWORD index = 0;; ++index) {
        info->cbSize = sizeof *info;
        if (!SetupDiEnumDeviceInfo(devices, index, info)) return 0;
        wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
        if (!SetupDiGetDeviceInstanceIdW(devices, info, id, MAX_DEVICE_ID_LEN + 1, nullptr)) return 0;
        if (instanceId == id) return 1;
    }
}

bool IsUpperHex(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'))) return false;
    }
    return true;
}

int DownloadUrlToFile(const std::wstring& url, const std::wstring& target) {
    HttpDownload download;
    if (!download.Open(url, target)) return 0;
    return download.Run();
}
