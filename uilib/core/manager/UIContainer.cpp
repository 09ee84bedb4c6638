#include "core/manager/UIContainer.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"
#include "core/manager/UIScrollBar.h"

#include <cwchar>

namespace UiLib {

namespace {
const int kDefaultScrollStep = 8;

bool Meets(const RECT& a, const RECT& b) {
    RECT unused;
    return ::IntersectRect(&unused, &a, &b) != FALSE;
}
}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // The children go at once with their container; a container being
    // destroyed asks for no layout (RemoveAll would, and invalidate its area).
    m_bDelayedDestroy = false;
    if (m_bAutoDestroy)
        for (int i = 0; i < m_items.GetSize(); ++i) DisposeChild(ChildAt(i));
    m_items.Empty();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

const wchar_t* CContainerUI::GetClass() const { return L"ContainerUI"; }

LPVOID CContainerUI::GetInterface(const wchar_t* name) {
    if (!name) return nullptr;
    if (std::wcscmp(name, L"IContainer") == 0) return static_cast<IContainerUI*>(this);
    if (std::wcscmp(name, L"Container") == 0) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    for (int i = 0; i < m_items.GetSize(); ++i) ChildAt(i)->SetManager(manager, this, init);
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetManager(manager, this, init);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= m_items.GetSize()) return nullptr;
    return static_cast<CControlUI*>(m_items.GetAt(index));
}

int CContainerUI::GetItemIndex(CControlUI* control) const { return m_items.Find(control); }

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    int current = m_items.Find(control);
    if (current < 0) return false;
    MarkLayoutDirty();
    m_items.Remove(current);
    return m_items.InsertAt(index, control);
}

int CContainerUI::GetCount() const { return m_items.GetSize(); }

bool CContainerUI::InsertChild(CControlUI* control, int index) {
    if (!control) return false;
    if (m_pManager) {
        control->SetManager(m_pManager, this, true);
        m_pManager->RegisterControlNames(control);
    }
    if (!IsVisible())
        control->SetInternVisible(false);
    else
        MarkLayoutDirty();
    return index < 0 ? m_items.Add(control) : m_items.InsertAt(index, control);
}

bool CContainerUI::Add(CControlUI* control) { return InsertChild(control, -1); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (index < 0) return false;
    return InsertChild(control, index);
}

void CContainerUI::DisposeChild(CControlUI* control) {
    if (m_bDelayedDestroy && m_pManager)
        m_pManager->AddDelayedCleanup(control);
    else
        delete control;
}

bool CContainerUI::Remove(CControlUI* control) {
    if (!control) return false;
    int index = m_items.Find(control);
    if (index < 0) return false;
    MarkLayoutDirty();
    if (m_bAutoDestroy) DisposeChild(control);
    return m_items.Remove(index);
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    return control ? Remove(control) : false;
}

void CContainerUI::RemoveAll() {
    if (m_bAutoDestroy) {
        for (int i = 0; i < m_items.GetSize(); ++i) DisposeChild(ChildAt(i));
    }
    m_items.Empty();
    MarkLayoutDirty();
}

RECT CContainerUI::GetInset() const { return m_rcInset; }

void CContainerUI::SetInset(RECT rcInset) {
    m_rcInset = rcInset;
    MarkLayoutDirty();
}

int CContainerUI::GetChildPadding() const { return m_iChildPadding; }

void CContainerUI::SetChildPadding(int padding) {
    m_iChildPadding = padding;
    MarkLayoutDirty();
}

bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }
void CContainerUI::SetAutoDestroy(bool autoDestroy) { m_bAutoDestroy = autoDestroy; }
bool CContainerUI::IsDelayedDestroy() const { return m_bDelayedDestroy; }
void CContainerUI::SetDelayedDestroy(bool delayed) { m_bDelayedDestroy = delayed; }
bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool enable) { m_bMouseChildEnabled = enable; }

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i) ChildAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (int i = 0; i < m_items.GetSize(); ++i) ChildAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    m_bEnabled = enable;
    for (int i = 0; i < m_items.GetSize(); ++i) ChildAt(i)->SetEnabled(enable);
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool enable) {
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetMouseEnabled(enable);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetMouseEnabled(enable);
    CControlUI::SetMouseEnabled(enable);
}

