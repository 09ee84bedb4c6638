// CTxtWinHost: the ITextHost that lets the system's windowless text services
// (msftedit.dll) run inside a CRichEditUI. Device context, caret, timers,
// capture, scroll bars and invalidation all go through the control and its
// paint manager. Reference counted; the control holds one reference.
#pragma once
#include <windows.h>
#include <richedit.h>
#include <textserv.h>

namespace UiLib {

class CRichEditUI;

class CTxtWinHost : public ITextHost {
public:
    // Host flags.
    enum : DWORD {
        kWordSelection = 0x01,
        kWordWrap = 0x02,
        kAllowBeep = 0x04,
        kRich = 0x08,
        kSaveSelection = 0x10,
        kInPlaceActive = 0x20,
        kTransparent = 0x40,
        kTimer = 0x80,
        kCaptured = 0x100,
    };

    CTxtWinHost();
    CTxtWinHost(const CTxtWinHost&) = delete;
    CTxtWinHost& operator=(const CTxtWinHost&) = delete;

    // Creates the text services for `owner` with the given style and text;
    // false when msftedit.dll, its CreateTextServices or the interface is missing.
    bool Init(CRichEditUI* owner, DWORD style, const wchar_t* text);
    ITextServices* GetTextServices() const { return m_pServices; }

    void SetClientRect(const RECT& rc);
    const RECT& GetClientRect() const { return m_rcClient; }
    void SetTransparent(bool transparent);
    void SetRich(bool rich);
    bool IsRich() const { return (m_dwFlags & kRich) != 0; }
    void SetFont(HFONT font);
    void SetColor(DWORD argb);
    void SetMaxLength(DWORD characters);
    bool SetActive(bool active);
    bool IsCaptured() const { return (m_dwFlags & kCaptured) != 0; }
    // Lets the text services set the cursor when the point is in the client area.
    bool DoSetCursor(const POINT& pt);
    void PropertyChanged(DWORD bit, DWORD value);

    // ARGB as the COLORREF the text services draw with: never pure black
    // (which some drawing paths treat as transparent), red and blue swapped.
    static COLORREF ToTextColor(DWORD argb);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ITextHost
    HDC TxGetDC() override;
    INT TxReleaseDC(HDC hdc) override;
    WINBOOL TxShowScrollBar(INT fnBar, WINBOOL fShow) override;
    WINBOOL TxEnableScrollBar(INT fuSBFlags, INT fuArrowflags) override;
    WINBOOL TxSetScrollRange(INT fnBar, LONG nMinPos, INT nMaxPos, WINBOOL fRedraw) override;
    WINBOOL TxSetScrollPos(INT fnBar, INT nPos, WINBOOL fRedraw) override;
    void TxInvalidateRect(LPCRECT prc, WINBOOL fMode) override;
    void TxViewChange(WINBOOL fUpdate) override;
    WINBOOL TxCreateCaret(HBITMAP hbmp, INT xWidth, INT yHeight) override;
    WINBOOL TxShowCaret(WINBOOL fShow) override;
    WINBOOL TxSetCaretPos(INT x, INT y) override;
    WINBOOL TxSetTimer(UINT idTimer, UINT uTimeout) override;
    void TxKillTimer(UINT idTimer) override;
    void TxScrollWindowEx(INT dx, INT dy, LPCRECT lprcScroll, LPCRECT lprcClip, HRGN hrgnUpdate, LPRECT lprcUpdate,
                          UINT fuScroll) override;
    void TxSetCapture(WINBOOL fCapture) override;
    void TxSetFocus() override;
    void TxSetCursor(HCURSOR hcur, WINBOOL fText) override;
    WINBOOL TxScreenToClient(LPPOINT lppt) override;
    WINBOOL TxClientToScreen(LPPOINT lppt) override;
    HRESULT TxActivate(LONG* plOldState) override;
    HRESULT TxDeactivate(LONG lNewState) override;
    HRESULT TxGetClientRect(LPRECT prc) override;
    HRESULT TxGetViewInset(LPRECT prc) override;
    HRESULT TxGetCharFormat(const CHARFORMATW** ppCF) override;
    HRESULT TxGetParaFormat(const PARAFORMAT** ppPF) override;
    COLORREF TxGetSysColor(int nIndex) override;
    HRESULT TxGetBackStyle(TXTBACKSTYLE* pstyle) override;
    HRESULT TxGetMaxLength(DWORD* plength) override;
    HRESULT TxGetScrollBars(DWORD* pdwScrollBar) override;
    HRESULT TxGetPasswordChar(TCHAR* pch) override;
    HRESULT TxGetAcceleratorPos(LONG* pcp) override;
    HRESULT TxGetExtent(LPSIZEL lpExtent) override;
    HRESULT OnTxCharFormatChange(const CHARFORMATW* pcf) override;
    HRESULT OnTxParaFormatChange(const PARAFORMAT* ppf) override;
    HRESULT TxGetPropertyBits(DWORD dwMask, DWORD* pdwBits) override;
    HRESULT TxNotify(DWORD iNotify, void* pv) override;
    HIMC TxImmGetContext() override;
    void TxImmReleaseContext(HIMC himc) override;
    HRESULT TxGetSelectionBarWidth(LONG* lSelBarWidth) override;

private:
    virtual ~CTxtWinHost();
    HWND PaintWindow() const;
    bool UsesEmulatedCaret() const;
    void BuildCharFormat(HFONT font);

    ULONG m_cRefs = 1;
    CRichEditUI* m_re = nullptr;
    ITextServices* m_pServices = nullptr;
    DWORD m_dwFlags = 0;
    DWORD m_dwMaxLength = 0x7FFF;
    DWORD m_dwStyle = 0;
    RECT m_rcClient = {0, 0, 0, 0};
    SIZEL m_sizelExtent = {0, 0};
    CHARFORMAT2W m_cf = {};
    PARAFORMAT2 m_pf = {};
    LONG m_laccelpos = -1;
    wchar_t m_chPasswordChar = L'*';
    LONG m_lSelBarWidth = 0;
    HMODULE m_hRichEditLibrary = nullptr;
};

}  // namespace UiLib
