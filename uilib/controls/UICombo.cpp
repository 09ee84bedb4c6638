#include "controls/UICombo.h"

#include "controls/UIComboWnd.h"
#include "controls/UIListInfoKeys.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {
bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }
bool IsMouseEvent(int type) { return type > UIEVENT__MOUSEBEGIN && type < UIEVENT__MOUSEEND; }
IListItemUI* AsListItem(CControlUI* control) {
    return control ? static_cast<IListItemUI*>(control->GetInterface(L"ListItem")) : nullptr;
}
}  // namespace

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() {
    // A combo destroyed while dropped takes its rows back and closes the pop-up.
    if (m_pWindow) {
        CComboWnd* window = m_pWindow;
        m_pWindow = nullptr;
        window->Detach();
    }
}

const wchar_t* CComboUI::GetClass() const { return L"ComboUI"; }

LPVOID CComboUI::GetInterface(const wchar_t* name) {
    if (name && Is(name, L"Combo")) return static_cast<CComboUI*>(this);
    if (name && Is(name, L"IListOwner")) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

HWND CComboUI::GetDropWindow() const { return m_pWindow ? m_pWindow->GetHWND() : nullptr; }

// ---- rows ----

void CComboUI::RenumberItems(int first, int last) {
    for (int i = std::max(first, 0); i <= last && i < GetCount(); ++i)
        if (IListItemUI* item = AsListItem(GetItemAt(i))) item->SetIndex(i);
}

bool CComboUI::Add(CControlUI* control) {
    if (IListItemUI* item = AsListItem(control)) {
        item->SetOwner(this);
        item->SetIndex(GetCount());
    }
    return CContainerUI::Add(control);
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (IListItemUI* item = AsListItem(control)) item->SetOwner(this);
    RenumberItems(index, GetCount() - 1);
    if (m_iCurSel >= index) ++m_iCurSel;
    return true;
}

bool CComboUI::SetItemIndex(CControlUI* control, int index) {
    const int old = GetItemIndex(control);
    if (old < 0) return false;
    if (old == index) return true;
    CControlUI* selected = GetItemAt(m_iCurSel);
    if (!CContainerUI::SetItemIndex(control, index)) return false;
    RenumberItems(std::min(old, index), std::max(old, index));
    if (selected) m_iCurSel = GetItemIndex(selected);
    return true;
}

bool CComboUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    if (m_pWindow) m_pWindow->ForgetItem(control);
    if (!CContainerUI::Remove(control)) return false;
    RenumberItems(index, GetCount() - 1);
    if (index == m_iCurSel) {
        m_iCurSel = -1;
        SelectItem(FindSelectable(index, false), false);
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

bool CComboUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    return control ? Remove(control) : false;
}

void CComboUI::RemoveAll() {
    m_iCurSel = -1;
    if (m_pWindow)
        for (int i = 0; i < GetCount(); ++i) m_pWindow->ForgetItem(GetItemAt(i));
    CContainerUI::RemoveAll();
}

// ---- selection ----

TListInfoUI* CComboUI::GetListInfo() { return &m_ListInfo; }
int CComboUI::GetCurSel() const { return m_iCurSel; }

bool CComboUI::SelectItem(int index, bool takeFocus) {
    if (index == m_iCurSel) return true;
    // The current row is let go first: a request for no row (-1) or for a
    // row that cannot be selected leaves the combo with none, and nothing is
    // sent for that.
    const int previous = m_iCurSel;
    if (previous >= 0) {
        IListItemUI* current = AsListItem(GetItemAt(previous));
        if (!current) return false;
        current->Select(false);
        m_iCurSel = -1;
    }
    const int count = GetCount();
    if (index < 0 || count == 0) return false;
    if (index >= count) index = count - 1;
    CControlUI* control = GetItemAt(index);
    IListItemUI* item = AsListItem(control);
    if (!item || !control->IsVisible() || !control->IsEnabled()) return false;

    m_iCurSel = index;
    if (m_pWindow || takeFocus) control->SetFocus();
    item->Select(true);
    if (m_pManager) m_pManager->SendNotify(this, L"itemselect", index, previous);
    Invalidate();
    return true;
}

// Keys and the wheel step to the next selectable row; where there is none in
// that direction the selection stays as it is rather than being dropped.
bool CComboUI::SelectBy(int index) { return index >= 0 && SelectItem(index, false); }

// ---- placement and input ----

CUiString CComboUI::GetText() const {
    CControlUI* selected = GetItemAt(m_iCurSel);
    return selected ? selected->GetText() : CUiString();
}

void CComboUI::SetPos(RECT rc) {
    // The rows are not laid out here; while the pop-up shows them (under its
    // manager) they are placed by it.
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (item->GetManager() == m_pManager) item->SetPos(RECT{0, 0, 0, 0});
    }
    CControlUI::SetPos(rc);
}

void CComboUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    if (m_pWindow) return true;
    m_pWindow = new CComboWnd;
    m_pWindow->Init(this);
    if (m_pWindow && !m_pWindow->GetHWND()) {
        delete m_pWindow;
        m_pWindow = nullptr;
        return false;
    }
    if (m_pManager) m_pManager->SendNotify(this, L"dropdown");
    Invalidate();
    return true;
}

void CComboUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event.Type)) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CContainerUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_BUTTONDOWN:
        if (IsEnabled()) {
            Activate();
            m_uButtonState |= kPushed | kCaptured;
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & kCaptured) {
            m_uButtonState &= ~kCaptured;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_KEYDOWN:
        switch (event.chKey) {
        case VK_UP:
        case VK_PRIOR:
            SelectBy(FindSelectable(m_iCurSel - 1, false));
            return;
        case VK_DOWN:
        case VK_NEXT:
            SelectBy(FindSelectable(m_iCurSel + 1, true));
            return;
        case VK_HOME:
            SelectBy(FindSelectable(0, false));
            return;
        case VK_END:
            SelectBy(FindSelectable(GetCount() - 1, true));
            return;
        case VK_F4:
            Activate();
            return;
        default:
            break;
        }
        break;
    case UIEVENT_SCROLLWHEEL:
        if (event.wParam == 1)
            SelectBy(FindSelectable(m_iCurSel + 1, true));
        else
            SelectBy(FindSelectable(m_iCurSel - 1, false));
        return;
    case UIEVENT_MOUSEENTER:
        if (::PtInRect(&m_rcItem, event.ptMouse)) {
            m_uButtonState |= kHot;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (m_uButtonState & kHot) {
            m_uButtonState &= ~kHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

SIZE CComboUI::EstimateSize(SIZE) {
    if (m_cyFixed != 0) return SIZE{m_cxFixed, m_cyFixed};
    const int fontHeight = m_pManager ? m_pManager->GetDefaultFontInfo()->tm.tmHeight : 0;
    return SIZE{m_cxFixed, fontHeight + 12};
}

// ---- attributes ----

void CComboUI::SetTextPadding(RECT padding) {
    m_rcTextPadding = padding;
    Invalidate();
}

void CComboUI::SetNormalImage(const wchar_t* image) {
    m_sNormalImage = image;
    Invalidate();
}

void CComboUI::SetHotImage(const wchar_t* image) {
    m_sHotImage = image;
    Invalidate();
}

void CComboUI::SetPushedImage(const wchar_t* image) {
    m_sPushedImage = image;
    Invalidate();
}

void CComboUI::SetFocusedImage(const wchar_t* image) {
    m_sFocusedImage = image;
    Invalidate();
}

void CComboUI::SetDisabledImage(const wchar_t* image) {
    m_sDisabledImage = image;
    Invalidate();
}

void CComboUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (SetListInfoColorOrImage(m_ListInfo, name, value)) {
        Invalidate();
    } else if (Is(name, L"textpadding")) {
        SetTextPadding(ParseRectValue(value));
    } else if (Is(name, L"normalimage")) {
        SetNormalImage(value);
    } else if (Is(name, L"hotimage")) {
        SetHotImage(value);
    } else if (Is(name, L"pushedimage")) {
        SetPushedImage(value);
    } else if (Is(name, L"focusedimage")) {
        SetFocusedImage(value);
    } else if (Is(name, L"disabledimage")) {
        SetDisabledImage(value);
    } else if (Is(name, L"dropbox")) {
        SetDropBoxAttributeList(value);
    } else if (Is(name, L"dropboxsize")) {
        SetDropBoxSize(ParseSizeValue(value));
    } else if (Is(name, L"itemfont")) {
        m_ListInfo.nFont = ParseIntValue(value);
    } else if (Is(name, L"itemalign")) {
        SetListInfoAlign(m_ListInfo, value);
    } else if (Is(name, L"itemtextpadding")) {
        m_ListInfo.rcTextPadding = ParseRectValue(value);
        Invalidate();
    } else if (Is(name, L"itemaltbk")) {
        m_ListInfo.bAlternateBk = ParseBoolValue(value);
    } else if (Is(name, L"itemshowhtml")) {
        const bool showHtml = ParseBoolValue(value);
        if (m_ListInfo.bShowHtml != showHtml) {
            m_ListInfo.bShowHtml = showHtml;
            Invalidate();
        }
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

}  // namespace UiLib
