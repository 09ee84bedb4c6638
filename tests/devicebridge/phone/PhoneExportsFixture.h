// What the phone export tests share: Hemlar.dll loaded by name, the stand-in
// adb server with a scenario, the devcon stand-ins, and small file helpers.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AdbTestPeers.h"
#include "HemlarLibrary.h"
#include "ToolStandIns.h"

class PhoneExportsTest : public ::testing::Test {
protected:
    // Binds an export; the test fails when the name is missing.
    template <typename Fn>
    Fn Export(const char* name) {
        Fn fn = hemlar_.Get<Fn>(name);
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }

    // Scenario lines after the default serial.
    void Phone(const std::string& lines) { peer_.SetScenario("serial=HEMLAR0001\n" + lines); }
    // For each (scenario, result): the phone follows the scenario and the call
    // returns the result.
    void ExpectForEachScenario(const std::vector<std::pair<std::string, int>>& cases, const std::function<int()>& call);
    // Writes a file on the phone, creating its folders.
    void PutOnPhone(const std::wstring& phonePath, const std::string& bytes);
    // Requests the server received that begin with prefix.
    std::vector<std::string> RequestsStartingWith(const std::string& prefix) const;

    HemlarLibrary hemlar_;
    AdbServerPeer peer_;
    ToolStandIns tools_;
};

// The last line of a list, or "" for an empty one.
std::string Last(const std::vector<std::string>& lines);
// A file in the test program's folder (the program folder the bridge uses).
std::wstring ProgramFile(const std::wstring& name);
