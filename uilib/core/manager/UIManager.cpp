// Message routing, focus, notifications and painting of the paint manager.
#include "core/manager/UIManager.h"

#include "core/effects/EffectSpooler.h"
#include "core/manager/UIContainer.h"
#include "core/render/UIRenderInternal.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>

namespace UiLib {

namespace {

const UINT kFindTabFlags = UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST;
const UINT kFindShortcutFlags = UIFIND_ENABLED | UIFIND_TOP_FIRST | UIFIND_ME_FIRST;
const UINT kFindPointFlags = UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST;

struct FindTabInfo {
    CControlUI* pFocus;
    CControlUI* pLast;
    bool bForward;
    bool bNextIsIt;
};

struct FindShortcut {
    wchar_t ch;
    bool bPickNext;
};

wchar_t UpperChar(wchar_t ch) {
    return static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(ch))));
}

bool RemoveFrom(CStdPtrArray& list, void* item) {
    int index = list.Find(item);
    if (index < 0) return false;
    return list.Remove(index);
}

// Asks the filters in order; the first that handles the message decides the result.
bool AskFilters(const CStdPtrArray& filters, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (int i = 0; i < filters.GetSize(); ++i) {
        bool handled = false;
        LRESULT answer =
            static_cast<IMessageFilterUI*>(filters.GetAt(i))->MessageHandler(message, wParam, lParam, handled);
        if (handled) {
            result = answer;
            return true;
        }
    }
    return false;
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

// Every manager of the process, in the order of their Init.
CStdPtrArray& CPaintManagerUI::ManagerList() {
    static CStdPtrArray managers;
    return managers;
}

// ---- lookups over the tree ----

CControlUI* CALLBACK CPaintManagerUI::MatchPoint(CControlUI* control, LPVOID data) {
    return ::PtInRect(&control->GetPos(), *static_cast<const POINT*>(data)) ? control : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::CollectNamedControl(CControlUI* control, LPVOID data) {
    CUiString name = control->GetName();
    if (!name.IsEmpty()) static_cast<CPaintManagerUI*>(data)->m_mNameHash.Set(name, control);
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::CollectFirstNamedControl(CControlUI* control, LPVOID data) {
    CUiString name = control->GetName();
    if (!name.IsEmpty()) static_cast<CPaintManagerUI*>(data)->m_mNameHash.Insert(name, control);
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::MatchUpdateNeeded(CControlUI* control, LPVOID) {
    return control->IsUpdateNeeded() ? control : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::MatchTabStop(CControlUI* control, LPVOID data) {
    FindTabInfo* info = static_cast<FindTabInfo*>(data);
    if (info->pFocus == control) {
        if (info->bForward) info->bNextIsIt = true;
        return info->bForward ? nullptr : info->pLast;
    }
    if ((control->GetControlFlags() & UIFLAG_TABSTOP) == 0) return nullptr;
    info->pLast = control;
    if (info->bNextIsIt || info->pFocus == nullptr) return control;
    return nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::MatchShortcut(CControlUI* control, LPVOID data) {
    FindShortcut* info = static_cast<FindShortcut*>(data);
    if (!control->IsVisible()) return nullptr;
    if (UpperChar(control->GetShortcut()) == info->ch) info->bPickNext = true;
    // A label's shortcut selects the control that follows it.
    if (std::wcsstr(control->GetClass(), L"LabelUI")) return nullptr;
    return info->bPickNext ? control : nullptr;
}

CControlUI* CALLBACK CPaintManagerUI::MatchName(CControlUI* control, LPVOID data) {
    return control->GetName() == static_cast<const wchar_t*>(data) ? control : nullptr;
}

// ---- set-up ----

void CPaintManagerUI::Init(HWND hWnd) {
    m_hWndPaint = hWnd;
    if (!m_hDcPaint && hWnd) m_hDcPaint = ::GetDC(hWnd);
    if (ManagerList().Find(this) < 0) ManagerList().Add(this);
}

bool CPaintManagerUI::AttachRoot(CControlUI* control) {
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    if (m_pRoot) {
        m_aPostPaintControls.Empty();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = control;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    m_shadow.Create(this);
    if (!control) return false;
    control->SetManager(this, control->GetParent(), true);
    control->FindControl(CollectNamedControl, this, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::RegisterControlNames(CControlUI* control) {
    if (control) control->FindControl(CollectFirstNamedControl, this, UIFIND_ALL);
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const {
    return m_pRoot ? m_pRoot->FindControl(MatchPoint, &pt, kFindPointFlags) : nullptr;
}

CControlUI* CPaintManagerUI::FindControl(const wchar_t* name) const {
    return name ? static_cast<CControlUI*>(m_mNameHash.Find(name)) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const wchar_t* name) const {
    if (!parent || !name || !*name) return nullptr;
    CControlUI* found = parent->FindControl(MatchName, const_cast<wchar_t*>(name), UIFIND_ALL);
    return found == parent ? nullptr : found;
}

// ---- listener lists ----

bool CPaintManagerUI::AddNotifier(INotifyUI* notifier) { return m_aNotifiers.Add(notifier); }
bool CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) { return RemoveFrom(m_aNotifiers, notifier); }
bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) { return m_aPreMessageFilters.Add(filter); }
bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
    return RemoveFrom(m_aPreMessageFilters, filter);
}
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* filter) { return m_aMessageFilters.Add(filter); }
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) { return RemoveFrom(m_aMessageFilters, filter); }
bool CPaintManagerUI::AddPostPaint(CControlUI* control) { return m_aPostPaintControls.Add(control); }
bool CPaintManagerUI::RemovePostPaint(CControlUI* control) { return RemoveFrom(m_aPostPaintControls, control); }
bool CPaintManagerUI::AddTranslator(ITranslateAccelerator* translator) { return m_aTranslators.Add(translator); }
bool CPaintManagerUI::RemoveTranslator(ITranslateAccelerator* translator) {
    return RemoveFrom(m_aTranslators, translator);
}

// ---- control lifetime ----

void CPaintManagerUI::AddDelayedCleanup(CControlUI* control) {
    if (!control) return;
    control->SetManager(this, nullptr, false);
    // One pending message drains the whole list: emptying a list of 10,000
    // rows would otherwise post 10,000 messages.
    const bool firstPending = m_aDelayedCleanup.IsEmpty();
    m_aDelayedCleanup.Add(control);
    if (firstPending && m_hWndPaint) ::PostMessageW(m_hWndPaint, UIMSG_DELAYED_CLEANUP, 0, 0);
}

void CPaintManagerUI::DrainDelayedCleanup() {
    CStdPtrArray doomed(m_aDelayedCleanup);
    m_aDelayedCleanup.Empty();
    for (int i = 0; i < doomed.GetSize(); ++i) delete static_cast<CControlUI*>(doomed.GetAt(i));
}

void CPaintManagerUI::ForgetControl(CControlUI* control) {
    if (!control) return;
    if (m_pEventKey == control) m_pEventKey = nullptr;
    if (m_pEventHover == control) m_pEventHover = nullptr;
    if (m_pEventClick == control) m_pEventClick = nullptr;
    if (m_pFocus == control) m_pFocus = nullptr;
    if (m_pCaretOwner == control) m_pCaretOwner = nullptr;
    RemoveFrom(m_aPostPaintControls, control);
    KillControlTimers(control);
    // Most controls have no name: emptying a list of thousands then copies none.
    if (m_mNameHash.GetSize() > 0) {
        CUiString name = control->GetName();
        if (!name.IsEmpty() && m_mNameHash.Find(name, false) == control) m_mNameHash.Remove(name);
    }
    for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i) {
        TNotifyUI* msg = static_cast<TNotifyUI*>(m_aAsyncNotify.GetAt(i));
        if (msg->pSender == control) msg->pSender = nullptr;
    }
}

// ---- events and notifications ----

TEventUI CPaintManagerUI::MakeEvent(int type, CControlUI* sender) const {
    TEventUI event = {};
    event.Type = type;
    event.pSender = sender;
    event.dwTimestamp = ::GetTickCount();
    event.ptMouse = m_ptLastMousePos;
    return event;
}

void CPaintManagerUI::SendEvent(CControlUI* target, int type, CControlUI* sender, WPARAM wParam, LPARAM lParam,
                                WORD keyState) {
    if (!target) return;
    TEventUI event = MakeEvent(type, sender);
    event.wParam = wParam;
    event.lParam = lParam;
    event.wKeyState = keyState;
    if (type >= UIEVENT_KEYDOWN && type <= UIEVENT_SYSKEY) event.chKey = static_cast<wchar_t>(wParam);
    target->Event(event);
}

void CPaintManagerUI::SendNotify(CControlUI* control, const wchar_t* type, WPARAM wParam, LPARAM lParam,
                                 bool asynchronous) {
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = control;
    msg.dwTimestamp = 0;
    msg.ptMouse = POINT{0, 0};
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotifyRecord(msg, asynchronous);
}

void CPaintManagerUI::SendNotifyRecord(TNotifyUI& msg, bool asynchronous) {
    if (!asynchronous) {
        Deliver(msg);
        return;
    }
    m_aAsyncNotify.Add(new TNotifyUI(msg));
}

bool CPaintManagerUI::Deliver(TNotifyUI& msg) {
    msg.ptMouse = m_ptLastMousePos;
    msg.dwTimestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWindowName();
    if (msg.pSender && msg.pSender->NotifyListeners && msg.pSender->NotifyListeners(msg)) return true;
    // A receiver may remove itself while it is notified: re-read the list each time.
    for (int i = 0; i < m_aNotifiers.GetSize(); ++i) static_cast<INotifyUI*>(m_aNotifiers.GetAt(i))->Notify(msg);
    return false;
}

bool CPaintManagerUI::DeliverQueuedNotifications() {
    bool consumed = false;
    while (!m_aAsyncNotify.IsEmpty()) {
        TNotifyUI* msg = static_cast<TNotifyUI*>(m_aAsyncNotify.GetAt(0));
        m_aAsyncNotify.Remove(0);
        if (Deliver(*msg)) consumed = true;
        delete msg;
    }
    return consumed;
}

void CPaintManagerUI::Restyle(CControlUI* control, WPARAM wParam, LPARAM lParam) {
    IContainerUI* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i) {
        CControlUI* child = container->GetItemAt(i);
        TEventUI event = MakeEvent(UIEVENT_RELOADSTYLE, m_pRoot);
        event.ptMouse = POINT{0, 0};
        event.wParam = wParam;
        event.lParam = lParam;
        child->Event(event);
        Restyle(child, wParam, lParam);
    }
}

// ---- focus and tab order ----

void CPaintManagerUI::SetFocus(CControlUI* control) {
    if (::GetFocus() != m_hWndPaint && control != m_pFocus && m_hWndPaint) ::SetFocus(m_hWndPaint);
    if (control == m_pFocus) return;
    if (m_pFocus) {
        CControlUI* old = m_pFocus;
        SendEvent(old, UIEVENT_KILLFOCUS, control);
        SendNotify(old, L"killfocus");
        m_pFocus = nullptr;
    }
    if (!control) return;
    if (Owns(control) && control->IsVisible() && control->IsEnabled()) {
        m_pFocus = control;
        SendEvent(control, UIEVENT_SETFOCUS, control);
        SendNotify(control, L"setfocus");
    }
}

void CPaintManagerUI::SetFocusNeeded(CControlUI* control) {
    if (m_hWndPaint) ::SetFocus(m_hWndPaint);
    if (!control) return;
    if (m_pFocus) {
        CControlUI* old = m_pFocus;
        SendEvent(old, UIEVENT_KILLFOCUS, control);
        SendNotify(old, L"killfocus");
        m_pFocus = nullptr;
    }
    FindTabInfo info = {control, nullptr, false, false};
    m_pFocus = m_pRoot ? m_pRoot->FindControl(MatchTabStop, &info, kFindTabFlags) : nullptr;
    m_bFocusNeeded = true;
    if (m_pRoot && m_pRoot->IsVisible()) m_pRoot->MarkLayoutDirty();
}

CControlUI* CPaintManagerUI::FindTabStop(CControlUI* from, bool forward, CControlUI** lastSeen) const {
    if (!m_pRoot) return nullptr;
    FindTabInfo info = {from, nullptr, forward, false};
    CControlUI* found = m_pRoot->FindControl(MatchTabStop, &info, kFindTabFlags);
    if (lastSeen) *lastSeen = info.pLast;
    return found;
}

bool CPaintManagerUI::SetNextTabControl(bool forward) {
    if (m_bUpdateNeeded && forward) {
        m_bFocusNeeded = true;
        if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return true;
    }
    CControlUI* last = nullptr;
    CControlUI* target = FindTabStop(m_pFocus, forward, &last);
    if (!target) target = forward ? FindTabStop(nullptr, true, nullptr) : last;  // wrap around
    if (target) SetFocus(target);
    m_bFocusNeeded = false;
    return true;
}

// ---- pre-translation and the message loop ----

UINT CPaintManagerUI::GetKeyStateFlags() {
    UINT state = 0;
    if (::GetKeyState(VK_CONTROL) < 0) state |= 0x08;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= 0x01;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= 0x02;
    if (::GetKeyState(VK_SHIFT) < 0) state |= 0x04;
    if (::GetKeyState(VK_MENU) < 0) state |= 0x20;
    return state;
}

bool CPaintManagerUI::PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (AskFilters(m_aPreMessageFilters, message, wParam, lParam, result)) return true;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_TAB) return false;
        // A rich edit that wants tabs keeps the key.
        if (m_pFocus && m_pFocus->IsVisible() && m_pFocus->IsEnabled() &&
            std::wcsstr(m_pFocus->GetClass(), L"RichEditUI") && m_pFocus->GetAttribute(L"wanttab").bValue)
            return false;
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    case WM_SYSKEYDOWN:
        if (m_pFocus) SendEvent(m_pFocus, UIEVENT_SYSKEY, nullptr, wParam, lParam, static_cast<WORD>(GetKeyStateFlags()));
        return false;
    case WM_SYSCHAR: {
        if (!m_pRoot) return false;
        FindShortcut info = {UpperChar(static_cast<wchar_t>(wParam)), false};
        CControlUI* control = m_pRoot->FindControl(MatchShortcut, &info, kFindShortcutFlags);
        if (!control) return false;
        control->SetFocus();
        control->Activate();
        return true;
    }
    default:
        return false;
    }
}

