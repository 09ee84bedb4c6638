// CComboUI: a drop-down list. Its children are list rows that are not laid
// out inside it: it paints its state image and the selected row's text, and
// when activated opens a pop-up window whose column adopts the rows until it
// closes. CComboBoxUI adds an arrow cut from a five-state image strip.
#pragma once
#include "controls/UIListInterfaces.h"
#include "core/manager/UIContainer.h"

namespace UiLib {

class CComboWnd;

class UILIB_API CComboUI : public CContainerUI, public IListOwnerUI {
    friend class CComboWnd;

public:
    CComboUI();
    ~CComboUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    bool Activate() override;
    CUiString GetText() const override;
    void SetPos(RECT rc) override;
    void SetEnabled(bool enable = true) override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    bool SetItemIndex(CControlUI* control, int index) override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    TListInfoUI* UILIB_THISCALL GetListInfo() override;
    int UILIB_THISCALL GetCurSel() const override;
    bool UILIB_THISCALL SelectItem(int index, bool takeFocus = false) override;

    // The open pop-up window, or null.
    HWND GetDropWindow() const;
    const wchar_t* GetDropBoxAttributeList() const { return m_sDropBoxAttributes; }
    void SetDropBoxAttributeList(const wchar_t* list) { m_sDropBoxAttributes = list; }
    SIZE GetDropBoxSize() const { return m_szDropBox; }
    void SetDropBoxSize(SIZE size) { m_szDropBox = size; }
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT padding);
    const wchar_t* GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const wchar_t* image);
    const wchar_t* GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const wchar_t* image);
    const wchar_t* GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const wchar_t* image);
    const wchar_t* GetFocusedImage() const { return m_sFocusedImage; }
    void SetFocusedImage(const wchar_t* image);
    const wchar_t* GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const wchar_t* image);

protected:
    // The text area: the control less the text padding.
    RECT TextRect() const;
    // Draws the selected row's text into `rc`.
    void PaintSelectedItem(HDC hDC, const RECT& rc);

    static const UINT kFocused = 0x01;
    static const UINT kDisabled = 0x04;
    static const UINT kHot = 0x08;
    static const UINT kPushed = 0x10;
    static const UINT kCaptured = 0x40;

    CComboWnd* m_pWindow = nullptr;
    int m_iCurSel = -1;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    CUiString m_sDropBoxAttributes;
    SIZE m_szDropBox = {0, 150};
    UINT m_uButtonState = 0;
    CUiString m_sNormalImage;
    CUiString m_sHotImage;
    CUiString m_sPushedImage;
    CUiString m_sFocusedImage;
    CUiString m_sDisabledImage;
    TListInfoUI m_ListInfo;

private:
    void RenumberItems(int first, int last);
    bool SelectBy(int index);
};

class UILIB_API CComboBoxUI : public CComboUI {
public:
    const wchar_t* GetClass() const override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    const wchar_t* GetArrowImage() const { return m_sArrowImage; }
    void SetArrowImage(const wchar_t* image) { m_sArrowImage = image; }

protected:
    CUiString m_sArrowImage;
    int m_nArrowWidth = 0;
};

}  // namespace UiLib
