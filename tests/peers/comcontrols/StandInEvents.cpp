#include "StandInEvents.h"

#include "ComControlsStandIn.h"
#include "StandInLog.h"

namespace standin {

namespace {
EventPoint* g_connected = nullptr;
const DWORD kCookie = 1;
}  // namespace

EventPoint* ConnectedPoint() { return g_connected; }

EventPoint::EventPoint(const IID& events, const wchar_t* name) : m_events(events), m_name(name) { ObjectCreated(); }

EventPoint::~EventPoint() {
    if (m_sink) m_sink->Release();
    if (g_connected == this) g_connected = nullptr;
    ObjectDestroyed();
}

STDMETHODIMP EventPoint::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) EventPoint::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }

STDMETHODIMP_(ULONG) EventPoint::Release() {
    const LONG left = ::InterlockedDecrement(&m_ref);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP EventPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = m_events;
    return S_OK;
}

STDMETHODIMP EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    if (m_sink) return CONNECT_E_ADVISELIMIT;
    IDispatch* dispatch = nullptr;
    // The sink answers as the event interface or as a plain dispatch interface.
    if (FAILED(sink->QueryInterface(m_events, reinterpret_cast<void**>(&dispatch))) || !dispatch)
        sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (!dispatch) {
        Log(m_name + L" Advise refused");
        return CONNECT_E_CANNOTCONNECT;
    }
    m_sink = dispatch;
    *cookie = kCookie;
    g_connected = this;
    Log(m_name + L" Advise");
    return S_OK;
}

STDMETHODIMP EventPoint::Unadvise(DWORD cookie) {
    if (cookie != kCookie || !m_sink) return CONNECT_E_NOCONNECTION;
    m_sink->Release();
    m_sink = nullptr;
    if (g_connected == this) g_connected = nullptr;
    Log(m_name + L" Unadvise");
    return S_OK;
}

HRESULT EventPoint::Fire(DISPID id, DISPPARAMS* params) {
    if (!m_sink) return E_UNEXPECTED;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return m_sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params ? params : &none, nullptr,
                          nullptr, nullptr);
}

}  // namespace standin

STANDIN_EXPORT HRESULT StandInFireEvent(DISPID id, DISPPARAMS* params) {
    standin::EventPoint* point = standin::ConnectedPoint();
    return point ? point->Fire(id, params) : E_UNEXPECTED;
}
