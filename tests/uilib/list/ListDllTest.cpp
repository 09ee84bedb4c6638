// A caller of UiLib_u.dll deriving its own list, as the downloader and the
// updater do: rows reach the derived list's overrides through the imported
// interfaces, keys on a row come to its DoEvent, and selections to its
// SelectItem.
#include "controls/UIList.h"
#include "controls/UIListContainerElement.h"
#include "controls/UIListElement.h"
#include "controls/UIListHeader.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace UiLib;

namespace {

class PackagesList : public CListUI {
public:
    const wchar_t* GetClass() const override { return L"PackagesListUI"; }
    void UILIB_THISCALL DoEvent(TEventUI& event) override {
        events.push_back(event.Type);
        CListUI::DoEvent(event);
    }
    bool UILIB_THISCALL SelectItem(int index, bool takeFocus) override {
        selections.push_back(index);
        return CListUI::SelectItem(index, takeFocus);
    }
    std::vector<int> events;
    std::vector<int> selections;
};

TEST(ListThroughTheDll, DerivedListGetsItsRowsEventsAndSelections) {
    PackagesList list;
    CListContainerElementUI* first = new CListContainerElementUI;
    CListLabelElementUI* second = new CListLabelElementUI;
    ASSERT_TRUE(list.Add(first));
    ASSERT_TRUE(list.Add(second));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(static_cast<IListOwnerUI*>(&list), first->GetOwner());
    EXPECT_EQ(second->GetIndex(), 1);

    // A key a row does not use goes to its owner's DoEvent.
    TEventUI key = {};
    key.Type = UIEVENT_KEYDOWN;
    key.chKey = L'X';
    first->Event(key);
    ASSERT_EQ(list.events.size(), 1u);
    EXPECT_EQ(list.events[0], UIEVENT_KEYDOWN);

    // A press on a row selects it through the derived list, once.
    TEventUI press = {};
    press.Type = UIEVENT_BUTTONDOWN;
    second->Event(press);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(list.GetSelectItemCount(), 1);
    ASSERT_FALSE(list.selections.empty());
    EXPECT_EQ(list.selections.front(), 1);

    IListUI* asList = static_cast<IListUI*>(list.GetInterface(L"IList"));
    ASSERT_NE(asList, nullptr);
    EXPECT_TRUE(asList->SelectItem(0, false));
    EXPECT_EQ(list.GetCurSel(), 0);
    EXPECT_TRUE(second->Select(false));
}

TEST(ListThroughTheDll, BuilderKnowsTheListFamily) {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        L"<Window><List><ListHeader><ListHeaderItem text=\"Name\"/><ListHeaderItem text=\"Size\"/></ListHeader>"
        L"<ListTextElement/><ListImageTextElement/><ListContainerElement/><ListLabelElement/></List></Window>");
    ASSERT_NE(root, nullptr);
    CListUI* list = static_cast<CListUI*>(root->GetInterface(L"List"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetCount(), 4);
    EXPECT_EQ(list->GetHeader()->GetCount(), 2);
    EXPECT_EQ(list->GetListInfo()->nColumns, 2);
    const wchar_t* classes[] = {L"ListTextElementUI", L"ListImageTextElementUI", L"ListContainerElementUI",
                                L"ListLabelElementUI"};
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(list->GetItemAt(i)->GetClass(), classes[i]);
    delete root;
}

}  // namespace
