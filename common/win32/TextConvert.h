// The suite's text conversions: UTF-16 inside, UTF-8 on the wire and in JSON,
// the ANSI code page (936 on Chinese Windows) in narrow APIs and fixed records.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// codePage CP_ACP is the system's ANSI code page; 936 names GBK explicitly.
std::wstring AnsiToWide(std::string_view text, UINT codePage = CP_ACP);
std::string WideToAnsi(std::wstring_view text, UINT codePage = CP_ACP);

// Copies text into a fixed buffer of `capacity` elements, NUL-terminated.
// Narrow text is cut at a whole character of `codePage` (a double-byte
// character is never split). Returns false when the text had to be cut.
bool CopyToFixedBuffer(std::wstring_view text, wchar_t* out, size_t capacity);
bool CopyToFixedBuffer(std::string_view text, char* out, size_t capacity, UINT codePage = CP_ACP);

// Length of a fixed NUL-terminated field that may lack its terminator.
size_t BoundedLength(const char* field, size_t capacity);
size_t BoundedLength(const wchar_t* field, size_t capacity);
