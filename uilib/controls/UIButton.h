// CButtonUI: a label that answers the mouse and keyboard with state images,
// state text colours and a hot background colour, sends "click" and can
// switch the page of a named tab layout.
#pragma once
#include "controls/UILabel.h"

namespace UiLib {

// Bits of a button's state word.
enum {
    UISTATE_FOCUSED = 0x01,
    UISTATE_SELECTED = 0x02,
    UISTATE_DISABLED = 0x04,
    UISTATE_HOT = 0x08,
    UISTATE_PUSHED = 0x10,
    UISTATE_CAPTURED = 0x40,
};

class UILIB_API CButtonUI : public CLabelUI {
public:
    CButtonUI();
    ~CButtonUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void SetEnabled(bool enable = true) override;
    void OnPropertyActionTimer(IUiTimer* timer, tagTProperty* property) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    unUserData GetAttribute(const wchar_t* name) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    virtual void SetNormalImage(const wchar_t* image);

    const wchar_t* GetNormalImage() const { return m_sNormalImage; }
    const wchar_t* GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* image);
    const wchar_t* GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const wchar_t* image);
    const wchar_t* GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* image);
    const wchar_t* GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const wchar_t* image);
    void SetForeImage(const wchar_t* image);
    const wchar_t* GetHotForeImage() const { return m_sHotForeImage; }
    void SetHotForeImage(const wchar_t* image);

    void SetHotBkColor(DWORD color);
    DWORD GetHotBkColor() const { return m_dwHotBkColor; }
    void SetHotTextColor(DWORD color);
    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetPushedTextColor(DWORD color);
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetFocusedTextColor(DWORD color);
    DWORD GetFocusedTextColor() const { return m_dwFocusedTextColor; }

    void BindTabIndex(int index);
    void BindTabLayoutName(const wchar_t* name);
    int GetBindTabLayoutIndex() const { return m_iBindTabIndex; }
    const wchar_t* GetBindTabLayoutName() const { return m_sBindTabLayoutName; }

    UINT GetButtonState() const { return m_uButtonState; }

protected:
    // Draws an image description; one that fails is emptied so it is not tried again.
    bool DrawStateImage(HDC hDC, CUiString& image, const wchar_t* modify = nullptr);
    // Sets the focused and disabled bits from the control's state.
    void RefreshStateBits();
    // Fills the paint area with a state colour; nothing for alpha 0.
    void FillStateColor(HDC hDC, DWORD color);
    // Picks the first set colour by pushed, hot and focused state, else the plain one.
    DWORD StateTextColor() const;
    void DrawLabelText(HDC hDC, DWORD color);
    // Switches the bound tab layout, when there is one, to the bound page.
    void SelectBoundTab();

    UINT m_uButtonState = 0;
    DWORD m_dwHotBkColor = 0;
    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    DWORD m_dwFocusedTextColor = 0;
    CUiString m_sNormalImage;
    CUiString m_sHotImage;
    CUiString m_sHotForeImage;
    CUiString m_sPushedImage;
    CUiString m_sFocusedImage;
    CUiString m_sDisabledImage;
    int m_iBindTabIndex = -1;
    CUiString m_sBindTabLayoutName;
};

}  // namespace UiLib
