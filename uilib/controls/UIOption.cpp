#include "controls/UIOption.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cwchar>

namespace UiLib {

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() {
    if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
}

const wchar_t* COptionUI::GetClass() const { return L"OptionUI"; }

LPVOID COptionUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Option") == 0) return this;
    return CButtonUI::GetInterface(name);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    // A group lives in one window's manager: leave the old one before moving.
    if (m_pManager && m_pManager != manager && !m_sGroupName.IsEmpty())
        m_pManager->RemoveOptionGroup(m_sGroupName, this);
    CButtonUI::SetManager(manager, parent, init);
    if (init && m_pManager && !m_sGroupName.IsEmpty()) m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::SetGroup(const wchar_t* groupName) {
    if (m_sGroupName == (groupName ? groupName : L"")) return;
    if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->RemoveOptionGroup(m_sGroupName, this);
    m_sGroupName = groupName;
    if (m_pManager && !m_sGroupName.IsEmpty()) m_pManager->AddOptionGroup(m_sGroupName, this);
}

void COptionUI::SetSelected(bool selected) {
    if (m_bSelected == selected) return;
    m_bSelected = selected;
    if (m_bSelected)
        m_uButtonState |= UISTATE_SELECTED;
    else
        m_uButtonState &= ~UISTATE_SELECTED;

    if (m_pManager) {
        if (m_sGroupName.IsEmpty()) {
            m_pManager->SendNotify(this, L"selectchanged");
        } else if (m_bSelected) {
            if (CStdPtrArray* group = m_pManager->GetOptionGroup(m_sGroupName)) {
                for (int i = 0; i < group->GetSize(); ++i) {
                    auto* other = static_cast<COptionUI*>(group->GetAt(i));
                    if (other != this) other->SetSelected(false);
                }
            }
            m_pManager->SendNotify(this, L"selectchanged");
        }
    }
    Invalidate();
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    SetSelected(m_sGroupName.IsEmpty() ? !m_bSelected : true);
    return true;
}

void COptionUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? UISTATE_SELECTED : 0;
}

void COptionUI::SetSelectedImage(const wchar_t* image) { StoreAndInvalidate(m_sSelectedImage, image); }

void COptionUI::SetSelectedHotImage(const wchar_t* image) { StoreAndInvalidate(m_sSelectedHotImage, image); }

void COptionUI::SetSelectedPushedImage(const wchar_t* image) { StoreAndInvalidate(m_sSelectedPushedImage, image); }

void COptionUI::SetSelectedForeImage(const wchar_t* image) { StoreAndInvalidate(m_sSelectedForeImage, image); }

void COptionUI::SetOptionForeImage(const wchar_t* image) { StoreAndInvalidate(m_sOptionForeImage, image); }

void COptionUI::SetSelectedBkColor(DWORD color) { StoreAndInvalidate(m_dwSelectedBkColor, color); }

void COptionUI::SetSelectedTextColor(DWORD color) { StoreAndInvalidate(m_dwSelectedTextColor, color); }

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    if (is(L"group")) SetGroup(value);
    else if (is(L"selected")) SetSelected(ParseBoolValue(value));
    else if (is(L"selectedimage")) SetSelectedImage(value);
    else if (is(L"selectedhotimage")) SetSelectedHotImage(value);
    else if (is(L"selectedpushedimage")) SetSelectedPushedImage(value);
    else if (is(L"selectedforeimage")) SetSelectedForeImage(value);
    else if (is(L"foreimage")) SetOptionForeImage(value);
    else if (is(L"selectedbkcolor")) SetSelectedBkColor(ParseColorValue(value));
    else if (is(L"selectedtextcolor")) SetSelectedTextColor(ParseColorValue(value));
    else CButtonUI::SetAttribute(name, value);
}

bool COptionUI::DrawSelectedImage(HDC hDC, CUiString& image) {
    if (DrawImage(hDC, image)) return true;
    image.Empty();
    return false;
}

void COptionUI::PaintStatusImage(HDC hDC) {
    const bool selected = (m_uButtonState & UISTATE_SELECTED) != 0;
    bool asButton = true;
    if ((m_uButtonState & UISTATE_PUSHED) && selected && !m_sSelectedPushedImage.IsEmpty()) {
        asButton = !DrawSelectedImage(hDC, m_sSelectedPushedImage);
    } else if ((m_uButtonState & UISTATE_HOT) && selected && !m_sSelectedHotImage.IsEmpty()) {
        asButton = !DrawSelectedImage(hDC, m_sSelectedHotImage);
    } else if (selected) {
        if (!m_sSelectedImage.IsEmpty()) {
            asButton = !DrawSelectedImage(hDC, m_sSelectedImage);
        } else if (m_dwSelectedBkColor != 0) {
            FillStateColor(hDC, m_dwSelectedBkColor);
            return;
        }
    }
    if (asButton) CButtonUI::PaintStatusImage(hDC);

    if (selected && !m_sSelectedForeImage.IsEmpty()) {
        DrawSelectedImage(hDC, m_sSelectedForeImage);
        return;
    }
    if (!m_sOptionForeImage.IsEmpty()) DrawSelectedImage(hDC, m_sOptionForeImage);
}

void COptionUI::PaintText(HDC hDC) {
    if (!(m_uButtonState & UISTATE_SELECTED)) {
        CButtonUI::PaintText(hDC);
        return;
    }
    ApplyDefaultColors();
    if (m_sText.IsEmpty()) return;
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (m_dwSelectedTextColor != 0 && IsEnabled()) color = m_dwSelectedTextColor;
    DrawLabelText(hDC, color);
}

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

}  // namespace UiLib
