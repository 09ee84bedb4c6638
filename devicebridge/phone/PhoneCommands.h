// How the phone exports run adb: command lines through the in-process client
// into one captured output, and the wait for a listed phone that several of
// them start with.
#pragma once

#include <string>

#include "base/BridgeUtil.h"

// Size of the buffers the exports format command lines into; a longer line is
// not run.
constexpr size_t kCommandLineChars = 260;

bool FitsCommandLine(const std::wstring& line);

// Appends what the command prints to output; true when the command succeeded.
bool RunAdb(const std::wstring& line, CapturedOutput& output);

// Runs "devices" into output up to ten times until it lists a phone, sleeping
// pauseMs after each empty round (and writing emptyRoundLine to the debugger
// when given). The list stays in output. False after ten empty rounds.
bool WaitForListedPhone(CapturedOutput& output, unsigned pauseMs, const char* emptyRoundLine = nullptr);

// The program folder's "Rirorivuvi" folder (the adb tools), without a
// trailing backslash.
std::wstring AdbToolFolder();
