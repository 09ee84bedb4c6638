#include "core/manager/UIControl.h"

#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

#include <cwchar>

namespace UiLib {

namespace {
// The library's classes whose placement only sets their own rectangle and,
// for layouts, their children's by the same offset while the size stays.
bool PlacesPlainly(const wchar_t* className) {
    static const wchar_t* const kPlain[] = {
        L"ControlUI",          L"LabelUI",          L"TextUI",         L"ButtonUI",
        L"OptionUI",           L"CheckBoxUI",       L"FadeButtonUI",   L"ProgressUI",
        L"SliderUI",           L"GifAnimUI",        L"ContainerUI",    L"VerticalLayoutUI",
        L"HorizontalLayoutUI", L"TileLayoutUI",     L"TabLayoutUI",    L"ListContainerElementUI",
        L"ListHeaderUI",       L"ListHeaderItemUI", L"ListLabelElementUI", L"ListTextElementUI"};
    for (const wchar_t* plain : kPlain)
        if (std::wcscmp(className, plain) == 0) return true;
    return false;
}
}  // namespace

CControlUI::CControlUI() {
    m_tMouseInEffects = m_tCurEffects;
    m_tMouseOutEffects = m_tCurEffects;
    m_tMouseClickEffects = m_tCurEffects;
}

CControlUI::~CControlUI() {
    FreeActions();
    DestroyListeners(this);
    if (m_pManager) m_pManager->ForgetControl(this);
}

CUiString CControlUI::GetName() const { return m_sName; }
void CControlUI::SetName(const wchar_t* name) { m_sName = name; }
const wchar_t* CControlUI::GetClass() const { return L"ControlUI"; }

LPVOID CControlUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"Control") == 0) return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const { return 0; }
bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }
CPaintManagerUI* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    m_pManager = manager;
    m_pParent = parent;
    if (init && m_pParent) Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }

CUiString CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(const wchar_t* text) {
    if (m_sText == (text ? text : L"")) return;
    m_sText = text;
    Invalidate();
}

const RECT& CControlUI::GetPos() const { return m_rcItem; }

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;

    CUiRect invalid = m_rcItem;
    if (IsRectEmpty(&invalid)) invalid = rc;
    m_rcItem = rc;
    if (!m_pManager) return;

    if (!m_bSetPos && SizeListeners) {
        m_bSetPos = true;
        SizeListeners(this);
        m_bSetPos = false;
    }

    if (m_bFloat && m_pParent) {
        const RECT& parent = m_pParent->GetPos();
        m_cXY.cx = (m_cXY.cx < 0) ? m_rcItem.right - parent.right : m_rcItem.left - parent.left;
        m_cXY.cy = (m_cXY.cy < 0) ? m_rcItem.bottom - parent.bottom : m_rcItem.top - parent.top;
        m_cxFixed = m_rcItem.right - m_rcItem.left;
        m_cyFixed = m_rcItem.bottom - m_rcItem.top;
    }

    m_bUpdateNeeded = false;
    invalid.Union(m_rcItem);
    if (ClipToAncestors(invalid)) m_pManager->InvalidateRect(invalid);
}

void CControlUI::ShiftUnseen(int dx, int dy) {
    if (!PlacesPlainly(GetClass())) {
        RECT rc = m_rcItem;
        ::OffsetRect(&rc, dx, dy);
        SetPos(rc);
        return;
    }
    // Called for every control of every row out of sight on each scroll
    // step: plain arithmetic, and the listeners only when there are any.
    ::OffsetRect(&m_rcItem, dx, dy);
    if (m_pManager && !m_bSetPos && SizeListeners) {
        m_bSetPos = true;
        SizeListeners(this);
        m_bSetPos = false;
    }
    if (auto* container = static_cast<CContainerUI*>(GetInterface(L"Container"))) container->ShiftContents(dx, dy);
}

int CControlUI::GetWidth() const { return m_rcItem.right - m_rcItem.left; }
int CControlUI::GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }
RECT CControlUI::GetPadding() const { return m_rcPadding; }

void CControlUI::SetPadding(RECT rcPadding) {
    m_rcPadding = rcPadding;
    MarkParentLayoutDirty();
}