bool CContainerUI::IsBarVisible(const CScrollBarUI* bar) const { return bar && bar->IsVisible(); }

RECT CContainerUI::ClientRect() const {
    RECT rc = m_rcItem;
    rc.left += m_rcInset.left;
    rc.top += m_rcInset.top;
    rc.right -= m_rcInset.right;
    rc.bottom -= m_rcInset.bottom;
    if (IsBarVisible(m_pVerticalScrollBar)) rc.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (IsBarVisible(m_pHorizontalScrollBar)) rc.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return rc;
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (!m_bMouseEnabled && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        if (m_pParent)
            m_pParent->DoEvent(event);
        else
            CControlUI::DoEvent(event);
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS) {
        m_bFocused = true;
        return;
    }
    if (event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = false;
        return;
    }
    // Keys and the wheel scroll the vertical bar when it is usable, else the horizontal one.
    auto usable = [this](CScrollBarUI* bar) { return IsBarVisible(bar) && bar->IsEnabled(); };
    bool vertical = usable(m_pVerticalScrollBar);
    if (vertical || usable(m_pHorizontalScrollBar)) {
        if (event.Type == UIEVENT_KEYDOWN) {
            switch (event.chKey) {
            case VK_PRIOR: vertical ? PageUp() : PageLeft(); return;
            case VK_NEXT: vertical ? PageDown() : PageRight(); return;
            case VK_HOME: vertical ? HomeUp() : HomeLeft(); return;
            case VK_END: vertical ? EndDown() : EndRight(); return;
            case VK_UP: vertical ? LineUp() : LineLeft(); return;
            case VK_DOWN: vertical ? LineDown() : LineRight(); return;
            default: break;
            }
        } else if (event.Type == UIEVENT_SCROLLWHEEL) {
            switch (LOWORD(event.wParam)) {
            case 0: vertical ? LineUp() : LineLeft(); return;
            case 1: vertical ? LineDown() : LineRight(); return;
            default: break;
            }
        }
    }
    CControlUI::DoEvent(event);
}

SIZE CContainerUI::GetScrollPos() const {
    SIZE sz = {0, 0};
    if (IsBarVisible(m_pHorizontalScrollBar)) sz.cx = m_pHorizontalScrollBar->GetScrollPos();
    if (IsBarVisible(m_pVerticalScrollBar)) sz.cy = m_pVerticalScrollBar->GetScrollPos();
    return sz;
}

SIZE CContainerUI::GetScrollRange() const {
    SIZE sz = {0, 0};
    if (IsBarVisible(m_pHorizontalScrollBar)) sz.cx = m_pHorizontalScrollBar->GetScrollRange();
    if (IsBarVisible(m_pVerticalScrollBar)) sz.cy = m_pVerticalScrollBar->GetScrollRange();
    return sz;
}

void CContainerUI::SetScrollPos(SIZE szPos) {
    int dx = 0, dy = 0;
    if (IsBarVisible(m_pVerticalScrollBar)) {
        int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(szPos.cy);
        dy = m_pVerticalScrollBar->GetScrollPos() - old;
    }
    if (IsBarVisible(m_pHorizontalScrollBar)) {
        int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(szPos.cx);
        dx = m_pHorizontalScrollBar->GetScrollPos() - old;
    }
    ScrollChildren(dx, dy);
}

void CContainerUI::ScrollChildren(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    // The whole container first: the children's own invalidations then fall
    // inside it and cost no further round trip to the window system.
    Invalidate();
    const RECT client = ClientRect();
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const RECT before = child->GetPos();
        RECT after = before;
        ::OffsetRect(&after, -dx, -dy);
        if (Meets(client, before) || Meets(client, after))
            child->SetPos(after);
        else
            child->ShiftUnseen(-dx, -dy);
    }
}

void CContainerUI::ShiftContents(int dx, int dy) {
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (!IsBarVisible(bar)) continue;
        RECT rc = bar->GetPos();
        ::OffsetRect(&rc, dx, dy);
        bar->SetPos(rc);
    }
    void** children = m_items.GetData();
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = static_cast<CControlUI*>(children[i]);
        if (child->IsVisible()) child->ShiftUnseen(dx, dy);
    }
}

void CContainerUI::SetScrollStepSize(int size) {
    if (size > 0) m_nScrollStepSize = size;
}

