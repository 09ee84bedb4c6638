// The texts and pictures a download row shows for its task: size, speed,
// status and the status button's three images. Pure functions, so the
// list and its tests agree on every character.
#pragma once

#include <string>

// "%4.2lfM/%4.2lfM": downloaded and total bytes in MiB.
std::wstring SizeText(double downloadedBytes, double totalBytes);

// A speed in bytes per second: empty at 0.001 MiB/s or less, "%5.2lf MB/s"
// from 1 MiB/s on, else "%5.0lf KB/s".
std::wstring SpeedText(double bytesPerSecond);

// The status line of a row; null for statuses that leave it untouched.
const wchar_t* StatusText(int status);

struct StatusButtonImages {
    const wchar_t* normal;
    const wchar_t* hot;
    const wchar_t* pushed;
};

// The status button's images by status; all empty for statuses without one.
StatusButtonImages StatusButtonImagesFor(int status);

// The install button's normal and hot images by package type (0 ROM, 1 app,
// 2 game); false for other types, which keep their images.
bool InstallButtonImagesFor(int type, const wchar_t*& normal, const wchar_t*& hot);

// The package size once done: "%4.2lfM" of the total bytes.
std::string DoneSizeText(double totalBytes);
