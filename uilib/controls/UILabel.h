// CLabelUI: one line of text in the control's rectangle, with a font,
// colours, alignment and padding. The base of buttons, progress bars, sliders,
// date fields and the longer CTextUI.
#pragma once
#include "core/manager/UIControl.h"

namespace UiLib {

class UILIB_API CLabelUI : public CControlUI {
public:
    CLabelUI();
    ~CLabelUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    CUiString GetText() const override;
    void SetText(const wchar_t* text) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;

    virtual bool GetAutoCalcWidth() const;
    virtual void SetAutoCalcWidth(bool autoCalcWidth);

    void SetTextStyle(UINT style);
    UINT GetTextStyle() const { return m_uTextStyle; }
    void SetTextColor(DWORD color);
    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetDisabledTextColor(DWORD color);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetFont(int index);
    int GetFont() const { return m_iFont; }
    void SetTextPadding(RECT rc);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    bool IsShowHtml() const { return m_bShowHtml; }
    void SetShowHtml(bool showHtml = true);
    bool IsEffectsEnabled() const { return m_bEnableEffect; }

protected:
    // Zero colours take the manager's defaults, kept from then on.
    void ApplyDefaultColors();
    // The own rectangle shrunk by the text padding.
    RECT TextRect() const;
    // A mouse-disabled control passes its mouse events to its parent (or to
    // the label's handling without one); true when the event was passed on.
    bool ForwardDisabledMouse(TEventUI& event);
    // Setters that change the look: store, then repaint.
    void StoreAndInvalidate(CUiString& field, const wchar_t* value);
    void StoreAndInvalidate(DWORD& field, DWORD value);

    DWORD m_dwTextColor = 0;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    UINT m_uTextStyle = DT_VCENTER;
    RECT m_rcTextPadding = {0, 0, 0, 0};
    bool m_bShowHtml = false;
    bool m_bAutoCalcWidth = false;

    // Text effects: stored from the skin, not drawn.
    int m_TransShadow = 60;
    int m_TransShadow1 = 60;
    int m_TransText = 168;
    int m_TransText1 = 168;
    int m_TransStroke = 255;
    int m_GradientLength = 0;
    int m_GradientAngle = 0;
    bool m_bEnableEffect = false;
    bool m_bEnableStroke = false;
    bool m_bEnableShadow = false;
    DWORD m_dwTextColor1 = 0xFFFFFFFF;
    DWORD m_dwTextShadowColorA = 0xFF000000;
    DWORD m_dwTextShadowColorB = 0xFFFFFFFF;
    DWORD m_dwStrokeColor = 0;
    CUiString m_EffectText;
};

}  // namespace UiLib