int CContainerUI::GetScrollStepSize() const { return m_nScrollStepSize; }

// Line and page steps; SetScrollPos clamps to the range.
int CContainerUI::VerticalLineStep() const {
    if (m_nScrollStepSize > 0) return m_nScrollStepSize;
    return m_pManager ? m_pManager->GetDefaultFontInfo()->tm.tmHeight + 8 : kDefaultScrollStep;
}

int CContainerUI::HorizontalLineStep() const {
    return m_nScrollStepSize > 0 ? m_nScrollStepSize : kDefaultScrollStep;
}

int CContainerUI::VerticalPage() const {
    int page = m_rcItem.bottom - m_rcItem.top - m_rcInset.top - m_rcInset.bottom;
    if (IsBarVisible(m_pHorizontalScrollBar)) page -= m_pHorizontalScrollBar->GetFixedHeight();
    return page;
}

int CContainerUI::HorizontalPage() const {
    int page = m_rcItem.right - m_rcItem.left - m_rcInset.left - m_rcInset.right;
    if (IsBarVisible(m_pVerticalScrollBar)) page -= m_pVerticalScrollBar->GetFixedWidth();
    return page;
}

void CContainerUI::ScrollBy(int dx, int dy) {
    SIZE sz = GetScrollPos();
    SetScrollPos(SIZE{sz.cx + dx, sz.cy + dy});
}

void CContainerUI::LineUp() { ScrollBy(0, -VerticalLineStep()); }
void CContainerUI::LineDown() { ScrollBy(0, VerticalLineStep()); }
void CContainerUI::PageUp() { ScrollBy(0, -VerticalPage()); }
void CContainerUI::PageDown() { ScrollBy(0, VerticalPage()); }
void CContainerUI::HomeUp() { ScrollBy(0, -GetScrollPos().cy); }
void CContainerUI::EndDown() { ScrollBy(0, GetScrollRange().cy - GetScrollPos().cy); }
void CContainerUI::LineLeft() { ScrollBy(-HorizontalLineStep(), 0); }
void CContainerUI::LineRight() { ScrollBy(HorizontalLineStep(), 0); }
void CContainerUI::PageLeft() { ScrollBy(-HorizontalPage(), 0); }
void CContainerUI::PageRight() { ScrollBy(HorizontalPage(), 0); }
void CContainerUI::HomeLeft() { ScrollBy(-GetScrollPos().cx, 0); }
void CContainerUI::EndRight() { ScrollBy(GetScrollRange().cx - GetScrollPos().cx, 0); }

void CContainerUI::EnableScrollBar(bool enableVertical, bool enableHorizontal) {
    auto update = [this](CScrollBarUI*& bar, bool enable, bool horizontal) {
        if (!enable) {
            delete bar;
            bar = nullptr;
            return;
        }
        if (bar) return;
        bar = new CScrollBarUI;
        if (horizontal) bar->SetHorizontal(true);
        bar->SetOwner(this);
        bar->SetManager(m_pManager, nullptr, false);
        if (m_pManager) {
            const wchar_t* list = m_pManager->GetDefaultAttributeList(horizontal ? L"HScrollBar" : L"VScrollBar");
            if (list) bar->ApplyAttributeList(list);
        }
    };
    update(m_pVerticalScrollBar, enableVertical, false);
    update(m_pHorizontalScrollBar, enableHorizontal, true);
    MarkLayoutDirty();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

CControlUI* CContainerUI::FindSubControl(const wchar_t* name) {
    return m_pManager ? m_pManager->FindSubControlByName(this, name) : nullptr;
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) return;
    RECT inner = m_rcItem;
    inner.left += m_rcInset.left;
    inner.top += m_rcInset.top;
    inner.right -= m_rcInset.right;
    inner.bottom -= m_rcInset.bottom;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = ChildAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat())
            SetFloatPos(i);
        else
            child->SetPos(inner);
    }
}