bool CPaintManagerUI::TranslateMessage(const LPMSG msg) {
    auto translate = [msg](CPaintManagerUI* manager) {
        if (!manager->m_aTranslators.IsEmpty()) {
            auto* first = static_cast<ITranslateAccelerator*>(manager->m_aTranslators.GetAt(0));
            if (first->TranslateAccelerator(msg) == S_OK) return true;
        }
        LRESULT result = 0;
        return manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
    };
    CStdPtrArray& managers = ManagerList();
    if ((::GetWindowLongW(msg->hwnd, GWL_STYLE) & WS_CHILD) != 0) {
        for (int i = 0; i < managers.GetSize(); ++i) {
            CPaintManagerUI* manager = static_cast<CPaintManagerUI*>(managers.GetAt(i));
            for (HWND parent = ::GetParent(msg->hwnd); parent; parent = ::GetParent(parent)) {
                if (manager->GetPaintWindow() == msg->hwnd || manager->GetPaintWindow() == parent)
                    return translate(manager);
            }
        }
        return false;
    }
    for (int i = 0; i < managers.GetSize(); ++i) {
        CPaintManagerUI* manager = static_cast<CPaintManagerUI*>(managers.GetAt(i));
        if (manager->GetPaintWindow() == msg->hwnd) return translate(manager);
    }
    return false;
}

