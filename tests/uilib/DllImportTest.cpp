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
#include "controls/UIVerticalLayout.h"

#include "ZipWriter.h"

#include <gtest/gtest.h>

#include <string>

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

// Controls of the caller's own classes, small and larger than any library
// control, made here and deleted by the library's container.
template <size_t PayloadBytes>
class PayloadControl : public CControlUI {
public:
    explicit PayloadControl(int* destroyed) : m_destroyed(destroyed) { m_payload[PayloadBytes - 1] = 'x'; }
    ~PayloadControl() override { ++*m_destroyed; }

private:
    int* m_destroyed;
    char m_payload[PayloadBytes] = {};
};

TEST(UiLibDll, CallersControlsAreFreedByTheLibrarysContainers) {
    int destroyed = 0;
    for (int round = 0; round < 3; ++round) {
        CVerticalLayoutUI* column = new CVerticalLayoutUI;
        for (int i = 0; i < 300; ++i) {
            CControlUI* control = i % 3 == 0   ? static_cast<CControlUI*>(new PayloadControl<8>(&destroyed))
                                  : i % 3 == 1 ? static_cast<CControlUI*>(new PayloadControl<20000>(&destroyed))
                                               : new CButtonUI;
            control->SetText(std::to_wstring(round * 1000 + i).c_str());
            ASSERT_TRUE(column->Add(control));
        }
        for (int i = 0; i < column->GetCount(); ++i)
            ASSERT_EQ(std::wstring(column->GetItemAt(i)->GetText()), std::to_wstring(round * 1000 + i));
        column->RemoveAll();
        EXPECT_EQ(destroyed, (round + 1) * 200);
        delete column;
    }
}

}  // namespace
