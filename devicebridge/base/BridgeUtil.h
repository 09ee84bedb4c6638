// The bridge's shared utilities: captured tool or adb output as a narrow
// string, marker tests on it, debug lines and copies into the caller's
// fixed-size buffers.
#pragma once

#include <cstddef>
#include <string>

// Captured output of one call: the bytes the tools printed. The phone's own
// text (adb's output) is UTF-8; Windows tools print in the ANSI code page.
using CapturedOutput = std::string;

// A marker counts wherever it stands in the text, also inside a longer word.
bool HasMarker(const std::string& output, const char* marker);

// Debug lines go only to the debugger.
void DebugLine(const std::string& line);
void DebugLine(const std::wstring& line);

// Size of the text buffers callers pass (in characters).
constexpr size_t kCallerBufferChars = 260;

// Copies text into a caller buffer of `capacity` characters, cut to
// capacity - 1 and NUL-terminated.
void CopyToCallerBuffer(const std::wstring& text, wchar_t* out, size_t capacity = kCallerBufferChars);
void CopyToCallerBuffer(const std::string& text, char* out, size_t capacity = kCallerBufferChars);

