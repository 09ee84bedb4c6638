#include "controls/UIFadeButton.h"

#include "core/manager/UIManager.h"

#include <cwchar>

namespace UiLib {

CFadeButtonUI::CFadeButtonUI() : CUIAnimation(this) {}

CFadeButtonUI::~CFadeButtonUI() { StopAnimation(0); }

const wchar_t* CFadeButtonUI::GetClass() const { return L"FadeButtonUI"; }

LPVOID CFadeButtonUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"FadeButton") == 0) return this;
    return CButtonUI::GetInterface(name);
}

void CFadeButtonUI::SetNormalImage(const wchar_t* image) {
    m_sNormalImage = image;
    m_sLastImage = m_sNormalImage;
}

void CFadeButtonUI::OnAnimationStep(int totalFrames, int currentFrame, int) {
    m_bFadeAlpha = static_cast<BYTE>(static_cast<double>(currentFrame) / totalFrames * 255.0);
    if (m_bFadeAlpha == 0) m_bFadeAlpha = 10;
    Invalidate();
}

void CFadeButtonUI::BeginFade(int starting, int stopping, bool& flag) {
    m_bFadeAlpha = 0;
    flag = true;
    StopAnimation(stopping);
    StartAnimation(FADE_ELLAPSE, FADE_FRAMES, starting);
    Invalidate();
}

void CFadeButtonUI::DoEvent(TEventUI& event) {
    // Entering and leaving start the fades in place of the hot state.
    if (event.Type == UIEVENT_MOUSEENTER && !IsAnimating(FADE_IN_ID)) {
        BeginFade(FADE_IN_ID, FADE_OUT_ID, m_bMouseHove);
        return;
    }
    if (event.Type == UIEVENT_MOUSELEAVE && !IsAnimating(FADE_OUT_ID)) {
        BeginFade(FADE_OUT_ID, FADE_IN_ID, m_bMouseLeave);
        return;
    }
    if (event.Type == UIEVENT_TIMER) OnAnimationTimer(static_cast<int>(event.wParam));
    CButtonUI::DoEvent(event);
}

void CFadeButtonUI::PaintStatusImage(HDC hDC) {
    RefreshStateBits();
    if (m_uButtonState & UISTATE_DISABLED) {
        if (DrawStateImage(hDC, m_sDisabledImage)) return;
    } else if (m_uButtonState & UISTATE_PUSHED) {
        if (DrawStateImage(hDC, m_sPushedImage)) return;
    } else if (m_uButtonState & UISTATE_FOCUSED) {
        if (DrawStateImage(hDC, m_sFocusedImage)) return;
    }
    if (m_sNormalImage.IsEmpty()) return;

    if (IsAnimating(FADE_IN_ID) || IsAnimating(FADE_OUT_ID)) {
        if (m_bMouseHove) {
            m_bMouseHove = false;
            m_sLastImage = m_sHotImage;
            DrawStateImage(hDC, m_sNormalImage);
            return;
        }
        if (m_bMouseLeave) {
            m_bMouseLeave = false;
            m_sLastImage = m_sNormalImage;
            DrawStateImage(hDC, m_sHotImage);
            return;
        }
        m_sOldImage = m_sNormalImage;
        m_sNewImage = m_sHotImage;
        if (IsAnimating(FADE_OUT_ID)) {
            m_sOldImage = m_sHotImage;
            m_sNewImage = m_sNormalImage;
        }
        DrawImage(hDC, m_sOldImage, nullptr, true, static_cast<BYTE>(255 - m_bFadeAlpha));
        DrawImage(hDC, m_sNewImage, nullptr, true, m_bFadeAlpha);
        return;
    }
    DrawStateImage(hDC, m_sLastImage);
}

}  // namespace UiLib
