#include "core/manager/UIScrollBar.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIContainer.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {
const int kDefaultThickness = 16;
}

CScrollBarUI::CScrollBarUI() { m_cxFixed = kDefaultThickness; }

const wchar_t* CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

LPVOID CScrollBarUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"ScrollBar") == 0) return this;
    return CControlUI::GetInterface(name);
}

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    if (horizontal) {
        if (m_cyFixed == 0) {
            m_cxFixed = 0;
            m_cyFixed = kDefaultThickness;
        }
    } else if (m_cxFixed == 0) {
        m_cxFixed = kDefaultThickness;
        m_cyFixed = 0;
    }
    if (m_pOwner) {
        if (m_pOwner->IsVisible()) m_pOwner->MarkLayoutDirty();
    } else {
        MarkParentLayoutDirty();
    }
}

void CScrollBarUI::SetScrollRange(int range) {
    if (m_nRange == range) return;
    m_nRange = std::max(range, 0);
    m_nScrollPos = std::min(m_nScrollPos, m_nRange);
    SetPos(m_rcItem);
}

void CScrollBarUI::SetScrollPos(int pos) {
    if (m_nScrollPos == pos) return;
    m_nScrollPos = std::min(std::max(pos, 0), m_nRange);
    SetPos(m_rcItem);
}

void CScrollBarUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"hor") == 0)
        SetHorizontal(ParseBoolValue(value));
    else if (std::wcscmp(name, L"linesize") == 0)
        SetLineSize(ParseIntValue(value));
    else if (std::wcscmp(name, L"range") == 0)
        SetScrollRange(ParseIntValue(value));
    else if (std::wcscmp(name, L"value") == 0)
        SetScrollPos(ParseIntValue(value));
    else
        CControlUI::SetAttribute(name, value);
}

}  // namespace UiLib
