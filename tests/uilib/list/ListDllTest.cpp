// A caller of UiLib_u.dll deriving its own list, as the downloader and the
// updater do: rows reach the derived list's overrides through the imported
// interfaces, keys on a row come to its DoEvent, and selections to its
// SelectItem.
#include "UiHarness.h"
#include "controls/UIList.h"
#include "controls/UIListContainerElement.h"
#include "controls/UIListElement.h"
#include "controls/UIListHeader.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

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

std::vector<int> Selection(CListUI& list) {
    std::vector<int> indices;
    for (int i = list.GetNextSelItem(-1); i >= 0; i = list.GetNextSelItem(i)) indices.push_back(i);
    return indices;
}

// SelectItem on a derived list: a request for no row, a hidden, disabled or
// missing row is refused and leaves the selection as it was; a selectable
// row replaces it. Each accepted request sends one "itemselect", a refused
// one none.
TEST(ListThroughTheDll, SelectItemKeepsTheSelectionWhenItRefuses) {
    struct Case {
        const char* name;
        std::vector<int> before;
        int index;
        bool result;
        std::vector<int> after;
    } cases[] = {
        {"no row", {1}, -1, false, {1}},
        {"no row with several selected", {1, 2}, -1, false, {1, 2}},
        {"no row with nothing selected", {}, -1, false, {}},
        {"a disabled row", {1}, 3, false, {1}},
        {"a hidden row", {1}, 4, false, {1}},
        {"past the end", {1}, 9, false, {1}},
        {"another row", {1, 2}, 0, true, {0}},
        {"the selected row again", {1}, 1, true, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HarnessWindow window(200, 150);
        RecordingNotifier notifier;
        window.Manager().AddNotifier(&notifier);
        PackagesList* list = new PackagesList;
        for (int i = 0; i < 5; ++i) {
            CListLabelElementUI* row = new CListLabelElementUI;
            row->SetFixedHeight(20);
            list->Add(row);
        }
        ASSERT_TRUE(window.Show(list));
        list->GetItemAt(3)->SetEnabled(false);
        list->GetItemAt(4)->SetVisible(false);
        for (size_t i = 0; i < c.before.size(); ++i)
            ASSERT_TRUE(i == 0 ? list->SelectItem(c.before[i], false) : list->SelectMultiItem(c.before[i], false));
        notifier.entries.clear();

        EXPECT_EQ(list->SelectItem(c.index, false), c.result);
        EXPECT_EQ(Selection(*list), c.after);
        EXPECT_EQ(notifier.Count(L"itemselect"), c.result ? 1 : 0);
        for (int i = 0; i < list->GetCount(); ++i) {
            bool selected = static_cast<IListItemUI*>(list->GetItemAt(i)->GetInterface(L"ListItem"))->IsSelected();
            bool expected = false;
            for (int s : c.after) expected = expected || s == i;
            EXPECT_EQ(selected, expected) << "row " << i;
        }
    }
}

}  // namespace
