#include "controls/UIFlash.h"

#include <cwchar>

namespace UiLib {

namespace {

// The Shockwave Flash control, its main interface and its event interface.
const wchar_t kFlashClassId[] = L"{D27CDB6E-AE6D-11CF-96B8-444553540000}";
const IID kIIDShockwaveFlash = {0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID kIIDShockwaveFlashEvents = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const DISPID kDispFSCommand = 150;
const DISPID kDispFlashCall = 197;
const DISPID kDispOnProgress = 1958;
const DISPID kDispReadyStateChange = -609;

// A 32-bit value delivered by value or by reference; false for anything else.
bool ReadLong(const VARIANT& value, long& out) {
    if (value.vt == VT_I4 || value.vt == VT_INT) {
        out = value.lVal;
        return true;
    }
    if ((value.vt == (VT_I4 | VT_BYREF) || value.vt == (VT_INT | VT_BYREF)) && value.plVal) {
        out = *value.plVal;
        return true;
    }
    return false;
}

}  // namespace

CFlashUI::CFlashUI() {
    CLSID clsid = GUID_NULL;
    if (SUCCEEDED(::CLSIDFromString(kFlashClassId, &clsid))) m_clsid = clsid;
}

CFlashUI::~CFlashUI() {
    if (m_pFlashEventHandler) {
        m_pFlashEventHandler->Release();
        m_pFlashEventHandler = nullptr;
    }
    CFlashUI::ReleaseControl();
}

const wchar_t* CFlashUI::GetClass() const { return L"FlashUI"; }

LPVOID CFlashUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Flash") == 0) return static_cast<CFlashUI*>(this);
    return CActiveXUI::GetInterface(name);
}

void CFlashUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"homepage") == 0 || std::wcscmp(name, L"autonavi") == 0) return;
    CActiveXUI::SetAttribute(name, value);
}

void CFlashUI::ReleaseControl() {
    RegisterEventHandler(false);
    if (m_pFlash) {
        m_pFlash->Release();
        m_pFlash = nullptr;
    }
    // The hosted object goes too, so that a new creation does not leave it behind.
    CActiveXUI::ReleaseControl();
}

bool CFlashUI::DoCreateControl() {
    const bool created = CActiveXUI::DoCreateControl();
    GetControl(kIIDShockwaveFlash, reinterpret_cast<LPVOID*>(&m_pFlash));
    RegisterEventHandler(true);
    return created;
}

HRESULT CFlashUI::RegisterEventHandler(bool advise) {
    if (!m_pFlash) return S_FALSE;
    return ConnectEventSink(m_pUnk, kIIDShockwaveFlashEvents, static_cast<IDispatch*>(this), m_dwCookie, advise);
}

STDMETHODIMP CFlashUI::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIIDShockwaveFlashEvents)
        *ppv = static_cast<IDispatch*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// The sink lives as long as the control; its count only follows the calls.
STDMETHODIMP_(ULONG) CFlashUI::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&m_dwRef)); }
STDMETHODIMP_(ULONG) CFlashUI::Release() { return static_cast<ULONG>(::InterlockedDecrement(&m_dwRef)); }

STDMETHODIMP CFlashUI::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CFlashUI::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CFlashUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CFlashUI::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    const UINT count = params ? params->cArgs : 0;
    const VARIANT* args = params ? params->rgvarg : nullptr;
    if (count > 0 && !args) return E_INVALIDARG;
    switch (id) {
    case kDispFSCommand:
        if (count != 2) return DISP_E_BADPARAMCOUNT;
        if (args[0].vt != VT_BSTR || args[1].vt != VT_BSTR) return DISP_E_TYPEMISMATCH;
        // The last entry is the first argument: the command.
        return m_pFlashEventHandler ? m_pFlashEventHandler->FSCommand(args[1].bstrVal, args[0].bstrVal) : S_OK;
    case kDispFlashCall:
        if (count != 1 || args[0].vt != VT_BSTR) return E_INVALIDARG;
        return m_pFlashEventHandler ? m_pFlashEventHandler->FlashCall(args[0].bstrVal) : S_OK;
    case kDispOnProgress:
    case kDispReadyStateChange: {
        long value = 0;
        if (count < 1) return DISP_E_BADPARAMCOUNT;
        if (!ReadLong(args[0], value)) return DISP_E_TYPEMISMATCH;
        if (!m_pFlashEventHandler) return S_OK;
        return id == kDispOnProgress ? m_pFlashEventHandler->OnProgress(value)
                                     : m_pFlashEventHandler->OnReadyStateChange(value);
    }
    default:
        return S_OK;
    }
}

LRESULT CFlashUI::TranslateAccelerator(MSG* msg) {
    if (!msg || msg->message < 0x100 || msg->message > 0x109) return S_FALSE;
    if (!m_pFlash) return E_NOTIMPL;
    return PassKeyToObject(msg);
}

}  // namespace UiLib
