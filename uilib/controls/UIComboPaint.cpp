// Painting of the combo (state image and the selected row's text) and of the
// combo box's arrow cut from a five-state strip.
#include "controls/UICombo.h"

#include "controls/LayoutMath.h"
#include "controls/UIStateImage.h"
#include "core/manager/UIAttributeValue.h"

#include <cwchar>

namespace UiLib {

namespace {
// The four numbers in single quotes after "source" in an image description;
// false when there is no such part.
bool FindSourceRect(const wchar_t* image, RECT& source) {
    const wchar_t* key = std::wcsstr(image, L"source");
    if (!key) return false;
    const wchar_t* quote = std::wcschr(key, L'\'');
    if (!quote) return false;
    source = ParseRectValue(quote + 1);
    return true;
}
}  // namespace

void CComboUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    // The rows are painted by the pop-up, never in place.
    CControlUI::DoPaint(hDC, rcPaint);
}

RECT CComboUI::TextRect() const { return layout::Shrink(m_rcItem, m_rcTextPadding); }

void CComboUI::PaintStatusImage(HDC hDC) {
    m_uButtonState = WithFocusAndEnabledBits(*this, m_uButtonState);

    CUiString* chosen = nullptr;
    if (m_uButtonState & kDisabled)
        chosen = &m_sDisabledImage;
    else if (m_uButtonState & kPushed)
        chosen = &m_sPushedImage;
    else if (m_uButtonState & kHot)
        chosen = &m_sHotImage;
    else if (m_uButtonState & kFocused)
        chosen = &m_sFocusedImage;
    if (chosen && DrawImageOrForget(*this, hDC, *chosen)) return;
    DrawImageOrForget(*this, hDC, m_sNormalImage);
}

void CComboUI::PaintSelectedItem(HDC hDC, const RECT& rc) {
    CControlUI* selected = GetItemAt(m_iCurSel);
    if (!selected) return;
    if (IListItemUI* item = static_cast<IListItemUI*>(selected->GetInterface(L"ListItem"))) {
        item->DrawItemText(hDC, rc);
        return;
    }
    // Any other control is painted into the text area for the moment.
    const RECT old = selected->GetPos();
    selected->SetPos(rc);
    selected->DoPaint(hDC, rc);
    selected->SetPos(old);
}

void CComboUI::PaintText(HDC hDC) { PaintSelectedItem(hDC, TextRect()); }

const wchar_t* CComboBoxUI::GetClass() const { return L"ComboBoxUI"; }

void CComboBoxUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (name && value && std::wcscmp(name, L"arrowimage") == 0)
        SetArrowImage(value);
    else
        CComboUI::SetAttribute(name, value);
}

void CComboBoxUI::PaintStatusImage(HDC hDC) {
    RECT source = {};
    if (m_sArrowImage.IsEmpty() || !FindSourceRect(m_sArrowImage, source)) {
        m_nArrowWidth = 0;
        CComboUI::PaintStatusImage(hDC);
        return;
    }
    m_uButtonState = WithFocusAndEnabledBits(*this, m_uButtonState);
    int state = 0;
    if (m_uButtonState & kDisabled)
        state = 4;
    else if (m_uButtonState & kPushed)
        state = 2;
    else if (m_uButtonState & kHot)
        state = 1;
    else if (m_uButtonState & kFocused)
        state = 3;

    m_nArrowWidth = (source.right - source.left) / 5;
    RECT dest = {m_nBorderSize, m_nBorderSize, m_rcItem.right - m_rcItem.left - m_nBorderSize,
                 m_rcItem.bottom - m_rcItem.top - m_nBorderSize};
    dest.left = dest.right - m_nArrowWidth;
    const int sliceLeft = source.left + m_nArrowWidth * state;
    CUiString modify;
    modify.SmallFormat(L"source='%d,%d,%d,%d' dest='%d,%d,%d,%d'", sliceLeft, source.top, sliceLeft + m_nArrowWidth,
                       source.bottom, dest.left, dest.top, dest.right, dest.bottom);
    DrawImageOrForget(*this, hDC, m_sArrowImage, modify);
}

void CComboBoxUI::PaintText(HDC hDC) {
    RECT rc = TextRect();
    rc.right -= m_nArrowWidth;
    PaintSelectedItem(hDC, rc);
}

}  // namespace UiLib
