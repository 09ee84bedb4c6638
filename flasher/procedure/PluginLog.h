// The plug-in's log lines, sent to the debugger output.
#pragma once

#include <string>

void PluginLog(const std::string& line);
