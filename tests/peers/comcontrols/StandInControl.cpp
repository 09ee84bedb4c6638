#include "StandInControl.h"

#include "ComControlsStandIn.h"
#include "StandInEvents.h"
#include "StandInLog.h"

#include <cstdio>

namespace standin {

namespace {

const wchar_t kWindowClass[] = L"ComStandInWindow";

std::wstring Hex(unsigned value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%X", value);
    return text;
}

std::wstring RectText(const RECT& rc) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%ld,%ld,%ld,%ld", static_cast<long>(rc.left), static_cast<long>(rc.top),
                  static_cast<long>(rc.right), static_cast<long>(rc.bottom));
    return text;
}

LRESULT CALLBACK StandInWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        HBRUSH brush = ::CreateSolidBrush(kStandInWindowedColour);
        RECT client;
        ::GetClientRect(hwnd, &client);
        ::FillRect(dc, &client, brush);
        ::DeleteObject(brush);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&StandInWindowProc), &module);
    return module;
}

void RegisterWindowClass() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = StandInWindowProc;
    wc.hInstance = ThisModule();
    wc.lpszClassName = kWindowClass;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassW(&wc);  // a second registration fails harmlessly
}

}  // namespace

void UnregisterWindowClass() { ::UnregisterClassW(kWindowClass, ThisModule()); }

StandInControl::StandInControl(Kind kind, const wchar_t* name) : m_kind(kind), m_name(name) {
    ObjectCreated();
    Log(L"created");
}

StandInControl::~StandInControl() {
    Deactivate();
    if (m_events) m_events->Release();
    if (m_site) m_site->Release();
    if (m_objectSite) m_objectSite->Release();
    Log(L"destroyed");
    ObjectDestroyed();
}

void StandInControl::Log(const std::wstring& what) const { standin::Log(m_name + L" " + what); }

STDMETHODIMP StandInControl::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleObject || riid == IID_IOleControl)
        *ppv = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleInPlaceObject || (riid == IID_IOleWindow))
        *ppv = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (riid == IID_IOleInPlaceObjectWindowless && AnswersWindowless())
        *ppv = static_cast<IOleInPlaceObjectWindowless*>(this);
    else if (riid == IID_IOleInPlaceActiveObject)
        *ppv = static_cast<IOleInPlaceActiveObject*>(this);
    else if (riid == IID_IViewObject || riid == IID_IViewObject2)
        *ppv = static_cast<IViewObjectEx*>(this);
    else if (riid == IID_IViewObjectEx && AnswersHitTests())
        *ppv = static_cast<IViewObjectEx*>(this);
    else if (riid == IID_IPersistStreamInit)
        *ppv = static_cast<IPersistStreamInit*>(this);
    else if (riid == IID_IObjectWithSite)
        *ppv = static_cast<IObjectWithSite*>(this);
    else if (riid == IID_IConnectionPointContainer && AnswersEvents())
        *ppv = static_cast<IConnectionPointContainer*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) StandInControl::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }

STDMETHODIMP_(ULONG) StandInControl::Release() {
    const LONG left = ::InterlockedDecrement(&m_ref);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP StandInControl::SetClientSite(IOleClientSite* site) {
    Log(site ? L"SetClientSite" : L"SetClientSite null");
    if (site) site->AddRef();
    if (m_site) m_site->Release();
    m_site = site;
    return S_OK;
}

STDMETHODIMP StandInControl::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = m_site;
    if (m_site) m_site->AddRef();
    return S_OK;
}

STDMETHODIMP StandInControl::SetHostNames(LPCOLESTR app, LPCOLESTR) {
    Log(std::wstring(L"SetHostNames ") + (app ? app : L""));
    return S_OK;
}

STDMETHODIMP StandInControl::Close(DWORD) {
    Log(L"Close");
    Deactivate();
    return S_OK;
}

STDMETHODIMP StandInControl::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = m_kind == Kind::Windowed ? OLEMISC_SETCLIENTSITEFIRST : 0;
    return S_OK;
}

STDMETHODIMP StandInControl::SetExtent(DWORD, SIZEL* size) {
    if (size) Log(L"SetExtent " + std::to_wstring(size->cx) + L"," + std::to_wstring(size->cy));
    return S_OK;
}

STDMETHODIMP StandInControl::InitNew() {
    Log(L"InitNew");
    return m_kind == Kind::FailingInit ? E_FAIL : S_OK;
}

STDMETHODIMP StandInControl::SetSite(IUnknown* site) {
    Log(site ? L"SetSite" : L"SetSite null");
    if (site) site->AddRef();
    if (m_objectSite) m_objectSite->Release();
    m_objectSite = site;
    return S_OK;
}

STDMETHODIMP StandInControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (!m_events || !m_events->Serves(riid)) return CONNECT_E_NOCONNECTION;
    *point = m_events;
    m_events->AddRef();
    return S_OK;
}

