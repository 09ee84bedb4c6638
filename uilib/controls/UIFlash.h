// CFlashUI: hosts the Shockwave Flash control and turns its events into
// calls on an event handler that the application attaches.
#pragma once
#include "controls/UIActiveX.h"

#include <oaidl.h>

namespace UiLib {

// Implemented by the application; the control calls Release once when it
// is destroyed.
class UILIB_API IFlashEventsUI {
public:
    virtual HRESULT STDMETHODCALLTYPE Release() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddRef() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnReadyStateChange(long newState) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnProgress(long percentDone) = 0;
    virtual HRESULT STDMETHODCALLTYPE FSCommand(const wchar_t* command, const wchar_t* args) = 0;
    virtual HRESULT STDMETHODCALLTYPE FlashCall(const wchar_t* request) = 0;
};

class UILIB_API CFlashUI : public CActiveXUI, public IDispatch, public ITranslateAccelerator {
public:
    CFlashUI();
    ~CFlashUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void ReleaseControl() override;
    bool DoCreateControl() override;

    void SetFlashEventHandler(IFlashEventsUI* handler) { m_pFlashEventHandler = handler; }
    // Connects (true) or disconnects the event sink; S_FALSE without the Flash interface.
    HRESULT RegisterEventHandler(bool advise);
    IUnknown* GetFlashInterface() const { return m_pFlash; }

    // The event sink.
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

    // Key messages go to the Flash object while the focus lies in its window.
    LRESULT TranslateAccelerator(MSG* msg) override;

private:
    LONG m_dwRef = 0;
    DWORD m_dwCookie = 0;
    IUnknown* m_pFlash = nullptr;
    IFlashEventsUI* m_pFlashEventHandler = nullptr;
};

}  // namespace UiLib