void CPaintManagerUI::MessageLoop() {
    MSG msg = {};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!CPaintManagerUI::TranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// ---- the window procedure's half ----

bool CPaintManagerUI::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = ::SendMessageW(child, message, wParam, lParam);
    return true;
}

bool CPaintManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!m_hWndPaint) return false;
    // Queued notifications go out first; their consumption never swallows
    // the message being handled.
    DeliverQueuedNotifications();

    if (AskFilters(m_aMessageFilters, message, wParam, lParam, result)) return true;

    result = 0;
    switch (message) {
    case WM_SIZE:
        if (m_pFocus) SendEvent(m_pFocus, UIEVENT_WINDOWSIZE, m_pFocus);
        // The snapshot no longer fits the window.
        if (CEffectSpooler::Instance().IsPrepared() && CEffectSpooler::Instance().GetWindow() == m_hWndPaint)
            DropEffects();
        m_bUpdateNeeded = true;
        if (m_pRoot) m_pRoot->MarkLayoutDirty();
        return true;
    case WM_PAINT:
        return OnPaint();
    case WM_CLOSE: {
        CControlUI* hover = m_pEventHover;
        CControlUI* pressed = m_pEventClick;
        m_pEventHover = nullptr;
        m_pEventClick = nullptr;
        if (hover) SendEvent(hover, UIEVENT_MOUSELEAVE, hover);
        if (pressed) {
            if (m_bMouseCapture) ::ReleaseCapture();
            m_bMouseCapture = false;
            SendEvent(pressed, UIEVENT_BUTTONUP, pressed);
        }
        SetFocus(nullptr);
        HWND owner = ::GetWindow(m_hWndPaint, GW_OWNER);
        if (owner) ::SetFocus(owner);
        break;
    }
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SETCURSOR: {
        if (LOWORD(lParam) != HTCLIENT) break;
        if (m_bMouseCapture) {
            result = TRUE;
            return true;
        }
        POINT pt;
        ::GetCursorPos(&pt);
        ::ScreenToClient(m_hWndPaint, &pt);
        CControlUI* control = FindControl(pt);
        if (!control || (control->GetControlFlags() & UIFLAG_SETCURSOR) == 0) break;
        SendEvent(control, UIEVENT_SETCURSOR, nullptr, wParam, lParam, static_cast<WORD>(GetKeyStateFlags()));
        result = TRUE;
        return true;
    }
    case WM_GETMINMAXINFO: {
        MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (m_szMinWindow.cx > 0) info->ptMinTrackSize.x = m_szMinWindow.cx;
        if (m_szMinWindow.cy > 0) info->ptMinTrackSize.y = m_szMinWindow.cy;
        if (m_szMaxWindow.cx > 0) info->ptMaxTrackSize.x = m_szMaxWindow.cx;
        if (m_szMaxWindow.cy > 0) info->ptMaxTrackSize.y = m_szMaxWindow.cy;
        break;
    }
    case WM_NOTIFY:
        if (!lParam) break;
        return ReflectToChild(reinterpret_cast<NMHDR*>(lParam)->hwndFrom, message + UIMSG_REFLECT_BASE, wParam, lParam, result);
    case WM_CONTEXTMENU: {
        POINT pt = PointOf(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        if (!m_pEventClick) break;
        ::ReleaseCapture();
        m_bMouseCapture = false;
        CControlUI* pressed = m_pEventClick;
        m_pEventClick = nullptr;
        SendEvent(pressed, UIEVENT_CONTEXTMENU, pressed, 0, reinterpret_cast<LPARAM>(pressed), LOWORD(wParam));
        break;
    }
    case WM_KEYDOWN:
        if (!m_pFocus) break;
        m_pEventKey = m_pFocus;
        SendEvent(m_pFocus, UIEVENT_KEYDOWN, nullptr, wParam, lParam, static_cast<WORD>(GetKeyStateFlags()));
        break;
    case WM_KEYUP:
        if (!m_pEventKey) break;
        {
            CControlUI* target = m_pEventKey;
            m_pEventKey = nullptr;
            SendEvent(target, UIEVENT_KEYUP, nullptr, wParam, lParam, static_cast<WORD>(GetKeyStateFlags()));
        }
        break;
    case WM_CHAR:
        if (m_pFocus)
            SendEvent(m_pFocus, UIEVENT_CHAR, nullptr, wParam, lParam, static_cast<WORD>(GetKeyStateFlags()));
        break;
    case WM_COMMAND:
        if (!lParam) break;
        return ReflectToChild(reinterpret_cast<HWND>(lParam), UIMSG_REFLECT_COMMAND, wParam, lParam, result);
    case WM_SYSCOMMAND:
        // The window carries system commands out before the manager sees them
        // (a skinned window passes on only the restore); the manager's part is
        // the full repaint a restored layered window needs.
        if ((wParam & 0xFFF0) == SC_RESTORE) m_bFullLayeredRepaint = true;
        result = 0;
        return true;
    case WM_TIMER:
        if (wParam == kCaretTimerId) {
            InvalidateRect(m_rcCaret);
            m_bCaretActive = !m_bCaretActive;
            break;
        }
        for (int i = 0; i < m_aTimers.GetSize(); ++i) {
            TIMERINFO* timer = static_cast<TIMERINFO*>(m_aTimers.GetAt(i));
            if (timer->hWnd == m_hWndPaint && timer->uWinTimer == wParam && !timer->bKilled) {
                SendEvent(timer->pSender, UIEVENT_TIMER, timer->pSender, timer->nLocalID, 0);
                break;
            }
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (!lParam) break;
        return ReflectToChild(reinterpret_cast<HWND>(lParam), message + UIMSG_REFLECT_BASE, wParam, lParam, result);
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ::SetFocus(m_hWndPaint);
        m_ptLastMousePos = PointOf(lParam);
        CControlUI* control = FindControl(m_ptLastMousePos);
        if (!Owns(control)) break;
        WORD keys = LOWORD(wParam);
        if (message == WM_LBUTTONDBLCLK) {
            ::SetCapture(m_hWndPaint);
            m_bMouseCapture = true;
            SendEvent(control, UIEVENT_DBLCLICK, control, 0, 0, keys);
            m_pEventClick = control;
            break;
        }
        m_pEventClick = control;
        control->SetFocus();
        ::SetCapture(m_hWndPaint);
        m_bMouseCapture = true;
        SendEvent(control, message == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_RBUTTONDOWN, control, wParam,
                  lParam, keys);
        if (message == WM_LBUTTONDOWN) DropEffects();
        break;
    }
    case WM_LBUTTONUP: {
        m_ptLastMousePos = PointOf(lParam);
        if (!m_pEventClick) break;
        CControlUI* pressed = m_pEventClick;
        m_pEventClick = nullptr;
        ::ReleaseCapture();
        m_bMouseCapture = false;
        SendEvent(pressed, UIEVENT_BUTTONUP, pressed, wParam, lParam, LOWORD(wParam));
        break;
    }
    case WM_MOUSEWHEEL: {
        POINT pt = PointOf(lParam);
        ::ScreenToClient(m_hWndPaint, &pt);
        m_ptLastMousePos = pt;
        CControlUI* control = FindControl(pt);
        if (!Owns(control)) break;
        int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        SendEvent(control, UIEVENT_SCROLLWHEEL, control, delta < 0 ? 1 : 0, lParam,
                  static_cast<WORD>(GetKeyStateFlags()));
        // Hover follows the scrolled tree.
        ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
        break;
    }
    case WM_MOUSEHOVER:
        OnMouseHover(lParam);
        return true;
    case WM_MOUSELEAVE:
        HideTooltip();
        if (m_bMouseTracking) ::SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
        m_bMouseTracking = false;
        break;
    case WM_PRINTCLIENT:
        PrintClient(reinterpret_cast<HDC>(wParam), lParam);
        break;
    case UIMSG_EFFECT_FRAME:
        OnEffectFrame();
        return true;
    case UIMSG_RESTYLE:
        if (m_pRoot) Restyle(m_pRoot, wParam, lParam);
        break;
    case UIMSG_DELAYED_CLEANUP:
        DrainDelayedCleanup();
        break;
    default:
        break;
    }
    DeliverQueuedNotifications();
    return false;
}