void CContainerUI::SetFloatPos(int index) {
    CControlUI* child = ChildAt(index);
    if (!child || !child->IsVisible() || !child->IsFloat()) return;

    SIZE xy = child->GetFixedXY();
    int w = child->GetFixedWidth(), h = child->GetFixedHeight();
    RECT rc;
    if (xy.cx >= 0) {
        rc.left = m_rcItem.left + xy.cx;
        rc.right = rc.left + w;
    } else {
        rc.right = m_rcItem.right + xy.cx;
        rc.left = rc.right - w;
    }
    if (xy.cy >= 0) {
        rc.top = m_rcItem.top + xy.cy;
        rc.bottom = rc.top + h;
    } else {
        rc.bottom = m_rcItem.bottom + xy.cy;
        rc.top = rc.bottom - h;
    }

    if (child->IsRelativePos()) {
        TRelativePosUI rel = child->GetRelativePos();
        int width = m_rcItem.right - m_rcItem.left, height = m_rcItem.bottom - m_rcItem.top;
        if (rel.szParent.cx != 0) {
            int dw = width - rel.szParent.cx, dh = height - rel.szParent.cy;
            rc.left += dw * rel.nMoveXPercent / 100;
            rc.top += dh * rel.nMoveYPercent / 100;
            rc.right = rc.left + w + dw * rel.nZoomXPercent / 100;
            rc.bottom = rc.top + h + dh * rel.nZoomYPercent / 100;
        }
        child->SetRelativeParentSize(SIZE{width, height});
    }
    child->SetPos(rc);
}

void CContainerUI::ProcessScrollBar(RECT rc, int cxRequired, int cyRequired) {
    if (IsBarVisible(m_pHorizontalScrollBar)) {
        m_pHorizontalScrollBar->SetPos(
            RECT{rc.left, rc.bottom, rc.right, rc.bottom + m_pHorizontalScrollBar->GetFixedHeight()});
    }
    if (!m_pVerticalScrollBar) return;

    int overflow = cyRequired - (rc.bottom - rc.top);
    if (overflow > 0 && !m_pVerticalScrollBar->IsVisible()) {
        m_pVerticalScrollBar->SetVisible(true);
        m_pVerticalScrollBar->SetScrollRange(overflow);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_bScrollProcess = true;
        SetPos(m_rcItem);
        m_bScrollProcess = false;
        return;
    }
    if (!m_pVerticalScrollBar->IsVisible()) return;

    if (overflow > 0 || m_bScrollProcess) {
        m_pVerticalScrollBar->SetPos(
            RECT{rc.right, rc.top, rc.right + m_pVerticalScrollBar->GetFixedWidth(), rc.bottom});
        if (m_pVerticalScrollBar->GetScrollRange() == overflow) return;
        int oldPos = m_pVerticalScrollBar->GetScrollPos();
        // Content that fits (no overflow) needs no range at all.
        int range = overflow > 0 ? overflow : 0;
        m_pVerticalScrollBar->SetScrollRange(range);
        if (range == 0) {
            m_pVerticalScrollBar->SetVisible(false);
            m_pVerticalScrollBar->SetScrollPos(0);
        }
        if (m_pVerticalScrollBar->GetScrollPos() >= oldPos) return;
    } else {
        m_pVerticalScrollBar->SetVisible(false);
        m_pVerticalScrollBar->SetScrollPos(0);
        m_pVerticalScrollBar->SetScrollRange(0);
    }
    SetPos(m_rcItem);
}

CControlUI* CContainerUI::FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    const POINT* point = static_cast<const POINT*>(data);
    bool hitTest = (flags & UIFIND_HITTEST) != 0;
    if (hitTest) {
        if (!::PtInRect(&m_rcItem, *point)) return nullptr;
        if (!m_bMouseChildEnabled) {
            CControlUI* result = nullptr;
            if (m_pVerticalScrollBar) result = m_pVerticalScrollBar->FindControl(proc, data, flags);
            if (!result && m_pHorizontalScrollBar) result = m_pHorizontalScrollBar->FindControl(proc, data, flags);
            if (!result) result = CControlUI::FindControl(proc, data, flags);
            return result;
        }
    }
    CControlUI* result = nullptr;
    if (m_pVerticalScrollBar) result = m_pVerticalScrollBar->FindControl(proc, data, flags);
    if (!result && m_pHorizontalScrollBar) result = m_pHorizontalScrollBar->FindControl(proc, data, flags);
    if (result) return result;

    if ((flags & UIFIND_ME_FIRST) != 0) {
        result = CControlUI::FindControl(proc, data, flags);
        if (result) return result;
    }
    RECT client = hitTest ? ClientRect() : RECT{0, 0, 0, 0};
    int count = m_items.GetSize();
    bool topFirst = (flags & UIFIND_TOP_FIRST) != 0;
    for (int n = 0; n < count; ++n) {
        CControlUI* child = ChildAt(topFirst ? count - 1 - n : n);
        if (!child) continue;  // a callback may have shortened the list
        result = child->FindControl(proc, data, flags);
        if (!result) continue;
        if (!hitTest || result->IsFloat() || ::PtInRect(&client, *point)) return result;
    }
    if ((flags & UIFIND_ME_FIRST) == 0) return CControlUI::FindControl(proc, data, flags);
    return nullptr;
}