SIZE CControlUI::GetFixedXY() const { return m_cXY; }

void CControlUI::SetFixedXY(SIZE szXY) {
    m_cXY = szXY;
    MarkSizeChanged();
}

int CControlUI::GetFixedWidth() const { return m_cxFixed; }

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    m_cxFixed = cx;
    MarkSizeChanged();
}

int CControlUI::GetFixedHeight() const { return m_cyFixed; }

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    m_cyFixed = cy;
    MarkSizeChanged();
}

int CControlUI::GetMinWidth() const { return m_cxMin; }

void CControlUI::SetMinWidth(int cx) {
    if (cx < 0 || m_cxMin == cx) return;
    m_cxMin = cx;
    MarkSizeChanged();
}

int CControlUI::GetMaxWidth() const { return m_cxMax; }

void CControlUI::SetMaxWidth(int cx) {
    if (cx < 0 || m_cxMax == cx) return;
    m_cxMax = cx;
    MarkSizeChanged();
}

int CControlUI::GetMinHeight() const { return m_cyMin; }

void CControlUI::SetMinHeight(int cy) {
    if (cy < 0 || m_cyMin == cy) return;
    m_cyMin = cy;
    MarkSizeChanged();
}

int CControlUI::GetMaxHeight() const { return m_cyMax; }

void CControlUI::SetMaxHeight(int cy) {
    if (cy < 0 || m_cyMax == cy) return;
    m_cyMax = cy;
    MarkSizeChanged();
}

void CControlUI::SetRelativePos(SIZE szMove, SIZE szZoom) {
    m_tRelativePos.bRelative = true;
    m_tRelativePos.nMoveXPercent = szMove.cx;
    m_tRelativePos.nMoveYPercent = szMove.cy;
    m_tRelativePos.nZoomXPercent = szZoom.cx;
    m_tRelativePos.nZoomYPercent = szZoom.cy;
}

void CControlUI::SetRelativeParentSize(SIZE sz) { m_tRelativePos.szParent = sz; }
TRelativePosUI CControlUI::GetRelativePos() const { return m_tRelativePos; }
bool CControlUI::IsRelativePos() const { return m_tRelativePos.bRelative; }
CUiString CControlUI::GetToolTip() const { return m_sToolTip; }
void CControlUI::SetToolTip(const wchar_t* text) { m_sToolTip = text; }
wchar_t CControlUI::GetShortcut() const { return m_chShortcut; }
void CControlUI::SetShortcut(wchar_t ch) { m_chShortcut = ch; }
bool CControlUI::IsContextMenuUsed() const { return m_bMenuUsed; }
void CControlUI::SetContextMenuUsed(bool menuUsed) { m_bMenuUsed = menuUsed; }
const CUiString& CControlUI::GetUserData() { return m_sUserData; }
void CControlUI::SetUserData(const wchar_t* text) { m_sUserData = text; }
UINT_PTR CControlUI::GetTag() const { return m_pTag; }
void CControlUI::SetTag(UINT_PTR tag) { m_pTag = tag; }

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    bool wasVisible = IsVisible();
    m_bVisible = visible;
    m_bFocused = false;
    if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
    if (IsVisible() != wasVisible) MarkParentLayoutDirty();
}

void CControlUI::SetInternVisible(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }
bool CControlUI::IsRandom() const { return m_bRandom; }

void CControlUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    m_bEnabled = enable;
    Invalidate();
}

void CControlUI::SetRandom(bool random) {
    if (m_bRandom == random) return;
    m_bRandom = random;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool enable) { m_bMouseEnabled = enable; }
bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool enable) { m_bKeyboardEnabled = enable; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_bFloat; }

void CControlUI::SetFloat(bool isFloat) {
    if (m_bFloat == isFloat) return;
    m_bFloat = isFloat;
    MarkParentLayoutDirty();
}

CUiString CControlUI::GetStyleName() { return m_sStyleName; }

