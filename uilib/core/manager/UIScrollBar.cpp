#include "core/manager/UIScrollBar.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>

namespace UiLib {

namespace {
const int kDefaultThickness = 16;
const UINT kDisabled = 0x04, kHot = 0x08, kPushed = 0x10, kCaptured = 0x40;
const DWORD kMissingImageOutline = 0xFF85E4FF;

bool Inside(const RECT& rc, POINT pt) { return ::PtInRect(&rc, pt) != FALSE; }
// A bar too short for a thumb has the all-zero thumb rectangle.
bool IsNoThumb(const RECT& rc) { return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0; }

// "button1", "hot" and so on: the attribute key of each part image is
// prefix + state + "image".
const wchar_t* const kPartPrefixes[] = {L"bk", L"button1", L"button2", L"thumb", L"rail"};
const wchar_t* const kStateNames[] = {L"normal", L"hot", L"pushed", L"disabled"};

bool ParseImageKey(const wchar_t* key, int& part, int& state) {
    for (part = 0; part < CScrollBarUI::PART_COUNT; ++part) {
        size_t prefix = std::wcslen(kPartPrefixes[part]);
        if (std::wcsncmp(key, kPartPrefixes[part], prefix) != 0) continue;
        for (state = 0; state < CScrollBarUI::IMAGE_STATE_COUNT; ++state) {
            size_t name = std::wcslen(kStateNames[state]);
            if (std::wcsncmp(key + prefix, kStateNames[state], name) == 0 &&
                std::wcscmp(key + prefix + name, L"image") == 0)
                return true;
        }
    }
    return false;
}
}  // namespace

CScrollBarUI::CScrollBarUI() { m_cxFixed = kDefaultThickness; }

CScrollBarUI::~CScrollBarUI() = default;

const wchar_t* CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

LPVOID CScrollBarUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"ScrollBar") == 0) return static_cast<CScrollBarUI*>(this);
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

void CScrollBarUI::SetShowButton1(bool show) {
    m_bShowButton1 = show;
    SetPos(m_rcItem);
}

void CScrollBarUI::SetShowButton2(bool show) {
    m_bShowButton2 = show;
    SetPos(m_rcItem);
}

void CScrollBarUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    m_bVisible = visible;
    if (m_bFocused) m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    m_bEnabled = enable;
    if (!enable) m_uButton1State = m_uButton2State = m_uThumbState = 0;
    Invalidate();
}

void CScrollBarUI::SetFocus() {
    if (m_pOwner)
        m_pOwner->SetFocus();
    else
        CControlUI::SetFocus();
}

const wchar_t* CScrollBarUI::GetPartImage(Part part, ImageState state) const { return m_images[part][state]; }

void CScrollBarUI::SetPartImage(Part part, ImageState state, const wchar_t* image) {
    m_images[part][state] = image;
    Invalidate();
}

int CScrollBarUI::Length() const {
    return m_bHorizontal ? m_rcItem.right - m_rcItem.left : m_rcItem.bottom - m_rcItem.top;
}

// Lays out the buttons and the thumb along the bar. The thumb's length and
// place are worked out in 64 bits: ranges may be byte counts or row counts
// far beyond what a pixel product fits in 32 bits.
void CScrollBarUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    const RECT& r = m_rcItem;
    const int t = Thickness();
    const int length = Length();
    int track = length;
    if (m_bShowButton1) track -= t;
    if (m_bShowButton2) track -= t;

    // Work on the horizontal layout; a vertical bar swaps the axes.
    auto make = [this, &r](int alongFrom, int alongTo, int acrossFrom, int acrossTo) {
        return m_bHorizontal ? RECT{alongFrom, r.top + acrossFrom, alongTo, r.top + acrossTo}
                             : RECT{r.left + acrossFrom, alongFrom, r.left + acrossTo, alongTo};
    };
    const int start = m_bHorizontal ? r.left : r.top;
    const int end = m_bHorizontal ? r.right : r.bottom;

    if (track > t) {
        m_rcButton1 = m_bShowButton1 ? make(start, start + t, 0, t) : make(start, start, 0, 0);
        m_rcButton2 = m_bShowButton2 ? make(end - t, end, 0, t) : make(end, end, 0, 0);
        const int trackStart = m_bHorizontal ? m_rcButton1.right : m_rcButton1.bottom;
        const int trackEnd = m_bHorizontal ? m_rcButton2.left : m_rcButton2.top;
        if (m_nRange <= 0) {
            m_rcThumb = make(trackStart, trackEnd, 0, t);
        } else {
            const int64_t total = static_cast<int64_t>(length) + m_nRange;
            const int thumb = static_cast<int>(std::max<int64_t>(static_cast<int64_t>(track) * length / total, t));
            const int from =
                static_cast<int>(static_cast<int64_t>(track - thumb) * m_nScrollPos / m_nRange) + trackStart;
            int to = from + thumb;
            int shift = std::max(0, to - trackEnd);
            m_rcThumb = make(from - shift, to - shift, 0, t);
        }
    } else {
        const int side = std::min(length / 2, t);
        m_rcButton1 = m_bShowButton1 ? make(start, start + side, 0, t) : make(start, start, 0, 0);
        m_rcButton2 = m_bShowButton2 ? make(end - side, end, 0, t) : make(end, end, 0, 0);
        m_rcThumb = RECT{0, 0, 0, 0};
    }
}

