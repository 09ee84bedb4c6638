#include "controls/UIAnimationTabLayout.h"

#include "core/manager/UIManager.h"

#include <cwchar>

namespace UiLib {

CAnimationTabLayoutUI::CAnimationTabLayoutUI() : CUIAnimation(this) {}

CAnimationTabLayoutUI::~CAnimationTabLayoutUI() = default;

const wchar_t* CAnimationTabLayoutUI::GetClass() const { return L"AnimationTabLayoutUI"; }

LPVOID CAnimationTabLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"AnimationTabLayout") == 0) return static_cast<CAnimationTabLayoutUI*>(this);
    return CTabLayoutUI::GetInterface(name);
}

void CAnimationTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"animation_direction") == 0)
        m_bIsVerticalDirection = std::wcscmp(value, L"vertical") == 0;
    CTabLayoutUI::SetAttribute(name, value);
}

void CAnimationTabLayoutUI::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_TIMER) OnAnimationTimer(static_cast<int>(event.wParam));
    CContainerUI::DoEvent(event);
}

// Selects like the plain tab layout, then starts the new page one full
// width (or height) off to the side it comes from; a later page comes from
// the right (or below), an earlier one from the left (or above).
bool CAnimationTabLayoutUI::SelectItem(int index) {
    const int old = GetCurSel();
    if (!CTabLayoutUI::SelectItem(index)) return false;
    if (index == old) return true;

    StopAnimation(TAB_ANIMATION_ID);
    m_pCurrentControl = GetItemAt(index);
    m_bControlVisibleFlag = false;
    m_nPositiveDirection = index > old ? -1 : 1;
    m_rcItemOld = m_rcItem;
    m_rcCurPos = m_rcItem;
    if (m_bIsVerticalDirection) {
        const int shift = (m_rcItem.bottom - m_rcItem.top) * m_nPositiveDirection;
        m_rcCurPos.top -= shift;
        m_rcCurPos.bottom -= shift;
    } else {
        const int shift = (m_rcItem.right - m_rcItem.left) * m_nPositiveDirection;
        m_rcCurPos.left -= shift;
        m_rcCurPos.right -= shift;
    }
    // Without a timer (no window yet) the page simply stays in place.
    if (StartAnimation(TAB_ANIMATION_ELAPSE, TAB_ANIMATION_FRAMES, TAB_ANIMATION_ID))
        CTabLayoutUI::SetPos(m_rcCurPos);
    return true;
}

// The parent may lay the tab out again mid-slide: the new rectangle becomes
// the slide's end and the page keeps its place relative to it.
void CAnimationTabLayoutUI::SetPos(RECT rc) {
    if (!IsAnimating(TAB_ANIMATION_ID)) {
        CTabLayoutUI::SetPos(rc);
        return;
    }
    ::OffsetRect(&m_rcCurPos, rc.left - m_rcItemOld.left, rc.top - m_rcItemOld.top);
    m_rcCurPos.right = m_rcCurPos.left + (rc.right - rc.left);
    m_rcCurPos.bottom = m_rcCurPos.top + (rc.bottom - rc.top);
    m_rcItemOld = rc;
    CTabLayoutUI::SetPos(m_rcCurPos);
}

void CAnimationTabLayoutUI::OnAnimationStep(int totalFrames, int currentFrame, int) {
    if (!m_bControlVisibleFlag) {
        m_bControlVisibleFlag = true;
        if (m_pCurrentControl) m_pCurrentControl->SetVisible(true);
    }
    if (totalFrames <= 0) return;
    if (currentFrame != totalFrames) {
        if (m_bIsVerticalDirection) {
            const int step = (m_rcItemOld.bottom - m_rcItemOld.top) * m_nPositiveDirection / totalFrames;
            m_rcCurPos.top += step;
            m_rcCurPos.bottom += step;
        } else {
            const int step = (m_rcItemOld.right - m_rcItemOld.left) * m_nPositiveDirection / totalFrames;
            m_rcCurPos.left += step;
            m_rcCurPos.right += step;
        }
    } else {
        m_rcCurPos = m_rcItemOld;
        m_rcItem = m_rcItemOld;
    }
    CTabLayoutUI::SetPos(m_rcCurPos);
    // The strip the page has not reached yet shows the parent again.
    if (m_pManager) m_pManager->InvalidateRect(m_rcItemOld);
}

void CAnimationTabLayoutUI::OnAnimationStop(int) { MarkParentLayoutDirty(); }

}  // namespace UiLib
