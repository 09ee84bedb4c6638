#include "dialogs/BasicDialog.h"

#include "dialogs/TimerUI.h"

#include <cwchar>

using namespace UiLib;

CBasicDialog::CBasicDialog(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* className,
                           const wchar_t* message)
    : m_skinFolder(skinFolder ? skinFolder : L""),
      m_skinFile(skinFile ? skinFile : L""),
      m_className(className ? className : L""),
      m_message(message ? message : L"") {}

const wchar_t* CBasicDialog::GetWindowClassName() const { return m_className; }
CUiString CBasicDialog::GetSkinDirectory() { return m_skinFolder; }
CUiString CBasicDialog::GetSkinFileName() { return m_skinFile; }

bool CBasicDialog::IsClickOn(const TNotifyUI& msg, const wchar_t* name) {
    return msg.sType == L"click" && msg.pSender && msg.pSender->GetName() == name;
}

bool CBasicDialog::IsFromTimer(const TNotifyUI& msg) const {
    return m_timer && msg.pSender == m_timer;
}

void CBasicDialog::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") {
        m_info = m_PaintManager.FindControl(L"info");
        // An empty message leaves the skin's own text.
        if (m_info && !m_message.IsEmpty()) m_info->SetText(m_message);
        m_close = m_PaintManager.FindControl(L"close");
        LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style & ~WS_MAXIMIZEBOX);
    } else if (IsClickOn(msg, L"close")) {
        Close(0);
    }
}

CControlUI* CBasicDialog::CreateControl(const wchar_t* pstrClass) {
    if (std::wcscmp(pstrClass, L"Timer") != 0) return nullptr;
    m_timer = new CTimerUI(this);
    return m_timer;
}

void CMsgBox::Notify(TNotifyUI& msg) {
    CBasicDialog::Notify(msg);
    if (IsClickOn(msg, L"ok")) Close(1);
    else if (IsClickOn(msg, L"cancel")) Close(2);
}

void CBallonTip::Notify(TNotifyUI& msg) {
    CBasicDialog::Notify(msg);
    if (IsFromTimer(msg)) Close(1);
}

LRESULT CBallonTip::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    Close(1);
    bHandled = FALSE;
    return 0;
}
