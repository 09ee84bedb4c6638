#include "controls/UIWebBrowser.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"


#include <cwchar>

namespace UiLib {

namespace {

const CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
const IID kIIDWebBrowser2 = {0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
const IID kDIIDWebBrowserEvents2 = {0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
const IID kIIDCustomDoc = {0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

const DISPID kDispStatusTextChange = 102;
const DISPID kDispCommandStateChange = 105;
const DISPID kDispBeforeNavigate2 = 250;
const DISPID kDispNavigateComplete2 = 252;
const DISPID kDispNavigateError = 271;
const DISPID kDispNewWindow3 = 273;

// The event's arguments in their natural order (the last entry of the
// parameter block is the first argument), each checked for its type.
class EventArgs {
public:
    EventArgs(DISPPARAMS* params) : m_params(params) {}
    bool Has(UINT count) const { return m_params && m_params->cArgs == count && (count == 0 || m_params->rgvarg); }
    const VARIANT& At(UINT i) const { return m_params->rgvarg[m_params->cArgs - 1 - i]; }
    bool Is(UINT i, VARTYPE type) const { return At(i).vt == type; }
    bool IsVariantRef(UINT i) const { return Is(i, VT_VARIANT | VT_BYREF); }

private:
    DISPPARAMS* m_params;
};

}  // namespace

CWebBrowserUI::CWebBrowserUI() { m_clsid = kClsidWebBrowser; }

CWebBrowserUI::~CWebBrowserUI() {
    if (m_pManager) m_pManager->RemoveTranslator(this);
    CWebBrowserUI::ReleaseControl();
}

const wchar_t* CWebBrowserUI::GetClass() const { return L"WebBrowserUI"; }

LPVOID CWebBrowserUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"WebBrowser") == 0) return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::GetInterface(name);
}

void CWebBrowserUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"homepage") == 0)
        m_sHomePage = value;
    else if (std::wcscmp(name, L"autonavi") == 0)
        m_bAutoNavi = ParseBoolValue(value);
    else
        CActiveXUI::SetAttribute(name, value);
}

void CWebBrowserUI::ReleaseControl() {
    m_bCreated = false;
    if (m_pManager) m_pManager->RemoveTranslator(this);
    RegisterEventHandler(false);
    if (m_pWebBrowser2) {
        m_pWebBrowser2->Release();
        m_pWebBrowser2 = nullptr;
    }
    // The hosted object goes too, so that a new creation does not leave it behind.
    CActiveXUI::ReleaseControl();
}

bool CWebBrowserUI::DoCreateControl() {
    if (!CActiveXUI::DoCreateControl()) return false;
    if (m_pManager) {
        m_pManager->RemoveTranslator(this);
        m_pManager->AddTranslator(this);
    }
    GetControl(kIIDWebBrowser2, reinterpret_cast<LPVOID*>(&m_pWebBrowser2));
    if (m_bAutoNavi && !m_sHomePage.IsEmpty()) Navigate(m_sHomePage);
    RegisterEventHandler(true);
    return true;
}

void CWebBrowserUI::Navigate(const wchar_t* url) {
    if (!url || !m_pWebBrowser2) return;
    VARIANT target;
    ::VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = ::SysAllocString(url);
    if (!target.bstrVal) return;
    m_pWebBrowser2->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
    ::VariantClear(&target);
}

HRESULT CWebBrowserUI::RegisterEventHandler(bool advise) {
    if (!m_pWebBrowser2) return S_FALSE;
    return ConnectEventSink(m_pWebBrowser2, kDIIDWebBrowserEvents2, static_cast<IDispatch*>(this), m_dwCookie, advise);
}

HRESULT CWebBrowserUI::Download(IMoniker* moniker, IBindCtx* context, DWORD bindVerb, LONG bindFlags,
                                BINDINFO* bindInfo, LPCOLESTR headers, LPCOLESTR redirect, UINT codePage) {
    if (!m_pWebBrowserEventHandler) return S_OK;
    return m_pWebBrowserEventHandler->Download(moniker, context, bindVerb, bindFlags, bindInfo, headers, redirect,
                                               codePage);
}

