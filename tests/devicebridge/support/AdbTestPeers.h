// Peers for the adb client's tests: the stand-in adb server program, run
// with a scratch phone folder and scenario, and a scripted raw server that
// answers fixed bytes and records what the client sent.
#pragma once

#include "TestPaths.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Runs an adb command line through the in-process client; returns its output.
std::string RunClientCommand(const std::wstring& commandLine);
using testsupport::ReadFileBytes;
std::string Utf8(const std::wstring& text);

class AdbServerPeer {
public:
    // Puts the peer where the client looks for its server and points it at
    // a fresh phone folder; started=false leaves starting it to the client.
    explicit AdbServerPeer(bool started = true);
    ~AdbServerPeer();

    void SetScenario(const std::string& text);
    // The phone's file for a phone path such as "/sdcard/a.txt".
    std::wstring PhoneFile(const std::wstring& phonePath) const;
    std::vector<std::string> Requests() const;
    void ClearRequests();
    static bool Running();
    static void Stop();

private:
    testsupport::ScratchDir dir_;
};

class ScriptedServer {
public:
    // Listens on the adb port; every connection gets the reply bytes at once
    // (or nothing when silent) and its received bytes are kept.
    explicit ScriptedServer(std::string reply, bool silent = false);
    ~ScriptedServer();
    std::string Received();  // everything the first connection sent, once it closed
    int Connections() const { return connections_; }

private:
    void Serve();
    std::string reply_;
    bool silent_;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<bool> done_{false};
    std::string received_;
    unsigned long long listener_;
    std::thread thread_;
};
