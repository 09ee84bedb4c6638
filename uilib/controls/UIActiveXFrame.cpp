// The windowed object's child window, the in-place frame and the object
// enumerator of the ActiveX host.
#include "controls/UIActiveXSite.h"

#include "core/manager/UIManager.h"

namespace UiLib {

// ---- CActiveXWnd ----

HWND CActiveXWnd::Init(CActiveXCtrl* site, HWND parent) {
    m_pOwner = site;
    const UINT style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    return Create(parent, L"UIActiveX", style, 0, 0, 0, 0, 0, nullptr);
}

void CActiveXWnd::OnFinalMessage(HWND hWnd) {
    if (m_pOwner) m_pOwner->ForgetWindow(this, hWnd);
    delete this;
}

void CActiveXWnd::DoVerb(LONG verb) {
    CActiveXUI* owner = m_pOwner ? m_pOwner->Owner() : nullptr;
    if (!owner || !owner->m_pUnk || !owner->GetManager()) return;
    IOleClientSite* clientSite = nullptr;
    m_pOwner->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&clientSite));
    const RECT rc = owner->GetPos();
    owner->m_pUnk->DoVerb(verb, nullptr, clientSite, 0, owner->GetManager()->GetPaintWindow(), &rc);
    if (clientSite) clientSite->Release();
}

LRESULT CActiveXWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        if (m_pOwner) {
            m_pOwner->SetFocused(true);
            if (!m_pOwner->IsUIActive()) DoVerb(OLEIVERB_UIACTIVATE);
        }
        break;
    case WM_KILLFOCUS:
        if (m_pOwner) m_pOwner->SetFocused(false);
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        ::BeginPaint(m_hWnd, &ps);
        ::EndPaint(m_hWnd, &ps);
        return 1;
    }
    case WM_ERASEBKGND:
        if (m_pOwner && m_pOwner->ViewObject()) return 1;
        break;
    case WM_MOUSEACTIVATE: {
        CActiveXUI* owner = m_pOwner ? m_pOwner->Owner() : nullptr;
        DWORD misc = 0;
        if (owner && owner->m_pUnk) owner->m_pUnk->GetMiscStatus(DVASPECT_CONTENT, &misc);
        if ((misc & OLEMISC_NOUIACTIVATE) != 0) return 0;
        if (m_pOwner && !m_pOwner->IsInPlaceActive()) DoVerb(OLEIVERB_INPLACEACTIVATE);
        break;
    }
    case WM_MOUSEWHEEL:
        return 0;  // the object's window keeps the wheel from the skin behind it
    default:
        break;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

// ---- CActiveXFrameWnd ----

CActiveXFrameWnd::~CActiveXFrameWnd() {
    if (m_pActiveObject) m_pActiveObject->Release();
}

STDMETHODIMP CActiveXFrameWnd::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
        riid == IID_IOleInPlaceFrame)
        *ppv = static_cast<IOleInPlaceFrame*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }

STDMETHODIMP_(ULONG) CActiveXFrameWnd::Release() {
    const LONG left = ::InterlockedDecrement(&m_dwRef);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP CActiveXFrameWnd::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = nullptr;
    if (!m_pOwner || !m_pOwner->GetManager()) return E_UNEXPECTED;
    *hwnd = m_pOwner->GetManager()->GetPaintWindow();
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::ContextSensitiveHelp(WINBOOL) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::GetBorder(LPRECT) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    if (object) object->AddRef();
    if (m_pActiveObject) m_pActiveObject->Release();
    m_pActiveObject = object;
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::EnableModeless(WINBOOL) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// ---- CActiveXEnum ----

CActiveXEnum::CActiveXEnum(IUnknown* object) : m_pUnk(object) {
    if (m_pUnk) m_pUnk->AddRef();
}

CActiveXEnum::~CActiveXEnum() {
    if (m_pUnk) m_pUnk->Release();
}

STDMETHODIMP CActiveXEnum::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IEnumUnknown) *ppv = static_cast<IEnumUnknown*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXEnum::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }

STDMETHODIMP_(ULONG) CActiveXEnum::Release() {
    const LONG left = ::InterlockedDecrement(&m_dwRef);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP CActiveXEnum::Next(ULONG count, IUnknown** objects, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!objects) return E_POINTER;
    if (count != 1 || m_iPos != 0 || !m_pUnk) return S_FALSE;
    *objects = m_pUnk;
    m_pUnk->AddRef();
    if (fetched) *fetched = 1;
    ++m_iPos;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Skip(ULONG count) {
    m_iPos += static_cast<LONG>(count);
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Reset() {
    m_iPos = 0;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Clone(IEnumUnknown**) { return E_NOTIMPL; }

}  // namespace UiLib
