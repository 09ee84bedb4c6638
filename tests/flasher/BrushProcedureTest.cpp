// The flashing procedure against fixture scripts run by the real command
// interpreter, the scripts' adb stand-in and a scripted device bridge: the
// steps it raises for scripts in order, stopping half-way or reporting a
// failure, and the checks that refuse to start.
#include "BrushProcedure.h"
#include "FlashFixtures.h"
#include "FlashSteps.h"
#include "TestPaths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

int g_phoneState = 2;
int g_root = 1;
int __cdecl FakeIsConnectPhone() { return g_phoneState; }
int __cdecl FakeAdbPushFile(const wchar_t*) { return 1; }
int __cdecl FakeIsPhoneRoot() { return g_root; }

class RecordingPage : public IBrushPage {
public:
    void StepRaised(int, int current, bool) override { steps.push_back(current); }
    void PushPercentage(const std::string& text) override { percentages.push_back(text); }
    int ProgressValue() override { return value; }
    int ProgressMaximum() override { return 1000; }
    void ProgressStepToward(int target) override {
        if (value < target) ++value;
    }
    void SetCreepPeriod(UINT milliseconds) override { periods.push_back(milliseconds); }

    std::vector<int> steps;
    std::vector<std::string> percentages;
    std::vector<UINT> periods;
    int value = 1;
};

class BrushProcedureTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_phoneState = 2;
        g_root = 1;
        scripts_ = dir_.Path() + L"Rirorivuvi\\";
        std::filesystem::create_directories(scripts_ + L"adb");
        CopyFileW((testsupport::ProgramFolder() + L"Rirorivuvi\\adb\\Kovi_adb.exe").c_str(),
                  (scripts_ + L"adb\\Kovi_adb.exe").c_str(), FALSE);
        SetEnvironmentVariableW(L"TORVANIK_STANDIN_DIR", dir_.Path().c_str());
        const std::string pushOutput = "%%\r\nPushing   50.00%\r\nPushing  100.00%\r\ndone....\r\n";
        testsupport::WriteFileBytes(dir_.File(L"Kovi_adb.scenario"),
                                    "push\n" + std::to_string(pushOutput.size()) + "\n" + pushOutput);
        rom_ = dir_.File(L"我的 ROM&100%.zip");
        testsupport::WriteFileBytes(rom_, flashfixtures::RomPackage("cancro", "MI 4LTE"));
        hemlar_ = std::make_shared<HemlarEntries>();
        hemlar_->isConnectPhone = &FakeIsConnectPhone;
        hemlar_->adbPushFile = &FakeAdbPushFile;
        hemlar_->isPhoneRoot = &FakeIsPhoneRoot;
    }
    void TearDown() override { SetEnvironmentVariableW(L"TORVANIK_STANDIN_DIR", nullptr); }

    BrushSettings Settings() const {
        BrushSettings settings;
        settings.exeFolder = dir_.Path();
        settings.romPath = rom_;
        settings.recoveryUrl = "http://127.0.0.1/recovery.zip";
        settings.hemlar = hemlar_;
        settings.recoveryPollMs = 10;
        settings.recoveryPolls = 3;
        settings.probePauseMs = 1;
        settings.settleMs = 1;
        settings.fillStepMs = 0;
        settings.successPauseMs = 0;
        return settings;
    }

    int Run(const flashfixtures::Scripts& scripts) {
        flashfixtures::WriteScripts(scripts_, scripts);
        BrushProcedure procedure(Settings(), page_);
        return procedure.Run();
    }

    std::string Calls() const { return testsupport::ReadFileBytes(dir_.File(L"calls.log")); }

    testsupport::ScratchDir dir_;
    std::wstring scripts_, rom_;
    std::shared_ptr<HemlarEntries> hemlar_;
    RecordingPage page_;
};

TEST_F(BrushProcedureTest, ScriptsInOrderEndInSuccess) {
    EXPECT_EQ(flashsteps::kSucceeded, Run(flashfixtures::InOrder()));
    ASSERT_FALSE(page_.steps.empty());
    EXPECT_EQ(flashsteps::kSucceeded, page_.steps.back());
    // The procedure's own steps come in their places; the step never raises 9.
    // (wipe.bat's markers arrive in one read, which goes straight to the highest.)
    for (int step : {2, 4, 5, 10, 11}) {
        EXPECT_NE(page_.steps.end(), std::find(page_.steps.begin(), page_.steps.end(), step)) << step;
    }
    EXPECT_EQ(page_.steps.end(), std::find(page_.steps.begin(), page_.steps.end(), flashsteps::kPushing));
    EXPECT_EQ(1, std::count(page_.steps.begin(), page_.steps.end(), flashsteps::kSucceeded));
    // The push line, exactly, and the ROM path intact for the flashing script.
    // The stand-in records its command line in UTF-8.
    EXPECT_NE(std::string::npos,
              Calls().find("Kovi_adb push \"" + std::filesystem::path(rom_).u8string() + "\" /sdcard/update.zip\n"));
    std::string argument = testsupport::ReadFileBytes(scripts_ + L"rom_arg.txt");
    argument.erase(argument.find_last_not_of("\r\n ") + 1);
    EXPECT_EQ("\"" + testsupport::ToAnsi(rom_) + "\"", argument);
    ASSERT_FALSE(page_.percentages.empty());
    EXPECT_FLOAT_EQ(100.0f, std::stof(page_.percentages.back()));
    // The push creep is never 0 ms, even for a small ROM.
    ASSERT_FALSE(page_.periods.empty());
    EXPECT_GT(page_.periods.front(), 0u);
}

