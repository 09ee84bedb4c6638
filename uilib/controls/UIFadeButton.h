// CFadeButtonUI: a button that cross-fades between its normal and hot images
// when the mouse enters or leaves, in 30 frames 10 ms apart, run by the frame
// animation helper as animations 8 (fade in) and 9 (fade out).
#pragma once
#include "controls/UIAnimation.h"
#include "controls/UIButton.h"

namespace UiLib {

class UILIB_API CFadeButtonUI : public CButtonUI, public CUIAnimation {
public:
    enum { FADE_IN_ID = 8, FADE_OUT_ID = 9, FADE_ELLAPSE = 10, FADE_FRAMES = 30 };

    CFadeButtonUI();
    ~CFadeButtonUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(HDC hDC) override;
    void SetNormalImage(const wchar_t* image) override;

    // One frame of a running fade: the alpha follows the frame number.
    void OnAnimationStep(int totalFrames, int currentFrame, int animationId) override;

    BYTE GetFadeAlpha() const { return m_bFadeAlpha; }

private:
    // Restarts the alpha, marks the first paint of the fade and swaps the running fade.
    void BeginFade(int starting, int stopping, bool& flag);

    CUiString m_sOldImage;
    CUiString m_sNewImage;
    CUiString m_sLastImage;
    BYTE m_bFadeAlpha = 0;
    bool m_bMouseHove = false;
    bool m_bMouseLeave = false;
};

}  // namespace UiLib
