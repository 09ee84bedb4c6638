#include "PhoneScreenshot.h"

#include <commdlg.h>
#include <objidl.h>  // PROPID, which gdiplus.h needs under WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <cwchar>
#include <vector>

std::wstring ScreenshotSaveName(const SYSTEMTIME& time) {
    wchar_t name[64];
    swprintf(name, 64, L"Kovi刷机截图%d%02d%02d%02d%02d%02d.png", time.wYear, time.wMonth, time.wDay, time.wHour,
             time.wMinute, time.wSecond);
    return name;
}

namespace {

// The picture drawn at its own size into a bitmap compatible with the screen.
HBITMAP ScreenBitmapOf(const std::wstring& picture) {
    Gdiplus::Bitmap image(picture.c_str());
    if (image.GetLastStatus() != Gdiplus::Ok || image.GetWidth() == 0 || image.GetHeight() == 0) return nullptr;
    const int width = static_cast<int>(image.GetWidth()), height = static_cast<int>(image.GetHeight());
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    bool drawn = false;
    if (memory && bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        {
            Gdiplus::Graphics graphics(memory);
            drawn = graphics.DrawImage(&image, 0, 0, width, height) == Gdiplus::Ok;
        }
        SelectObject(memory, old);
    }
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!drawn && bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

}  // namespace

bool CopyPictureToClipboard(HWND owner, const std::wstring& picture) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HBITMAP bitmap = ScreenBitmapOf(picture);
    // Once set, the bitmap belongs to the clipboard.
    const bool copied = bitmap && SetClipboardData(CF_BITMAP, bitmap);
    if (bitmap && !copied) DeleteObject(bitmap);
    CloseClipboard();
    return copied;
}

bool SavePictureAs(HWND owner, const std::wstring& picture) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::vector<wchar_t> name(512, L'\0');
    const std::wstring proposed = ScreenshotSaveName(now);
    wcsncpy(name.data(), proposed.c_str(), name.size() - 1);
    static const wchar_t kFilter[] = L"截屏文件 (*.png)\0*.png\0";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    if (!GetSaveFileNameW(&dialog)) return false;
    return CopyFileW(picture.c_str(), name.data(), FALSE) != FALSE;
}
