#include "phone/PhoneCommands.h"

#include <windows.h>

#include "adb/AdbCommandLine.h"
#include "base/ProgramFolder.h"

namespace {
constexpr int kDeviceRounds = 10;
}

bool FitsCommandLine(const std::wstring& line) { return line.size() < kCommandLineChars; }

bool RunAdb(const std::wstring& line, CapturedOutput& output) {
    return AdbRunCommandLine(line.c_str(), output) == 0;
}

bool WaitForListedPhone(CapturedOutput& output, unsigned pauseMs, const char* emptyRoundLine) {
    for (int round = 0; round < kDeviceRounds; ++round) {
        RunAdb(L"devices", output);
        if (!output.empty()) return true;
        if (emptyRoundLine) DebugLine(std::string(emptyRoundLine));
        Sleep(pauseMs);
    }
    return false;
}

std::wstring AdbToolFolder() { return ProgramFolderW() + L"Rirorivuvi"; }
