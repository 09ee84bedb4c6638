// The animated GIF control in a real window: each frame drawn as stb_image
// decodes it, frame delays and wrap-around, timers that start and stop with
// visibility, and pictures that cannot animate.
#include "PngWriter.h"
#include "TestPaths.h"
#include "UiHarness.h"
#include "controls/UIGifAnim.h"

#include <gtest/gtest.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

// The committed three-frame, 8 x 8 GIF; its delays are 5, 0 and 10 hundredths.
const std::wstring kGifName = L"three-frames.gif";

// stb_image's reading of the same file: frame count, then 0x00RRGGBB pixels per frame.
struct DecodedGif {
    int frames = 0, width = 0, height = 0;
    std::vector<std::vector<DWORD>> pixels;
};

DecodedGif DecodeWithStb(const std::string& bytes) {
    DecodedGif gif;
    int* delays = nullptr;
    int comp = 0;
    stbi_uc* data = stbi_load_gif_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                              static_cast<int>(bytes.size()), &delays, &gif.width, &gif.height,
                                              &gif.frames, &comp, 4);
    if (!data) return gif;
    const size_t frameSize = static_cast<size_t>(gif.width) * gif.height;
    for (int f = 0; f < gif.frames; ++f) {
        std::vector<DWORD> frame(frameSize);
        for (size_t i = 0; i < frameSize; ++i) {
            const stbi_uc* p = data + (f * frameSize + i) * 4;
            frame[i] = (DWORD(p[0]) << 16) | (DWORD(p[1]) << 8) | p[2];
        }
        gif.pixels.push_back(frame);
    }
    stbi_image_free(data);
    stbi_image_free(delays);
    return gif;
}

class GifPlaying : public ::testing::Test {
protected:
    void SetUp() override {
        std::string bytes = testsupport::ReadFileBytes(testsupport::ProgramFolder() + L"fixtures\\" + kGifName);
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(testsupport::WriteFileBytes(dir_.File(kGifName), bytes));
        decoded_ = DecodeWithStb(bytes);
        ASSERT_EQ(decoded_.frames, 3);
        ASSERT_TRUE(testsupport::WritePng(dir_.File(L"still.png"), 6, 6, std::vector<uint32_t>(36, 0xFF00FF00)));
        CPaintManagerUI::SetResourceZip(L"");
        CPaintManagerUI::SetResourcePath(dir_.Path().c_str());
        root_ = new CContainerUI;
        root_->SetAttribute(L"bkcolor", L"#FFFFFFFF");
    }

    CGifAnimUI* Add(const wchar_t* attributes) { return AddFloating<CGifAnimUI>(root_, attributes); }

    // Pixels of the 8 x 8 area at 20,20 differing from stb's frame.
    int Mismatches(int frame) {
        Snapshot shot = window_.Capture();
        int wrong = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) wrong += shot.At(20 + x, 20 + y) != decoded_.pixels[frame][y * 8 + x];
        return wrong;
    }

    static void Tick(CGifAnimUI* gif) {
        TEventUI event = {};
        event.Type = UIEVENT_TIMER;
        event.pSender = gif;
        event.wParam = CGifAnimUI::GIF_TIMER_ID;
        gif->Event(event);
    }

    testsupport::ScratchDir dir_;
    DecodedGif decoded_;
    HarnessWindow window_{200, 150};
    CContainerUI* root_ = nullptr;
};

TEST_F(GifPlaying, EachTimerEventShowsTheNextFrameAsStbDecodesIt) {
    CGifAnimUI* gif = Add(L"pos=\"20,20,0,0\" bkimage=\"three-frames.gif\" autosize=\"true\" autoplay=\"false\"");
    ASSERT_TRUE(window_.Show(root_));
    EXPECT_EQ(gif->GetFixedWidth(), 8);  // the picture's own size
    EXPECT_EQ(gif->GetFixedHeight(), 8);
    ASSERT_EQ(gif->GetFrameCount(), 3u);
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(gif->FrameDelay(0), 50u);
    EXPECT_EQ(gif->FrameDelay(1), 100u);  // a delay of 0 shows for 100 ms
    EXPECT_EQ(gif->FrameDelay(2), 100u);

    const int expected[] = {0, 1, 2, 0, 1};  // wraps after the last frame
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(gif->GetCurrentFrame(), static_cast<UINT>(expected[step]));
        EXPECT_EQ(Mismatches(expected[step]), 0) << "frame " << expected[step];
        window_.Manager().SetTimer(gif, CGifAnimUI::GIF_TIMER_ID, 100000);  // as while playing
        Tick(gif);
    }
}

TEST_F(GifPlaying, PlaysOnItsTimerAndStopsWhenHiddenOrGivenANewPicture) {
    CGifAnimUI* gif = Add(L"pos=\"20,20,28,28\" bkimage=\"three-frames.gif\"");
    ASSERT_TRUE(window_.Show(root_));
    EXPECT_TRUE(gif->IsPlaying());
    EXPECT_TRUE(PumpUntil([&] { return gif->GetCurrentFrame() == 2; }));

    gif->SetVisible(false);
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(gif->GetCurrentFrame(), 0u);
    PumpFor(200);
    EXPECT_EQ(gif->GetCurrentFrame(), 0u);  // hidden: no frames advance
    gif->SetVisible(true);
    EXPECT_TRUE(gif->IsPlaying());

    gif->SetBkImage(L"three-frames.gif");  // the same name changes nothing
    EXPECT_TRUE(gif->IsPlaying());
    gif->SetBkImage(L"still.png");
    EXPECT_FALSE(gif->IsPlaying());
    EXPECT_EQ(gif->GetFrameCount(), 0u);  // loaded at the next paint
}

TEST_F(GifPlaying, PicturesThatCannotAnimateShowStillWithoutATimer) {
    CGifAnimUI* still = Add(L"pos=\"20,20,26,26\" bkimage=\"still.png\"");
    CGifAnimUI* missing = Add(L"pos=\"40,20,60,40\" bkimage=\"nothing-here.gif\"");
    ASSERT_TRUE(window_.Show(root_));
    EXPECT_FALSE(still->IsPlaying());
    EXPECT_LE(still->GetFrameCount(), 1u);
    EXPECT_FALSE(missing->IsPlaying());
    Tick(still);  // a stray timer event neither steps nor divides by zero
    Tick(missing);
    Snapshot shot = window_.Capture();
    EXPECT_EQ(shot.At(22, 22), 0x00FF00u);
    EXPECT_EQ(shot.At(50, 30), 0xFFFFFFu);
    EXPECT_EQ(still->GetCurrentFrame(), 0u);

    // A missing file is looked for again at every paint.
    std::string bytes = testsupport::ReadFileBytes(dir_.File(kGifName));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir_.File(L"nothing-here.gif"), bytes));
    missing->SetAttribute(L"autoplay", L"false");
    window_.Capture();
    EXPECT_EQ(missing->GetFrameCount(), 3u);
    EXPECT_FALSE(missing->IsPlaying());
}

}  // namespace
