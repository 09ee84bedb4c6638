// The bridge's one process runner: starts a command line with a hidden window
// and captures its standard output and error through a pipe.
#pragma once

#include <string>

// Runs `cmd /C <commandLine>`. With readOutput the text printed until the
// command ended is returned (a process it left running in the background does
// not keep the caller waiting); without it the output is dropped. A pipe or process that cannot be created
// is reported through the failure alert and gives empty text.
std::string RunToolCommand(const std::wstring& commandLine, bool readOutput = true);

// A direct run: what the program printed and, when that is nothing, why.
struct ProgramRun {
    std::string output;
    unsigned long launchError = 0;  // the system error when it could not be started
    unsigned long exitCode = 0;     // its exit code; STILL_ACTIVE (259) while it runs on
};

// Runs a narrow command line directly (no command interpreter); failures give
// empty output without an alert.
ProgramRun RunProgram(const std::string& commandLine);

// "cd /d "<folder>" && <command>": runs a tool from its own folder, also when
// the folder holds blanks, "&" or "%", or lies on another drive.
std::wstring ToolLineInFolder(const std::wstring& folder, const std::wstring& command);

// The runner tells the user when it cannot start a tool: by default a warning
// message box on the calling thread. Tests replace it so nothing blocks; a
// null handler restores the message box. Returns the previous handler.
using ToolRunnerAlert = void (*)(const wchar_t* text);
ToolRunnerAlert SetToolRunnerAlert(ToolRunnerAlert alert);
