// Drives the tool stand-ins (devcon, getmac, netstat, taskkill) from a test:
// sets their replies, puts the system-tool stand-ins in front of PATH and
// reads back the calls they logged. One object per test; it restores the
// environment when it goes away.
#pragma once

#include <string>
#include <vector>

#include "TestPaths.h"

class ToolStandIns {
public:
    ToolStandIns();
    ~ToolStandIns();
    ToolStandIns(const ToolStandIns&) = delete;
    ToolStandIns& operator=(const ToolStandIns&) = delete;

    // The tool prints `reply` (bytes as given) when `pattern` stands in its
    // arguments; earlier replies are tried first, "" matches every call.
    void Reply(const std::string& tool, const std::string& pattern, const std::string& reply);

    // "<tool> <arguments>" per call, in order.
    std::vector<std::string> Calls() const;

    const testsupport::ScratchDir& Dir() const { return dir_; }

private:
    testsupport::ScratchDir dir_;
    std::wstring oldPath_;
};
