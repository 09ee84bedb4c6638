#include "win32/TextConvert.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) return {};
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::string ToNarrow(std::wstring_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) return {};
    int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

template <typename Char>
size_t Bounded(const Char* field, size_t capacity) {
    if (!field) return 0;
    size_t n = 0;
    while (n < capacity && field[n]) ++n;
    return n;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) { return ToWide(text, CP_UTF8); }
std::string WideToUtf8(std::wstring_view text) { return ToNarrow(text, CP_UTF8); }
std::wstring AnsiToWide(std::string_view text, UINT codePage) { return ToWide(text, codePage); }
std::string WideToAnsi(std::wstring_view text, UINT codePage) { return ToNarrow(text, codePage); }

bool CopyToFixedBuffer(std::wstring_view text, wchar_t* out, size_t capacity) {
    if (!out || capacity == 0) return text.empty();
    size_t count = std::min(text.size(), capacity - 1);
    std::memcpy(out, text.data(), count * sizeof(wchar_t));
    out[count] = L'\0';
    return count == text.size();
}

bool CopyToFixedBuffer(std::string_view text, char* out, size_t capacity, UINT codePage) {
    if (!out || capacity == 0) return text.empty();
    size_t count = std::min(text.size(), capacity - 1);
    if (count < text.size()) {
        // Step back to a character boundary by walking whole characters.
        size_t whole = 0;
        while (whole < count) {
            size_t step = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[whole])) ? 2 : 1;
            if (codePage == CP_UTF8) {
                unsigned char c = static_cast<unsigned char>(text[whole]);
                step = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            }
            if (whole + step > count) break;
            whole += step;
        }
        count = whole;
    }
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
    return count == text.size();
}

size_t BoundedLength(const char* field, size_t capacity) { return Bounded(field, capacity); }
size_t BoundedLength(const wchar_t* field, size_t capacity) { return Bounded(field, capacity); }
