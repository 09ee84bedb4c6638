#include "controls/UIActiveXSite.h"

#include "core/manager/UIManager.h"

namespace UiLib {

CActiveXCtrl::CActiveXCtrl(CActiveXUI* owner) : m_pOwner(owner) {}

CActiveXCtrl::~CActiveXCtrl() {
    DestroyActiveXWnd();
    if (m_pUnkSite) m_pUnkSite->Release();
    if (m_pViewObject) m_pViewObject->Release();
    if (m_pInPlaceObject) m_pInPlaceObject->Release();
    if (m_hAccel) ::DestroyAcceleratorTable(m_hAccel);
}

STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceSite ||
        riid == IID_IOleInPlaceSiteEx || riid == IID_IOleInPlaceSiteWindowless)
        *ppv = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (riid == IID_IOleClientSite)
        *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleControlSite)
        *ppv = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IObjectWithSite)
        *ppv = static_cast<IObjectWithSite*>(this);
    else if (riid == IID_IOleContainer || riid == IID_IParseDisplayName)
        *ppv = static_cast<IOleContainer*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }

STDMETHODIMP_(ULONG) CActiveXCtrl::Release() {
    const LONG left = ::InterlockedDecrement(&m_dwRef);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

void CActiveXCtrl::SetViewObject(IViewObject* view, bool isViewObjectEx) {
    if (m_pViewObject) m_pViewObject->Release();
    m_pViewObject = view;
    m_bViewObjectEx = view && isViewObjectEx;
}

IViewObjectEx* CActiveXCtrl::ViewObjectEx() const {
    return m_bViewObjectEx ? static_cast<IViewObjectEx*>(m_pViewObject) : nullptr;
}

IOleInPlaceObjectWindowless* CActiveXCtrl::WindowlessObject() const {
    return m_bWindowless ? static_cast<IOleInPlaceObjectWindowless*>(m_pInPlaceObject) : nullptr;
}

RECT CActiveXCtrl::ObjectRect() const {
    RECT rc = m_pOwner ? m_pOwner->GetPos() : RECT{0, 0, 0, 0};
    if (!m_bWindowless) ::OffsetRect(&rc, -rc.left, -rc.top);
    return rc;
}

void CActiveXCtrl::CreateActiveXWnd() {
    if (m_pWindow || !m_pOwner || !m_pOwner->GetManager()) return;
    m_pWindow = new CActiveXWnd;
    m_pOwner->m_hwndHost = m_pWindow->Init(this, m_pOwner->GetManager()->GetPaintWindow());
    if (!m_pOwner->m_hwndHost) m_pWindow = nullptr;  // a window that failed to open deleted itself
}

void CActiveXCtrl::ForgetWindow(CActiveXWnd* window, HWND hwnd) {
    if (m_pWindow != window) return;
    if (m_pOwner && m_pOwner->m_hwndHost == hwnd) m_pOwner->m_hwndHost = nullptr;
    m_pWindow = nullptr;
}

void CActiveXCtrl::DestroyActiveXWnd() {
    if (!m_pWindow) return;
    CActiveXWnd* window = m_pWindow;
    m_pWindow = nullptr;
    if (m_pOwner && m_pOwner->m_hwndHost == window->GetHWND()) m_pOwner->m_hwndHost = nullptr;
    ::DestroyWindow(window->GetHWND());  // the window deletes itself with its last message
}

void CActiveXCtrl::ReleaseInPlaceObject() {
    if (m_pInPlaceObject) m_pInPlaceObject->Release();
    m_pInPlaceObject = nullptr;
}

// ---- IObjectWithSite ----

STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* site) {
    if (m_pUnkSite) m_pUnkSite->Release();
    m_pUnkSite = site;
    if (m_pUnkSite) m_pUnkSite->AddRef();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!m_pUnkSite) return E_FAIL;
    return m_pUnkSite->QueryInterface(riid, ppv);
}

// ---- IOleClientSite ----

STDMETHODIMP CActiveXCtrl::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** container) {
    if (!container) return E_POINTER;
    *container = nullptr;
    HRESULT hr = E_NOTIMPL;
    if (m_pUnkSite) hr = m_pUnkSite->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
    if (FAILED(hr)) hr = QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
    return hr;
}

