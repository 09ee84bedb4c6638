#include "controls/UIMenuWnd.h"

#include "controls/UIMenu.h"
#include "controls/UIMenuElement.h"
#include "controls/UIMenuPlacement.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace UiLib {

namespace {
std::vector<CMenuElementUI*> SubItemsOf(CMenuElementUI* owner) {
    std::vector<CMenuElementUI*> items;
    for (int i = 0; i < owner->GetCount(); ++i) {
        CControlUI* child = owner->GetItemAt(i);
        if (IsMenuElement(child)) items.push_back(static_cast<CMenuElementUI*>(child->GetInterface(L"MenuElement")));
    }
    return items;
}

CMenuWnd* AsMenuWindow(ReceiverImplBase* receiver) { return dynamic_cast<CMenuWnd*>(receiver); }
}  // namespace

CMenuWnd::CMenuWnd() = default;
CMenuWnd::~CMenuWnd() = default;

const wchar_t* CMenuWnd::GetWindowClassName() const { return L"UiMenuWnd"; }

bool CMenuWnd::IsMenuWindow(HWND hwnd) {
    if (!hwnd) return false;
    ObserverImpl& observer = ObserverImpl::Instance();
    for (int i = 0; i < observer.GetReceiverCount(); ++i) {
        CMenuWnd* menu = AsMenuWindow(observer.GetReceiverAt(i));
        if (menu && menu->GetHWND() == hwnd) return true;
    }
    return false;
}

void CMenuWnd::Init(CMenuElementUI* owner, MenuCheckStates* checkStates, CPaintManagerUI* mainManager, STRINGorID xml,
                    DWORD alignment, POINT point) {
    m_BasedPoint = point;
    m_pOwner = owner;
    if (xml.IsId())
        m_xmlId = reinterpret_cast<UINT_PTR>(xml.m_lpstr);
    else
        m_sXml = xml.m_lpstr ? xml.m_lpstr : L"";
    m_dwAlignment = alignment;

    ObserverImpl& observer = ObserverImpl::Instance();
    if (!owner) {
        observer.SetMainManager(mainManager);
        if (checkStates) observer.SetCheckStates(checkStates);
    }
    observer.AddReceiver(this);

    HWND parent = nullptr;
    if (owner && owner->GetManager())
        parent = owner->GetManager()->GetPaintWindow();
    else if (mainManager)
        parent = mainManager->GetPaintWindow();
    if (!Create(parent, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 0, 0)) {
        // No window means no final message: leave the observer and go.
        RemoveObservers();
        if (owner) owner->m_pWindow = nullptr;
        delete this;
        return;
    }
    ::ShowWindow(m_hWnd, SW_SHOW);
    // The application window keeps its active caption while its menu is open.
    HWND outermost = m_hWnd;
    while (HWND up = ::GetParent(outermost)) outermost = up;
    ::SendMessageW(outermost, WM_NCACTIVATE, TRUE, 0);
}

CControlUI* CMenuWnd::CreateControl(const wchar_t* pstrClass) {
    if (!pstrClass) return nullptr;
    if (_wcsicmp(pstrClass, L"Menu") == 0) return new CMenuUI;
    if (_wcsicmp(pstrClass, L"MenuElement") == 0) return new CMenuElementUI;
    return nullptr;
}

RECT CMenuWnd::WorkArea() const {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcWork;
}

int CMenuWnd::RootInsetHeight() const {
    if (!m_pLayout) return 0;
    const RECT inset = m_pLayout->GetInset();
    return inset.top + inset.bottom;
}

void CMenuWnd::CreateTopMenu() {
    m_pm.Init(m_hWnd);
    CDialogBuilder builder;
    CControlUI* root = m_xmlId ? builder.Create(STRINGorID(static_cast<UINT>(m_xmlId)), L"xml", this, &m_pm)
                               : builder.Create(STRINGorID(m_sXml.GetData()), nullptr, this, &m_pm);
    m_pLayout = root ? static_cast<CMenuUI*>(root->GetInterface(L"Menu")) : nullptr;
    if (!m_pLayout) {
        delete root;
        return;
    }
    m_pm.AttachRoot(m_pLayout);
    m_pm.AddNotifier(this);
    PlaceTopMenu();
}

void CMenuWnd::PlaceTopMenu() {
    const RECT work = WorkArea();
    SIZE size = m_pLayout->EstimateSize(SIZE{work.right - work.left, work.bottom - work.top});
    size.cy += RootInsetHeight();
    const RECT rc = UiLib::PlaceTopMenu(m_BasedPoint, size, m_dwAlignment, work);
    ::SetForegroundWindow(m_hWnd);
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_SHOWWINDOW);
}