LRESULT CWebBrowserUI::TranslateAccelerator(MSG* msg) {
    if (!msg || msg->message < 0x100 || msg->message > 0x109) return S_FALSE;
    if (!m_pWebBrowser2) return E_NOTIMPL;
    return PassKeyToObject(msg);
}

void CWebBrowserUI::BecomeUIHandlerOfDocument() {
    if (!m_pWebBrowser2) return;
    IDispatch* document = nullptr;
    if (FAILED(m_pWebBrowser2->get_Document(&document)) || !document) return;
    ICustomDoc* custom = nullptr;
    if (SUCCEEDED(document->QueryInterface(kIIDCustomDoc, reinterpret_cast<void**>(&custom))) && custom) {
        custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
        custom->Release();
    }
    document->Release();
}

// ---- the browser event sink ----

STDMETHODIMP CWebBrowserUI::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserUI::Invoke(DISPID id, REFIID riid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    if (riid != IID_NULL) return E_INVALIDARG;
    const EventArgs args(params);
    IWebBrowserEventsUI* handler = m_pWebBrowserEventHandler;
    switch (id) {
    case kDispStatusTextChange:
        return S_OK;
    case kDispCommandStateChange:
        if (!args.Has(2)) return DISP_E_BADPARAMCOUNT;
        if (!args.Is(0, VT_I4) || !args.Is(1, VT_BOOL)) return DISP_E_TYPEMISMATCH;
        if (handler) handler->CommandStateChange(args.At(0).lVal, args.At(1).boolVal);
        return S_OK;
    case kDispBeforeNavigate2:
        if (!args.Has(7)) return DISP_E_BADPARAMCOUNT;
        if (!args.Is(0, VT_DISPATCH) || !args.Is(6, VT_BOOL | VT_BYREF)) return DISP_E_TYPEMISMATCH;
        for (UINT i = 1; i <= 5; ++i)
            if (!args.IsVariantRef(i)) return DISP_E_TYPEMISMATCH;
        if (handler)
            handler->BeforeNavigate2(args.At(0).pdispVal, args.At(1).pvarVal, args.At(2).pvarVal, args.At(3).pvarVal,
                                     args.At(4).pvarVal, args.At(5).pvarVal, args.At(6).pboolVal);
        return S_OK;
    case kDispNavigateComplete2:
        if (!args.Has(2)) return DISP_E_BADPARAMCOUNT;
        if (!args.Is(0, VT_DISPATCH) || !args.IsVariantRef(1)) return DISP_E_TYPEMISMATCH;
        BecomeUIHandlerOfDocument();
        if (handler) handler->NavigateComplete2(args.At(0).pdispVal, args.At(1).pvarVal);
        return S_OK;
    case kDispNavigateError:
        if (!args.Has(5)) return DISP_E_BADPARAMCOUNT;
        if (!args.Is(0, VT_DISPATCH) || !args.IsVariantRef(1) || !args.IsVariantRef(2) || !args.IsVariantRef(3) ||
            !args.Is(4, VT_BOOL | VT_BYREF))
            return DISP_E_TYPEMISMATCH;
        if (handler)
            handler->NavigateError(args.At(0).pdispVal, args.At(1).pvarVal, args.At(2).pvarVal, args.At(3).pvarVal,
                                   args.At(4).pboolVal);
        return S_OK;
    case kDispNewWindow3:
        if (!args.Has(5)) return DISP_E_BADPARAMCOUNT;
        if (!args.Is(0, VT_DISPATCH | VT_BYREF) || !args.Is(1, VT_BOOL | VT_BYREF) ||
            !(args.Is(2, VT_I4) || args.Is(2, VT_UI4)) || !args.Is(3, VT_BSTR) || !args.Is(4, VT_BSTR))
            return DISP_E_TYPEMISMATCH;
        if (handler)
            handler->NewWindow3(args.At(0).ppdispVal, args.At(1).pboolVal, static_cast<DWORD>(args.At(2).lVal),
                                args.At(3).bstrVal, args.At(4).bstrVal);
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace UiLib
