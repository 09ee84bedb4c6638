#include "SliderForeshakingUI.h"

#include <cwchar>

#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"

using namespace UiLib;

namespace {

constexpr UINT kShakeTimer = 100;
constexpr int kTextDrop = 4;

bool Inside(const RECT& rc, POINT pt) { return PtInRect(&rc, pt) != FALSE; }

}  // namespace

CSliderForeshakingUI::~CSliderForeshakingUI() {
    if (shaking_ && m_pManager) m_pManager->KillTimer(this, kShakeTimer);
}

LPVOID CSliderForeshakingUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"SliderForeshaking") == 0) return this;
    return CSliderUI::GetInterface(name);
}

void CSliderForeshakingUI::StartShaking() {
    if (shaking_ || shakeWidth_ == -1 || !m_pManager) return;
    shaking_ = m_pManager->SetTimer(this, kShakeTimer, shakeIntervalMs_);
}

void CSliderForeshakingUI::StopShaking() {
    if (!shaking_) return;
    if (m_pManager) m_pManager->KillTimer(this, kShakeTimer);
    shaking_ = false;
}

void CSliderForeshakingUI::DoInit() {
    CSliderUI::DoInit();
    StartShaking();
}

void CSliderForeshakingUI::DoEvent(TEventUI& event) {
    switch (event.Type) {
        case UIEVENT_DBLCLICK:
            StartShaking();
            return;
        case UIEVENT_RBUTTONDOWN:
            StopShaking();
            return;
        case UIEVENT_TIMER:
            if (event.wParam == kShakeTimer) {
                StopShaking();
                phase_ = !phase_;
                Invalidate();
                StartShaking();
                return;
            }
            break;
        case UIEVENT_BUTTONDOWN:
            thumbPushed_ = Inside(GetThumbRect(), event.ptMouse);
            break;
        case UIEVENT_BUTTONUP:
            thumbPushed_ = false;
            break;
        case UIEVENT_MOUSEMOVE:
            thumbHot_ = Inside(GetThumbRect(), event.ptMouse);
            break;
        case UIEVENT_MOUSELEAVE:
            thumbHot_ = false;
            break;
        default:
            break;
    }
    CSliderUI::DoEvent(event);
}

void CSliderForeshakingUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (wcscmp(name, L"shakingpixels") == 0) {
        shakeWidth_ = static_cast<int>(wcstol(value, nullptr, 10));
        return;
    }
    if (wcscmp(name, L"thumbimage") == 0) thumbImage_ = value;
    else if (wcscmp(name, L"thumbhotimage") == 0) thumbHotImage_ = value;
    else if (wcscmp(name, L"thumbpushedimage") == 0) thumbPushedImage_ = value;
    CSliderUI::SetAttribute(name, value);
}

// A picture that fails to draw (not there yet, a passing read error) keeps
// its name, so the next paint tries it again.
bool CSliderForeshakingUI::DrawIfSet(HDC hDC, const CUiString& image, const CUiString& modify) {
    return !image.IsEmpty() && DrawImage(hDC, image, modify);
}

void CSliderForeshakingUI::PaintStatusImage(HDC hDC) {
    NormaliseRange();
    const RECT fore = ForeRect();

    if (!m_sForeImage.IsEmpty()) {
        CUiString modify;
        if (m_bStretchForeImage) {
            modify.Format(L"dest='%d,%d,%d,%d'", fore.left, fore.top, fore.right, fore.bottom);
        } else {
            const int shift = phase_ && shakeWidth_ > 0 ? shakeWidth_ : 0;
            modify.Format(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", fore.left, fore.top, fore.right, fore.bottom,
                          fore.left + shift, fore.top, fore.right + shift, fore.bottom);
        }
        DrawIfSet(hDC, m_sForeImage, modify);
    }

    RECT thumb = GetThumbRect();
    CUiString thumbModify;
    thumbModify.Format(L"dest='%d,%d,%d,%d'", thumb.left - m_rcItem.left, thumb.top - m_rcItem.top,
                       thumb.right - m_rcItem.left, thumb.bottom - m_rcItem.top);
    if (thumbPushed_) DrawIfSet(hDC, thumbPushedImage_, thumbModify);
    else if (thumbHot_) DrawIfSet(hDC, thumbHotImage_, thumbModify);
    DrawIfSet(hDC, thumbImage_, thumbModify);

    // A maximum of zero was normalised away above, so the division is safe.
    const int percent = m_nMax != 0 ? static_cast<int>(static_cast<long long>(m_nValue) * 100 / m_nMax) : 0;
    wchar_t text[16];
    swprintf(text, 16, L"%d%%", percent);
    RECT textRect = thumb;
    OffsetRect(&textRect, 0, kTextDrop);
    CRenderEngine::DrawTextW(hDC, m_pManager, textRect, text, GetTextColor(), GetFont(),
                             DT_SINGLELINE | DT_CENTER | DT_VCENTER);
}