void CControlUI::SetStyleName(const wchar_t* styleName, CPaintManagerUI* manager) {
    if (!styleName) return;
    CPaintManagerUI* source = manager ? manager : m_pManager;
    if (!source) return;
    CUiString name = styleName;  // the caller may pass our own stored name
    CStdStringPtrMap* attributes = source->GetStyle(name);
    if (!attributes) return;
    // Walk in the map's order without reordering its buckets.
    for (int i = 0; i < attributes->GetSize(); ++i) {
        const wchar_t* key = attributes->GetAt(i);
        if (!key) continue;
        const CUiString* value = static_cast<const CUiString*>(attributes->Find(key, false));
        if (value) SetAttribute(key, *value);
    }
    m_sStyleName = name;
    Invalidate();
}

CControlUI* CControlUI::FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) != 0) {
        if (!m_bMouseEnabled) return nullptr;
        if (!m_bRandom && !::PtInRect(&m_rcItem, *static_cast<const POINT*>(data))) return nullptr;
    }
    return proc(this, data);
}

void CControlUI::Init() {
    DoInit();
    InitListeners(this);
}

void CControlUI::DoInit() {}

void CControlUI::Event(TEventUI& event) {
    if (EventListeners(event)) DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_MOUSEENTER:
        TriggerEffects(&m_tMouseInEffects);
        Invalidate();
        break;
    case UIEVENT_MOUSELEAVE:
        TriggerEffects(&m_tMouseOutEffects);
        Invalidate();
        break;
    case UIEVENT_TIMER:
        if (m_pManager) m_pManager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed()) {
            if (m_pManager) m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    case UIEVENT_RELOADSTYLE:
        if (!m_sStyleName.IsEmpty()) SetStyleName(m_sStyleName);
        break;
    default:
        break;
    }
    if (m_pParent) m_pParent->DoEvent(event);
}

void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    if (is(L"pos")) {
        RECT rc = ParseRectValue(value);
        SIZE xy = {rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom};
        SetFixedXY(xy);
        SetFixedWidth(rc.right - rc.left);
        SetFixedHeight(rc.bottom - rc.top);
    } else if (is(L"relativepos")) {
        RECT rc = ParseRectValue(value);
        SetRelativePos(SIZE{rc.left, rc.top}, SIZE{rc.right, rc.bottom});
    } else if (is(L"padding")) {
        SetPadding(ParseRectValue(value));
    } else if (is(L"bkcolor") || is(L"bkcolor1")) {
        SetBkColor(ParseColorValue(value, true));
    } else if (is(L"bkcolor2")) {
        SetBkColor2(ParseColorValue(value, true));
    } else if (is(L"bkcolor3")) {
        SetBkColor3(ParseColorValue(value, true));
    } else if (is(L"disabledbkcolor")) {
        SetDisabledBkColor(ParseColorValue(value));
    } else if (is(L"bordercolor")) {
        SetBorderColor(ParseColorValue(value));
    } else if (is(L"focusbordercolor")) {
        SetFocusBorderColor(ParseColorValue(value));
    } else if (is(L"colorhsl")) {
        SetColorHSL(ParseBoolValue(value));
    } else if (is(L"bordersize")) {
        if (std::wcschr(value, L','))
            SetBorderSizes(ParseRectValue(value));
        else
            SetBorderSize(ParseIntValue(value));
    } else if (is(L"leftbordersize")) {
        SetLeftBorderSize(ParseIntValue(value));
    } else if (is(L"topbordersize")) {
        SetTopBorderSize(ParseIntValue(value));
    } else if (is(L"rightbordersize")) {
        SetRightBorderSize(ParseIntValue(value));
    } else if (is(L"bottombordersize")) {
        SetBottomBorderSize(ParseIntValue(value));
    } else if (is(L"borderstyle")) {
        SetBorderStyle(ParseIntValue(value));
    } else if (is(L"borderround")) {
        SetBorderRound(ParseSizeValue(value));
    } else if (is(L"bkimage")) {
        SetBkImage(value);
    } else if (is(L"width")) {
        SetFixedWidth(ParseIntValue(value));
    } else if (is(L"height")) {
        SetFixedHeight(ParseIntValue(value));
    } else if (is(L"minwidth")) {
        SetMinWidth(ParseIntValue(value));
    } else if (is(L"minheight")) {
        SetMinHeight(ParseIntValue(value));
    } else if (is(L"maxwidth")) {
        SetMaxWidth(ParseIntValue(value));
    } else if (is(L"maxheight")) {
        SetMaxHeight(ParseIntValue(value));
    } else if (is(L"name")) {
        SetName(value);
    } else if (is(L"text")) {
        SetText(value);
    } else if (is(L"tooltip")) {
        SetToolTip(value);
    } else if (is(L"userdata")) {
        SetUserData(value);
    } else if (is(L"enabled")) {
        SetEnabled(ParseBoolValue(value));
    } else if (is(L"mouse")) {
        SetMouseEnabled(ParseBoolValue(value));
    } else if (is(L"keyboard")) {
        SetKeyboardEnabled(ParseBoolValue(value));
    } else if (is(L"visible")) {
        SetVisible(ParseBoolValue(value));
    } else if (is(L"random")) {
        SetRandom(ParseBoolValue(value));
    } else if (is(L"float")) {
        SetFloat(ParseBoolValue(value));
    } else if (is(L"menu")) {
        SetContextMenuUsed(ParseBoolValue(value));
    } else if (is(L"animeffects")) {
        SetAnimEffects(ParseBoolValue(value));
    } else if (is(L"shortcut")) {
        SetShortcut(value[0]);
    } else if (is(L"adveffects") || is(L"effectstyle") || is(L"easyeffects")) {
        SetEffectsStyle(value, &m_tCurEffects);
    } else if (is(L"mouseineffects") || is(L"mouseinstyle")) {
        SetEffectsStyle(value, &m_tMouseInEffects);
    } else if (is(L"mouseouteffects") || is(L"mouseoutstyle")) {
        SetEffectsStyle(value, &m_tMouseOutEffects);
    } else if (is(L"mouseclickeffects") || is(L"mouseclickstyle")) {
        SetEffectsStyle(value, &m_tMouseClickEffects);
    } else if (is(L"style")) {
        SetStyleName(value);
    } else if (is(L"action")) {
        SetAction(value);
    } else if (is(L"virtualwnd")) {
        SetVirtualWindowName(value);
    }
}

