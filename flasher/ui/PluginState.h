// What the plug-in's page and its worker threads share for the process: the
// program folder, the phone the main program reported and the device
// bridge's entry points. Written on the UI thread; workers get copies.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "HemlarEntries.h"

struct PluginState {
    std::wstring exeFolder;  // the main program's folder, with a trailing backslash
    bool connected = false;
    std::string recoveryUrl;
    int phoneTypeId = 0;
    int sid = 0;
    std::shared_ptr<const HemlarEntries> hemlar;
    std::shared_ptr<std::atomic<bool>> installing = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<bool>> flashing = std::make_shared<std::atomic<bool>>(false);

    static PluginState& Get();
    // Remembers the folder of the running program.
    static void CaptureExeFolder();
};
