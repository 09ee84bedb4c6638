// The connection point of a stand-in's events: it keeps the one sink a
// host connects and lets the test fire events at it.
#pragma once
#include <ocidl.h>
#include <olectl.h>

#include <string>

namespace standin {

class EventPoint final : public IConnectionPoint {
public:
    EventPoint(const IID& events, const wchar_t* name);
    EventPoint(const EventPoint&) = delete;
    EventPoint& operator=(const EventPoint&) = delete;

    bool Serves(const IID& iid) const { return iid == m_events; }
    // Invokes the connected sink; E_UNEXPECTED without one.
    HRESULT Fire(DISPID id, DISPPARAMS* params);

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetConnectionInterface)(IID* iid) override;
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHOD(Advise)(IUnknown* sink, DWORD* cookie) override;
    STDMETHOD(Unadvise)(DWORD cookie) override;
    STDMETHOD(EnumConnections)(IEnumConnections**) override { return E_NOTIMPL; }

private:
    ~EventPoint();

    LONG m_ref = 1;
    IID m_events;
    std::wstring m_name;
    IDispatch* m_sink = nullptr;
};

// The point whose sink was connected last, for the test's fire export.
EventPoint* ConnectedPoint();

}  // namespace standin