STDMETHODIMP CActiveXCtrl::ShowObject() {
    if (!m_pOwner) return E_UNEXPECTED;
    HWND host = m_pOwner->GetHostWindow();
    HDC dc = host ? ::GetDC(host) : nullptr;
    if (!dc) return E_FAIL;
    if (m_pViewObject) {
        const RECT rc = m_pOwner->GetPos();
        const RECTL bounds = {rc.left, rc.top, rc.right, rc.bottom};
        m_pViewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, &bounds, nullptr, 0);
    }
    ::ReleaseDC(host, dc);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnShowWindow(WINBOOL) { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::RequestNewObjectLayout() { return E_NOTIMPL; }

// ---- in-place site ----

STDMETHODIMP CActiveXCtrl::CanWindowlessActivate() { return S_OK; }

STDMETHODIMP CActiveXCtrl::GetCapture() {
    if (!m_pOwner) return E_UNEXPECTED;
    return m_bCaptured ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetCapture(WINBOOL capture) {
    if (!m_pOwner) return E_UNEXPECTED;
    m_bCaptured = capture != FALSE;
    if (m_bCaptured)
        ::SetCapture(m_pOwner->GetHostWindow());
    else
        ::ReleaseCapture();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetFocus() {
    if (!m_pOwner) return E_UNEXPECTED;
    return m_bFocused ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetFocus(WINBOOL focus) {
    if (!m_pOwner) return E_UNEXPECTED;
    if (focus) m_pOwner->SetFocus();
    m_bFocused = focus != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT, DWORD flags, HDC* dc) {
    if (!dc) return E_POINTER;
    if (!m_pOwner) return E_UNEXPECTED;
    *dc = ::GetDC(m_pOwner->GetHostWindow());
    if (!*dc) return E_FAIL;
    if ((flags & OLEDC_PAINTBKGND) != 0) {
        const RECT rc = ObjectRect();
        ::FillRect(*dc, &rc, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC dc) {
    if (!m_pOwner) return E_UNEXPECTED;
    return ::ReleaseDC(m_pOwner->GetHostWindow(), dc) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT rect, WINBOOL erase) {
    if (!m_pOwner) return E_UNEXPECTED;
    HWND host = m_pOwner->GetHostWindow();
    if (!host) return E_FAIL;
    return ::InvalidateRect(host, rect, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN region, WINBOOL erase) {
    if (!m_pOwner) return E_UNEXPECTED;
    return ::InvalidateRgn(m_pOwner->GetHostWindow(), region, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return S_OK; }
STDMETHODIMP CActiveXCtrl::AdjustRect(LPRECT) { return S_OK; }

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!m_pOwner) return E_UNEXPECTED;
    if (!result) return E_POINTER;
    *result = ::DefWindowProcW(m_pOwner->GetHostWindow(), message, wParam, lParam);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(WINBOOL*, DWORD flags) {
    if (!m_pOwner || !m_pOwner->m_pUnk) return E_UNEXPECTED;
    ::OleLockRunning(m_pOwner->m_pUnk, TRUE, FALSE);
    ReleaseInPlaceObject();
    HRESULT hr = E_FAIL;
    if ((flags & ACTIVATE_WINDOWLESS) != 0) {
        m_bWindowless = true;
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObjectWindowless,
                                              reinterpret_cast<void**>(&m_pInPlaceObject));
        if (SUCCEEDED(hr) && m_pOwner->GetManager()) {
            m_pOwner->m_hwndHost = m_pOwner->GetManager()->GetPaintWindow();
            m_pOwner->GetManager()->RemoveMessageFilter(m_pOwner);
            m_pOwner->GetManager()->AddMessageFilter(m_pOwner);
        }
    }
    if (FAILED(hr)) {
        m_bWindowless = false;
        CreateActiveXWnd();
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&m_pInPlaceObject));
    }
    if (m_pInPlaceObject) {
        const RECT rc = ObjectRect();
        m_pInPlaceObject->SetObjectRects(&rc, &rc);
    }
    m_bInPlaceActive = SUCCEEDED(hr);
    return hr;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(WINBOOL) {
    m_bInPlaceActive = false;
    ReleaseInPlaceObject();
    DestroyActiveXWnd();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::RequestUIActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::OnInPlaceActivate() { return OnInPlaceActivateEx(nullptr, 0); }

STDMETHODIMP CActiveXCtrl::OnUIActivate() {
    m_bUIActivated = true;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                            LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frame || !doc || !position || !clip || !frameInfo) return E_POINTER;
    *frame = nullptr;
    *doc = nullptr;
    if (!m_pOwner) return E_UNEXPECTED;
    RECT rc = m_pOwner->GetPos();
    if (!m_bWindowless && m_pWindow) ::GetClientRect(m_pWindow->GetHWND(), &rc);
    *position = rc;
    *clip = rc;
    *frame = new CActiveXFrameWnd(m_pOwner);
    if (!m_hAccel) {
        ACCEL empty = {0, 0, 0};
        m_hAccel = ::CreateAcceleratorTableW(&empty, 1);
    }
    frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = m_pOwner->GetManager() ? m_pOwner->GetManager()->GetPaintWindow() : nullptr;
    frameInfo->haccel = m_hAccel;
    frameInfo->cAccelEntries = 1;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(WINBOOL) {
    m_bUIActivated = false;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivate() { return OnInPlaceDeactivateEx(TRUE); }
STDMETHODIMP CActiveXCtrl::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    if (!m_pOwner) return E_UNEXPECTED;
    if (!m_pOwner->m_hwndHost) CreateActiveXWnd();
    *hwnd = m_pOwner->m_hwndHost;
    return *hwnd ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ContextSensitiveHelp(WINBOOL) { return S_OK; }

// ---- IOleControlSite ----

STDMETHODIMP CActiveXCtrl::OnControlInfoChanged() { return S_OK; }

STDMETHODIMP CActiveXCtrl::LockInPlaceActive(WINBOOL lock) {
    m_bInPlaceActive = lock != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** dispatch) {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    if (!m_pOwner || !m_pOwner->m_pUnk) return E_UNEXPECTED;
    return m_pOwner->m_pUnk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
}

STDMETHODIMP CActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

STDMETHODIMP CActiveXCtrl::OnFocus(WINBOOL gotFocus) {
    m_bFocused = gotFocus != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowPropertyFrame() { return E_NOTIMPL; }

// ---- IOleContainer ----

STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** enumerator) {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    if (!m_pOwner) return E_UNEXPECTED;
    *enumerator = new CActiveXEnum(m_pOwner->m_pUnk);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockContainer(WINBOOL lock) {
    m_bLocked = lock != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker**) { return E_NOTIMPL; }

}  // namespace UiLib
