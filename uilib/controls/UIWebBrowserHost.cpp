// The web browser control's document-host side: its COM identity, the UI
// handler that forwards to the application's handler, the command target
// that silences script errors and the service provider.
#include "controls/UIWebBrowser.h"

#include <mshtml.h>

namespace UiLib {

namespace {

const IID kIIDDocHostUIHandler = {0xBD3F23C0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
const GUID kCGIDDocHostCommandHandler = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
const IID kIIDHTMLDocument2 = {0x332C4425, 0x26CB, 0x11D0, {0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19}};

const DWORD kShowScriptError = 40;
const LCID kNeutralLocale = 2048;

// Reads one property of the script error's event object; the value is not kept.
HRESULT ReadEventProperty(IDispatch* event, const wchar_t* name) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = event->GetIDsOfNames(IID_NULL, names, 1, kNeutralLocale, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT value;
    ::VariantInit(&value);
    hr = event->Invoke(id, IID_NULL, kNeutralLocale, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    ::VariantClear(&value);
    return hr;
}

// The event object of the window whose document raised the script error.
IDispatch* ScriptErrorEvent(VARIANT* in) {
    if (!in || in->vt != VT_UNKNOWN || !in->punkVal) return nullptr;
    IHTMLDocument2* document = nullptr;
    if (FAILED(in->punkVal->QueryInterface(kIIDHTMLDocument2, reinterpret_cast<void**>(&document))) || !document)
        return nullptr;
    IHTMLWindow2* window = nullptr;
    document->get_parentWindow(&window);
    document->Release();
    if (!window) return nullptr;
    IHTMLEventObj* event = nullptr;
    window->get_event(&event);
    window->Release();
    if (!event) return nullptr;
    IDispatch* dispatch = nullptr;
    event->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    event->Release();
    return dispatch;
}

}  // namespace

STDMETHODIMP CWebBrowserUI::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == kIIDDocHostUIHandler)
        *ppv = static_cast<IDocHostUIHandler*>(this);
    else if (riid == IID_IDispatch)
        *ppv = static_cast<IDispatch*>(this);
    else if (riid == IID_IServiceProvider)
        *ppv = static_cast<IServiceProvider*>(this);
    else if (riid == IID_IOleCommandTarget)
        *ppv = static_cast<IOleCommandTarget*>(this);
    else if (riid == IID_IUnknown)
        *ppv = static_cast<IDispatch*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// The COM parts live as long as the control; the count only follows the calls.
STDMETHODIMP_(ULONG) CWebBrowserUI::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }
STDMETHODIMP_(ULONG) CWebBrowserUI::Release() { return static_cast<ULONG>(::InterlockedDecrement(&m_dwRef)); }

// ---- IDocHostUIHandler: the application's handler answers, else the defaults ----

STDMETHODIMP CWebBrowserUI::ShowContextMenu(DWORD id, POINT* pt, IUnknown* commandTarget, IDispatch* object) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->ShowContextMenu(id, pt, commandTarget, object);
    return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* info) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->GetHostInfo(info);
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                                   IOleInPlaceFrame* frame, IOleInPlaceUIWindow* doc) {
    if (m_pWebBrowserEventHandler)
        return m_pWebBrowserEventHandler->ShowUI(id, activeObject, commandTarget, frame, doc);
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::HideUI() {
    return m_pWebBrowserEventHandler ? m_pWebBrowserEventHandler->HideUI() : S_OK;
}

STDMETHODIMP CWebBrowserUI::UpdateUI() {
    return m_pWebBrowserEventHandler ? m_pWebBrowserEventHandler->UpdateUI() : S_OK;
}

STDMETHODIMP CWebBrowserUI::EnableModeless(WINBOOL enable) {
    return m_pWebBrowserEventHandler ? m_pWebBrowserEventHandler->EnableModeless(enable) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::OnDocWindowActivate(WINBOOL activate) {
    return m_pWebBrowserEventHandler ? m_pWebBrowserEventHandler->OnDocWindowActivate(activate) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::OnFrameWindowActivate(WINBOOL activate) {
    return m_pWebBrowserEventHandler ? m_pWebBrowserEventHandler->OnFrameWindowActivate(activate) : E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, WINBOOL frameWindow) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->ResizeBorder(border, window, frameWindow);
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD commandId) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->TranslateAccelerator(msg, group, commandId);
    return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->GetOptionKeyPath(key, reserved);
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->GetDropTarget(dropTarget, replacement);
    return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetExternal(IDispatch** external) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->GetExternal(external);
    return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->TranslateUrl(translate, url, translated);
    if (translated) *translated = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::FilterDataObject(IDataObject* object, IDataObject** filtered) {
    if (m_pWebBrowserEventHandler) return m_pWebBrowserEventHandler->FilterDataObject(object, filtered);
    if (filtered) *filtered = nullptr;
    return E_NOTIMPL;
}

// ---- IServiceProvider ----

// No service is claimed: the host implements no download manager, so the
// browser keeps its own.
STDMETHODIMP CWebBrowserUI::QueryService(REFGUID, REFIID, void** ppv) {
    if (ppv) *ppv = nullptr;
    return E_NOINTERFACE;
}

// ---- IOleCommandTarget ----

STDMETHODIMP CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return OLECMDERR_E_NOTSUPPORTED; }

STDMETHODIMP CWebBrowserUI::Exec(const GUID* group, DWORD commandId, DWORD, VARIANT* in, VARIANT* out) {
    if (!group || *group != kCGIDDocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
    if (commandId != kShowScriptError) return OLECMDERR_E_NOTSUPPORTED;
    HRESULT hr = S_OK;
    if (IDispatch* event = ScriptErrorEvent(in)) {
        const wchar_t* const properties[] = {L"errorLine", L"errorCharacter", L"errorCode", L"errorMessage",
                                             L"errorUrl"};
        for (const wchar_t* property : properties) hr = ReadEventProperty(event, property);
        event->Release();
    }
    // Scripts keep running and no error dialog appears.
    if (out) {
        ::VariantClear(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;
    }
    return hr;
}

}  // namespace UiLib
