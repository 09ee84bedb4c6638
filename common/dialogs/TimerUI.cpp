#include "dialogs/TimerUI.h"

#include "core/manager/UIManager.h"

#include <cwchar>

using namespace UiLib;

CTimerUI::CTimerUI(INotifyUI* owner) : m_owner(owner) {}

CTimerUI::~CTimerUI() {
    if (m_pManager) m_pManager->KillTimer(this, m_timerId);
}

const wchar_t* CTimerUI::GetClass() const { return L"TimerUI"; }

void CTimerUI::DoInit() {
    m_elapsed = 0;
    Start();
}

// An interval of 0 would fire as fast as the system allows and never use up
// the lifetime, so such a timer stays silent.
void CTimerUI::Start() {
    if (m_pManager && m_pause > 0) m_pManager->SetTimer(this, m_timerId, m_pause);
}

void CTimerUI::DoEvent(TEventUI& event) {
    if (event.Type != UIEVENT_TIMER || event.wParam != m_timerId || !m_pManager) return;
    m_pManager->KillTimer(this, m_timerId);
    m_elapsed += m_pause;
    if (m_owner) {
        TNotifyUI msg = {};
        msg.sType = m_message;
        msg.pSender = this;
        msg.dwTimestamp = ::GetTickCount();
        m_owner->Notify(msg);
    }
    if (m_elapsed < m_life) Start();
}

void CTimerUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    auto number = [value] { return static_cast<UINT>(std::wcstoul(value, nullptr, 10)); };
    if (std::wcscmp(name, L"id") == 0) m_timerId = number();
    else if (std::wcscmp(name, L"message") == 0) m_message = value;
    else if (std::wcscmp(name, L"life") == 0) m_life = number();
    else if (std::wcscmp(name, L"pause") == 0) m_pause = number();
    else CControlUI::SetAttribute(name, value);
}
