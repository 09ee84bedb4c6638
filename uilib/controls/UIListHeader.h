// The column header of a list: CListHeaderUI is a row of CListHeaderItemUI
// captions. Each item has a separator strip at one edge that the user drags
// to set the column's width; the list takes the items' rectangles as its
// column rectangles.
#pragma once
#include "controls/UIHorizontalLayout.h"

namespace UiLib {

class UILIB_API CListHeaderUI : public CHorizontalLayoutUI {
public:
    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE szAvailable) override;

    bool IsScaleHeader() const { return m_bIsScaleHeader; }
    void SetScaleHeader(bool scale) { m_bIsScaleHeader = scale; }

private:
    // Items take their "scale" percentage of the header's width.
    void PlaceScaled(RECT rc);

    bool m_bIsScaleHeader = false;
};

class UILIB_API CListHeaderItemUI : public CControlUI {
public:
    CListHeaderItemUI();

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetEnabled(bool enable = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    bool IsDragable() const { return m_bDragable; }
    void SetDragable(bool dragable);
    int GetSepWidth() const { return m_iSepWidth; }
    void SetSepWidth(int width) { m_iSepWidth = width; }
    int GetScale() const { return m_nScale; }
    void SetScale(int scale) { m_nScale = scale; }
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD color) { m_dwTextColor = color; }
    // The separator strip, and the strip widened 4 pixels inward for presses and the cursor.
    RECT GetThumbRect() const;
    RECT GetThumbHitRect() const;

private:
    static const UINT kFocused = 0x01, kHot = 0x08, kPushed = 0x10, kCaptured = 0x40;
    // Draws an image description; one that fails is emptied and not tried again.
    bool DrawOrForget(HDC hDC, CUiString& image, const wchar_t* modify = nullptr);

    POINT m_ptLastMouse = {0, 0};
    bool m_bDragable = true;
    UINT m_uButtonState = 0;
    int m_iSepWidth = 4;
    DWORD m_dwTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    bool m_bShowHtml = false;
    RECT m_rcTextPadding = {2, 0, 2, 0};
    CUiString m_sNormalImage;
    CUiString m_sHotImage;
    CUiString m_sPushedImage;
    CUiString m_sFocusedImage;
    CUiString m_sSepImage;
    CUiString m_sSepImageModify;
    int m_nScale = 0;
};

}  // namespace UiLib
