#include "controls/UIComboWnd.h"

#include "controls/UICombo.h"
#include "controls/UIVerticalLayout.h"
#include "core/manager/UIScrollBar.h"

#include <windowsx.h>

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {
// Room for the column's one-pixel border above and below the rows.
const int kBorderAllowance = 4;

RECT PrimaryWorkArea() {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}
}  // namespace

RECT CComboWnd::PlaceBelowOrAbove() const {
    const RECT owner = m_pOwner->GetPos();
    const SIZE dropBox = m_pOwner->GetDropBoxSize();
    RECT rc = {owner.left, owner.bottom, owner.right, owner.bottom + dropBox.cy};
    if (dropBox.cx > 0) rc.right = rc.left + dropBox.cx;

    const SIZE available = {rc.right - rc.left, rc.bottom - rc.top};
    int needed = kBorderAllowance;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        if (item->IsVisible()) needed += item->EstimateSize(available).cy;
    }
    const int height = std::min<int>(needed, dropBox.cy);
    rc.bottom = rc.top + height;

    HWND paint = m_pOwner->GetManager()->GetPaintWindow();
    ::MapWindowPoints(paint, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    if (rc.bottom > PrimaryWorkArea().bottom) {
        // No room below: the pop-up ends at the combo's top instead.
        POINT top = {owner.left, owner.top};
        ::ClientToScreen(paint, &top);
        rc.bottom = top.y;
        rc.top = rc.bottom - height;
    }
    return rc;
}

void CComboWnd::Init(CComboUI* owner) {
    m_pOwner = owner;
    m_iOldSel = owner->GetCurSel();
    CPaintManagerUI* manager = owner->GetManager();
    if (!manager) return;
    const RECT rc = PlaceBelowOrAbove();
    if (!Create(manager->GetPaintWindow(), nullptr, WS_POPUP, WS_EX_TOOLWINDOW, rc)) return;
    HWND frame = manager->GetPaintWindow();
    while (::GetParent(frame)) frame = ::GetParent(frame);
    ::ShowWindow(m_hWnd, SW_SHOW);
    // The frame keeps its active look while the pop-up has the focus.
    ::SendMessageW(frame, WM_NCACTIVATE, TRUE, 0);
}

void CComboWnd::BuildColumn() {
    m_pm.Init(m_hWnd);
    CPaintManagerUI* ownerManager = m_pOwner->GetManager();
    m_pLayout = new CVerticalLayoutUI;
    m_pm.SetParentManager(ownerManager);
    if (const wchar_t* defaults = ownerManager->GetDefaultAttributeList(L"VerticalLayout"))
        m_pLayout->ApplyAttributeList(defaults);
    m_pLayout->SetInset(RECT{1, 1, 1, 1});
    m_pLayout->SetBkColor(0xFFFFFFFF);
    m_pLayout->SetBorderColor(0xFFC6C7D2);
    m_pLayout->SetBorderSize(1);
    m_pLayout->SetAutoDestroy(false);  // the rows stay the combo's
    m_pLayout->EnableScrollBar(true, false);
    m_pLayout->ApplyAttributeList(m_pOwner->GetDropBoxAttributeList());
    for (int i = 0; i < m_pOwner->GetCount(); ++i) m_pLayout->Add(m_pOwner->GetItemAt(i));
    m_pm.AttachRoot(m_pLayout);
    m_pm.AddNotifier(this);
}

void CComboWnd::ReturnItems() {
    if (m_bItemsReturned || !m_pOwner) return;
    m_bItemsReturned = true;
    if (m_pLayout) m_pLayout->RemoveAll();
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
}

void CComboWnd::Detach() {
    ReturnItems();
    m_pOwner = nullptr;
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);  // OnFinalMessage deletes this object
    else
        delete this;
}

void CComboWnd::ForgetItem(CControlUI* item) {
    if (!m_pLayout || !m_pOwner || m_bItemsReturned) return;
    const int index = m_pLayout->GetItemIndex(item);
    if (index >= 0) m_pLayout->RemoveAt(index);
    m_pm.ForgetControl(item);
    // Whoever deletes it later reaches the combo's manager, not this one.
    item->SetManager(m_pOwner->GetManager(), m_pOwner, false);
}

