// Callers of UiLib_u.dll make edits and combos and use them through the
// imported classes, as the downloader and the updater do.
#include "controls/UICombo.h"
#include "controls/UIEdit.h"
#include "controls/UIListElement.h"

#include <gtest/gtest.h>

using namespace UiLib;

namespace {

TEST(EditAndComboThroughTheDll, ImportedClassesWork) {
    CEditUI edit;
    edit.SetAttribute(L"maxchar", L"12");
    edit.SetText(L"设备");
    EXPECT_STREQ(edit.GetClass(), L"EditUI");
    EXPECT_EQ(edit.GetMaxChar(), 12);
    EXPECT_EQ(edit.GetText().ToWideString(), L"设备");

    CComboBoxUI combo;
    for (const wchar_t* text : {L"官方", L"测试"}) {
        CListLabelElementUI* row = new CListLabelElementUI;
        row->SetText(text);
        ASSERT_TRUE(combo.Add(row));
    }
    EXPECT_STREQ(combo.GetClass(), L"ComboBoxUI");
    EXPECT_TRUE(combo.SelectItem(1));
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(combo.GetText().ToWideString(), L"测试");
    IListOwnerUI* owner = static_cast<IListOwnerUI*>(combo.GetInterface(L"IListOwner"));
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->GetCurSel(), 1);
}

}  // namespace
