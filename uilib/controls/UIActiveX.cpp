#include "controls/UIActiveX.h"

#include "controls/UIActiveXSite.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <ocidl.h>

#include <cwchar>

namespace UiLib {

namespace {

const int kMaxClassTextLength = 99;

// Releases a COM pointer on every way out of a creation step.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p) p->Release();
    }
    T** Out() { return &p; }
    void** OutVoid() { return reinterpret_cast<void**>(&p); }
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
    T* Detach() {
        T* taken = p;
        p = nullptr;
        return taken;
    }

    T* p = nullptr;
};

int PixelsToHimetric(int pixels, int dpi) { return ::MulDiv(pixels, 2540, dpi); }

}  // namespace

CActiveXUI::CActiveXUI() : m_clsid(GUID_NULL) {}

CActiveXUI::~CActiveXUI() { CActiveXUI::ReleaseControl(); }

const wchar_t* CActiveXUI::GetClass() const { return L"ActiveXUI"; }

LPVOID CActiveXUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"ActiveX") == 0) return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(name);
}

bool CActiveXUI::CreateControl(const wchar_t* clsidOrProgId) {
    if (!clsidOrProgId) return false;
    wchar_t text[kMaxClassTextLength + 1] = {};
    std::wcsncpy(text, clsidOrProgId, kMaxClassTextLength);
    CLSID clsid = GUID_NULL;
    if (text[0] == L'{')
        ::CLSIDFromString(text, &clsid);
    else
        ::CLSIDFromProgID(text, &clsid);
    return CreateControl(clsid);
}

bool CActiveXUI::CreateControl(const CLSID& clsid) {
    if (clsid == GUID_NULL) return false;
    m_clsid = clsid;
    m_bCreated = false;
    if (!m_bDelayCreate) DoCreateControl();
    return true;
}

void CActiveXUI::SetDelayCreate(bool delayCreate) {
    if (m_bDelayCreate == delayCreate) return;
    m_bDelayCreate = delayCreate;
    if (!delayCreate && !m_bCreated && m_clsid != GUID_NULL) DoCreateControl();
}

HRESULT CActiveXUI::GetControl(const IID& iid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!m_pUnk) return E_PENDING;
    return m_pUnk->QueryInterface(iid, ppv);
}

void CActiveXUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"clsid") == 0)
        CreateControl(value);
    else if (std::wcscmp(name, L"modulename") == 0)
        SetModuleName(value);
    else if (std::wcscmp(name, L"delaycreate") == 0)
        SetDelayCreate(ParseBoolValue(value));
    else
        CControlUI::SetAttribute(name, value);
}

IUnknown* CActiveXUI::CreateObject() {
    if (!m_sModuleName.IsEmpty()) {
        if (!m_hModule) m_hModule = ::LoadLibraryW(m_sModuleName);
        typedef HRESULT(STDAPICALLTYPE * GetClassObjectProc)(REFCLSID, REFIID, LPVOID*);
        auto getClassObject =
            m_hModule ? reinterpret_cast<GetClassObjectProc>(
                            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "DllGetClassObject")))
                      : nullptr;
        ComRef<IClassFactory> factory;
        if (getClassObject) getClassObject(m_clsid, IID_IClassFactory, factory.OutVoid());
        ComRef<IUnknown> made;
        if (factory && SUCCEEDED(factory->CreateInstance(nullptr, IID_IOleObject, made.OutVoid())) && made)
            return made.Detach();
    }
    ComRef<IUnknown> made;
    if (FAILED(::CoCreateInstance(m_clsid, nullptr, CLSCTX_ALL, IID_IOleControl, made.OutVoid()))) return nullptr;
    return made.Detach();
}

