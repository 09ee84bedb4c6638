// The folder of the calling process's executable, with a trailing backslash.
// Every relative path of the bridge (tools, scripts, data files) hangs on it;
// it is the program's folder, not this library's.
#pragma once

#include <string>

std::wstring ProgramFolderW();
// The same folder in the ANSI code page, for the narrow paths.
std::string ProgramFolderA();
