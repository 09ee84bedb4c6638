// The log file the updater, the downloader and the plug-in share:
// "logs\myeasylog.log" under the folder a program names, written through
// easyloggingpp at debug level. Every line also goes to the debugger output,
// so a line logged before the file is opened is not lost to a debugger.
#pragma once

#include <string>
#include <string_view>

namespace programlog {

// "<folder>logs\myeasylog.log"; `folder` ends in a backslash.
std::wstring LogFileIn(const std::wstring& folder);

// Opens (appending) the log file under `folder`, creating "logs". Safe to
// call again: later lines go to the file named last.
void Open(const std::wstring& folder);

// One line of the default logger. The text is UTF-8 (the file's encoding),
// wide, or in the ANSI code page.
void Line(std::string_view utf8);
void Line(std::wstring_view text);
void AnsiLine(std::string_view ansi);

// One line of the named logger (the downloader's start line goes to "trivial").
void LineOf(const char* logger, std::string_view utf8);

}  // namespace programlog
