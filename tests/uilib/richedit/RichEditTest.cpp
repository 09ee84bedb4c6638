// The rich edit in a real window over msftedit.dll's text services: text
// round trips, typing through WM_CHAR, the Return rules, the text limit,
// the placeholder that is painted but never stored, and the drawn text.
#include "UiHarness.h"
#include "controls/UIRichEdit.h"
#include "controls/UIRichEditHost.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

const DWORD kRed = 0xFF0000;
const DWORD kTip = 0x3366CC;

struct RichEditWindow {
    explicit RichEditWindow(const wchar_t* attributes) {
        CContainerUI* root = new CContainerUI;
        root->SetBkColor(0xFFFFFFFF);
        edit = AddFloating<CRichEditUI>(root, L"pos=\"10,10,290,110\"");
        edit->ApplyAttributeList(attributes);
        window.Manager().AddNotifier(&notifier);
        shown = window.Show(root);
        // The first paint focuses the first tab stop; tests start unfocused.
        window.Manager().SetFocus(nullptr);
        window.Settle();
    }
    void Focus() {
        edit->SetFocus();
        window.Settle();
    }
    void Type(const std::wstring& text) {
        for (wchar_t ch : text) ::PostMessageW(window.Hwnd(), WM_CHAR, ch, 1);
        window.Settle();
    }
    void PressReturn(bool ctrl) {
        HarnessWindow::SetKeyDown(VK_CONTROL, ctrl);
        ::PostMessageW(window.Hwnd(), WM_KEYDOWN, VK_RETURN, 1);
        ::PostMessageW(window.Hwnd(), WM_KEYUP, VK_RETURN, 0xC0000001);
        window.Settle();
        HarnessWindow::SetKeyDown(VK_CONTROL, false);
    }
    // Pixels of the field in `rgb` or an anti-aliased blend of it with the white ground.
    int CountColour(DWORD rgb) {
        Snapshot shot = window.Capture();
        int n = 0;
        for (int y = 12; y < 108; ++y)
            for (int x = 12; x < 288; ++x) {
                const DWORD p = shot.At(x, y);
                auto alike = [](int a, int b) { return a - b < 110 && b - a < 110; };
                n += alike(p >> 16 & 0xFF, rgb >> 16 & 0xFF) && alike(p >> 8 & 0xFF, rgb >> 8 & 0xFF) &&
                     alike(p & 0xFF, rgb & 0xFF);
            }
        return n;
    }

    HarnessWindow window{300, 120};
    RecordingNotifier notifier;
    CRichEditUI* edit = nullptr;
    bool shown = false;
};

TEST(RichEdit, TextRoundTripsThroughTheTextServices) {
    RichEditWindow w(L"");
    ASSERT_TRUE(w.shown);
    ASSERT_NE(w.edit->GetTextHost(), nullptr) << "msftedit.dll's text services are missing";
    std::wstring long300;
    for (int i = 0; i < 30; ++i) long300 += L"abcdefghij";
    const std::wstring cases[] = {L"Hello, world", L"刷机助手：备份与还原", long300, L""};
    for (const std::wstring& text : cases) {
        w.edit->SetText(text.c_str());
        EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), text);
        EXPECT_EQ(w.edit->GetTextLength(), static_cast<long>(text.size()));
    }
}

TEST(RichEdit, TypedCharactersArriveThroughTheMessageFilter) {
    RichEditWindow w(L"");
    ASSERT_TRUE(w.shown);
    w.Type(L"zz");  // not focused: the filter leaves keys alone
    EXPECT_TRUE(w.edit->GetText().IsEmpty());
    w.Focus();
    w.Type(L"ab中文");
    EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"ab中文");
    w.window.Manager().SetFocus(nullptr);
    w.Type(L"zz");
    EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"ab中文");
}

TEST(RichEdit, ReturnFollowsTheWantReturnRules) {
    struct Case {
        const wchar_t* attributes;
        bool ctrl;
        bool newLine;
    };
    const Case cases[] = {
        {L"wantreturn=\"true\" wantctrlreturn=\"false\"", false, true},
        {L"wantreturn=\"true\" wantctrlreturn=\"false\"", true, false},
        {L"wantreturn=\"false\"", false, false},
        {L"wantreturn=\"true\" wantctrlreturn=\"true\"", true, true},
    };
    for (const Case& c : cases) {
        RichEditWindow w(c.attributes);
        ASSERT_TRUE(w.shown);
        w.Focus();
        w.Type(L"x");
        w.PressReturn(c.ctrl);
        const std::wstring text = w.edit->GetText().GetData();
        EXPECT_EQ(text.size() > 1, c.newLine) << c.attributes << (c.ctrl ? " with Ctrl" : "");
        EXPECT_EQ(w.notifier.Count(L"return"), c.newLine ? 0 : 1) << c.attributes << (c.ctrl ? " with Ctrl" : "");
    }
}

