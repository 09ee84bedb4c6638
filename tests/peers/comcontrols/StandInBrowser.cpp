// The browser stand-in: an OLE control that is also IWebBrowser2 (only
// Navigate2 and get_Document do anything), fires DWebBrowserEvents2 through
// its connection point and has a document that takes the host's UI handler.
#include "ComControlsStandIn.h"
#include "StandInControl.h"
#include "StandInEvents.h"
#include "StandInLog.h"

#include <exdisp.h>
#include <mshtmhst.h>

namespace standin {

namespace {

const IID kIIDWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
const IID kIIDCustomDoc = {0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
const IID kDIIDWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};

IUnknown* g_documentUIHandler = nullptr;

// The page: a dispatch object that takes the host's UI handler.
class StandInDocument final : public IDispatch, public ICustomDoc {
public:
    StandInDocument() { ObjectCreated(); }
    StandInDocument(const StandInDocument&) = delete;
    StandInDocument& operator=(const StandInDocument&) = delete;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else if (riid == kIIDCustomDoc)
            *ppv = static_cast<ICustomDoc*>(this);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(::InterlockedIncrement(&m_ref)); }
    STDMETHOD_(ULONG, Release)() override {
        const LONG left = ::InterlockedDecrement(&m_ref);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHOD(GetTypeInfoCount)(UINT*) override { return E_NOTIMPL; }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHOD(SetUIHandler)(IDocHostUIHandler* handler) override {
        Log(handler ? L"document SetUIHandler" : L"document SetUIHandler null");
        if (handler) handler->AddRef();
        if (m_handler) m_handler->Release();
        m_handler = handler;
        g_documentUIHandler = handler;
        return S_OK;
    }

private:
    ~StandInDocument() {
        if (m_handler) m_handler->Release();
        if (g_documentUIHandler == m_handler) g_documentUIHandler = nullptr;
        ObjectDestroyed();
    }

    LONG m_ref = 1;
    IDocHostUIHandler* m_handler = nullptr;
};

class StandInBrowser final : public StandInControl, public IWebBrowser2 {
public:
    StandInBrowser() : StandInControl(Kind::Browser, L"browser") {
        m_events = new EventPoint(kDIIDWebBrowserEvents2, L"browser events");
    }

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override {
        if (ppv && (riid == kIIDWebBrowser2 || riid == IID_IWebBrowser || riid == IID_IWebBrowserApp ||
                    riid == IID_IDispatch)) {
            *ppv = static_cast<IWebBrowser2*>(this);
            AddRef();
            return S_OK;
        }
        return StandInControl::QueryInterface(riid, ppv);
    }
    STDMETHOD_(ULONG, AddRef)() override { return StandInControl::AddRef(); }
    STDMETHOD_(ULONG, Release)() override { return StandInControl::Release(); }

    STDMETHOD(Navigate2)(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
        if (!url || url->vt != VT_BSTR) return E_INVALIDARG;
        Log(std::wstring(L"Navigate2 ") + (url->bstrVal ? url->bstrVal : L""));
        return S_OK;
    }
    STDMETHOD(get_Document)(IDispatch** document) override {
        if (!document) return E_POINTER;
        if (!m_document) m_document = new StandInDocument;
        *document = m_document;
        m_document->AddRef();
        return S_OK;
    }

    STDMETHOD(GetTypeInfoCount)(UINT*) override { return E_NOTIMPL; }
    STDMETHOD(GetTypeInfo)(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHOD(GetIDsOfNames)(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHOD(Invoke)(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    // Everything else of IWebBrowser2 is not used by a host.
    STDMETHOD(GoBack)() override { return E_NOTIMPL; }
    STDMETHOD(GoForward)() override { return E_NOTIMPL; }
    STDMETHOD(GoHome)() override { return E_NOTIMPL; }
    STDMETHOD(GoSearch)() override { return E_NOTIMPL; }
    STDMETHOD(Navigate)(BSTR, VARIANT *, VARIANT *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(Refresh)() override { return E_NOTIMPL; }
    STDMETHOD(Refresh2)(VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(Stop)() override { return E_NOTIMPL; }
    STDMETHOD(get_Application)(IDispatch **) override { return E_NOTIMPL; }
    STDMETHOD(get_Parent)(IDispatch **) override { return E_NOTIMPL; }
    STDMETHOD(get_Container)(IDispatch **) override { return E_NOTIMPL; }
    STDMETHOD(get_TopLevelContainer)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(get_Type)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(get_Left)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(put_Left)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_Top)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(put_Top)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_Width)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(put_Width)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_Height)(LONG *) override { return E_NOTIMPL; }
    STDMETHOD(put_Height)(LONG) override { return E_NOTIMPL; }
    STDMETHOD(get_LocationName)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(get_LocationURL)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(get_Busy)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(Quit)() override { return E_NOTIMPL; }
    STDMETHOD(ClientToWindow)(int *, int *) override { return E_NOTIMPL; }
    STDMETHOD(PutProperty)(BSTR, VARIANT) override { return E_NOTIMPL; }
    STDMETHOD(GetProperty)(BSTR, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(get_Name)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(get_HWND)(SHANDLE_PTR *) override { return E_NOTIMPL; }
    STDMETHOD(get_FullName)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(get_Path)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(get_Visible)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_Visible)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_StatusBar)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_StatusBar)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_StatusText)(BSTR *) override { return E_NOTIMPL; }
    STDMETHOD(put_StatusText)(BSTR) override { return E_NOTIMPL; }
    STDMETHOD(get_ToolBar)(int *) override { return E_NOTIMPL; }
    STDMETHOD(put_ToolBar)(int) override { return E_NOTIMPL; }
    STDMETHOD(get_MenuBar)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_MenuBar)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_FullScreen)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_FullScreen)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(QueryStatusWB)(OLECMDID, OLECMDF *) override { return E_NOTIMPL; }
    STDMETHOD(ExecWB)(OLECMDID, OLECMDEXECOPT, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(ShowBrowserBar)(VARIANT *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
    STDMETHOD(get_ReadyState)(READYSTATE *) override { return E_NOTIMPL; }
    STDMETHOD(get_Offline)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_Offline)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_Silent)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_Silent)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_RegisterAsBrowser)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_RegisterAsBrowser)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_RegisterAsDropTarget)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_RegisterAsDropTarget)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_TheaterMode)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_TheaterMode)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_AddressBar)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_AddressBar)(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHOD(get_Resizable)(VARIANT_BOOL *) override { return E_NOTIMPL; }
    STDMETHOD(put_Resizable)(VARIANT_BOOL) override { return E_NOTIMPL; }

private:
    ~StandInBrowser() override {
        if (m_document) m_document->Release();
    }

    StandInDocument* m_document = nullptr;
};

}  // namespace

IOleObject* CreateBrowser() { return static_cast<IOleObject*>(new StandInBrowser); }

}  // namespace standin

STANDIN_EXPORT IUnknown* StandInDocumentUIHandler() { return standin::g_documentUIHandler; }