void CComboWnd::EnsureVisible(int index) {
    if (!m_pOwner || m_pOwner->GetCurSel() < 0 || !m_pLayout) return;
    CControlUI* item = m_pOwner->GetItemAt(index);
    if (!item) return;
    const RECT itemRect = item->GetPos();
    RECT listRect = m_pLayout->GetPos();
    CScrollBarUI* horizontal = m_pLayout->GetHorizontalScrollBar();
    if (horizontal && horizontal->IsVisible()) listRect.bottom -= horizontal->GetFixedHeight();
    if (itemRect.top >= listRect.top && itemRect.bottom < listRect.bottom) return;
    const int dy = itemRect.bottom > listRect.bottom ? itemRect.bottom - listRect.bottom : itemRect.top - listRect.top;
    SIZE pos = m_pLayout->GetScrollPos();
    pos.cy += dy;
    m_pLayout->SetScrollPos(pos);
}

void CComboWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") {
        EnsureVisible(m_iOldSel);
        return;
    }
    // The rows' own notifications ("itemclick" and the like) reach the
    // combo's window, as they would if the rows were shown there.
    CPaintManagerUI* ownerManager = m_pOwner ? m_pOwner->GetManager() : nullptr;
    if (ownerManager && msg.pSender && m_pOwner->GetItemIndex(msg.pSender) >= 0) ownerManager->SendNotifyRecord(msg);
}

void CComboWnd::ForwardToOwner(int type, WPARAM wParam, LPARAM lParam, UINT key) {
    TEventUI event = {};
    event.Type = type;
    event.pSender = m_pOwner;
    event.chKey = static_cast<wchar_t>(key);
    event.wParam = wParam;
    event.lParam = lParam;
    event.wKeyState = static_cast<WORD>(CPaintManagerUI::GetKeyStateFlags());
    event.dwTimestamp = ::GetTickCount();
    m_pOwner->DoEvent(event);
}

LRESULT CComboWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    ++m_iHandling;
    const LRESULT result = Dispatch(uMsg, wParam, lParam);
    if (--m_iHandling == 0 && m_bFinished) delete this;
    return result;
}

LRESULT CComboWnd::Dispatch(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (!m_pOwner) return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_CREATE:
        BuildColumn();
        return 0;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd) PostMessage(WM_CLOSE);
        break;
    case WM_CLOSE:
        ReturnItems();
        m_pOwner->SetPos(m_pOwner->GetPos());
        m_pOwner->SetFocus();
        break;
    case WM_LBUTTONUP: {
        // A pick closes the list; a click on its scroll bar does not.
        const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        CControlUI* hit = m_pm.FindControl(pt);
        if (hit && std::wcscmp(hit->GetClass(), L"ScrollBarUI") != 0) PostMessage(WM_KILLFOCUS);
        break;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            PostMessage(WM_KILLFOCUS);
        } else if (wParam == VK_ESCAPE) {
            m_pOwner->SelectItem(m_iOldSel, true);
            EnsureVisible(m_iOldSel);
            PostMessage(WM_KILLFOCUS);
        } else {
            ForwardToOwner(UIEVENT_KEYDOWN, wParam, lParam, static_cast<UINT>(wParam));
            if (m_pOwner) EnsureVisible(m_pOwner->GetCurSel());
        }
        return 0;
    case WM_MOUSEWHEEL:
        ForwardToOwner(UIEVENT_SCROLLWHEEL, GET_WHEEL_DELTA_WPARAM(wParam) < 0 ? 1 : 0, lParam, 0);
        if (m_pOwner) EnsureVisible(m_pOwner->GetCurSel());
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_hWnd && m_pm.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND) {
    if (m_pOwner) {
        // Destroyed without a close (its owner window went first): the rows
        // must not keep pointing at this window's manager.
        ReturnItems();
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~CComboUI::kPushed;
        m_pOwner->Invalidate();
        m_pOwner = nullptr;
    }
    m_bFinished = true;
    if (m_iHandling == 0) delete this;
}

}  // namespace UiLib
