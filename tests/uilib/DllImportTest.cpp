// The same types used through UiLib_u.dll, as the downloader, updater and
// plug-in use them: imported classes, functions and a delegate template
// derived in the caller.
#include "core/base/Delegate.h"
#include "core/markup/Markup.h"
#include "core/markup/SkinZip.h"
#include "core/base/StdStringPtrMap.h"
#include "core/base/UiString.h"
#include "controls/UIDateTime.h"
#include "controls/UIGifAnim.h"
#include "controls/UIOption.h"
#include "controls/UISlider.h"
#include "controls/UIText.h"

#include "ZipWriter.h"

#include <gtest/gtest.h>

using namespace UiLib;

namespace {

struct Frame {
    int clicks = 0;
    bool OnClick(TNotifyUI&, long) {
        ++clicks;
        return true;
    }
};

TEST(UiLibDll, ImportedTypesWork) {
    CUiString text(std::wstring(80, L'x').c_str());
    text += L"y";
    EXPECT_EQ(text.GetLength(), 81);

    CStdStringPtrMap map;
    EXPECT_TRUE(map.Insert(L"name", &map));
    EXPECT_EQ(map.Find(L"name"), &map);

    CMarkup markup(L"<Window><Button name=\"ok\"/></Window>");
    ASSERT_TRUE(markup.IsValid());
    EXPECT_STREQ(markup.Root().Child().AttributeValue(L"name"), L"ok");

    std::string zip = testsupport::BuildZip({testsupport::ZipItem{"a.xml", "<a/>"}});
    HZIP archive = OpenZipArchive(ZIP_MEMORY, zip.data(), static_cast<DWORD>(zip.size()));
    ASSERT_NE(archive, nullptr);
    char out[4];
    EXPECT_EQ(ExtractZipEntry(archive, 0, out, 4, ZIP_MEMORY), ZR_OK);
    EXPECT_EQ(CloseZipArchive(archive), ZR_OK);

    Frame frame;
    CEventSource source;
    source += CDelegate<Frame, Frame, long>(&frame, &Frame::OnClick, 0L, L"click");
    TNotifyUI click{};
    click.sType = L"click";
    EXPECT_TRUE(source(click));
    EXPECT_EQ(frame.clicks, 1);
}

// A control of the caller's own, derived from an imported one.
class CountingButton : public CButtonUI {
public:
    bool Activate() override {
        ++activations;
        return CButtonUI::Activate();
    }
    int activations = 0;
};

TEST(UiLibDll, ImportedControlsWork) {
    CCheckBoxUI box;
    box.SetCheck(true);
    EXPECT_TRUE(box.GetCheck());
    EXPECT_STREQ(box.GetClass(), L"CheckBoxUI");

    CProgressUI bar;
    bar.SetMaxValue(500);
    bar.SetAttribute(L"value", L"250");
    EXPECT_EQ(bar.GetMaxValue(), 500);
    EXPECT_EQ(bar.GetValue(), 250);

    CountingButton button;
    EXPECT_TRUE(button.Activate());  // no manager: succeeds without sending
    EXPECT_EQ(button.activations, 1);
    EXPECT_NE(button.GetInterface(L"Button"), nullptr);

    CSliderUI slider;
    CTextUI text;
    CDateTimeUI date;
    CGifAnimUI gif;
    EXPECT_STREQ(slider.GetClass(), L"SliderUI");
    EXPECT_STREQ(text.GetClass(), L"TextUI");
    EXPECT_STREQ(date.GetClass(), L"DateTimeUI");
    EXPECT_STREQ(gif.GetClass(), L"GifAnimUI");
}

}  // namespace
