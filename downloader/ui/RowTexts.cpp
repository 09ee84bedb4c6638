#include "ui/RowTexts.h"

#include <cstdio>
#include <cwchar>

namespace {
constexpr double kMiB = 1048576.0;
}

std::wstring SizeText(double downloadedBytes, double totalBytes) {
    wchar_t text[96];
    std::swprintf(text, 96, L"%4.2lfM/%4.2lfM", downloadedBytes / kMiB, totalBytes / kMiB);
    return text;
}

std::wstring SpeedText(double bytesPerSecond) {
    const double mib = bytesPerSecond / kMiB;
    if (!(mib > 0.001)) return {};
    wchar_t text[64];
    if (mib >= 1.0)
        std::swprintf(text, 64, L"%5.2lf MB/s", mib);
    else
        std::swprintf(text, 64, L"%5.0lf KB/s", mib * 1024.0);
    return text;
}

const wchar_t* StatusText(int status) {
    switch (status) {
        case -1: return L"任务等待";
        case 0: return L"正在下载";
        case 1: return L"任务暂停";
        case 3: return L"下载完成";
        case 4: return L"资源出错";
        default: return nullptr;
    }
}

#define ROW_IMAGE(file) L".\\images-downslistitem\\" file

StatusButtonImages StatusButtonImagesFor(int status) {
    switch (status) {
        case -1: return {ROW_IMAGE(L"WaitButton.png"), ROW_IMAGE(L"RunButton.jpg"), ROW_IMAGE(L"WaitButton.png")};
        case 0: return {ROW_IMAGE(L"RunButton.jpg"), ROW_IMAGE(L"PauseButton.jpg"), ROW_IMAGE(L"PauseButton.jpg")};
        case 1: return {ROW_IMAGE(L"PauseButton.jpg"), ROW_IMAGE(L"RunButton.jpg"), ROW_IMAGE(L"WaitButton.png")};
        case 4: return {ROW_IMAGE(L"ErrorButton.png"), ROW_IMAGE(L"RunButton.jpg"), ROW_IMAGE(L"WaitButton.png")};
        case 5: return {ROW_IMAGE(L"NoneButton.png"), ROW_IMAGE(L"RunButton.jpg"), ROW_IMAGE(L"WaitButton.png")};
        default: return {L"", L"", L""};
    }
}

bool InstallButtonImagesFor(int type, const wchar_t*& normal, const wchar_t*& hot) {
    if (type == 0) {
        normal = ROW_IMAGE(L"InstallRomButton-n.png");
        hot = ROW_IMAGE(L"InstallRomButton-h.png");
        return true;
    }
    if (type == 1 || type == 2) {
        normal = ROW_IMAGE(L"InstallAppButton-n.png");
        hot = ROW_IMAGE(L"InstallAppButton-h.png");
        return true;
    }
    return false;
}

#undef ROW_IMAGE

std::string DoneSizeText(double totalBytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%4.2lfM", totalBytes / kMiB);
    return text;
}
