// The module's class objects: DllGetClassObject hands out a factory for
// each stand-in class, and DllCanUnloadNow answers from the live count.
#include "ComControlsStandIn.h"
#include "StandInControl.h"
#include "StandInEvents.h"
#include "StandInLog.h"

namespace standin {

IOleObject* CreateBrowser();

namespace {

const CLSID kClsidFlash = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kIIDShockwaveFlash = {0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kIIDFlashEvents = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

// The Flash stand-in: its main interface is itself, its events go out
// through a connection point.
class StandInFlash final : public StandInControl {
public:
    StandInFlash() : StandInControl(Kind::Flash, L"flash") { m_events = new EventPoint(kIIDFlashEvents, L"flash events"); }
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
        if (ppv && riid == kIIDShockwaveFlash) {
            *ppv = static_cast<IOleObject*>(this);
            AddRef();
            return S_OK;
        }
        return StandInControl::QueryInterface(riid, ppv);
    }
};

IOleObject* CreateControl(REFCLSID clsid) {
    if (clsid == CLSID_StandInWindowless) return new StandInControl(Kind::Windowless, L"windowless");
    if (clsid == CLSID_StandInPlainView) return new StandInControl(Kind::PlainView, L"plainview");
    if (clsid == CLSID_StandInWindowed) return new StandInControl(Kind::Windowed, L"windowed");
    if (clsid == CLSID_StandInFailingInit) return new StandInControl(Kind::FailingInit, L"failing");
    if (clsid == kClsidFlash) return new StandInFlash;
    if (clsid == kClsidWebBrowser) return CreateBrowser();
    return nullptr;
}

class Factory final : public IClassFactory {
public:
    explicit Factory(REFCLSID clsid) : m_clsid(clsid) { ObjectCreated(); }
    Factory(const Factory&) = delete;
    Factory& operator=(const Factory&) = delete;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
    STDMETHOD_(ULONG, Release)() override {
        const LONG left = ::InterlockedDecrement(&m_ref);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        IOleObject* control = CreateControl(m_clsid);
        if (!control) return CLASS_E_CLASSNOTAVAILABLE;
        const HRESULT hr = control->QueryInterface(riid, ppv);
        control->Release();
        return hr;
    }
    STDMETHOD(LockServer)(WINBOOL lock) override {
        lock ? ObjectCreated() : ObjectDestroyed();
        return S_OK;
    }

private:
    ~Factory() { ObjectDestroyed(); }

    LONG m_ref = 1;
    CLSID m_clsid;
};

}  // namespace
}  // namespace standin

// The COM entry points a host finds by name (plain names on i686 too).
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv);
extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow();

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IOleObject* probe = standin::CreateControl(clsid);
    if (!probe) return CLASS_E_CLASSNOTAVAILABLE;
    probe->Release();
    standin::Log(L"DllGetClassObject");
    auto* factory = new standin::Factory(clsid);
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() { return standin::LiveObjects() == 0 ? S_OK : S_FALSE; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) standin::UnregisterWindowClass();
    return TRUE;
}
