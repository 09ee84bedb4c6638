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
    // A bar that appears or goes away changes the children's height and
    // scroll offset: they are placed once more with the bar as it is now.
    if (UpdateHorizontalBar(working, needed)) {
        SetPos(m_rcItem);
        return;
    }
    ProcessScrollBar(working, needed, 0);
}

bool CHorizontalLayoutUI::UpdateHorizontalBar(RECT& working, int neededWidth) {
    CScrollBarUI* bar = m_pHorizontalScrollBar;
    if (!bar) return false;
    const int width = working.right - working.left;
    if (neededWidth > width) {
        if (bar->IsVisible()) {
            bar->SetScrollRange(neededWidth - width);
        } else {
            bar->SetVisible(true);
            bar->SetScrollRange(neededWidth - width);
            bar->SetScrollPos(0);
            working.bottom -= bar->GetFixedHeight();
            return true;
        }
    } else if (bar->IsVisible()) {
        bar->SetVisible(false);
        bar->SetScrollRange(0);
        bar->SetScrollPos(0);
        working.bottom += bar->GetFixedHeight();
        return true;
    }
    return false;
}

}  // namespace UiLib
