#include "core/manager/UIAttributeValue.h"

#include <cwchar>

namespace UiLib {

namespace {

// Reads `count` decimal numbers. The separator after a number is skipped only
// when there is one, so a short value never reads past its terminator.
void ParseNumbers(const wchar_t* value, long* out, int count) {
    const wchar_t* p = value ? value : L"";
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        out[i] = std::wcstol(p, &end, 10);
        p = end;
        if (*p) ++p;
    }
}

}  // namespace

DWORD ParseColorValue(const wchar_t* value, bool skipLeadingBlanks) {
    if (!value) return 0;
    if (skipLeadingBlanks)
        while (*value >= 1 && *value <= 32) ++value;
    if (*value == L'#') ++value;
    unsigned long long color = 0;
    for (; *value; ++value) {
        wchar_t c = *value;
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            break;
        color = color * 16 + digit;
        if (color > 0xFFFFFFFFull) color = 0xFFFFFFFFull;  // saturates like the C library's reader
    }
    return static_cast<DWORD>(color);
}

RECT ParseRectValue(const wchar_t* value) {
    long n[4];
    ParseNumbers(value, n, 4);
    RECT rc = {n[0], n[1], n[2], n[3]};
    return rc;
}

SIZE ParseSizeValue(const wchar_t* value) {
    long n[2];
    ParseNumbers(value, n, 2);
    SIZE sz = {n[0], n[1]};
    return sz;
}

int ParseIntValue(const wchar_t* value) {
    return value ? static_cast<int>(std::wcstol(value, nullptr, 10)) : 0;
}

bool ParseBoolValue(const wchar_t* value) {
    return value && std::wcscmp(value, L"true") == 0;
}

}  // namespace UiLib
