#include "controls/UIRichEditHost.h"

#include "controls/UIRichEdit.h"
#include "core/manager/UIManager.h"
#include "core/manager/UIScrollBar.h"

#include <cwchar>

namespace UiLib {

namespace {
// The interface identifiers of the text services and their host.
const IID kIidTextServices = {0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
const IID kIidTextHost = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

typedef HRESULT(WINAPI* CreateTextServicesProc)(IUnknown*, ITextHost*, IUnknown**);

const LONG kHimetricPerInch = 2540;
const LONG kTwipsPerInch = 1440;

int DeviceDpi(HDC dc, int index) {
    if (dc) return ::GetDeviceCaps(dc, index);
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, index);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}
}  // namespace

CTxtWinHost::CTxtWinHost() = default;

CTxtWinHost::~CTxtWinHost() {
    if (m_pServices) {
        m_pServices->OnTxInPlaceDeactivate();
        m_pServices->Release();
    }
    if (m_hRichEditLibrary) ::FreeLibrary(m_hRichEditLibrary);
}

COLORREF CTxtWinHost::ToTextColor(DWORD argb) {
    if ((argb & 0x00FFFFFF) == 0) argb += 1;
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

HWND CTxtWinHost::PaintWindow() const {
    CPaintManagerUI* manager = m_re ? m_re->GetManager() : nullptr;
    return manager ? manager->GetPaintWindow() : nullptr;
}

void CTxtWinHost::BuildCharFormat(HFONT font) {
    LOGFONTW lf = {};
    if (font) ::GetObjectW(font, sizeof(lf), &lf);
    CPaintManagerUI* manager = m_re ? m_re->GetManager() : nullptr;
    const int dpiY = DeviceDpi(manager ? manager->GetPaintDC() : nullptr, LOGPIXELSY);
    const DWORD colour = m_cf.crTextColor;
    m_cf = CHARFORMAT2W{};
    m_cf.cbSize = sizeof(m_cf);
    m_cf.dwMask = CFM_SIZE | CFM_OFFSET | CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    const LONG height = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_cf.yHeight = dpiY > 0 ? height * kTwipsPerInch / dpiY : 0;
    m_cf.yOffset = 0;
    m_cf.crTextColor = colour;
    if (lf.lfWeight >= FW_BOLD) m_cf.dwEffects |= CFE_BOLD;
    if (lf.lfItalic) m_cf.dwEffects |= CFE_ITALIC;
    if (lf.lfUnderline) m_cf.dwEffects |= CFE_UNDERLINE;
    m_cf.bCharSet = lf.lfCharSet;
    m_cf.bPitchAndFamily = lf.lfPitchAndFamily;
    std::wcsncpy(m_cf.szFaceName, lf.lfFaceName, LF_FACESIZE - 1);
}

bool CTxtWinHost::Init(CRichEditUI* owner, DWORD style, const wchar_t* text) {
    m_re = owner;
    DWORD colour = owner->GetTextColor();
    if (colour == 0 && owner->GetManager()) colour = owner->GetManager()->GetDefaultFontColor();
    m_cf.crTextColor = ToTextColor(colour);
    HFONT font = nullptr;
    if (CPaintManagerUI* manager = owner->GetManager()) {
        font = owner->GetFont() >= 0 ? manager->GetFont(owner->GetFont()) : nullptr;
        if (!font) font = manager->GetDefaultFontInfo()->hFont;
    }
    BuildCharFormat(font);

    m_pf = PARAFORMAT2{};
    m_pf.cbSize = sizeof(m_pf);
    m_pf.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET | PFM_ALIGNMENT | PFM_TABSTOPS | PFM_NUMBERING |
                  PFM_RTLPARA | PFM_OFFSETINDENT;
    m_pf.wAlignment = PFA_LEFT;
    m_pf.cTabCount = 1;
    m_pf.rgxTabs[0] = 720;

    if (owner->IsRich()) m_dwFlags |= kRich;
    m_dwMaxLength = owner->GetLimitText();
    m_dwStyle = style;
    if ((style & (ES_AUTOHSCROLL | WS_HSCROLL)) == 0) m_dwFlags |= kWordWrap;
    if (style & ES_CENTER)
        m_pf.wAlignment = PFA_CENTER;
    else if (style & ES_RIGHT)
        m_pf.wAlignment = PFA_RIGHT;
    m_dwFlags |= kInPlaceActive;

    m_hRichEditLibrary = ::LoadLibraryW(L"msftedit.dll");
    if (!m_hRichEditLibrary) return false;
    auto create = reinterpret_cast<CreateTextServicesProc>(
        reinterpret_cast<void*>(::GetProcAddress(m_hRichEditLibrary, "CreateTextServices")));
    if (!create) return false;
    IUnknown* unknown = nullptr;
    if (FAILED(create(nullptr, this, &unknown)) || !unknown) return false;
    HRESULT hr = unknown->QueryInterface(kIidTextServices, reinterpret_cast<void**>(&m_pServices));
    unknown->Release();
    if (FAILED(hr) || !m_pServices) {
        m_pServices = nullptr;
        return false;
    }
    if (text && *text && FAILED(m_pServices->TxSetText(text))) return false;
    return true;
}

void CTxtWinHost::PropertyChanged(DWORD bit, DWORD value) {
    if (m_pServices) m_pServices->OnTxPropertyBitsChange(bit, value);
}

void CTxtWinHost::SetClientRect(const RECT& rc) {
    m_rcClient = rc;
    CPaintManagerUI* manager = m_re ? m_re->GetManager() : nullptr;
    HDC dc = manager ? manager->GetPaintDC() : nullptr;
    m_sizelExtent.cx = ::MulDiv(rc.right - rc.left, kHimetricPerInch, DeviceDpi(dc, LOGPIXELSX));
    m_sizelExtent.cy = ::MulDiv(rc.bottom - rc.top, kHimetricPerInch, DeviceDpi(dc, LOGPIXELSY));
    PropertyChanged(TXTBIT_EXTENTCHANGE, TXTBIT_EXTENTCHANGE);
}

void CTxtWinHost::SetTransparent(bool transparent) {
    if (transparent)
        m_dwFlags |= kTransparent;
    else
        m_dwFlags &= ~kTransparent;
    PropertyChanged(TXTBIT_BACKSTYLECHANGE, 0);
}

void CTxtWinHost::SetRich(bool rich) {
    if (rich)
        m_dwFlags |= kRich;
    else
        m_dwFlags &= ~kRich;
    PropertyChanged(TXTBIT_RICHTEXT, rich ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetFont(HFONT font) {
    if (!font) return;
    BuildCharFormat(font);
    PropertyChanged(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetColor(DWORD argb) {
    m_cf.crTextColor = ToTextColor(argb);
    PropertyChanged(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetMaxLength(DWORD characters) {
    m_dwMaxLength = characters;
    PropertyChanged(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
}

bool CTxtWinHost::SetActive(bool active) {
    if (!m_pServices) return false;
    if (active) {
        m_dwFlags |= kInPlaceActive;
        if (FAILED(m_pServices->OnTxInPlaceActivate(&m_rcClient))) {
            m_dwFlags &= ~kInPlaceActive;
            return false;
        }
        return true;
    }
    m_pServices->OnTxInPlaceDeactivate();
    m_dwFlags &= ~kInPlaceActive;
    return true;
}

bool CTxtWinHost::DoSetCursor(const POINT& pt) {
    if (!m_pServices || !::PtInRect(&m_rcClient, pt)) return false;
    CPaintManagerUI* manager = m_re->GetManager();
    const RECT* client = (m_dwFlags & kInPlaceActive) ? nullptr : &m_rcClient;
    m_pServices->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, manager ? manager->GetPaintDC() : nullptr,
                               nullptr, client, pt.x, pt.y);
    return true;
}

// ---- IUnknown ----

HRESULT CTxtWinHost::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kIidTextHost)) {
        *object = static_cast<ITextHost*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CTxtWinHost::AddRef() { return ++m_cRefs; }

ULONG CTxtWinHost::Release() {
    const ULONG left = --m_cRefs;
    if (left == 0) delete this;
    return left;
}

// ---- ITextHost ----

HDC CTxtWinHost::TxGetDC() {
    CPaintManagerUI* manager = m_re ? m_re->GetManager() : nullptr;
    return manager ? manager->GetPaintDC() : nullptr;
}

INT CTxtWinHost::TxReleaseDC(HDC) { return 1; }

WINBOOL CTxtWinHost::TxShowScrollBar(INT fnBar, WINBOOL fShow) {
    CScrollBarUI* vertical = m_re->GetVerticalScrollBar();
    CScrollBarUI* horizontal = m_re->GetHorizontalScrollBar();
    if (vertical && (fnBar == SB_VERT || fnBar == SB_BOTH)) vertical->SetVisible(fShow != FALSE);
    if (horizontal && (fnBar == SB_HORZ || fnBar == SB_BOTH)) horizontal->SetVisible(fShow != FALSE);
    return TRUE;
}

WINBOOL CTxtWinHost::TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) {
    const bool hasVertical = m_re->GetVerticalScrollBar() != nullptr;
    const bool hasHorizontal = m_re->GetHorizontalScrollBar() != nullptr;
    if (fuSBFlags == SB_VERT)
        m_re->EnableScrollBar(true, hasHorizontal);
    else if (fuSBFlags == SB_HORZ)
        m_re->EnableScrollBar(hasVertical, true);
    else if (fuSBFlags == SB_BOTH)
        m_re->EnableScrollBar(true, true);
    const bool show = fuArrowflags != ESB_DISABLE_BOTH;
    if (fuSBFlags == SB_VERT || fuSBFlags == SB_BOTH) m_re->GetVerticalScrollBar()->SetVisible(show);
    if (fuSBFlags == SB_HORZ || fuSBFlags == SB_BOTH) m_re->GetHorizontalScrollBar()->SetVisible(show);
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL) {
    CScrollBarUI* bar = fnBar == SB_VERT ? m_re->GetVerticalScrollBar() : m_re->GetHorizontalScrollBar();
    if (!bar) return TRUE;
    const LONG client = fnBar == SB_VERT ? m_rcClient.bottom - m_rcClient.top : m_rcClient.right - m_rcClient.left;
    const LONG excess = nMaxPos - nMinPos - client;
    if (excess > 0) {
        bar->SetVisible(true);
        bar->SetScrollRange(excess);
    } else {
        bar->SetVisible(false);
    }
    return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollPos(INT fnBar, INT nPos, WINBOOL) {
    CScrollBarUI* bar = fnBar == SB_VERT ? m_re->GetVerticalScrollBar() : m_re->GetHorizontalScrollBar();
    if (bar) bar->SetScrollPos(nPos);
    return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT prc, WINBOOL) {
    HWND window = PaintWindow();
    const RECT area = prc ? *prc : m_rcClient;
    if (window) ::InvalidateRect(window, &area, FALSE);
    if (CPaintManagerUI* manager = m_re->GetManager()) manager->InvalidateRect(area);
}

void CTxtWinHost::TxViewChange(WINBOOL) {
    if (m_re->OnTxViewChanged()) m_re->Invalidate();
}

bool CTxtWinHost::UsesEmulatedCaret() const {
    // A background-transparent (layered) window shows no system caret: the
    // paint manager draws one instead.
    CPaintManagerUI* manager = m_re->GetManager();
    return manager && manager->IsBackgroundTransparent();
}

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) {
    // The system caret is made in both cases: the manager's caret follows its
    // position and takes its size.
    if (UsesEmulatedCaret()) m_re->GetManager()->SetCaretSize(xWidth, yHeight);
    return ::CreateCaret(PaintWindow(), hbmp, xWidth, yHeight);
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL fShow) {
    if (UsesEmulatedCaret()) {
        const bool canShow = !m_re->IsReadOnly() && m_re->IsVisible() && m_re->IsEnabled();
        return m_re->GetManager()->ShowCaret(fShow && canShow);
    }
    return fShow ? ::ShowCaret(PaintWindow()) : ::HideCaret(PaintWindow());
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) {
    if (UsesEmulatedCaret()) return m_re->GetManager()->SetCaretPos(m_re, x, y);
    return ::SetCaretPos(x, y);
}

WINBOOL CTxtWinHost::TxSetTimer(UINT idTimer, UINT uTimeout) {
    m_dwFlags |= kTimer;
    CPaintManagerUI* manager = m_re->GetManager();
    return manager && manager->SetTimer(m_re, idTimer, uTimeout);
}

void CTxtWinHost::TxKillTimer(UINT idTimer) {
    if (CPaintManagerUI* manager = m_re->GetManager()) manager->KillTimer(m_re, idTimer);
    m_dwFlags &= ~kTimer;
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void CTxtWinHost::TxSetCapture(WINBOOL fCapture) {
    HWND window = PaintWindow();
    if (fCapture) {
        if (window) ::SetCapture(window);
        m_dwFlags |= kCaptured;
    } else {
        if (CPaintManagerUI* manager = m_re->GetManager())
            manager->ReleaseCapture();
        else
            ::ReleaseCapture();
        m_dwFlags &= ~kCaptured;
    }
}

void CTxtWinHost::TxSetFocus() { m_re->SetFocus(); }

void CTxtWinHost::TxSetCursor(HCURSOR hcur, WINBOOL) { ::SetCursor(hcur); }

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT lppt) { return ::ScreenToClient(PaintWindow(), lppt); }

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT lppt) { return ::ClientToScreen(PaintWindow(), lppt); }

HRESULT CTxtWinHost::TxActivate(LONG*) { return S_OK; }
HRESULT CTxtWinHost::TxDeactivate(LONG) { return S_OK; }

HRESULT CTxtWinHost::TxGetClientRect(LPRECT prc) {
    *prc = m_rcClient;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT prc) {
    *prc = RECT{0, 0, 0, 0};
    return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** ppCF) {
    *ppCF = reinterpret_cast<const CHARFORMATW*>(&m_cf);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** ppPF) {
    *ppPF = reinterpret_cast<const PARAFORMAT*>(&m_pf);
    return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int nIndex) {
    const COLORREF colour = ::GetSysColor(nIndex);
    return colour == 0 ? 1 : colour;
}

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* pstyle) {
    *pstyle = (m_dwFlags & kTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* plength) {
    *plength = m_dwMaxLength;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* pdwScrollBar) {
    *pdwScrollBar = m_dwStyle & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
    return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* pch) {
    *pch = m_chPasswordChar;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* pcp) {
    *pcp = m_laccelpos;
    return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL lpExtent) {
    *lpExtent = m_sizelExtent;
    return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }
HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) {
    DWORD bits = 0;
    if (m_dwFlags & kRich) bits |= TXTBIT_RICHTEXT;
    if (m_dwStyle & ES_MULTILINE) bits |= TXTBIT_MULTILINE;
    if (m_dwStyle & ES_READONLY) bits |= TXTBIT_READONLY;
    if (m_dwStyle & ES_PASSWORD) bits |= TXTBIT_USEPASSWORD;
    if (!(m_dwStyle & ES_NOHIDESEL)) bits |= TXTBIT_HIDESELECTION;
    if (m_dwFlags & kWordSelection) bits |= TXTBIT_AUTOWORDSEL;
    if (m_dwFlags & kWordWrap) bits |= TXTBIT_WORDWRAP;
    if (m_dwFlags & kAllowBeep) bits |= TXTBIT_ALLOWBEEP;
    if (m_dwFlags & kSaveSelection) bits |= TXTBIT_SAVESELECTION;
    *pdwBits = bits & dwMask;
    return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD iNotify, void* pv) {
    if (iNotify == EN_REQUESTRESIZE && pv) {
        const REQRESIZE* request = static_cast<const REQRESIZE*>(pv);
        RECT rc = m_rcClient;
        rc.right = rc.left + (request->rc.right - request->rc.left);
        rc.bottom = rc.top + (request->rc.bottom - request->rc.top);
        SetClientRect(rc);
    }
    m_re->OnTxNotify(iNotify, pv);
    return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext() { return nullptr; }
void CTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* lSelBarWidth) {
    *lSelBarWidth = m_lSelBarWidth;
    return S_OK;
}

}  // namespace UiLib
