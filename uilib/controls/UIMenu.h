// CMenuUI: the list at the root of a menu window. It holds only menu
// elements, shows no header, and sizes itself to its visible items so the
// window can be fitted around it.
#pragma once
#include "controls/UIList.h"

namespace UiLib {

class UILIB_API CMenuUI : public CListUI {
public:
    CMenuUI();
    ~CMenuUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    // Widest visible item by the sum of the visible items' heights.
    SIZE EstimateSize(SIZE szAvailable) override;

    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;

private:
    // Sub-items show in their own window, never inside this menu.
    static void HideSubItems(CControlUI* element);
};

// True when the control is a menu element.
bool IsMenuElement(CControlUI* control);

}  // namespace UiLib
