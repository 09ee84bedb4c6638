#include "core/RefusalDay.h"

#include <cwchar>

std::wstring DateStamp(const SYSTEMTIME& utc) {
    wchar_t stamp[16];
    swprintf(stamp, 16, L"%04u%02u%02u", utc.wYear, utc.wMonth, utc.wDay);
    return stamp;
}

bool DeclinedOn(const std::wstring& dayFile, const SYSTEMTIME& utcNow) {
    wchar_t stored[32] = {};
    GetPrivateProfileStringW(L"nextDay", L"day", L"0", stored, 32, dayFile.c_str());
    return DateStamp(utcNow) == stored;
}

void RecordDecline(const std::wstring& dayFile, const SYSTEMTIME& utcNow) {
    WritePrivateProfileStringW(L"nextDay", L"day", DateStamp(utcNow).c_str(), dayFile.c_str());
}

bool DeclinedToday(const std::wstring& dayFile) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    return DeclinedOn(dayFile, now);
}

void RecordDeclineToday(const std::wstring& dayFile) {
    SYSTEMTIME now;
    GetSystemTime(&now);
    RecordDecline(dayFile, now);
}