bool CActiveXUI::DoCreateControl() {
    ReleaseControl();
    m_bCreated = true;

    ComRef<IUnknown> made;
    made.p = CreateObject();
    if (!made) return false;
    made->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_pUnk));
    if (!m_pUnk) return false;

    m_pControl = new CActiveXCtrl(this);
    DWORD misc = 0;
    m_pUnk->GetMiscStatus(DVASPECT_CONTENT, &misc);
    ComRef<IOleClientSite> clientSite;
    m_pControl->QueryInterface(IID_IOleClientSite, clientSite.OutVoid());
    if ((misc & OLEMISC_SETCLIENTSITEFIRST) != 0) m_pUnk->SetClientSite(clientSite.p);

    ComRef<IPersistStreamInit> persist;
    if (SUCCEEDED(m_pUnk->QueryInterface(IID_IPersistStreamInit, persist.OutVoid())) && persist) {
        if (FAILED(persist->InitNew())) {
            // Nothing half-made stays behind: object, site and module go.
            ReleaseControl();
            return false;
        }
    }
    if ((misc & OLEMISC_SETCLIENTSITEFIRST) == 0) m_pUnk->SetClientSite(clientSite.p);

    IViewObject* view = nullptr;
    HRESULT hr = m_pUnk->QueryInterface(IID_IViewObjectEx, reinterpret_cast<void**>(&view));
    const bool isViewObjectEx = SUCCEEDED(hr) && view;
    if (!isViewObjectEx) {
        view = nullptr;
        hr = m_pUnk->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&view));
        if (FAILED(hr) || !view) hr = m_pUnk->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view));
    }
    m_pControl->SetViewObject(SUCCEEDED(hr) ? view : nullptr, isViewObjectEx);

    m_pUnk->SetHostNames(L"UIActiveX", nullptr);
    if (m_pManager) m_pManager->SendNotify(this, L"showactivex");
    // The notification's handler may have let go of the object.
    if (!m_pUnk || !m_pControl) return false;
    if ((misc & OLEMISC_INVISIBLEATRUNTIME) == 0) {
        const RECT rc = m_rcItem;
        HWND paintWindow = m_pManager ? m_pManager->GetPaintWindow() : nullptr;
        hr = m_pUnk->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.p, 0, paintWindow, &rc);
    }
    ComRef<IObjectWithSite> withSite;
    if (SUCCEEDED(m_pUnk->QueryInterface(IID_IObjectWithSite, withSite.OutVoid())) && withSite) {
        withSite->SetSite(static_cast<IOleClientSite*>(m_pControl));
    }
    return SUCCEEDED(hr);
}

void CActiveXUI::ReleaseControl() {
    m_hwndHost = nullptr;
    if (m_pUnk) {
        ComRef<IObjectWithSite> withSite;
        if (SUCCEEDED(m_pUnk->QueryInterface(IID_IObjectWithSite, withSite.OutVoid())) && withSite)
            withSite->SetSite(nullptr);
        m_pUnk->Close(OLECLOSE_NOSAVE);
        m_pUnk->SetClientSite(nullptr);
        m_pUnk->Release();
        m_pUnk = nullptr;
    }
    if (m_pControl) {
        m_pControl->Detach();
        m_pControl->Release();
        m_pControl = nullptr;
    }
    if (m_pManager) m_pManager->RemoveMessageFilter(this);
    if (m_hModule) {
        // A module whose objects are still held elsewhere stays loaded.
        typedef HRESULT(STDAPICALLTYPE * CanUnloadProc)();
        auto canUnload = reinterpret_cast<CanUnloadProc>(
            reinterpret_cast<void*>(::GetProcAddress(m_hModule, "DllCanUnloadNow")));
        if (canUnload && canUnload() == S_OK) ::FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
}

void CActiveXUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (!m_bCreated) DoCreateControl();
    if (!m_pUnk || !m_pControl) return;

    SIZEL extent = {m_rcItem.right - m_rcItem.left, m_rcItem.bottom - m_rcItem.top};
    HDC screen = ::GetDC(nullptr);
    extent.cx = PixelsToHimetric(extent.cx, ::GetDeviceCaps(screen, LOGPIXELSX));
    extent.cy = PixelsToHimetric(extent.cy, ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    m_pUnk->SetExtent(DVASPECT_CONTENT, &extent);

    if (IOleInPlaceObject* inPlace = m_pControl->WindowlessObject()) {
        inPlace->SetObjectRects(&m_rcItem, &m_rcItem);
    } else {
        ComRef<IOleInPlaceObject> windowed;
        if (SUCCEEDED(m_pUnk->QueryInterface(IID_IOleInPlaceObject, windowed.OutVoid())) && windowed) {
            const RECT object = m_pControl->ObjectRect();
            windowed->SetObjectRects(&object, &object);
        }
    }
    if (!m_pControl->IsWindowless() && m_hwndHost) {
        ::MoveWindow(m_hwndHost, m_rcItem.left, m_rcItem.top, m_rcItem.right - m_rcItem.left,
                     m_rcItem.bottom - m_rcItem.top, TRUE);
    }
}

void CActiveXUI::SyncHostWindowVisibility() {
    if (m_pControl && !m_pControl->IsWindowless() && m_hwndHost)
        ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    SyncHostWindowVisibility();
}

void CActiveXUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
    SyncHostWindowVisibility();
}

void CActiveXUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT visible;
    if (!::IntersectRect(&visible, &rcPaint, &m_rcItem)) return;
    if (!m_pControl || !m_pControl->IsWindowless() || !m_pControl->ViewObject()) return;
    const RECTL bounds = {m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    m_pControl->ViewObject()->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hDC, &bounds, &bounds, nullptr,
                                   0);
}

LRESULT CActiveXUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (!m_pControl || !m_pControl->IsInPlaceActive()) return 0;
    IOleInPlaceObjectWindowless* windowless = m_pControl->WindowlessObject();
    if (!windowless) return 0;
    const bool mouse = message >= 0x200 && message <= 0x20D;
    const bool keyboard = message >= 0x100 && message <= 0x109;
    if (mouse && !IsMouseEnabled()) return 0;
    bool reportHandled = true;
    if (mouse || message == WM_SETCURSOR) {
        if (!m_pControl->HasCapture()) {
            // Only an object that answers hit tests says where it is hit.
            IViewObjectEx* view = m_pControl->ViewObjectEx();
            if (!view) return 0;
            POINT pt;
            if (message == WM_SETCURSOR) {
                ::GetCursorPos(&pt);
                ::ScreenToClient(m_pManager ? m_pManager->GetPaintWindow() : nullptr, &pt);
            } else {
                pt.x = static_cast<short>(LOWORD(lParam));
                pt.y = static_cast<short>(HIWORD(lParam));
            }
            DWORD hit = HITRESULT_OUTSIDE;
            view->QueryHitPoint(DVASPECT_CONTENT, &m_rcItem, pt, 0, &hit);
            if (hit != HITRESULT_HIT) return 0;
        }
        if (message == WM_SETCURSOR) reportHandled = false;
    } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
        reportHandled = false;
    } else if (keyboard) {
        if (!IsFocused()) return 0;
    } else {
        return 0;
    }
    LRESULT result = 0;
    const HRESULT hr = windowless->OnWindowMessage(message, wParam, lParam, &result);
    if (hr == S_OK) handled = reportHandled;
    return result;
}

HRESULT CActiveXUI::ConnectEventSink(IUnknown* source, const IID& events, IDispatch* sink, DWORD& cookie,
                                     bool advise) {
    if (!source || (!advise && cookie == 0)) return S_FALSE;
    ComRef<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.OutVoid());
    if (FAILED(hr) || !container) return FAILED(hr) ? hr : E_NOINTERFACE;
    ComRef<IConnectionPoint> point;
    hr = container->FindConnectionPoint(events, point.Out());
    if (FAILED(hr) || !point) return FAILED(hr) ? hr : E_NOINTERFACE;
    if (advise) return point->Advise(sink, &cookie);
    hr = point->Unadvise(cookie);
    cookie = 0;
    return hr;
}

LRESULT CActiveXUI::PassKeyToObject(MSG* msg) {
    if (!msg || msg->message < 0x100 || msg->message > 0x109) return S_FALSE;
    if (!m_pUnk || !m_hwndHost) return S_FALSE;
    bool inHost = false;
    for (HWND window = ::GetFocus(); window; window = ::GetParent(window)) {
        if (window == m_hwndHost) {
            inHost = true;
            break;
        }
    }
    if (!inHost) return S_FALSE;
    ComRef<IOleInPlaceActiveObject> active;
    if (FAILED(m_pUnk->QueryInterface(IID_IOleInPlaceActiveObject, active.OutVoid())) || !active) return S_FALSE;
    return active->TranslateAccelerator(msg);
}

}  // namespace UiLib
