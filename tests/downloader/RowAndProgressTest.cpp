// The row texts of the download list and the smooth progress control, on a
// harness window for the control's timer.
#include "UiHarness.h"
#include "ui/FakeProgressUI.h"
#include "ui/RowTexts.h"

#include "core/manager/UIManager.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;

namespace {

struct SpeedCase {
    double mibPerSecond;
    const wchar_t* text;
};

class SpeedTextTest : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(SpeedTextTest, FormatsBySize) {
    EXPECT_EQ(GetParam().text, SpeedText(GetParam().mibPerSecond * 1048576.0));
}

INSTANTIATE_TEST_SUITE_P(Table, SpeedTextTest,
                         ::testing::Values(SpeedCase{0.0, L""}, SpeedCase{0.0005, L""}, SpeedCase{0.001, L""},
                                           SpeedCase{0.5, L"  512 KB/s"}, SpeedCase{0.9995, L" 1023 KB/s"},
                                           SpeedCase{1.0, L" 1.00 MB/s"}, SpeedCase{2.0, L" 2.00 MB/s"},
                                           SpeedCase{123.456, L"123.46 MB/s"}));

TEST(RowTextTest, SizeStatusAndButtonPictures) {
    EXPECT_EQ(L"1.50M/10.00M", SizeText(1.5 * 1048576, 10 * 1048576));
    EXPECT_EQ(L"0.00M/0.00M", SizeText(0, 0));
    EXPECT_EQ("4.00M", DoneSizeText(4 * 1048576));
    EXPECT_STREQ(L"任务等待", StatusText(-1));
    EXPECT_STREQ(L"正在下载", StatusText(0));
    EXPECT_STREQ(L"任务暂停", StatusText(1));
    EXPECT_STREQ(L"下载完成", StatusText(3));
    EXPECT_STREQ(L"资源出错", StatusText(4));
    EXPECT_EQ(nullptr, StatusText(2));
    EXPECT_EQ(nullptr, StatusText(5));

    EXPECT_STREQ(L".\\images-downslistitem\\RunButton.jpg", StatusButtonImagesFor(0).normal);
    EXPECT_STREQ(L".\\images-downslistitem\\PauseButton.jpg", StatusButtonImagesFor(0).hot);
    EXPECT_STREQ(L".\\images-downslistitem\\PauseButton.jpg", StatusButtonImagesFor(1).normal);
    EXPECT_STREQ(L".\\images-downslistitem\\ErrorButton.png", StatusButtonImagesFor(4).normal);
    EXPECT_STREQ(L".\\images-downslistitem\\NoneButton.png", StatusButtonImagesFor(5).normal);
    EXPECT_STREQ(L"", StatusButtonImagesFor(2).normal);

    const wchar_t* normal = nullptr;
    const wchar_t* hot = nullptr;
    ASSERT_TRUE(InstallButtonImagesFor(0, normal, hot));
    EXPECT_STREQ(L".\\images-downslistitem\\InstallRomButton-n.png", normal);
    ASSERT_TRUE(InstallButtonImagesFor(2, normal, hot));
    EXPECT_STREQ(L".\\images-downslistitem\\InstallAppButton-h.png", hot);
    EXPECT_FALSE(InstallButtonImagesFor(-1, normal, hot));
}

// Counts the step timer's events it receives.
class CountingProgress : public CFakeProgressUI {
public:
    CountingProgress(unsigned period, bool showText, bool hideWhenFull) : CFakeProgressUI(period, showText, hideWhenFull) {}
    void DoEvent(TEventUI& event) override {
        if (event.Type == UIEVENT_TIMER && event.wParam == kTimerId) ++steps;
        CFakeProgressUI::DoEvent(event);
    }
    int steps = 0;
};

class FakeProgressTest : public ::testing::Test {
protected:
    CountingProgress* Make(unsigned period, int max, int value) {
        auto* progress = new CountingProgress(period, true, true);
        progress->ApplyAttributeList(L"float=\"true\" pos=\"10,10,190,30\"");
        progress->SetMaxValue(max);
        progress->SetValue(value);
        root_->Add(progress);
        return progress;
    }
    void SetUp() override {
        root_ = new CContainerUI;
        ASSERT_TRUE(window_.Show(root_));
    }
    uiharness::HarnessWindow window_;
    CContainerUI* root_ = nullptr;
};

TEST_F(FakeProgressTest, StartingTwiceArmsOneTimer) {
    CountingProgress* progress = Make(40, 1000, 0);
    progress->Start();
    progress->Start();
    EXPECT_TRUE(progress->IsStarted());
    uiharness::PumpFor(600);
    EXPECT_GT(progress->steps, 3);
    EXPECT_LE(progress->steps, 17) << "about one step per period";
    EXPECT_EQ(progress->steps, progress->GetValue()) << "one value per step";
}

TEST_F(FakeProgressTest, FillsUpShowsThePercentageAndHidesWhenFull) {
    CountingProgress* progress = Make(16, 5, 0);
    progress->Start();
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !progress->IsVisible(); }, 3000));
    EXPECT_EQ(5, progress->GetValue());
    EXPECT_EQ(L"100%", std::wstring(progress->GetText()));
}

TEST_F(FakeProgressTest, AFullBarAtItsFirstStepOnlyShowsTextAndHides) {
    CountingProgress* progress = Make(16, 40, 40);
    progress->Start();
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !progress->IsVisible(); }, 3000));
    EXPECT_EQ(40, progress->GetValue());
    EXPECT_EQ(L"100%", std::wstring(progress->GetText()));
    EXPECT_EQ(1, progress->steps);
}

TEST_F(FakeProgressTest, AnEmptyRangeDoesNotDivide) {
    CountingProgress* progress = Make(16, 0, 0);
    EXPECT_EQ(L"0%", progress->PercentText());
    progress->Start();
    // The painted bar keeps its maximum above its minimum: it fills and hides.
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !progress->IsVisible(); }, 3000));
}

TEST_F(FakeProgressTest, DestroyingARunningBarStopsItsTimer) {
    CountingProgress* progress = Make(16, 1000, 0);
    progress->Start();
    uiharness::PumpFor(100);
    root_->Remove(progress);  // destroys it; a timer left armed would reach freed memory
    uiharness::PumpFor(200);
    SUCCEED();
}

}  // namespace
