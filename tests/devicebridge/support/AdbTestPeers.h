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
    // and the server closes its side, or, when silent, gets nothing and the
    // connection stays open. What each connection sent is kept.
    explicit ScriptedServer(std::string reply, bool silent = false);
    // The reply, then after a pause the later bytes, and the server closes
    // its side (a phone that answers late, or a connection that dies).
    ScriptedServer(std::string reply, std::string later, unsigned laterAfterMs);
    ~ScriptedServer();
    std::string Received();  // everything the first connection sent, once it closed
    int Connections() const { return connections_; }

private:
    void Start();
    void Serve();
    std::string reply_;
    bool silent_;
    std::string later_;
    unsigned laterAfterMs_ = 0;
    bool hangUp_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::atomic<bool> done_{false};
    std::string received_;
    unsigned long long listener_;
    std::thread thread_;
};
