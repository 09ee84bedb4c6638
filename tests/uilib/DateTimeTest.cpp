// The date field in a real window: its text, the system picker laid over it
// when clicked, the keys that close the picker, the date written back on
// focus loss, and a field destroyed while its picker is open.
#include "UiHarness.h"
#include "controls/UIDateTime.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

using namespace UiLib;
using namespace uiharness;

namespace {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

SYSTEMTIME Date(WORD year, WORD month, WORD day) {
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    return date;
}

TEST(DateTime, TheTextIsTheDateAsYearMonthDay) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t today[32];
    swprintf(today, 32, L"%4d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    CDateTimeUI field;
    EXPECT_EQ(field.GetText().ToWideString(), std::wstring(today));  // a new field shows today

    struct Case {
        WORD year, month, day;
        const wchar_t* text;
    } cases[] = {{2013, 5, 7, L"2013-05-07"}, {999, 1, 2, L" 999-01-02"}, {2026, 12, 31, L"2026-12-31"}};
    for (const Case& c : cases) {
        SYSTEMTIME date = Date(c.year, c.month, c.day);
        field.SetTime(&date);
        EXPECT_EQ(field.GetText().ToWideString(), c.text);
    }
    EXPECT_EQ(field.GetClass(), std::wstring(L"DateTimeUI"));
    EXPECT_NE(field.GetInterface(L"Label"), nullptr);
}

class DatePicking : public ::testing::Test {
protected:
    void SetUp() override {
        CContainerUI* root = new CContainerUI;
        root->SetAttribute(L"bkcolor", L"#FFFFFFFF");
        field_ = AddFloating<CDateTimeUI>(root, L"pos=\"20,20,160,44\"");
        SYSTEMTIME date = Date(2020, 2, 29);
        field_->SetTime(&date);
        root_ = root;
        ASSERT_TRUE(window_.Show(root));
    }

    // Clicks the field and answers the picker laid over it.
    HWND Open() {
        window_.MouseMove(60, 30);
        window_.Click(60, 30);
        return field_->GetPickerWindow();
    }

    HarnessWindow window_{300, 200};
    CContainerUI* root_ = nullptr;
    CDateTimeUI* field_ = nullptr;
};

TEST_F(DatePicking, AClickLaysTheSystemPickerOverTheFieldWithItsDate) {
    HWND picker = Open();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(ClassOf(picker), L"DateTimeWnd");
    EXPECT_EQ(::GetParent(picker), window_.Hwnd());
    EXPECT_TRUE(::IsWindowVisible(picker));
    RECT rc;
    ::GetWindowRect(picker, &rc);
    ::MapWindowPoints(nullptr, window_.Hwnd(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, 20);
    EXPECT_EQ(rc.top, 20);
    EXPECT_EQ(rc.right, 160);
    EXPECT_EQ(rc.bottom, 44);
    SYSTEMTIME shown = {};
    EXPECT_EQ(::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)), GDT_VALID);
    EXPECT_EQ(shown.wYear, 2020);
    EXPECT_EQ(shown.wMonth, 2);
    EXPECT_EQ(shown.wDay, 29);
}

TEST_F(DatePicking, EscapeKeepsTheTextAndDeleteClearsItBothClosingThePicker) {
    struct Case {
        UINT key;
        const wchar_t* text;
    } cases[] = {{VK_ESCAPE, L"2020-02-29"}, {VK_DELETE, L""}};
    for (const Case& c : cases) {
        HWND picker = Open();
        ASSERT_NE(picker, nullptr);
        SYSTEMTIME other = Date(2013, 5, 7);
        ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&other));
        ::SendMessageW(picker, WM_KEYUP, c.key, 0);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(picker); }));
        EXPECT_EQ(field_->GetPickerWindow(), nullptr);
        EXPECT_EQ(field_->GetText().ToWideString(), c.text) << c.key;
        window_.Manager().SetFocus(nullptr);
    }
}

TEST_F(DatePicking, LosingTheFocusWritesTheChosenDateBack) {
    HWND picker = Open();
    ASSERT_NE(picker, nullptr);
    SYSTEMTIME chosen = Date(2013, 5, 7);
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&chosen));
    POINT away = {250, 150};
    ::ClientToScreen(window_.Hwnd(), &away);
    ::SetCursorPos(away.x, away.y);
    ::SetFocus(window_.Hwnd());
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(picker); }));
    EXPECT_EQ(field_->GetText().ToWideString(), L"2013-05-07");
}

TEST_F(DatePicking, AFieldDestroyedWhileItsPickerIsOpenTakesThePickerWithIt) {
    HWND picker = Open();
    ASSERT_NE(picker, nullptr);
    root_->Remove(field_);  // deletes the field
    field_ = nullptr;
    PumpFor(100);
    EXPECT_FALSE(::IsWindow(picker));
    window_.MouseMove(60, 30);  // and the window still works
    window_.Click(60, 30);
    window_.Capture();
}

}  // namespace
