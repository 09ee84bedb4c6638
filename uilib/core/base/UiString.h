// CUiString: the library's UTF-16 string. Texts of up to 62 characters live in
// an inline buffer, longer ones in a heap block sized exactly to the text.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>

#include <string>

namespace UiLib {

class UILIB_API CUiString {
public:
    enum { MAX_LOCAL_STRING_LEN = 62 };

    CUiString();
    CUiString(const wchar_t* text, int length = -1);
    CUiString(wchar_t ch);
    CUiString(const CUiString& other);
    ~CUiString();

    void Empty();
    bool IsEmpty() const { return m_pstr[0] == L'\0'; }
    int GetLength() const;
    const wchar_t* GetData() const { return m_pstr; }
    operator const wchar_t*() const { return m_pstr; }
    wchar_t GetAt(int index) const { return m_pstr[index]; }
    wchar_t operator[](int index) const { return m_pstr[index]; }

    void Assign(const wchar_t* text, int length = -1);
    void Append(const wchar_t* text);

    CUiString& operator=(const CUiString& other);
    CUiString& operator=(const wchar_t* text);
    CUiString& operator=(wchar_t ch);
    CUiString& operator+=(const CUiString& other);
    CUiString& operator+=(const wchar_t* text);
    CUiString& operator+=(wchar_t ch);
    CUiString operator+(const CUiString& other) const;
    CUiString operator+(const wchar_t* text) const;

    bool operator==(const wchar_t* text) const { return Compare(text) == 0; }
    bool operator!=(const wchar_t* text) const { return Compare(text) != 0; }
    int Compare(const wchar_t* text) const;
    int CompareNoCase(const wchar_t* text) const;

    CUiString Left(int count) const;
    CUiString Mid(int index, int count = -1) const;
    int Find(const wchar_t* text, int start = 0) const;
    int Replace(const wchar_t* from, const wchar_t* to);

    int __cdecl Format(const wchar_t* format, ...);
    int __cdecl SmallFormat(const wchar_t* format, ...);

    std::wstring ToWideString() const { return std::wstring(m_pstr); }
    std::string ToNarrowString() const;

private:
    bool OnHeap() const { return m_pstr != m_szBuffer; }
    int FormatInto(int keep, const wchar_t* format, va_list args);

    wchar_t* m_pstr;
    wchar_t m_szBuffer[MAX_LOCAL_STRING_LEN + 2];
};

}  // namespace UiLib
