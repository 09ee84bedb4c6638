#include "core/base/UiString.h"

#include <cstdarg>
#include <cstdlib>
#include <cwchar>

namespace UiLib {

namespace {
const wchar_t* OrEmpty(const wchar_t* text) { return text ? text : L""; }
}  // namespace

CUiString::CUiString() : m_pstr(m_szBuffer) { m_szBuffer[0] = L'\0'; }

CUiString::CUiString(const wchar_t* text, int length) : CUiString() { Assign(text, length); }

CUiString::CUiString(wchar_t ch) : CUiString() {
    m_szBuffer[0] = ch;
    m_szBuffer[1] = L'\0';
}

CUiString::CUiString(const CUiString& other) : CUiString() { Assign(other.m_pstr); }

CUiString::~CUiString() {
    if (OnHeap()) free(m_pstr);
}

void CUiString::Empty() {
    if (OnHeap()) free(m_pstr);
    m_pstr = m_szBuffer;
    m_szBuffer[0] = L'\0';
}

int CUiString::GetLength() const { return static_cast<int>(wcslen(m_pstr)); }

void CUiString::Assign(const wchar_t* text, int length) {
    text = OrEmpty(text);
    // A given length never reads past the text's terminator.
    length = static_cast<int>(length < 0 ? wcslen(text) : wcsnlen(text, static_cast<size_t>(length)));
    if (length > MAX_LOCAL_STRING_LEN) {
        if (!OnHeap() || GetLength() < length) {
            wchar_t* block = static_cast<wchar_t*>(malloc((static_cast<size_t>(length) + 1) * sizeof(wchar_t)));
            if (!block) return;
            wmemcpy(block, text, length);
            block[length] = L'\0';
            if (OnHeap()) free(m_pstr);
            m_pstr = block;
            return;
        }
        wmemmove(m_pstr, text, length);
    } else {
        if (OnHeap()) {
            wmemcpy(m_szBuffer, text, length);
            free(m_pstr);
            m_pstr = m_szBuffer;
        } else {
            wmemmove(m_szBuffer, text, length);
        }
    }
    m_pstr[length] = L'\0';
}

void CUiString::Append(const wchar_t* text) {
    text = OrEmpty(text);
    size_t oldLength = wcslen(m_pstr);
    size_t added = wcslen(text);
    size_t newLength = oldLength + added;
    if (newLength <= MAX_LOCAL_STRING_LEN) {
        wmemmove(m_szBuffer + oldLength, text, added + 1);
        return;
    }
    // Growth is to the exact size; a source inside this string must be
    // copied before the block moves.
    std::wstring saved;
    if (text >= m_pstr && text <= m_pstr + oldLength) {
        saved.assign(text, added);
        text = saved.c_str();
    }
    size_t bytes = (newLength + 1) * sizeof(wchar_t);
    if (OnHeap()) {
        wchar_t* block = static_cast<wchar_t*>(realloc(m_pstr, bytes));
        if (!block) return;
        m_pstr = block;
    } else {
        wchar_t* block = static_cast<wchar_t*>(malloc(bytes));
        if (!block) return;
        wmemcpy(block, m_szBuffer, oldLength);
        m_pstr = block;
    }
    wmemcpy(m_pstr + oldLength, text, added);
    m_pstr[newLength] = L'\0';
}

CUiString& CUiString::operator=(const CUiString& other) {
    if (this != &other) Assign(other.m_pstr);
    return *this;
}

CUiString& CUiString::operator=(const wchar_t* text) {
    Assign(text);
    return *this;
}

CUiString& CUiString::operator=(wchar_t ch) {
    Assign(&ch, 1);
    return *this;
}

CUiString& CUiString::operator+=(const CUiString& other) {
    Append(other.m_pstr);
    return *this;
}

CUiString& CUiString::operator+=(const wchar_t* text) {
    Append(text);
    return *this;
}

CUiString& CUiString::operator+=(wchar_t ch) {
    const wchar_t text[2] = {ch, L'\0'};
    Append(text);
    return *this;
}

CUiString CUiString::operator+(const CUiString& other) const { return *this + other.m_pstr; }

CUiString CUiString::operator+(const wchar_t* text) const {
    CUiString result(*this);
    result.Append(text);
    return result;
}

int CUiString::Compare(const wchar_t* text) const { return wcscmp(m_pstr, OrEmpty(text)); }

int CUiString::CompareNoCase(const wchar_t* text) const { return _wcsicmp(m_pstr, OrEmpty(text)); }

CUiString CUiString::Left(int count) const {
    int length = GetLength();
    if (count < 0) count = 0;
    if (count > length) count = length;
    return CUiString(m_pstr, count);
}

CUiString CUiString::Mid(int index, int count) const {
    int length = GetLength();
    if (index < 0 || index >= length) return CUiString();
    int remaining = length - index;
    if (count < 0 || count > remaining) count = remaining;
    return CUiString(m_pstr + index, count);
}

int CUiString::Find(const wchar_t* text, int start) const {
    if (start < 0 || start > GetLength()) return -1;
    const wchar_t* found = wcsstr(m_pstr + start, OrEmpty(text));
    return found ? static_cast<int>(found - m_pstr) : -1;
}

int CUiString::Replace(const wchar_t* from, const wchar_t* to) {
    from = OrEmpty(from);
    to = OrEmpty(to);
    size_t fromLength = wcslen(from);
    if (fromLength == 0) return 0;
    std::wstring result;
    int count = 0;
    const wchar_t* cursor = m_pstr;
    while (const wchar_t* hit = wcsstr(cursor, from)) {
        result.append(cursor, hit);
        result.append(to);
        cursor = hit + fromLength;
        ++count;
    }
    if (count == 0) return 0;
    result.append(cursor);
    Assign(result.c_str(), static_cast<int>(result.size()));
    return count;
}

// wvsprintfW writes at most 1024 characters and a terminator, so it always
// formats into a full-size buffer; SmallFormat then keeps only what fits its
// 64-character limit instead of letting the formatter run past it.
int CUiString::FormatInto(int keep, const wchar_t* format, va_list args) {
    wchar_t buffer[1025];
    buffer[0] = L'\0';
    buffer[1024] = L'\0';
    wvsprintfW(buffer, OrEmpty(format), args);
    // The count is what the buffer really holds: a truncated result may be
    // reported as longer than what was written.
    int written = static_cast<int>(wcslen(buffer));
    if (written > keep) written = keep;
    Assign(buffer, written);
    return written;
}

int CUiString::Format(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int written = FormatInto(1024, format, args);
    va_end(args);
    return written;
}

int CUiString::SmallFormat(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int written = FormatInto(63, format, args);
    va_end(args);
    return written;
}

std::string CUiString::ToNarrowString() const {
    if (IsEmpty()) return std::string();
    int size = WideCharToMultiByte(CP_THREAD_ACP, 0, m_pstr, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, m_pstr, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

}  // namespace UiLib