unUserData CControlUI::GetAttribute(const wchar_t* name) {
    unUserData answer = {};
    if (!name) return answer;
    auto is = [name](const wchar_t* key) { return std::wcscmp(name, key) == 0; };
    auto flag = [&answer](bool value) { answer.bValue = value; };
    auto number = [&answer](int value) { answer.iValue = value; };
    auto color = [&answer](DWORD value) { answer.dwValue = value; };
    if (is(L"pos")) answer.rcValue = m_rcItem;
    else if (is(L"relativepos")) {
        answer.rcValue = RECT{m_tRelativePos.nMoveXPercent, m_tRelativePos.nMoveYPercent,
                              m_tRelativePos.nZoomXPercent, m_tRelativePos.nZoomYPercent};
    } else if (is(L"padding")) answer.rcValue = m_rcPadding;
    else if (is(L"bkcolor") || is(L"bkcolor1")) color(m_dwBackColor);
    else if (is(L"bkcolor2")) color(m_dwBackColor2);
    else if (is(L"bkcolor3")) color(m_dwBackColor3);
    else if (is(L"disabledbkcolor")) color(m_dwDisabledBkColor);
    else if (is(L"bordercolor")) color(m_dwBorderColor);
    else if (is(L"focusbordercolor")) color(m_dwFocusBorderColor);
    else if (is(L"colorhsl")) flag(m_bColorHSL);
    else if (is(L"bordersize")) number(m_nBorderSize);
    else if (is(L"leftbordersize")) number(m_rcBorderSize.left);
    else if (is(L"topbordersize")) number(m_rcBorderSize.top);
    else if (is(L"rightbordersize")) number(m_rcBorderSize.right);
    else if (is(L"bottombordersize")) number(m_rcBorderSize.bottom);
    else if (is(L"borderstyle")) number(m_nBorderStyle);
    else if (is(L"borderround")) answer.szValue = m_cxyBorderRound;
    else if (is(L"bkimage")) answer.pstrValue = m_sBkImage.GetData();
    else if (is(L"width")) number(m_cxFixed);
    else if (is(L"height")) number(m_cyFixed);
    else if (is(L"minwidth")) number(m_cxMin);
    else if (is(L"minheight")) number(m_cyMin);
    else if (is(L"maxwidth")) number(m_cxMax);
    else if (is(L"maxheight")) number(m_cyMax);
    else if (is(L"name")) answer.pstrValue = m_sName.GetData();
    else if (is(L"text")) answer.pstrValue = m_sText.GetData();
    else if (is(L"tooltip")) answer.pstrValue = m_sToolTip.GetData();
    else if (is(L"userdata")) answer.pstrValue = m_sUserData.GetData();
    else if (is(L"style")) answer.pstrValue = m_sStyleName.GetData();
    else if (is(L"enabled")) flag(m_bEnabled);
    else if (is(L"mouse")) flag(m_bMouseEnabled);
    else if (is(L"keyboard")) flag(m_bKeyboardEnabled);
    else if (is(L"visible")) flag(m_bVisible);
    else if (is(L"random")) flag(m_bRandom);
    else if (is(L"float")) flag(m_bFloat);
    else if (is(L"menu")) flag(m_bMenuUsed);
    else if (is(L"animeffects")) flag(m_bAnimEffects);
    return answer;
}

