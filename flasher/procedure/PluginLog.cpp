#include "PluginLog.h"

#include <windows.h>

void PluginLog(const std::string& line) {
    const std::string text = "Brevlin: " + line + "\n";
    OutputDebugStringA(text.c_str());
}