TEST_F(BrushProcedureTest, ScriptStoppingHalfWayEndsInAnError) {
    EXPECT_EQ(flashsteps::kScriptsUnfinished, Run(flashfixtures::StoppingHalfWay()));
    EXPECT_EQ(flashsteps::kScriptsUnfinished, page_.steps.back());
    EXPECT_TRUE(testsupport::PathExists(scripts_ + L"wiped.txt"));
}

TEST_F(BrushProcedureTest, FailureMarkerEndsTheRunThere) {
    EXPECT_EQ(16, Run(flashfixtures::ZipMissing()));
    EXPECT_EQ(16, page_.steps.back());
    EXPECT_EQ(1, std::count(page_.steps.begin(), page_.steps.end(), 16));
    EXPECT_FALSE(testsupport::PathExists(scripts_ + L"wiped.txt"));
}

TEST_F(BrushProcedureTest, MissingScriptsRefuseAtOnce) {
    flashfixtures::Scripts scripts = flashfixtures::InOrder();
    flashfixtures::WriteScripts(scripts_, scripts);
    DeleteFileW((scripts_ + L"wipe.bat").c_str());
    BrushProcedure procedure(Settings(), page_);
    EXPECT_EQ(flashsteps::kScriptsMissing, procedure.Run());
    EXPECT_EQ(std::vector<int>{flashsteps::kScriptsMissing}, page_.steps);
    EXPECT_EQ("", Calls());
}

TEST_F(BrushProcedureTest, MissingBridgeRefusesWithItsOwnText) {
    hemlar_->isConnectPhone = nullptr;
    EXPECT_EQ(flashsteps::kBridgeMissing, Run(flashfixtures::InOrder()));
    EXPECT_EQ(std::vector<int>{flashsteps::kBridgeMissing}, page_.steps);
    EXPECT_EQ("", Calls());
}

TEST_F(BrushProcedureTest, AScriptThatCannotStartEndsTheRun) {
    // rec.bat takes the flashing script away before it is started.
    flashfixtures::Scripts scripts = flashfixtures::InOrder();
    scripts.rec = "@del \"%~dp0push_brush.bat\"\r\n" + scripts.rec;
    EXPECT_EQ(flashsteps::kScriptNotStarted, Run(scripts));
    EXPECT_EQ(flashsteps::kScriptNotStarted, page_.steps.back());
    EXPECT_FALSE(testsupport::PathExists(scripts_ + L"wiped.txt"));
}

TEST_F(BrushProcedureTest, APushThatCannotStartEndsTheRun) {
    DeleteFileW((scripts_ + L"adb\\Kovi_adb.exe").c_str());
    EXPECT_EQ(flashsteps::kPushFailed, Run(flashfixtures::InOrder()));
    EXPECT_EQ(flashsteps::kPushFailed, page_.steps.back());
}

TEST_F(BrushProcedureTest, LiveDdLineNeedsRoot) {
    flashfixtures::Scripts scripts = flashfixtures::InOrder();
    scripts.rec += "%adb% shell su -c \"dd if=%rec_sd% of=/dev/block/recovery\"\r\n";
    g_root = 0;
    EXPECT_EQ(flashsteps::kRootNeeded, Run(scripts));
    EXPECT_EQ(std::vector<int>{flashsteps::kRootNeeded}, page_.steps);
}

TEST_F(BrushProcedureTest, CommentedDdLineNeedsNoRoot) {
    flashfixtures::Scripts scripts = flashfixtures::InOrder();
    scripts.rec += "::%adb% shell su -c \"dd if=%rec_sd% of=/dev/block/recovery\"\r\n";
    g_root = 0;
    EXPECT_EQ(flashsteps::kSucceeded, Run(scripts));
}

TEST_F(BrushProcedureTest, PhoneThatNeverReachesRecoveryEndsInAnError) {
    g_phoneState = 1;
    EXPECT_EQ(flashsteps::kRecoveryUnreached, Run(flashfixtures::InOrder()));
    EXPECT_EQ(std::string::npos, Calls().find("push"));
}

TEST_F(BrushProcedureTest, WithoutAPushTargetTheScriptPushesItself) {
    flashfixtures::Scripts scripts = flashfixtures::InOrder();
    scripts.push.replace(scripts.push.find("set sdZip="), 2, "::");
    g_phoneState = 1;  // no recovery wait happens at all
    EXPECT_EQ(flashsteps::kSucceeded, Run(scripts));
    EXPECT_EQ(std::string::npos, Calls().find("push"));
    EXPECT_TRUE(testsupport::PathExists(scripts_ + L"rom_arg.txt"));
}

}  // namespace
