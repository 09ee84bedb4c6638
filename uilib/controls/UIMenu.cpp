#include "controls/UIMenu.h"

#include "controls/UIListHeader.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

bool IsMenuElement(CControlUI* control) { return control && control->GetInterface(L"MenuElement") != nullptr; }

CMenuUI::CMenuUI() { GetHeader()->SetVisible(false); }
CMenuUI::~CMenuUI() = default;

const wchar_t* CMenuUI::GetClass() const { return L"MenuUI"; }

LPVOID CMenuUI::GetInterface(const wchar_t* name) {
    if (name && _wcsicmp(name, L"Menu") == 0) return static_cast<CMenuUI*>(this);
    return CListUI::GetInterface(name);
}

void CMenuUI::DoEvent(TEventUI& event) { CListUI::DoEvent(event); }

void CMenuUI::SetAttribute(const wchar_t* name, const wchar_t* value) { CListUI::SetAttribute(name, value); }

SIZE CMenuUI::EstimateSize(SIZE szAvailable) {
    SIZE size = {0, 0};
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible()) continue;
        const SIZE estimate = item->EstimateSize(szAvailable);
        size.cx = std::max(size.cx, estimate.cx);
        size.cy += estimate.cy;
    }
    return size;
}

void CMenuUI::HideSubItems(CControlUI* element) {
    CContainerUI* container = static_cast<CContainerUI*>(element->GetInterface(L"Container"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) {
        CControlUI* child = container->GetItemAt(i);
        if (IsMenuElement(child)) child->SetInternVisible(false);
    }
}

int CMenuUI::GetItemIndex(CControlUI* control) const {
    return IsMenuElement(control) ? CListUI::GetItemIndex(control) : -1;
}

bool CMenuUI::SetItemIndex(CControlUI* control, int index) {
    return IsMenuElement(control) && CListUI::SetItemIndex(control, index);
}

bool CMenuUI::Add(CControlUI* control) {
    if (!IsMenuElement(control)) return false;
    HideSubItems(control);
    return CListUI::Add(control);
}

bool CMenuUI::AddAt(CControlUI* control, int index) {
    if (!IsMenuElement(control)) return false;
    HideSubItems(control);
    return CListUI::AddAt(control, index);
}

bool CMenuUI::Remove(CControlUI* control) { return IsMenuElement(control) && CListUI::Remove(control); }

}  // namespace UiLib
