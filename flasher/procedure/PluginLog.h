// The plug-in's log lines (ANSI text), written to the program log once the
// plug-in has opened it, and to the debugger output.
#pragma once

#include <string>

void PluginLog(const std::string& line);
