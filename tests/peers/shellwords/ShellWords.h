// Splitting a phone shell command line into words, shared by the adb peers
// (the Windows stand-in server and the native scripted device).
#pragma once

#include <string>
#include <vector>

// Splits a shell command line the way sh would for plain words, quotes and
// backslash escapes.
std::vector<std::string> ShellWords(const std::string& line);
