#include "PluginLog.h"

#include "log/ProgramLog.h"

void PluginLog(const std::string& line) { programlog::AnsiLine(line); }
