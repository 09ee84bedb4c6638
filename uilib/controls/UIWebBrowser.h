// CWebBrowserUI: hosts the system web browser control. It navigates to a
// home page, acts as the document's UI handler, command target and service
// provider, keeps script errors from raising dialogs, and passes browser
// events and UI-handler calls to a handler that the application attaches.
#pragma once
#include "controls/UIActiveX.h"

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>

namespace UiLib {

// Implemented by the application. The first six take the arguments of the
// browser events of the same names; the rest take those of the UI-handler
// methods of the same names and answer for them.
class UILIB_API IWebBrowserEventsUI {
public:
    virtual void STDMETHODCALLTYPE BeforeNavigate2(IDispatch* disp, VARIANT* url, VARIANT* flags, VARIANT* targetFrame,
                                                   VARIANT* postData, VARIANT* headers, VARIANT_BOOL* cancel) = 0;
    virtual void STDMETHODCALLTYPE NavigateError(IDispatch* disp, VARIANT* url, VARIANT* targetFrame,
                                                 VARIANT* statusCode, VARIANT_BOOL* cancel) = 0;
    virtual void STDMETHODCALLTYPE NavigateComplete2(IDispatch* disp, VARIANT* url) = 0;
    virtual void STDMETHODCALLTYPE ProgressChange(LONG progress, LONG progressMax) = 0;
    virtual void STDMETHODCALLTYPE NewWindow3(IDispatch** disp, VARIANT_BOOL* cancel, DWORD flags, BSTR urlContext,
                                              BSTR url) = 0;
    virtual void STDMETHODCALLTYPE CommandStateChange(long command, VARIANT_BOOL enable) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* pt, IUnknown* commandTarget,
                                                      IDispatch* object) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                                             IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                                             IOleInPlaceUIWindow* doc) = 0;
    virtual HRESULT STDMETHODCALLTYPE HideUI() = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateUI() = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL activate) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL activate) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg, const GUID* group, DWORD commandId) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, OLECHAR* url, OLECHAR** translated) = 0;
    virtual HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* object, IDataObject** filtered) = 0;
    virtual HRESULT STDMETHODCALLTYPE Download(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags,
                                               BINDINFO* bindInfo, LPCOLESTR headers, LPCOLESTR redirect,
                                               UINT codePage) = 0;
};

class UILIB_API CWebBrowserUI : public CActiveXUI,
                                public IDocHostUIHandler,
                                public IServiceProvider,
                                public IOleCommandTarget,
                                public IDispatch,
                                public ITranslateAccelerator {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void ReleaseControl() override;
    bool DoCreateControl() override;
    // Slot 110: a download the browser hands over, passed to the handler.
    virtual HRESULT STDMETHODCALLTYPE Download(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags,
                                               BINDINFO* bindInfo, LPCOLESTR headers, LPCOLESTR redirect,
                                               UINT codePage);

    void Navigate(const wchar_t* url);
    void SetHomePage(const wchar_t* url) { m_sHomePage = url; }
    CUiString GetHomePage() const { return m_sHomePage; }
    void SetAutoNavigation(bool autoNavigate) { m_bAutoNavi = autoNavigate; }
    bool IsAutoNavigation() const { return m_bAutoNavi; }
    void SetWebBrowserEventHandler(IWebBrowserEventsUI* handler) { m_pWebBrowserEventHandler = handler; }
    IWebBrowser2* GetWebBrowser2() const { return m_pWebBrowser2; }
    // Connects (true) or disconnects the browser event sink.
    HRESULT RegisterEventHandler(bool advise);

    // IUnknown of every COM part.
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // The browser event sink.
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHOD(GetIDsOfNames)(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;
    // IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD id, POINT* pt, IUnknown* commandTarget, IDispatch* object) override;
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* info) override;
    STDMETHOD(ShowUI)(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                      IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) override;
    STDMETHOD(HideUI)() override;
    STDMETHOD(UpdateUI)() override;
    STDMETHOD(EnableModeless)(WINBOOL enable) override;
    STDMETHOD(OnDocWindowActivate)(WINBOOL activate) override;
    STDMETHOD(OnFrameWindowActivate)(WINBOOL activate) override;
    STDMETHOD(ResizeBorder)(LPCRECT border, IOleInPlaceUIWindow* window, WINBOOL frameWindow) override;
    STDMETHOD(TranslateAccelerator)(LPMSG msg, const GUID* group, DWORD commandId) override;
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* key, DWORD reserved) override;
    STDMETHOD(GetDropTarget)(IDropTarget* dropTarget, IDropTarget** replacement) override;
    STDMETHOD(GetExternal)(IDispatch** external) override;
    STDMETHOD(TranslateUrl)(DWORD translate, LPWSTR url, LPWSTR* translated) override;
    STDMETHOD(FilterDataObject)(IDataObject* object, IDataObject** filtered) override;
    // IServiceProvider: no service is offered.
    STDMETHOD(QueryService)(REFGUID service, REFIID riid, void** ppv) override;
    // IOleCommandTarget: script errors are answered without a dialog.
    STDMETHOD(QueryStatus)(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHOD(Exec)(const GUID* group, DWORD commandId, DWORD options, VARIANT* in, VARIANT* out) override;

    // Key messages go to the browser while the focus lies in its window.
    LRESULT TranslateAccelerator(MSG* msg) override;

private:
    // NavigateComplete2: this control becomes the new document's UI handler.
    void BecomeUIHandlerOfDocument();

    IWebBrowser2* m_pWebBrowser2 = nullptr;
    LONG m_dwRef = 0;
    DWORD m_dwCookie = 0;
    CUiString m_sHomePage;
    bool m_bAutoNavi = false;
    IWebBrowserEventsUI* m_pWebBrowserEventHandler = nullptr;
};

}  // namespace UiLib
