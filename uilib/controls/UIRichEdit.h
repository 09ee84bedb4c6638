// CRichEditUI: a windowless multi-line text editor. The system's rich-text
// engine runs as windowless text services behind a CTxtWinHost; the control
// receives the window's messages through the paint manager's message filters
// and hands them to the text services. A placeholder text ("tipvalue") is
// painted while the field is empty and unfocused; it is never the field's text.
#pragma once
#include "core/manager/UIContainer.h"
#include "core/manager/UIInterfaces.h"

#include <windows.h>

namespace UiLib {

class CTxtWinHost;

class UILIB_API CRichEditUI : public CContainerUI, public IMessageFilterUI {
public:
    CRichEditUI();
    ~CRichEditUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    CUiString GetText() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rc) override;
    void SetEnabled(bool enable = true) override;
    void DoInit() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    unUserData GetAttribute(const wchar_t* name) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void SetScrollPos(SIZE szPos) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;

    // Slots 141-143.
    virtual HRESULT TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plresult) const;
    virtual bool OnTxViewChanged();
    virtual void OnTxNotify(DWORD iNotify, void* pv);

    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

    bool IsWantTab() const { return m_bWantTab; }
    void SetWantTab(bool want) { m_bWantTab = want; }
    bool IsWantReturn() const { return m_bWantReturn; }
    void SetWantReturn(bool want) { m_bWantReturn = want; }
    bool IsWantCtrlReturn() const { return m_bWantCtrlReturn; }
    void SetWantCtrlReturn(bool want) { m_bWantCtrlReturn = want; }
    bool IsRich() const { return m_bRich; }
    void SetRich(bool rich);
    bool IsReadOnly() const { return m_bReadOnly; }
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color);
    // Characters the field holds at most; 0 or less means 32767.
    int GetLimitText() const { return m_iLimitText; }
    void SetLimitText(int limit);
    const wchar_t* GetTipValue() const { return m_sTipValue; }
    void SetTipValue(const wchar_t* text);
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetTipValueColor(DWORD color);
    long GetTextLength() const;
    // Where the text services draw: the inner rectangle less the text padding.
    RECT GetClientArea() const;
    CTxtWinHost* GetTextHost() const { return m_pTwh; }
    DWORD GetHostStyle() const { return m_lTwhStyle; }

private:
    void Repaint();
    void ApplyLimit();
    void SendScroll(UINT message, WORD code) const;
    bool PlaceholderShows() const;
    HFONT FontHandle() const;
    // Puts the vertical bar back when plain-text services moved it backwards.
    void KeepVerticalPosition(int before);

    CTxtWinHost* m_pTwh = nullptr;
    bool m_bVScrollBarFixing = false;
    bool m_bWantTab = true;
    bool m_bWantReturn = true;
    bool m_bWantCtrlReturn = true;
    bool m_bRich = true;
    bool m_bReadOnly = false;
    bool m_bWordWrap = false;
    DWORD m_dwTextColor = 0;
    int m_iFont = -1;
    int m_iLimitText = 0x7FFF;
    LONG m_lTwhStyle = ES_MULTILINE;
    bool m_bInited = false;
    UINT m_uButtonState = 0;
    CUiString m_sNormalImage;
    CUiString m_sHotImage;
    CUiString m_sFocusedImage;
    CUiString m_sDisabledImage;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    CUiString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
};

}  // namespace UiLib
