// The device console tool (devcon) shipped in two builds in the program
// folder's "AndroidTool" folder, and the test that picks the build.
#pragma once

#include <string>

// True when the machine's processor is x64 or Itanium: devcon_x64 is used then.
bool IsSystem64();

// The program folder's "AndroidTool" folder, without a trailing backslash.
std::wstring AndroidToolFolder();

// The command line that runs devcon's x64 or x86 build with the given
// arguments from the tool folder.
std::wstring DevconLine(bool x64, const std::wstring& arguments);

// Runs devcon (the build for this machine) and returns what it printed.
std::string RunDevcon(const std::wstring& arguments);

// A text in double quotes; a null text counts as empty.
std::wstring Quoted(const wchar_t* text);

// Arguments that install a driver from an INF for a hardware id: the x64
// build installs with reboot option, the x86 build updates.
std::wstring InstallDriverArguments(bool x64, const wchar_t* infPath, const wchar_t* hardwareId);