SIZE CControlUI::EstimateSize(SIZE szAvailable) { return SIZE{m_cxFixed, m_cyFixed}; }

void CControlUI::DoPaint(HDC hDC, const RECT& rcPaint) {
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return;
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0) {
        CRenderClip roundClip;
        CRenderClip::GenerateRoundClip(hDC, m_rcPaint, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy,
                                       roundClip);
        PaintBkColor(hDC);
        PaintBkImage(hDC);
        PaintStatusImage(hDC);
        PaintText(hDC);
        PaintBorder(hDC);
        return;
    }
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC) {
    if (m_dwBackColor == 0) return;
    DWORD first = AdjustColorHsl(m_dwBackColor);
    DWORD second = AdjustColorHsl(m_dwBackColor2);
    if (m_dwBackColor2 != 0 && m_dwBackColor3 != 0) {
        RECT upper = m_rcItem;
        upper.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
        CRenderEngine::DrawGradient(hDC, upper, first, second, true, 8);
        RECT lower = m_rcItem;
        lower.top = upper.bottom;
        CRenderEngine::DrawGradient(hDC, lower, second, AdjustColorHsl(m_dwBackColor3), true, 8);
    } else if (m_dwBackColor2 != 0) {
        CRenderEngine::DrawGradient(hDC, m_rcItem, first, second, true, 16);
    } else if (m_dwBackColor > 0x00FFFFFF) {
        CRenderEngine::DrawColor(hDC, m_dwBackColor > 0xFEFFFFFF ? m_rcPaint : m_rcItem, first);
    }
}

void CControlUI::PaintBkImage(HDC hDC) {
    if (m_sBkImage.IsEmpty()) return;
    if (!DrawImage(hDC, m_sBkImage)) m_sBkImage.Empty();
}

void CControlUI::PaintStatusImage(HDC hDC) {}
void CControlUI::PaintText(HDC hDC) {}

