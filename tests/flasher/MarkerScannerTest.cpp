// The marker table of the flashing scripts: which chunk of output moves the
// flash to which step, what is raised, and what percentage text is read.
#include "FlashSteps.h"
#include "MarkerScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    int start;
    std::vector<std::string> chunks;
    int step;          // the step after the last chunk
    int raises;        // how many chunks raised the step
    std::string percentage;  // the last percentage text, if any
};

class MarkerTable : public ::testing::TestWithParam<Case> {};

TEST_P(MarkerTable, MovesAndRaises) {
    const Case& c = GetParam();
    MarkerScanner scanner(c.start);
    int raises = 0;
    std::string percentage;
    for (const std::string& chunk : c.chunks) {
        const MarkerScanner::Result result = scanner.Feed(chunk);
        if (result.raise) ++raises;
        if (result.percentage) percentage = result.percentageText;
    }
    EXPECT_EQ(c.step, scanner.Current());
    EXPECT_EQ(c.raises, raises);
    EXPECT_EQ(c.percentage, percentage);
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, MarkerTable,
    ::testing::Values(
        Case{"TwoMarkersInOneChunkGoToTheHigher", 1, {"brush-bat-begin---\r\nbrush-bat+push-zip-done+++\r\n"}, 10, 1, ""},
        Case{"LowerMarkerIsIgnored", 6, {"rec-bat-end===\r\n"}, 6, 0, ""},
        Case{"SameMarkerTwiceRaisesOnce", 1, {"rec-bat-begin---\n", "rec-bat-begin---\n"}, 2, 1, ""},
        Case{"DoublePercentMovesToPushingSilently", 5, {"100%%\n"}, 9, 0, "100%%\n"},
        Case{"PercentChunksWhilePushing", 5, {"%%", "Pushing   45.50%\n", "Pushing   99.00%\n"}, 9, 0, "  99.00%\n"},
        Case{"PercentNearTheStartStartsAtTheChunk", 9, {"7%\n"}, 9, 0, "7%\n"},
        Case{"ZipMissingFails", 6, {"brush-bat+zip-missing+++\n"}, 16, 1, ""},
        Case{"LupMissingFails", 6, {"brush-bat+lup-missing+++\n"}, 15, 1, ""},
        Case{"RecoveryMissingFails", 1, {"cloud+recovery-missing+++\n"}, 17, 1, ""},
        Case{"Success", 13, {"brush-bat-end===\n"}, 14, 1, ""},
        Case{"MarkerSplitAcrossChunks", 5, {std::string(4090, 'x') + "brush-bat", "+push-lup-done+++\n"}, 8, 1, ""},
        Case{"SplitDoublePercent", 5, {"copying 5%", "%\n"}, 9, 0, "%\n"},
        Case{"NoMarkerNoMove", 3, {"just some output\n"}, 3, 0, ""}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(FlashSteps, PresentationFollowsTheStep) {
    EXPECT_EQ(L"准备体验", flashsteps::Title(13));
    EXPECT_EQ(L"images/FlashingGif-6-relive.gif", flashsteps::Animation(13));
    EXPECT_EQ(L"正在清理", flashsteps::Title(90));
    EXPECT_EQ(L"images/FlashingGif-5-wipe.gif", flashsteps::Animation(80));
    EXPECT_EQ(L"正在刷机", flashsteps::Title(9));
    EXPECT_EQ(L"准备刷机", flashsteps::Title(3));
    EXPECT_EQ(L"等待设备", flashsteps::Title(1));
    EXPECT_DOUBLE_EQ(0.98, flashsteps::TargetFraction(12));
    EXPECT_DOUBLE_EQ(1.0, flashsteps::TargetFraction(15));
    EXPECT_DOUBLE_EQ(0.86, flashsteps::TargetFraction(5));
    EXPECT_DOUBLE_EQ(0.33, flashsteps::TargetFraction(0));
}

TEST(FlashSteps, ResultTexts) {
    EXPECT_EQ(L"恭喜，设备已完成刷机！", flashsteps::ResultText(13));
    EXPECT_EQ(L"恭喜，设备已完成刷机！", flashsteps::ResultText(14));
    EXPECT_EQ(L"请先ROOT！", flashsteps::ResultText(80));
    EXPECT_EQ(L"刷机方案下载失败，请稍后重试！", flashsteps::ResultText(90));
    EXPECT_EQ(L"", flashsteps::ResultText(50));
}

// Each way a flash can fail says what went wrong: no failure borrows the
// download failure's text, and every one ends the run with the error look.
TEST(FlashSteps, EachFailureHasItsOwnText) {
    struct Failure {
        int step;
        const wchar_t* text;
    };
    const Failure failures[] = {
        {15, L"ROM包已损坏"},
        {16, L"请检查ROM包路径"},
        {17, L"没有刷机方案，请在首页提交申请"},
        {flashsteps::kRootNeeded, L"请先ROOT！"},
        {flashsteps::kScriptsMissing, L"刷机方案下载失败，请稍后重试！"},
        {flashsteps::kBridgeMissing, L"缺少刷机组件，请重新安装本软件后重试！"},
        {flashsteps::kRecoveryUnreached, L"手机未能进入刷机环境，请重新连接手机后重试！"},
        {flashsteps::kScriptNotStarted, L"刷机脚本无法启动，请重新安装本软件后重试！"},
        {flashsteps::kScriptsUnfinished, L"刷机脚本意外结束，刷机未完成，请重试！"},
        {flashsteps::kPushFailed, L"ROM包推送失败，请重新连接手机后重试！"},
        {flashsteps::kRecoveryDamaged, L"本地刷机方案已损坏，请删除后重试！"},
    };
    std::vector<std::wstring> seen;
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.step);
        EXPECT_EQ(failure.text, flashsteps::ResultText(failure.step));
        EXPECT_TRUE(flashsteps::IsFailure(failure.step));
        EXPECT_EQ(L"正在清理", flashsteps::Title(failure.step));
        EXPECT_EQ(L"images/FlashingGif-5-wipe.gif", flashsteps::Animation(failure.step));
        EXPECT_EQ(seen.end(), std::find(seen.begin(), seen.end(), failure.text));
        seen.push_back(failure.text);
    }
}

}  // namespace
