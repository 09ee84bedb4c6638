// CTabLayoutUI: shows exactly one of its children (a page) at a time, filling
// its inset rectangle with it. Selecting another page hides the others,
// moves the focus and sends "tabselect" (wParam new index, lParam old).
#pragma once
#include "core/manager/UIContainer.h"

namespace UiLib {

class UILIB_API CTabLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    int GetCurSel() const { return m_iCurSel; }
    // Virtual so that a page switch through a plain tab-layout pointer (a
    // bound button, say) still slides an animated tab layout.
    virtual bool SelectItem(int index);
    bool SelectItem(CControlUI* page);

protected:
    int m_iCurSel = -1;
};

}  // namespace UiLib
