// CEditUI: a single-line text box. Without the keyboard focus it paints like a
// label (with a placeholder and a password mask); with the focus it lays a
// native EDIT window of its own exactly over its text area, copies every
// change back into its text and closes the native window when the focus goes.
#pragma once
#include "controls/UILabel.h"

namespace UiLib {

class CEditWnd;

// Control timer id of the change-polling timer.
constexpr UINT kEditTimerId = 1650;

class UILIB_API CEditUI : public CLabelUI {
    friend class CEditWnd;

public:
    CEditUI();
    ~CEditUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintBkColor(HDC hDC) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    void SetMaxChar(int maxChars);
    int GetMaxChar() const { return m_iMaxChar; }
    void SetReadOnly(bool readOnly);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetPasswordMode(bool password);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordChar(wchar_t ch);
    wchar_t GetPasswordChar() const { return m_cPasswordChar; }
    // ES_NUMBER in the native window's style; applies from the next opening.
    void SetNumberOnly(bool numberOnly);
    bool IsNumberOnly() const { return (m_uWindowStyles & ES_NUMBER) != 0; }
    void SetNormalImage(const wchar_t* image);
    const wchar_t* GetNormalImage() const { return m_sNormalImage; }
    void SetHotImage(const wchar_t* image);
    const wchar_t* GetHotImage() const { return m_sHotImage; }
    void SetFocusedImage(const wchar_t* image);
    const wchar_t* GetFocusedImage() const { return m_sFocusedImage; }
    void SetDisabledImage(const wchar_t* image);
    const wchar_t* GetDisabledImage() const { return m_sDisabledImage; }
    void SetTipValue(const wchar_t* text) { m_sTipValue = text; }
    const wchar_t* GetTipValue() const { return m_sTipValue; }
    void SetTipValueColor(DWORD color) { m_dwTipValueColor = color; }
    DWORD GetTipValueColor() const { return m_dwTipValueColor; }
    void SetNativeEditBkColor(DWORD color);
    DWORD GetNativeEditBkColor() const { return m_dwEditbkColor; }
    void SetNativeEditTextColor(DWORD color) { m_dwEditTextColor = color; }
    DWORD GetNativeEditTextColor() const { return m_dwEditTextColor; }
    void SetEnableTimer(bool enable) { m_bEnableTimer = enable; }
    bool IsEnableTimer() const { return m_bEnableTimer; }
    void SetTimerDelay(UINT delay);
    UINT GetTimerDelay() const { return m_uTimerDelay; }
    void SetRegularCheck(const wchar_t* pattern);
    const wchar_t* GetRegularCheck() const { return m_sRegularCheck; }
    void SetRegularTip(const wchar_t* text);
    const wchar_t* GetRegularTip() const { return m_sRegularTip; }
    // Runs the input check on the current text; on failure shows the check
    // message (when set) and puts back the text the editor opened with.
    bool RegularCheck();

    // Selects a range in the open editor (nothing while closed).
    void SetSel(long start, long end);
    void SetSelAll();
    // The open native editor, or null.
    HWND GetNativeEditHWND() const;

private:
    void OpenEditor();
    // Text changes reported by the open editor.
    void OnEditChanged(const wchar_t* text);
    void OnEditTimer();
    // Hidden while the editor is open: the focus leaves so that it closes.
    void DropFocusIfHidden();

    UINT m_uTimerDelay = 200;
    CEditWnd* m_pWindow = nullptr;
    bool m_bEnableTimer = false;
    CUiString m_sLastText;
    int m_iMaxChar = -1;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    wchar_t m_cPasswordChar = L'*';
    UINT m_uButtonState = 0;
    CUiString m_sRegularCheck;
    CUiString m_sRegularTip;
    CUiString m_sSrcText;
    CUiString m_sNormalImage;
    CUiString m_sHotImage;
    CUiString m_sFocusedImage;
    CUiString m_sDisabledImage;
    CUiString m_sTipValue;
    DWORD m_dwTipValueColor = 0xFFBAC0C5;
    DWORD m_dwEditbkColor = 0xFFFFFFFF;
    DWORD m_dwEditTextColor = 0;
    UINT m_uWindowStyles = 0;
};

}  // namespace UiLib
