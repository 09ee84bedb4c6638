#include "controls/UIHorizontalLayout.h"

#include "core/manager/UIScrollBar.h"

#include <cwchar>

namespace UiLib {

CHorizontalLayoutUI::CHorizontalLayoutUI() : CBoxLayoutUI(false) {}

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

LPVOID CHorizontalLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"HorizontalLayout") == 0) return static_cast<CHorizontalLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    RECT working;
    SIZE available;
    if (!BeginLayout(rc, working, available)) return;
    const int needed = PlaceInLine(working, available);
    UpdateHorizontalBar(working, needed);
    ProcessScrollBar(working, needed, 0);
}

void CHorizontalLayoutUI::UpdateHorizontalBar(RECT& working, int neededWidth) {
    CScrollBarUI* bar = m_pHorizontalScrollBar;
    if (!bar) return;
    const int width = working.right - working.left;
    if (neededWidth > width) {
        if (bar->IsVisible()) {
            bar->SetScrollRange(neededWidth - width);
        } else {
            bar->SetVisible(true);
            bar->SetScrollRange(neededWidth - width);
            bar->SetScrollPos(0);
            working.bottom -= bar->GetFixedHeight();
        }
    } else if (bar->IsVisible()) {
        bar->SetVisible(false);
        bar->SetScrollRange(0);
        bar->SetScrollPos(0);
        working.bottom += bar->GetFixedHeight();
    }
}

}  // namespace UiLib
