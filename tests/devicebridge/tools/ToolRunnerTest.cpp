// The process runner against the tool stand-ins: what it captures, where it
// runs a tool from, and how it reports what it cannot start.
#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "tools/DeviceConsole.h"
#include "base/BridgeUtil.h"
#include "TestPaths.h"
#include "tools/ToolRunner.h"
#include "win32/TextConvert.h"
#include "ToolStandIns.h"

namespace {

std::wstring g_lastAlert;
int g_alerts = 0;
void RecordAlert(const wchar_t* text) {
    g_lastAlert = text;
    ++g_alerts;
}

class ToolRunner : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = SetToolRunnerAlert(&RecordAlert);
        g_alerts = 0;
        g_lastAlert.clear();
    }
    void TearDown() override { SetToolRunnerAlert(previous_); }

    // Waits for a tool started without reading its output to log its call.
    std::vector<std::string> CallsWithin(DWORD ms) {
        for (DWORD waited = 0; tools.Calls().empty() && waited < ms; waited += 50) Sleep(50);
        return tools.Calls();
    }

    ToolStandIns tools;
    ToolRunnerAlert previous_ = nullptr;
};

TEST_F(ToolRunner, CapturesEveryByteOverSeveralBlocks) {
    // 10000 bytes: several reads of at most 4095 bytes, each appended exactly.
    std::string reply;
    for (int i = 0; i < 10000; ++i) reply += static_cast<char>(1 + i % 250);
    const std::string small = "Driver is running.\r\n";
    tools.Reply("devcon_x64", "big", reply);
    tools.Reply("devcon_x64", "small", small);
    EXPECT_EQ(RunToolCommand(DevconLine(true, L"big")), reply);
    EXPECT_EQ(RunToolCommand(DevconLine(true, L"small")), small);
    EXPECT_EQ(RunToolCommand(DevconLine(false, L"silent")), "");
    EXPECT_EQ(tools.Calls(), (std::vector<std::string>{"devcon_x64 big", "devcon_x64 small", "devcon_x86 silent"}));
    EXPECT_EQ(g_alerts, 0);
}

TEST_F(ToolRunner, WithoutReadingTheToolStillRuns) {
    tools.Reply("devcon_x64", "", "ignored output\r\n");
    EXPECT_EQ(RunToolCommand(DevconLine(true, L"rescan"), false), "");
    EXPECT_EQ(CallsWithin(5000), (std::vector<std::string>{"devcon_x64 rescan"}));
}

TEST_F(ToolRunner, ErrorStreamIsCapturedAndAMissingFolderRunsNoTool) {
    std::string output = RunToolCommand(ToolLineInFolder(tools.Dir().File(L"no such folder"), L"devcon_x64 rescan"));
    EXPECT_FALSE(output.empty()) << "cmd's complaint on its error stream";
    EXPECT_TRUE(tools.Calls().empty());
    EXPECT_EQ(g_alerts, 0);
}

TEST_F(ToolRunner, ToolFolderWithBlanksAmpersandPercentOnAnotherDrive) {
    // The scratch folder lies on the system drive; tests run from the build's drive.
    const std::wstring names[] = {L"with blanks", L"R&D tools", L"50%PATH%off", L"%TEMP%"};
    for (const std::wstring& name : names) {
        std::wstring folder = tools.Dir().File(name);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(AndroidToolFolder() + L"\\devcon_x86.exe", folder + L"\\devcon_x86.exe");
    }
    for (const std::wstring& name : names)
        RunToolCommand(ToolLineInFolder(tools.Dir().File(name), L"devcon_x86 from " + std::wstring(name.size(), L'x')));
    std::vector<std::string> expected;
    for (const std::wstring& name : names) expected.push_back("devcon_x86 from " + std::string(name.size(), 'x'));
    EXPECT_EQ(tools.Calls(), expected);
}

TEST_F(ToolRunner, ProcessThatCannotStartIsReportedOnceAndGivesEmptyText) {
    // Longer than any command line Windows accepts.
    EXPECT_EQ(RunToolCommand(L"echo " + std::wstring(40000, L'x')), "");
    EXPECT_EQ(g_alerts, 1);
    EXPECT_EQ(g_lastAlert, L"CreateProcess Failed!");
}

TEST_F(ToolRunner, DirectRunWithoutInterpreterCapturesAndFailsQuietly) {
    tools.Reply("devcon_x86", "", "package: name='x'\n");
    std::string program = "\"" + WideToAnsi(AndroidToolFolder()) + "\\devcon_x86.exe\" d badging";
    EXPECT_EQ(RunProgram(program).output, "package: name='x'\n");
    EXPECT_EQ(RunProgram("\"" + WideToAnsi(tools.Dir().File(L"missing.exe")) + "\"").output, "");
    EXPECT_EQ(g_alerts, 0);
}

TEST_F(ToolRunner, AProcessLeftRunningWithThePipeDoesNotKeepTheCallerWaiting) {
    // The background process inherits the pipe's write end and outlives the
    // command; the runner returns once the command itself has ended.
    DWORD start = GetTickCount();
    std::string output = RunToolCommand(L"start /b linger 30000 & echo done");
    EXPECT_LT(GetTickCount() - start, 15000u);
    EXPECT_NE(output.find("done"), std::string::npos) << output;
}

TEST_F(ToolRunner, OverlappingRunsEachGetTheirOwnOutput) {
    tools.Reply("devcon_x64", "one", std::string(6000, '1'));
    tools.Reply("devcon_x86", "two", std::string(5000, '2'));
    std::string first, second;
    for (int round = 0; round < 3; ++round) {
        std::thread other([&] { second = RunToolCommand(DevconLine(false, L"two")); });
        first = RunToolCommand(DevconLine(true, L"one"));
        other.join();
        EXPECT_EQ(first, std::string(6000, '1'));
        EXPECT_EQ(second, std::string(5000, '2'));
    }
}

}  // namespace