void CMenuWnd::CreateSubMenu() {
    LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    style = (style & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, style);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    m_pm.Init(m_hWnd);
    CPaintManagerUI* ownerManager = m_pOwner->GetManager();
    m_pLayout = new CMenuUI;
    m_pm.SetParentManager(ownerManager);
    if (ownerManager) {
        if (const wchar_t* defaults = ownerManager->GetDefaultAttributeList(L"Menu"))
            m_pLayout->ApplyAttributeList(defaults);
    }
    // The items stay the owner's: this window only shows them.
    m_pLayout->SetAutoDestroy(false);
    m_pLayout->GetList()->SetAutoDestroy(false);
    for (CMenuElementUI* item : SubItemsOf(m_pOwner)) {
        item->SetOwner(m_pLayout);
        m_pLayout->Add(item);
    }
    m_pm.AttachRoot(m_pLayout);
    m_pm.AddNotifier(this);
    PlaceSubMenu();
}

void CMenuWnd::PlaceSubMenu() {
    const RECT work = WorkArea();
    const SIZE available = {work.right - work.left, work.bottom - work.top};
    SIZE size = {0, RootInsetHeight()};
    for (CMenuElementUI* item : SubItemsOf(m_pOwner)) {
        const SIZE estimate = item->EstimateSize(available);
        size.cx = std::max(size.cx, estimate.cx);
        size.cy += estimate.cy;
    }
    HWND parentWindow = m_pOwner->GetManager()->GetPaintWindow();
    RECT parent = {};
    ::GetWindowRect(parentWindow, &parent);
    POINT ownerTop = {m_pOwner->GetPos().left, m_pOwner->GetPos().top};
    ::ClientToScreen(parentWindow, &ownerTop);
    std::vector<RECT> earlier;
    ObserverImpl& observer = ObserverImpl::Instance();
    for (int i = 0; i < observer.GetReceiverCount(); ++i) {
        CMenuWnd* menu = AsMenuWindow(observer.GetReceiverAt(i));
        if (!menu) continue;
        if (menu->GetHWND() == parentWindow) break;
        RECT rc = {};
        if (::GetWindowRect(menu->GetHWND(), &rc)) earlier.push_back(rc);
    }
    const RECT rc = UiLib::PlaceSubMenu(parent, ownerTop.y, size, earlier, work);
    ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
}

void CMenuWnd::ApplyRoundCorners() {
    const SIZE round = m_pm.GetRoundCorner();
    // Square corners need no region; a window region also costs every paint a clip.
    if (round.cx <= 0 && round.cy <= 0) return;
    RECT rc = {};
    ::GetWindowRect(m_hWnd, &rc);
    HRGN region = ::CreateRoundRectRgn(0, 0, rc.right - rc.left + 1, rc.bottom - rc.top + 1, round.cx, round.cy);
    // The window owns the region from here on.
    if (region && !::SetWindowRgn(m_hWnd, region, TRUE)) ::DeleteObject(region);
}

void CMenuWnd::GiveBackSubItems() {
    if (!m_pOwner) return;
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
}

LRESULT CMenuWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE:
        if (m_pOwner)
            CreateSubMenu();
        else
            CreateTopMenu();
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) ApplyRoundCorners();
        break;
    case WM_KILLFOCUS:
        if (!IsMenuWindow(reinterpret_cast<HWND>(wParam))) ObserverImpl::Instance().Broadcast(kMenuCloseAll, nullptr);
        break;
    case WM_CLOSE:
        if (m_pOwner) {
            GiveBackSubItems();
            m_pOwner->SetPos(m_pOwner->GetPos());
            m_pOwner->SetFocus();
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE || wParam == VK_LEFT) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
        break;
    case WM_CONTEXTMENU:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

BOOL CMenuWnd::Receive(int type, HWND param) {
    bool close = type == kMenuCloseAll;
    if (type == kMenuCloseBelow) {
        for (HWND up = ::GetParent(m_hWnd); up && !close; up = ::GetParent(up)) close = up == param;
    }
    if (close && ::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
    return TRUE;
}

void CMenuWnd::Notify(TNotifyUI& msg) {
    CPaintManagerUI* main = ObserverImpl::Instance().GetMainManager();
    if (!main) return;
    if (msg.sType == L"click" || msg.sType == L"valuechanged") main->SendNotifyRecord(msg);
}

void CMenuWnd::OnFinalMessage(HWND) {
    RemoveObservers();
    if (m_pOwner) {
        // A window destroyed with its parent menu got no WM_CLOSE: the items
        // still leave this window's manager before it goes.
        for (CMenuElementUI* item : SubItemsOf(m_pOwner)) {
            if (item->GetManager() == &m_pm) {
                GiveBackSubItems();
                break;
            }
        }
        if (m_pLayout) m_pLayout->GetList()->RemoveAll();
        for (CMenuElementUI* item : SubItemsOf(m_pOwner)) {
            item->SetOwner(m_pOwner->GetParent());
            item->SetVisible(false);
            item->SetInternVisible(false);
        }
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~0x10u;
        m_pOwner->Invalidate();
    }
    delete this;
}

}  // namespace UiLib
