#include "controls/UIVerticalLayout.h"

#include "core/manager/UIScrollBar.h"

#include <cwchar>

namespace UiLib {

CVerticalLayoutUI::CVerticalLayoutUI() : CBoxLayoutUI(true) {}

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

LPVOID CVerticalLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"VerticalLayout") == 0) return static_cast<CVerticalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    RECT working;
    SIZE available;
    if (!BeginLayout(rc, working, available)) return;
    ProcessScrollBar(working, 0, PlaceInLine(working, available));
}

}  // namespace UiLib