TEST(RichEdit, ALimitOfZeroIsPassedOnBeforeTheTextServicesAndIsTheDefaultAfter) {
    RichEditWindow zeroBefore(L"maxchar=\"0\"");
    ASSERT_TRUE(zeroBefore.shown);
    EXPECT_EQ(zeroBefore.edit->GetLimitText(), 0);
    DWORD length = 1;
    zeroBefore.edit->GetTextHost()->TxGetMaxLength(&length);
    EXPECT_EQ(length, 0u);

    RichEditWindow five(L"maxchar=\"5\"");
    ASSERT_TRUE(five.shown);
    five.Focus();
    five.Type(L"abcdefgh");
    EXPECT_EQ(std::wstring(five.edit->GetText().GetData()), L"abcde");
    five.edit->SetAttribute(L"maxchar", L"0");
    EXPECT_EQ(five.edit->GetLimitText(), 0x7FFF);
    five.edit->GetTextHost()->TxGetMaxLength(&length);
    EXPECT_EQ(length, 0x7FFFu);
}

// In a background-transparent window the manager draws the caret, in the size
// the text services ask for; elsewhere the system caret alone takes it.
TEST(RichEdit, TheEmulatedCaretTakesItsSizeFromItsCreator) {
    for (bool transparent : {true, false}) {
        RichEditWindow w(L"");
        ASSERT_TRUE(w.shown);
        ASSERT_NE(w.edit->GetTextHost(), nullptr);
        w.window.Manager().SetBackgroundTransparent(transparent);
        const RECT before = w.window.Manager().GetCaretRect();
        w.edit->GetTextHost()->TxCreateCaret(nullptr, 3, 21);
        const RECT after = w.window.Manager().GetCaretRect();
        if (transparent) {
            EXPECT_EQ(after.right - after.left, 3);
            EXPECT_EQ(after.bottom - after.top, 21);
            w.edit->GetTextHost()->TxCreateCaret(nullptr, 0, 17);
            const RECT thin = w.window.Manager().GetCaretRect();
            EXPECT_EQ(thin.right - thin.left, ::GetSystemMetrics(SM_CXBORDER));
            EXPECT_EQ(thin.bottom - thin.top, 17);
        } else {
            EXPECT_TRUE(::EqualRect(&before, &after));
        }
        w.window.Manager().SetBackgroundTransparent(false);
    }
}

TEST(RichEdit, PlaceholderIsPaintedButNeverStored) {
    RichEditWindow w(L"tipvalue=\"Search\" tipvaluecolor=\"#FF3366CC\" textcolor=\"#FFFF0000\"");
    ASSERT_TRUE(w.shown);
    EXPECT_TRUE(w.edit->GetText().IsEmpty());
    EXPECT_EQ(w.edit->GetTextLength(), 0);
    EXPECT_GT(w.CountColour(kTip), 10);
    // Focused, the empty field shows nothing; text typed equal to the placeholder is kept.
    w.Focus();
    EXPECT_EQ(w.CountColour(kTip), 0);
    w.Type(L"Search");
    w.window.Manager().SetFocus(nullptr);
    w.window.Settle();
    w.Focus();
    EXPECT_EQ(std::wstring(w.edit->GetText().GetData()), L"Search");
}

TEST(RichEdit, TextIsDrawnInItsColour) {
    RichEditWindow w(L"textcolor=\"#FFFF0000\"");
    ASSERT_TRUE(w.shown);
    EXPECT_EQ(w.CountColour(kRed), 0);
    w.edit->SetText(L"WWWW MMMM");
    EXPECT_TRUE(PumpUntil([&w] { return w.CountColour(kRed) > 20; }, 1000));
    // Pure black becomes the nearest colour that is not black.
    EXPECT_EQ(CTxtWinHost::ToTextColor(0xFF000000), RGB(0, 0, 1));
}

TEST(RichEdit, BuiltFromASkinElement) {
    CDialogBuilder builder;
    CControlUI* control =
        builder.Create(L"<Window><RichEdit name=\"Notes\" wanttab=\"false\" readonly=\"true\"/></Window>");
    ASSERT_NE(control, nullptr);
    CRichEditUI* edit = static_cast<CRichEditUI*>(control->GetInterface(L"RichEdit"));
    ASSERT_NE(edit, nullptr);
    EXPECT_STREQ(edit->GetClass(), L"RichEditUI");
    EXPECT_FALSE(edit->GetAttribute(L"wanttab").bValue);
    EXPECT_TRUE(edit->IsReadOnly());
    EXPECT_TRUE(edit->GetHostStyle() & ES_READONLY);
    delete control;
}

}  // namespace
