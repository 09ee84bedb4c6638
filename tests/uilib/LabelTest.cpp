// Labels and texts in real windows: alignment flags, size estimates, the text
// drawn in its colours, effect text, and links that send "link".
#include "UiHarness.h"
#include "controls/UIText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

TEST(Label, AlignmentAttributesSetAndClearTheDrawTextFlags) {
    struct Case {
        const wchar_t* attributes;
        UINT expected;
    } cases[] = {
        {L"", DT_VCENTER},
        {L"align=\"center\"", DT_VCENTER | DT_CENTER},
        {L"valign=\"vcenter\" align=\"right\"", DT_VCENTER | DT_RIGHT},  // right drops the single line
        {L"align=\"center\" align=\"left\"", DT_VCENTER},
        {L"valign=\"top\"", DT_SINGLELINE},
        {L"valign=\"bottom\" endellipsis=\"true\"", DT_BOTTOM | DT_SINGLELINE | DT_END_ELLIPSIS},
        {L"endellipsis=\"true\" endellipsis=\"yes\"", DT_VCENTER},
    };
    for (const Case& c : cases) {
        CLabelUI label;
        label.ApplyAttributeList(c.attributes);
        EXPECT_EQ(label.GetTextStyle(), c.expected) << c.attributes;
    }
    CTextUI text;
    EXPECT_EQ(text.GetTextStyle(), static_cast<UINT>(DT_WORDBREAK));
    EXPECT_EQ(text.GetTextPadding().left, 2);
    EXPECT_EQ(text.GetTextPadding().right, 2);
}

TEST(Label, EstimatesFontHeightPlusFourAndMeasuresItsWidthWhenAsked) {
    CLabelUI loose;  // no manager: no DC to measure with, and no crash
    loose.ApplyAttributeList(L"autocalcwidth=\"true\" text=\"abc\"");
    EXPECT_EQ(loose.EstimateSize(SIZE{100, 100}).cx, 0);

    HarnessWindow window(300, 100);
    CContainerUI* root = new CContainerUI;
    CLabelUI* fixed = AddFloating<CLabelUI>(root, L"pos=\"0,0,50,0\" text=\"x\"");
    CLabelUI* measured =
        AddFloating<CLabelUI>(root, L"pos=\"0,30,0,50\" text=\"Hello 你好\" autocalcwidth=\"true\" textpadding=\"5,0,5,0\"");
    ASSERT_TRUE(window.Show(root));

    const TEXTMETRICW& tm = window.Manager().GetDefaultFontInfo()->tm;
    SIZE fixedSize = fixed->EstimateSize(SIZE{300, 100});
    EXPECT_EQ(fixedSize.cx, 50);
    EXPECT_EQ(fixedSize.cy, tm.tmHeight + 4);

    HDC dc = window.Manager().GetPaintDC();
    HGDIOBJ old = ::SelectObject(dc, window.Manager().GetDefaultFontInfo()->hFont);
    SIZE extent = {};
    ::GetTextExtentPoint32W(dc, L"Hello 你好", 8, &extent);
    ::SelectObject(dc, old);
    SIZE measuredSize = measured->EstimateSize(SIZE{300, 100});
    EXPECT_EQ(measuredSize.cx, extent.cx + 10);
    EXPECT_EQ(measured->GetFixedWidth(), extent.cx + 10);
    EXPECT_EQ(measuredSize.cy, 20);
}

TEST(Label, DrawsItsTextInTheStateColourAndNothingWithEffectsOn) {
    HarnessWindow window(300, 120);
    CContainerUI* root = new CContainerUI;
    root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
    const wchar_t* common = L"text=\"HHHH IIII 标签\" textcolor=\"#FFFF0000\" disabledtextcolor=\"#FF0000FF\"";
    CLabelUI* enabled = AddFloating<CLabelUI>(root, L"pos=\"10,10,200,30\"");
    CLabelUI* disabled = AddFloating<CLabelUI>(root, L"pos=\"10,40,200,60\" enabled=\"false\"");
    CLabelUI* effect = AddFloating<CLabelUI>(root, L"pos=\"10,70,200,90\"");
    for (CLabelUI* label : {enabled, disabled, effect}) label->ApplyAttributeList(common);
    effect->SetAttribute(L"enabledeffect", L"true");
    effect->SetText(L"effect text");
    ASSERT_TRUE(window.Show(root));
    Snapshot shot = window.Capture();

    EXPECT_GT(CountTinted(shot, RECT{10, 10, 200, 30}, 16), 20);
    EXPECT_EQ(CountTinted(shot, RECT{10, 10, 200, 30}, 0), 0);
    EXPECT_GT(CountTinted(shot, RECT{10, 40, 200, 60}, 0), 20);
    EXPECT_EQ(CountTinted(shot, RECT{10, 70, 200, 90}, 16), 0);  // effects draw nothing
    // While effects are on the text operations use the effect text.
    EXPECT_EQ(effect->GetText().ToWideString(), L"effect text");
    effect->SetAttribute(L"enabledeffect", L"false");
    EXPECT_EQ(effect->GetText().ToWideString(), L"HHHH IIII 标签");
}

TEST(Text, ReleasingOverALinkSendsLinkWithItsIndexAndElsewhereNothing) {
    HarnessWindow window(400, 200);
    CContainerUI* root = new CContainerUI;
    root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
    CTextUI* text = AddFloating<CTextUI>(
        root, L"pos=\"10,10,390,60\" showhtml=\"true\" text=\"{a first}First{/a} plain words {a second}Second{/a}\"");
    std::wstring many;
    for (int i = 0; i < 10; ++i) many += L"{a l" + std::to_wstring(i) + L"}L" + std::to_wstring(i) + L"{/a} ";
    CTextUI* crowded = AddFloating<CTextUI>(root, L"pos=\"10,100,390,190\" showhtml=\"true\"");
    crowded->SetText(many.c_str());
    RecordingNotifier notifier;
    window.Manager().AddNotifier(&notifier);
    ASSERT_TRUE(window.Show(root));

    ASSERT_EQ(text->GetLinkCount(), 2);
    EXPECT_EQ(text->GetLinkContent(1).ToWideString(), L"second");
    EXPECT_EQ(text->GetControlFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));
    EXPECT_EQ(crowded->GetLinkCount(), 8);  // the capacity caps the links found

    // Along the middle of the first line: the first link at its start, the
    // second somewhere after the plain words.
    const int lineY = 10 + window.Manager().GetDefaultFontInfo()->tm.tmHeight / 2;
    auto linkAt = [&](int x) -> int {
        notifier.entries.clear();
        window.MouseMove(x, lineY);
        window.MouseDown(x, lineY);
        window.MouseUp(x, lineY);
        for (const auto& entry : notifier.entries)
            if (entry.type == L"link") return static_cast<int>(entry.wParam);
        return -1;
    };
    EXPECT_EQ(linkAt(15), 0);
    EXPECT_EQ(notifier.Count(L"link"), 1);
    bool secondFound = false;
    for (int x = 60; x < 390 && !secondFound; x += 3) secondFound = linkAt(x) == 1;
    EXPECT_TRUE(secondFound);

    notifier.entries.clear();
    window.MouseDown(380, 55);  // past the end of the text
    window.MouseUp(380, 55);
    EXPECT_EQ(notifier.Count(L"link"), 0);
}

}  // namespace