void CControlUI::PaintBorder(HDC hDC) {
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0) return;
    bool focusColor = IsFocused() && m_dwFocusBorderColor != 0;
    if (m_nBorderSize > 0 && (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)) {
        DWORD color = AdjustColorHsl(focusColor ? m_dwFocusBorderColor : m_dwBorderColor);
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, m_cxyBorderRound.cx, m_cxyBorderRound.cy, m_nBorderSize, color);
        return;
    }
    if (focusColor && m_nBorderSize > 0) {
        CRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, AdjustColorHsl(m_dwFocusBorderColor));
        return;
    }
    const RECT& sides = m_rcBorderSize;
    if (sides.left <= 0 && sides.top <= 0 && sides.right <= 0 && sides.bottom <= 0) {
        if (m_nBorderSize > 0)
            CRenderEngine::DrawRect(hDC, m_rcItem, m_nBorderSize, AdjustColorHsl(m_dwBorderColor));
        return;
    }
    DWORD color = AdjustColorHsl(m_dwBorderColor);
    const RECT& rc = m_rcItem;
    if (sides.left > 0)
        CRenderEngine::DrawLine(hDC, RECT{rc.left, rc.top, rc.left, rc.bottom}, sides.left, color, m_nBorderStyle);
    if (sides.top > 0)
        CRenderEngine::DrawLine(hDC, RECT{rc.left, rc.top, rc.right, rc.top}, sides.top, color, m_nBorderStyle);
    if (sides.right > 0) {
        int x = rc.right - sides.right;
        CRenderEngine::DrawLine(hDC, RECT{x, rc.top, x, rc.bottom}, sides.right, color, m_nBorderStyle);
    }
    if (sides.bottom > 0)
        CRenderEngine::DrawLine(hDC, RECT{rc.left, rc.bottom, rc.right, rc.bottom}, sides.bottom, color,
                                m_nBorderStyle);
}

void CControlUI::DoPostPaint(HDC hDC, const RECT& rcPaint) {}

CUiString CControlUI::GetEffectStyle() const { return m_sEffectStyle; }
void CControlUI::SetAnimEffects(bool enable) { m_bAnimEffects = enable; }
bool CControlUI::GetAnimEffects() const { return m_bAnimEffects; }
void CControlUI::SetEffectsZoom(int zoom) { m_tCurEffects.m_iZoom = zoom; }
int CControlUI::GetEffectsZoom() const { return m_tCurEffects.m_iZoom; }
void CControlUI::SetEffectsFillingBK(DWORD color) { m_tCurEffects.m_dFillingBK = color; }
DWORD CControlUI::GetEffectsFillingBK() const { return m_tCurEffects.m_dFillingBK; }
void CControlUI::SetEffectsOffectX(int offset) { m_tCurEffects.m_iOffectX = offset; }
int CControlUI::GetEffectsOffectX() const { return m_tCurEffects.m_iOffectX; }
void CControlUI::SetEffectsOffectY(int offset) { m_tCurEffects.m_iOffectY = offset; }
int CControlUI::GetEffectsOffectY() const { return m_tCurEffects.m_iOffectY; }
void CControlUI::SetEffectsAlpha(int alpha) { m_tCurEffects.m_iAlpha = alpha; }
int CControlUI::GetEffectsAlpha() const { return m_tCurEffects.m_iAlpha; }
void CControlUI::SetEffectsRotation(float rotation) { m_tCurEffects.m_fRotation = rotation; }
float CControlUI::GetEffectsRotation() const { return m_tCurEffects.m_fRotation; }
void CControlUI::SetEffectsNeedTimer(int needTimer) { m_tCurEffects.m_iNeedTimer = needTimer; }
int CControlUI::GetEffectsNeedTimer() const { return m_tCurEffects.m_iNeedTimer; }
TEffectAge* CControlUI::GetCurEffects() { return &m_tCurEffects; }
TEffectAge* CControlUI::GetMouseInEffect() { return &m_tMouseInEffects; }
TEffectAge* CControlUI::GetMouseOutEffect() { return &m_tMouseOutEffects; }
TEffectAge* CControlUI::GetClickInEffect() { return &m_tMouseClickEffects; }


bool CControlUI::ClipToAncestors(RECT& rc) const {
    for (CControlUI* parent = m_pParent; parent; parent = parent->GetParent()) {
        RECT clipped;
        if (!::IntersectRect(&clipped, &rc, &parent->GetPos())) return false;
        rc = clipped;
    }
    return !::IsRectEmpty(&rc);
}

void CControlUI::Invalidate() {
    if (!IsVisible()) return;
    RECT rc = m_rcItem;
    if (!ClipToAncestors(rc)) return;
    if (m_pManager) m_pManager->InvalidateRect(rc);
}

void CControlUI::MarkLayoutDirty() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::MarkParentLayoutDirty() {
    if (m_pParent) {
        m_pParent->MarkLayoutDirty();
        m_pParent->Invalidate();
    } else {
        MarkLayoutDirty();
    }
    if (m_pManager) m_pManager->NeedUpdate();
}