int CContainerUI::FindSelectable(int index, bool forward) const {
    int count = GetCount();
    if (count == 0) return -1;
    if (index < 0) index = 0;
    if (index > count - 1) index = count - 1;
    auto selectable = [this](int i) {
        CControlUI* item = GetItemAt(i);
        return item->GetInterface(L"ListItem") && item->IsVisible() && item->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < count; ++i)
            if (selectable(i)) return i;
        return -1;
    }
    for (int i = index; i >= 0; --i)
        if (selectable(i)) return i;
    return FindSelectable(0, true);
}

void CContainerUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    RECT itemPaint;
    if (!::IntersectRect(&itemPaint, &rcPaint, &m_rcItem)) return;
    CRenderClip clip;
    CRenderClip::GenerateClip(hDC, itemPaint, clip);
    CControlUI::DoPaint(hDC, rcPaint);

    if (!m_items.IsEmpty()) {
        RECT client = ClientRect();
        RECT clientPaint;
        if (!::IntersectRect(&clientPaint, &rcPaint, &client)) {
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* child = ChildAt(i);
                if (!child->IsVisible() || !child->IsFloat()) continue;
                if (!Meets(rcPaint, child->GetPos()) || !Meets(m_rcItem, child->GetPos())) continue;
                child->DoPaint(hDC, rcPaint);
            }
        } else {
            CRenderClip childClip;
            CRenderClip::GenerateClip(hDC, clientPaint, childClip);
            for (int i = 0; i < m_items.GetSize(); ++i) {
                CControlUI* child = ChildAt(i);
                if (!child->IsVisible() || !Meets(rcPaint, child->GetPos())) continue;
                if (child->IsFloat()) {
                    if (!Meets(m_rcItem, child->GetPos())) continue;
                    // Float children may cover the inset and the bars.
                    CRenderClip::UseOldClipBegin(hDC, childClip);
                    child->DoPaint(hDC, rcPaint);
                    CRenderClip::UseOldClipEnd(hDC, childClip);
                } else if (Meets(client, child->GetPos())) {
                    child->DoPaint(hDC, rcPaint);
                }
            }
        }
    }
    if (IsBarVisible(m_pVerticalScrollBar) && Meets(rcPaint, m_pVerticalScrollBar->GetPos()))
        m_pVerticalScrollBar->DoPaint(hDC, rcPaint);
    if (IsBarVisible(m_pHorizontalScrollBar) && Meets(rcPaint, m_pHorizontalScrollBar->GetPos()))
        m_pHorizontalScrollBar->DoPaint(hDC, rcPaint);
}

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    bool hasV = m_pVerticalScrollBar != nullptr, hasH = m_pHorizontalScrollBar != nullptr;
    if (is(L"inset")) {
        SetInset(ParseRectValue(value));
    } else if (is(L"mousechild")) {
        SetMouseChildEnabled(ParseBoolValue(value));
    } else if (is(L"vscrollbar")) {
        EnableScrollBar(ParseBoolValue(value), hasH);
    } else if (is(L"vscrollbarstyle")) {
        EnableScrollBar(true, hasH);
        if (m_pVerticalScrollBar) m_pVerticalScrollBar->ApplyAttributeList(value);
    } else if (is(L"hscrollbar")) {
        EnableScrollBar(hasV, ParseBoolValue(value));
    } else if (is(L"hscrollbarstyle")) {
        EnableScrollBar(hasV, true);
        if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->ApplyAttributeList(value);
    } else if (is(L"childpadding")) {
        SetChildPadding(ParseIntValue(value));
    } else if (is(L"scrollstepsize")) {
        SetScrollStepSize(ParseIntValue(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

}  // namespace UiLib
