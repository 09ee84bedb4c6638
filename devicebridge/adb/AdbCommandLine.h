// The adb client's front end: one adb command line (the words a user would
// type after "adb"), run in-process; what the command prints for its caller
// is appended to output.
#pragma once

#include "adb/AdbText.h"

#include <optional>
#include <string>
#include <vector>

constexpr size_t kAdbMaxWords = 10;
constexpr size_t kAdbMaxWordBytes = 255;

// Splits the line, converts each word to code page 936 and runs it. More than
// ten words, or a word over 255 bytes, runs nothing. Returns the command's
// result as AdbDispatch gives it (0 success), 1 when nothing ran.
int AdbRunCommandLine(const wchar_t* commandLine, std::string& output);

// 0 success, 1 usage error or unknown command, -1 for a failed shell and the
// commands that refuse to run.
int AdbDispatch(std::string& output, const std::vector<AdbWord>& words);
int AdbDispatchWithSerial(std::string& output, const std::optional<std::string>& serial,
                          const std::vector<AdbWord>& words);