void CControlUI::MarkSizeChanged() {
    if (m_bFloat)
        MarkLayoutDirty();
    else
        MarkParentLayoutDirty();
}

bool CControlUI::DrawImage(HDC hDC, const wchar_t* image, const wchar_t* modify, bool needAlpha, BYTE alpha) {
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, image, modify, needAlpha, alpha);
}

const wchar_t* CControlUI::GetBkImage() { return m_sBkImage; }

void CControlUI::SetBkImage(const wchar_t* image) {
    if (m_sBkImage == (image ? image : L"")) return;
    m_sBkImage = image;
    Invalidate();
}

DWORD CControlUI::AdjustColorHsl(DWORD color) const {
    if (!m_bColorHSL) return color;
    return CRenderEngine::AdjustColor(color, 180, 100, 100);
}

void CControlUI::ApplyAttributeList(const wchar_t* list) {
    if (!list) return;
    const wchar_t* p = list;
    CUiString name, value;
    while (*p) {
        const wchar_t* start = p;
        while (*p && *p != L'=') p = ::CharNextW(p);
        if (*p != L'=') return;
        name.Assign(start, static_cast<int>(p - start));
        ++p;
        if (*p != L'"') return;
        start = ++p;
        while (*p && *p != L'"') p = ::CharNextW(p);
        if (*p != L'"') return;
        value.Assign(start, static_cast<int>(p - start));
        ++p;
        SetAttribute(name, value);
        if (*p != L' ') return;
        ++p;
    }
}

void CControlUI::SetBkColor(DWORD color) {
    if (m_dwBackColor == color) return;
    m_dwBackColor = color;
    Invalidate();
}

void CControlUI::SetBkColor2(DWORD color) {
    if (m_dwBackColor2 == color) return;
    m_dwBackColor2 = color;
    Invalidate();
}

void CControlUI::SetBkColor3(DWORD color) {
    if (m_dwBackColor3 == color) return;
    m_dwBackColor3 = color;
    Invalidate();
}

void CControlUI::SetDisabledBkColor(DWORD color) {
    m_dwDisabledBkColor = color;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD color) {
    if (m_dwBorderColor == color) return;
    m_dwBorderColor = color;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD color) {
    if (m_dwFocusBorderColor == color) return;
    m_dwFocusBorderColor = color;
    Invalidate();
}

void CControlUI::SetBorderSize(int size) {
    if (m_nBorderSize == size) return;
    m_nBorderSize = size;
    Invalidate();
}

void CControlUI::SetBorderSizes(RECT rc) {
    m_rcBorderSize = rc;
    Invalidate();
}

namespace {
// A side width or style change: negative or unchanged values are ignored.
bool ChangeSideValue(LONG& field, int value) {
    if (value < 0 || field == value) return false;
    field = value;
    return true;
}
}  // namespace

void CControlUI::SetLeftBorderSize(int size) {
    if (ChangeSideValue(m_rcBorderSize.left, size)) Invalidate();
}
void CControlUI::SetTopBorderSize(int size) {
    if (ChangeSideValue(m_rcBorderSize.top, size)) Invalidate();
}
void CControlUI::SetRightBorderSize(int size) {
    if (ChangeSideValue(m_rcBorderSize.right, size)) Invalidate();
}
void CControlUI::SetBottomBorderSize(int size) {
    if (ChangeSideValue(m_rcBorderSize.bottom, size)) Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
    if (style < 0 || m_nBorderStyle == style) return;
    m_nBorderStyle = style;
    Invalidate();
}

void CControlUI::SetBorderRound(SIZE round) {
    m_cxyBorderRound = round;
    Invalidate();
}

CUiString CControlUI::GetVirtualWindowName() const {
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    if (m_pParent) return m_pParent->GetVirtualWindowName();
    return CUiString();
}

void CControlUI::SetVirtualWindowName(const wchar_t* name) {
    m_sVirtualWnd = name;
    if (m_pManager) m_pManager->UsedVirtualWnd(true);
}

}  // namespace UiLib