void CPaintManagerUI::OnMouseMove(LPARAM lParam) {
    if (!m_bMouseTracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWndPaint;
        tme.dwHoverTime = m_hwndTooltip
                              ? static_cast<DWORD>(::SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
                              : 400;
        ::TrackMouseEvent(&tme);
        m_bMouseTracking = true;
    }
    m_ptLastMousePos = PointOf(lParam);
    CControlUI* control = FindControl(m_ptLastMousePos);
    if (control && !Owns(control)) return;
    if (control != m_pEventHover && m_pEventHover) {
        CControlUI* old = m_pEventHover;
        m_pEventHover = nullptr;
        SendEvent(old, UIEVENT_MOUSELEAVE, old);
        HideTooltip();
    }
    if (control != m_pEventHover && control) {
        m_pEventHover = control;
        SendEvent(control, UIEVENT_MOUSEENTER, control);
    }
    if (m_pEventClick)
        SendEvent(m_pEventClick, UIEVENT_MOUSEMOVE, m_pEventClick);
    else if (control)
        SendEvent(control, UIEVENT_MOUSEMOVE, control);
}

void CPaintManagerUI::OnMouseHover(LPARAM lParam) {
    m_bMouseTracking = false;
    POINT pt = PointOf(lParam);
    CControlUI* control = FindControl(pt);
    if (!control) return;
    if (m_pEventHover) SendEvent(m_pEventHover, UIEVENT_MOUSEHOVER, m_pEventHover);
    ShowTooltip(control);
}

void CPaintManagerUI::ShowTooltip(CControlUI* control) {
    CUiString tip = control->GetToolTip();
    if (tip.IsEmpty()) return;
    m_sToolTipText = tip;  // the tool keeps a pointer to its text
    ::ZeroMemory(&m_ToolTip, sizeof(m_ToolTip));
    // The programs carry no common-controls 6 manifest, and the older
    // tooltip control refuses a record that counts the trailing reserved
    // field: no tooltip would ever show.
    m_ToolTip.cbSize = TTTOOLINFOW_V2_SIZE;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = GetInstance();
    m_ToolTip.lpszText = const_cast<LPWSTR>(m_sToolTipText.GetData());
    m_ToolTip.rect = control->GetPos();
    if (!m_hwndTooltip) {
        m_hwndTooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint,
                                          nullptr, GetInstance(), nullptr);
        if (!m_hwndTooltip) return;
        ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    ::SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
    ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

void CPaintManagerUI::HideTooltip() {
    if (m_hwndTooltip) ::SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
}

// ---- painting ----

void CPaintManagerUI::InvalidateRect(const RECT& rcArea) {
    // Only what lies in the client area can ever need a paint; the rest
    // (rows scrolled far out of a list, controls being deleted) would cost a
    // round trip to the window system each for nothing.
    RECT rc = rcArea;
    if (m_hWndPaint) {
        RECT client;
        ::GetClientRect(m_hWndPaint, &client);
        if (!::IntersectRect(&rc, &rcArea, &client)) return;
    }
    RECT covered;
    const bool alreadyInvalid = ::IntersectRect(&covered, &rc, &m_rcSystemInvalid) && ::EqualRect(&covered, &rc);
    if (m_hWndPaint && !alreadyInvalid) {
        ::InvalidateRect(m_hWndPaint, &rc, FALSE);
        const auto area = [](const RECT& r) { return static_cast<long long>(r.right - r.left) * (r.bottom - r.top); };
        if (area(rc) > area(m_rcSystemInvalid)) m_rcSystemInvalid = rc;
    }
    if (::IsRectEmpty(&m_rcLayeredUpdate))
        m_rcLayeredUpdate = rc;
    else
        ::UnionRect(&m_rcLayeredUpdate, &m_rcLayeredUpdate, &rc);
}

void CPaintManagerUI::ReleaseOffscreen() {
    if (m_hDcOffscreen) ::DeleteDC(m_hDcOffscreen);
    if (m_hbmpOffscreen) ::DeleteObject(m_hbmpOffscreen);
    m_hDcOffscreen = nullptr;
    m_hbmpOffscreen = nullptr;
    m_pOffscreenBits = nullptr;
}

void CPaintManagerUI::LayoutTree() {
    if (!m_bUpdateNeeded) return;
    m_bUpdateNeeded = false;
    RECT client;
    ::GetClientRect(m_hWndPaint, &client);
    if (!::IsRectEmpty(&client)) {
        if (!m_pRoot->IsUpdateNeeded()) {
            CControlUI* previous = nullptr;
            while (CControlUI* control = m_pRoot->FindControl(MatchUpdateNeeded, nullptr,
                                                                UIFIND_VISIBLE | UIFIND_ME_FIRST)) {
                if (control == previous) break;  // a SetPos that does not clear its mark
                control->SetPos(control->GetPos());
                previous = control;
            }
        } else {
            if (!::IsIconic(m_hWndPaint)) m_pRoot->SetPos(client);
            ReleaseOffscreen();
        }
    }
    if (m_bFirstLayout) {
        m_bFirstLayout = false;
        SendNotify(m_pRoot, L"windowinit");
    }
}

bool CPaintManagerUI::OnPaint() {
    // Whatever happens next, the window's invalid area is the system's to tell again.
    ::SetRectEmpty(&m_rcSystemInvalid);
    RECT update = {0, 0, 0, 0};
    if (!::GetUpdateRect(m_hWndPaint, &update, FALSE)) return true;
    PAINTSTRUCT ps = {};
    if (!m_pRoot) {
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        return true;
    }
    ::BeginPaint(m_hWndPaint, &ps);
    LayoutTree();

    if (m_bFocusNeeded) {
        if (m_bUpdateNeeded) {
            ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        } else {
            CControlUI* target = FindTabStop(m_pFocus, true, nullptr);
            if (!target) target = FindTabStop(nullptr, true, nullptr);
            if (target) SetFocus(target);
            m_bFocusNeeded = false;
        }
    }

    if (m_bLayered)
        PaintLayered(ps.rcPaint);
    else if (m_bOffscreenPaint)
        PaintOffscreen(ps.hdc, ps.rcPaint);
    else {
        int saved = ::SaveDC(ps.hdc);
        PaintRoot(ps.hdc, ps.rcPaint);
        ::RestoreDC(ps.hdc, saved);
        DrawCaret(ps.hdc, ps.rcPaint);
    }
    ::EndPaint(m_hWndPaint, &ps);
    if (HasEffectWork()) ::PostMessageW(m_hWndPaint, UIMSG_EFFECT_FRAME, 0, 0);
    if (m_bUpdateNeeded) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
    return true;
}

// The tree, the caret and the controls that paint over everything, in that order.
void CPaintManagerUI::PaintTree(HDC hDC, const RECT& paintRect) {
    int saved = ::SaveDC(hDC);
    PaintRoot(hDC, paintRect);
    DrawCaret(hDC, paintRect);
    for (int i = 0; i < m_aPostPaintControls.GetSize(); ++i)
        static_cast<CControlUI*>(m_aPostPaintControls.GetAt(i))->DoPostPaint(hDC, paintRect);
    ::RestoreDC(hDC, saved);
}

// Texts in the font already selected select nothing, and most use the
// default font: each selection costs a trip through the display driver
// (under Wine an X resource lookup per font selected).
void CPaintManagerUI::PaintRoot(HDC hDC, const RECT& paintRect) {
    const TFontInfo* font = GetDefaultFontInfo();
    if (font && font->hFont) ::SelectObject(hDC, font->hFont);
    m_pRoot->DoPaint(hDC, paintRect);
}

void CPaintManagerUI::PaintOffscreen(HDC hDC, const RECT& paintRect) {
    if (m_hbmpOffscreen && m_bOffscreenLayered) ReleaseOffscreen();
    if (!m_hbmpOffscreen) {
        RECT client;
        ::GetClientRect(m_hWndPaint, &client);
        m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = ::CreateCompatibleBitmap(m_hDcPaint, client.right - client.left, client.bottom - client.top);
        m_bOffscreenLayered = false;
        if (!m_hDcOffscreen || !m_hbmpOffscreen) {
            ReleaseOffscreen();
            return;
        }
    }
    HGDIOBJ old = ::SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
    PaintTree(m_hDcOffscreen, paintRect);
    ::BitBlt(hDC, paintRect.left, paintRect.top, paintRect.right - paintRect.left, paintRect.bottom - paintRect.top,
             m_hDcOffscreen, paintRect.left, paintRect.top, SRCCOPY);
    ::SelectObject(m_hDcOffscreen, old);
}

void CPaintManagerUI::PaintLayered(const RECT& requested) {
    LONG exStyle = ::GetWindowLongW(m_hWndPaint, GWL_EXSTYLE);
    if ((exStyle & WS_EX_LAYERED) == 0) ::SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    RECT client;
    ::GetClientRect(m_hWndPaint, &client);
    RECT paintRect = requested;
    if (m_bFullLayeredRepaint) {
        m_bFullLayeredRepaint = false;
        paintRect = client;
    } else if (!::IsRectEmpty(&m_rcLayeredUpdate)) {
        ::UnionRect(&paintRect, &paintRect, &m_rcLayeredUpdate);
    }
    ::SetRectEmpty(&m_rcLayeredUpdate);
    ::IntersectRect(&paintRect, &paintRect, &client);

    int width = client.right - client.left, height = client.bottom - client.top;
    if (m_hbmpOffscreen && !m_bOffscreenLayered) ReleaseOffscreen();
    if (!m_hbmpOffscreen) {
        void* bits = nullptr;
        m_hDcOffscreen = ::CreateCompatibleDC(m_hDcPaint);
        m_hbmpOffscreen = CreateBgraDib(m_hDcPaint, width, height, &bits);
        m_pOffscreenBits = static_cast<DWORD*>(bits);
        m_bOffscreenLayered = true;
        if (!m_hDcOffscreen || !m_hbmpOffscreen) {
            ReleaseOffscreen();
            return;
        }
    }
    ::GdiFlush();
    CRenderEngine::ClearPixels(paintRect, m_pOffscreenBits, width);

    HGDIOBJ old = ::SelectObject(m_hDcOffscreen, m_hbmpOffscreen);
    PaintTree(m_hDcOffscreen, paintRect);
    ::GdiFlush();
    // GDI leaves alpha 0 behind: whatever it drew becomes opaque.
    CRenderEngine::FillMissingAlpha(paintRect, m_pOffscreenBits, width);

    RECT window;
    ::GetWindowRect(m_hWndPaint, &window);
    POINT windowPos = {window.left, window.top};
    SIZE size = {window.right - window.left, window.bottom - window.top};
    POINT source = {0, 0};
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(m_hWndPaint, nullptr, &windowPos, &size, m_hDcOffscreen, &source, 0, &bf, ULW_ALPHA);
    ::SelectObject(m_hDcOffscreen, old);
}

void CPaintManagerUI::PrintClient(HDC hDC, LPARAM flags) {
    if (!hDC) return;
    RECT client;
    ::GetClientRect(m_hWndPaint, &client);
    int saved = ::SaveDC(hDC);
    if (m_pRoot) PaintRoot(hDC, client);
    ::RestoreDC(hDC, saved);
    if ((flags & PRF_CHILDREN) == 0) return;
    saved = ::SaveDC(hDC);
    for (HWND child = ::GetWindow(m_hWndPaint, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rc;
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(HWND_DESKTOP, m_hWndPaint, reinterpret_cast<POINT*>(&rc), 2);
        ::SetWindowOrgEx(hDC, -rc.left, -rc.top, nullptr);
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(hDC), flags | PRF_NONCLIENT);
    }
    ::RestoreDC(hDC, saved);
}

// ---- emulated caret ----

bool CPaintManagerUI::ShowCaret(bool show) {
    if (m_bCaretShowing == show) return true;
    m_bCaretShowing = show;
    if (show) {
        ::SetTimer(m_hWndPaint, kCaretTimerId, ::GetCaretBlinkTime(), nullptr);
        if (!m_bCaretActive) {
            InvalidateRect(m_rcCaret);
            m_bCaretActive = true;
        }
    } else {
        ::KillTimer(m_hWndPaint, kCaretTimerId);
        if (m_bCaretActive) {
            InvalidateRect(m_rcCaret);
            m_bCaretActive = false;
        }
    }
    return true;
}

void CPaintManagerUI::SetCaretSize(int width, int height) {
    if (width <= 0) width = ::GetSystemMetrics(SM_CXBORDER);
    if (height <= 0) height = ::GetSystemMetrics(SM_CYBORDER);
    InvalidateRect(m_rcCaret);
    m_rcCaret.right = m_rcCaret.left + width;
    m_rcCaret.bottom = m_rcCaret.top + height;
    InvalidateRect(m_rcCaret);
}

bool CPaintManagerUI::SetCaretPos(CControlUI* control, int x, int y) {
    if (!::SetCaretPos(x, y)) return false;
    m_pCaretOwner = control;
    RECT old = m_rcCaret;
    ::OffsetRect(&m_rcCaret, x - m_rcCaret.left, y - m_rcCaret.top);
    InvalidateRect(old);
    InvalidateRect(m_rcCaret);
    return true;
}

void CPaintManagerUI::DrawCaret(HDC hDC, const RECT& rcPaint) {
    if (!m_pCaretOwner || !m_pCaretOwner->IsFocused() || ::GetFocus() != m_hWndPaint) {
        ::KillTimer(m_hWndPaint, kCaretTimerId);
        if (m_bCaretActive) InvalidateRect(m_rcCaret);
        m_bCaretActive = false;
        return;
    }
    if (!m_bCaretActive || !m_bCaretShowing) return;
    RECT visible;
    if (!::IntersectRect(&visible, &rcPaint, &m_rcCaret)) return;
    DWORD color = GetDefaultFontColor();
    if (color > 0x00FFFFFF) CRenderEngine::DrawColor(hDC, visible, color);
}

// ---- control effects ----

void CPaintManagerUI::AddAnimationJob(const tagEffectJob& job) {
    tagEffectJob queued = job;
    queued.hWnd = m_hWndPaint;
    CEffectSpooler::Instance().AddJob(queued);
    if (m_hWndPaint) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

bool CPaintManagerUI::HasEffectWork() const {
    const CEffectSpooler& spooler = CEffectSpooler::Instance();
    if (!m_hWndPaint) return false;
    if (spooler.IsPrepared()) return spooler.GetWindow() == m_hWndPaint;
    for (int i = 0; i < spooler.JobCount(); ++i)
        if (spooler.JobAt(i)->hWnd == m_hWndPaint) return true;
    return false;
}

// Another window's running animation is left alone.
void CPaintManagerUI::DropEffects() {
    CEffectSpooler& spooler = CEffectSpooler::Instance();
    if (spooler.IsPrepared() && spooler.GetWindow() != m_hWndPaint) return;
    if (spooler.JobCount() > 0 || spooler.IsInitialised()) spooler.CleanUp();
}

void CPaintManagerUI::OnEffectFrame() {
    CEffectSpooler& spooler = CEffectSpooler::Instance();
    if (spooler.IsPrepared()) {
        if (spooler.GetWindow() != m_hWndPaint) return;
        if (!spooler.Render()) spooler.CleanUp();
        PAINTSTRUCT ps = {};
        ::BeginPaint(m_hWndPaint, &ps);
        ::EndPaint(m_hWndPaint, &ps);
        ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
        return;
    }
    if (!HasEffectWork()) return;
    if (spooler.IsInitialised() && spooler.GetWindow() != m_hWndPaint) spooler.CleanUp();
    // Without Direct3D the jobs are dropped and the window paints as usual.
    if (!spooler.Init(m_hWndPaint) || !spooler.PrepareAnimation(m_hWndPaint)) spooler.CleanUp();
    ::InvalidateRect(m_hWndPaint, nullptr, TRUE);
}

}  // namespace UiLib