// ---- activation ----

STDMETHODIMP StandInControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT rect) {
    Log(L"DoVerb " + std::to_wstring(verb));
    if (rect) m_rect = *rect;
    if (verb != OLEIVERB_INPLACEACTIVATE && verb != OLEIVERB_UIACTIVATE) return S_OK;
    if (m_inPlaceSite) return S_OK;
    if (!site) site = m_site;
    if (!site) return E_UNEXPECTED;
    return AnswersWindowless() ? ActivateWindowless(site) : ActivateWindowed(site);
}

HRESULT StandInControl::ActivateWindowless(IOleClientSite* site) {
    IOleInPlaceSiteWindowless* windowless = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&windowless))))
        return E_NOINTERFACE;
    HRESULT hr = windowless->CanWindowlessActivate();
    if (hr == S_OK) hr = windowless->OnInPlaceActivateEx(nullptr, ACTIVATE_WINDOWLESS);
    Log(L"activated windowless " + std::wstring(SUCCEEDED(hr) ? L"ok" : L"failed"));
    if (FAILED(hr)) {
        windowless->Release();
        return hr;
    }
    m_inPlaceSite = windowless;
    return S_OK;
}

HRESULT StandInControl::ActivateWindowed(IOleClientSite* site) {
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) return E_NOINTERFACE;
    HRESULT hr = inPlace->OnInPlaceActivate();
    HWND parent = nullptr;
    if (SUCCEEDED(hr)) hr = inPlace->GetWindow(&parent);
    if (SUCCEEDED(hr)) {
        // Ask for the frame as a real control does, and give it back.
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* doc = nullptr;
        RECT position, clip;
        OLEINPLACEFRAMEINFO info = {};
        info.cb = sizeof(info);
        if (SUCCEEDED(inPlace->GetWindowContext(&frame, &doc, &position, &clip, &info))) {
            Log(L"GetWindowContext " + RectText(position) + L" accelerators " + std::to_wstring(info.cAccelEntries));
            if (frame) frame->Release();
            if (doc) doc->Release();
        }
        RegisterWindowClass();
        m_window = ::CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, m_rect.right - m_rect.left,
                                     m_rect.bottom - m_rect.top, parent, nullptr, ThisModule(), nullptr);
    }
    Log(L"activated windowed " + std::wstring(SUCCEEDED(hr) && m_window ? L"ok" : L"failed"));
    if (FAILED(hr) || !m_window) {
        inPlace->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    m_inPlaceSite = inPlace;
    return S_OK;
}

void StandInControl::Deactivate() {
    if (m_window) ::DestroyWindow(m_window);
    m_window = nullptr;
    if (!m_inPlaceSite) return;
    IOleInPlaceSite* site = m_inPlaceSite;
    m_inPlaceSite = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
    Log(L"deactivated");
}

STDMETHODIMP StandInControl::InPlaceDeactivate() {
    Deactivate();
    return S_OK;
}

STDMETHODIMP StandInControl::GetWindow(HWND* hwnd) {
    if (!hwnd) return E_POINTER;
    *hwnd = m_window;
    return m_window ? S_OK : E_FAIL;
}

STDMETHODIMP StandInControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    m_rect = *position;
    Log(L"SetObjectRects " + RectText(m_rect));
    if (m_window)
        ::MoveWindow(m_window, 0, 0, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, TRUE);
    return S_OK;
}

// ---- windowless input and drawing ----

STDMETHODIMP StandInControl::OnWindowMessage(UINT message, WPARAM, LPARAM, LRESULT* result) {
    Log(L"message " + Hex(message));
    if (result) *result = 0;
    IOleInPlaceSiteWindowless* windowless = static_cast<IOleInPlaceSiteWindowless*>(m_inPlaceSite);
    if (windowless && message == WM_LBUTTONDOWN) windowless->SetCapture(TRUE);
    if (windowless && message == WM_LBUTTONUP) windowless->SetCapture(FALSE);
    return S_OK;
}

STDMETHODIMP StandInControl::TranslateAccelerator(LPMSG msg) {
    if (msg) Log(L"TranslateAccelerator " + Hex(msg->message));
    return S_OK;
}

STDMETHODIMP StandInControl::Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                                  WINBOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (!dc || !bounds) return E_INVALIDARG;
    const RECT rc = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    HBRUSH brush = ::CreateSolidBrush(kStandInWindowlessColour);
    ::FillRect(dc, &rc, brush);
    ::DeleteObject(brush);
    return S_OK;
}

STDMETHODIMP StandInControl::QueryHitPoint(DWORD, LPCRECT bounds, POINT pt, LONG, DWORD* hitResult) {
    if (!bounds || !hitResult) return E_POINTER;
    const bool inLeftHalf = ::PtInRect(bounds, pt) && pt.x < (bounds->left + bounds->right) / 2;
    *hitResult = inLeftHalf ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

}  // namespace standin
