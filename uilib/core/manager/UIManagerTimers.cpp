// Window timers of the paint manager, bound to a control and the id it chose.
#include "core/manager/UIManager.h"

namespace UiLib {

namespace {
const UINT kCaretTimerId = 241;
const UINT kWindowTimerIds = 240;
}  // namespace

// The next window timer id after the last one, cycling through 0..239 and
// skipping ids that a live timer of this window still holds.
UINT CPaintManagerUI::AllocateWindowTimerId() {
    for (UINT attempt = 0; attempt < kWindowTimerIds; ++attempt) {
        m_uTimerID = (m_uTimerID + 1) % kWindowTimerIds;
        bool taken = false;
        for (int i = 0; i < m_aTimers.GetSize() && !taken; ++i) {
            const TIMERINFO* timer = static_cast<const TIMERINFO*>(m_aTimers.GetAt(i));
            taken = timer->hWnd == m_hWndPaint && timer->uWinTimer == m_uTimerID;
        }
        if (!taken && m_uTimerID != kCaretTimerId) return m_uTimerID;
    }
    return kCaretTimerId;  // every id is held: callers treat this as failure
}

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT timerId, UINT elapse) {
    if (!control) return false;
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        TIMERINFO* timer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (timer->pSender == control && timer->nLocalID == timerId && timer->hWnd == m_hWndPaint) {
            if (!timer->bKilled) return false;
            if (!::SetTimer(m_hWndPaint, timer->uWinTimer, elapse, nullptr)) return false;
            timer->bKilled = false;
            return true;
        }
    }
    UINT windowId = AllocateWindowTimerId();
    if (windowId == kCaretTimerId) return false;
    if (!::SetTimer(m_hWndPaint, windowId, elapse, nullptr)) return false;
    TIMERINFO* timer = new TIMERINFO{control, timerId, m_hWndPaint, windowId, false};
    if (!m_aTimers.Add(timer)) {
        ::KillTimer(m_hWndPaint, windowId);
        delete timer;
        return false;
    }
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT timerId) {
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        TIMERINFO* timer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (timer->pSender == control && timer->nLocalID == timerId && timer->hWnd == m_hWndPaint &&
            !timer->bKilled) {
            if (::IsWindow(m_hWndPaint)) ::KillTimer(timer->hWnd, timer->uWinTimer);
            timer->bKilled = true;
            return true;
        }
    }
    return false;
}

void CPaintManagerUI::KillControlTimers(CControlUI* control) {
    for (int i = m_aTimers.GetSize() - 1; i >= 0; --i) {
        TIMERINFO* timer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (timer->pSender != control || timer->hWnd != m_hWndPaint) continue;
        if (!timer->bKilled) ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
        m_aTimers.Remove(i);
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        TIMERINFO* timer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
        if (!timer->bKilled && ::IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
    }
    m_aTimers.Empty();
}

}  // namespace UiLib