void CScrollBarUI::Scroll(bool forward, bool page) {
    if (!m_pOwner) {
        const int step = page ? Length() : m_nLineSize;
        SetScrollPos(m_nScrollPos + (forward ? step : -step));
        return;
    }
    typedef void (CContainerUI::*OwnerStep)();
    // [horizontal][page][forward]
    static const OwnerStep kSteps[2][2][2] = {
        {{&CContainerUI::LineUp, &CContainerUI::LineDown}, {&CContainerUI::PageUp, &CContainerUI::PageDown}},
        {{&CContainerUI::LineLeft, &CContainerUI::LineRight}, {&CContainerUI::PageLeft, &CContainerUI::PageRight}},
    };
    (m_pOwner->*kSteps[m_bHorizontal][page][forward])();
}

void CScrollBarUI::PageTowards(POINT pt) {
    const int along = Along(pt);
    if (along < (m_bHorizontal ? m_rcThumb.left : m_rcThumb.top))
        Scroll(false, true);
    else if (along > (m_bHorizontal ? m_rcThumb.right : m_rcThumb.bottom))
        Scroll(true, true);
}

void CScrollBarUI::MoveThumbTo(int position) {
    if (!m_pOwner) {
        SetScrollPos(position);
        return;
    }
    SIZE current = m_pOwner->GetScrollPos();
    if (m_bHorizontal)
        current.cx = position;
    else
        current.cy = position;
    m_pOwner->SetScrollPos(current);
}

void CScrollBarUI::NotifyScroll() {
    if (!m_pOwner && m_pManager) m_pManager->SendNotify(this, L"scroll");
}

void CScrollBarUI::PassOn(TEventUI& event) {
    if (m_pOwner)
        m_pOwner->DoEvent(event);
    else
        CControlUI::DoEvent(event);
}

void CScrollBarUI::DoEvent(TEventUI& event) {
    if (!IsMouseEnabled() && event.Type > UIEVENT__MOUSEBEGIN && event.Type < UIEVENT__MOUSEEND) {
        PassOn(event);
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (!IsEnabled()) return;
        m_nLastScrollOffset = 0;
        m_nScrollRepeatDelay = 0;
        if (m_pManager) m_pManager->SetTimer(this, SCROLLBAR_TIMER_ID, SCROLLBAR_TIMER_ELAPSE);
        if (Inside(m_rcButton1, event.ptMouse)) {
            m_uButton1State |= kPushed;
            Scroll(false, false);
        } else if (Inside(m_rcButton2, event.ptMouse)) {
            m_uButton2State |= kPushed;
            Scroll(true, false);
        } else if (Inside(m_rcThumb, event.ptMouse)) {
            m_uThumbState |= kPushed | kCaptured;
            m_ptLastMouse = event.ptMouse;
            m_nLastScrollPos = m_nScrollPos;
        } else {
            PageTowards(event.ptMouse);
        }
        NotifyScroll();
        return;
    case UIEVENT_BUTTONUP: {
        m_nScrollRepeatDelay = 0;
        m_nLastScrollOffset = 0;
        if (m_pManager) m_pManager->KillTimer(this, SCROLLBAR_TIMER_ID);
        bool changed = false;
        if (m_uThumbState & kCaptured) {
            m_uThumbState &= ~(kPushed | kCaptured);
            changed = true;
        } else {
            for (UINT* state : {&m_uButton1State, &m_uButton2State}) {
                if (*state & kPushed) {
                    *state &= ~kPushed;
                    changed = true;
                }
            }
        }
        if (changed) Invalidate();
        return;
    }
    case UIEVENT_MOUSEMOVE:
        if (m_uThumbState & kCaptured) {
            // The divisor counts both buttons, shown or not; a thumb that
            // fills the track leaves nothing to drag along.
            const int64_t travel = static_cast<int64_t>(Length()) - 2 * Thickness() -
                                   (m_bHorizontal ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top);
            const int64_t moved = Along(event.ptMouse) - Along(m_ptLastMouse);
            m_nLastScrollOffset = travel > 0 ? static_cast<int>(moved * m_nRange / travel) : 0;
        } else {
            UINT hot = IsEnabled() && Inside(m_rcThumb, event.ptMouse) ? kHot : 0;
            if ((m_uThumbState & kHot) != hot) {
                m_uThumbState = (m_uThumbState & ~kHot) | hot;
                Invalidate();
            }
        }
        return;
    case UIEVENT_TIMER:
        if (event.wParam != SCROLLBAR_TIMER_ID) break;
        ++m_nScrollRepeatDelay;
        if (m_uThumbState & kCaptured) {
            MoveThumbTo(m_nLastScrollPos + m_nLastScrollOffset);
            Invalidate();
        } else {
            if (m_nScrollRepeatDelay < SCROLLBAR_REPEAT_DELAY_TICKS) return;
            if (m_uButton1State & kPushed) {
                Scroll(false, false);
            } else if (m_uButton2State & kPushed) {
                Scroll(true, false);
            } else {
                POINT pt = {0, 0};
                ::GetCursorPos(&pt);
                if (m_pManager) ::ScreenToClient(m_pManager->GetPaintWindow(), &pt);
                PageTowards(pt);
            }
        }
        NotifyScroll();
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButton1State |= kHot;
            m_uButton2State |= kHot;
            if (Inside(m_rcThumb, event.ptMouse)) m_uThumbState |= kHot;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButton1State &= ~kHot;
            m_uButton2State &= ~kHot;
            m_uThumbState &= ~kHot;
            Invalidate();
        }
        return;
    default:
        break;
    }
    PassOn(event);
}

void CScrollBarUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    int part = 0, state = 0;
    if (ParseImageKey(name, part, state))
        SetPartImage(static_cast<Part>(part), static_cast<ImageState>(state), value);
    else if (std::wcscmp(name, L"hor") == 0)
        SetHorizontal(ParseBoolValue(value));
    else if (std::wcscmp(name, L"linesize") == 0)
        SetLineSize(ParseIntValue(value));
    else if (std::wcscmp(name, L"range") == 0)
        SetScrollRange(ParseIntValue(value));
    else if (std::wcscmp(name, L"value") == 0)
        SetScrollPos(ParseIntValue(value));
    else if (std::wcscmp(name, L"showbutton1") == 0)
        SetShowButton1(ParseBoolValue(value));
    else if (std::wcscmp(name, L"showbutton2") == 0)
        SetShowButton2(ParseBoolValue(value));
    else
        CControlUI::SetAttribute(name, value);
}

void CScrollBarUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    PaintBk(hDC);
    if (m_bShowButton1) PaintButton(hDC, PART_BUTTON1, m_rcButton1, m_uButton1State);
    if (m_bShowButton2) PaintButton(hDC, PART_BUTTON2, m_rcButton2, m_uButton2State);
    PaintThumb(hDC);
    PaintRail(hDC);
}

CUiString CScrollBarUI::DestModifier(const RECT& rc) const {
    CUiString modifier;
    modifier.SmallFormat(L"dest='%d,%d,%d,%d'", rc.left - m_rcItem.left, rc.top - m_rcItem.top,
                         rc.right - m_rcItem.left, rc.bottom - m_rcItem.top);
    return modifier;
}

bool CScrollBarUI::DrawPartImage(HDC hDC, CUiString& image, const wchar_t* modify) {
    if (image.IsEmpty()) return false;
    if (DrawImage(hDC, image, modify)) return true;
    image.Empty();
    return false;
}

bool CScrollBarUI::PaintPartImage(HDC hDC, Part part, UINT state, const wchar_t* modify) {
    CUiString* images = m_images[part];
    if ((state & kDisabled) && DrawPartImage(hDC, images[IMAGE_DISABLED], modify)) return true;
    if ((state & kPushed) && DrawPartImage(hDC, images[IMAGE_PUSHED], modify)) return true;
    if ((state & kHot) && DrawPartImage(hDC, images[IMAGE_HOT], modify)) return true;
    return DrawPartImage(hDC, images[IMAGE_NORMAL], modify);
}

void CScrollBarUI::PaintBk(HDC hDC) {
    m_uThumbState = IsEnabled() ? m_uThumbState & ~kDisabled : m_uThumbState | kDisabled;
    PaintPartImage(hDC, PART_BK, m_uThumbState, nullptr);
}

void CScrollBarUI::PaintButton(HDC hDC, Part part, const RECT& rc, UINT& state) {
    state = IsEnabled() ? state & ~kDisabled : state | kDisabled;
    m_sImageModify = DestModifier(rc);
    if (!PaintPartImage(hDC, part, state, m_sImageModify)) CRenderEngine::DrawRect(hDC, rc, 2, kMissingImageOutline);
}

void CScrollBarUI::PaintThumb(HDC hDC) {
    if (IsNoThumb(m_rcThumb)) return;
    m_sImageModify = DestModifier(m_rcThumb);
    if (!PaintPartImage(hDC, PART_THUMB, m_uThumbState, m_sImageModify))
        CRenderEngine::DrawRect(hDC, m_rcThumb, 2, kMissingImageOutline);
}

// The rail mark is a square of the bar's thickness centred on the thumb.
void CScrollBarUI::PaintRail(HDC hDC) {
    if (IsNoThumb(m_rcThumb)) return;
    const int t = Thickness();
    RECT rail = m_rcThumb;
    if (m_bHorizontal) {
        rail.left = (m_rcThumb.left + m_rcThumb.right) / 2 - t / 2;
        rail.right = rail.left + t;
    } else {
        rail.top = (m_rcThumb.top + m_rcThumb.bottom) / 2 - t / 2;
        rail.bottom = rail.top + t;
    }
    m_sImageModify = DestModifier(rail);
    PaintPartImage(hDC, PART_RAIL, m_uThumbState, m_sImageModify);
}

}  // namespace UiLib
