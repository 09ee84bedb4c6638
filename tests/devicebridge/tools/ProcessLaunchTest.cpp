// Tools and the adb server started from several threads at once: each child
// gets its own pipe end and no other's. A pipe end that leaks into another
// child keeps that pipe open as long as the other child lives.
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "AdbTestPeers.h"
#include "TestPaths.h"
#include "adb/AdbClient.h"
#include "tools/ToolRunner.h"

namespace {

TEST(ProcessLaunch, ToolsAndServerStartedAtOnceInheritNoPipeEnd) {
    AdbServerPeer peer(false);  // installed where the client looks, not started
    const std::string tool =
        "\"" + testsupport::ToAnsi(testsupport::ProgramFolder() + L"standin-tools\\linger.exe") + "\" --stray-pipes";
    // Wine gives every process a few pipe handles of its own: what a child
    // started alone holds is the baseline.
    const std::string toolAlone = RunProgram(tool).output;
    ASSERT_FALSE(toolAlone.empty());
    ASSERT_EQ(AdbLaunchServer(), 0);
    std::string output;
    const std::optional<std::string> serverAlone = AdbQueryText(AdbTarget{}, "host:stray-pipes", output);
    ASSERT_TRUE(serverAlone);
    AdbServerPeer::Stop();

    std::atomic<bool> serverRoundsDone{false};
    std::atomic<int> toolRuns{0}, toolsWithStrayPipes{0};
    std::vector<std::thread> toolThreads;
    for (int i = 0; i < 2; ++i) {
        toolThreads.emplace_back([&] {
            while (!serverRoundsDone) {
                if (RunProgram(tool).output != toolAlone) ++toolsWithStrayPipes;
                ++toolRuns;
            }
        });
    }
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(AdbLaunchServer(), 0);
        EXPECT_EQ(AdbQueryText(AdbTarget{}, "host:stray-pipes", output), serverAlone);
        AdbServerPeer::Stop();
    }
    serverRoundsDone = true;
    for (std::thread& t : toolThreads) t.join();
    EXPECT_EQ(toolsWithStrayPipes, 0);
    EXPECT_GE(toolRuns, 8);
}

}  // namespace
