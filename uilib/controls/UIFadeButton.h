// CFadeButtonUI: a button that cross-fades between its normal and hot images
// when the mouse enters or leaves, in 30 frames 10 ms apart on the
// manager's timers 8 (fade in) and 9 (fade out).
#pragma once
#include "controls/UIButton.h"

namespace UiLib {

class UILIB_API CFadeButtonUI : public CButtonUI {
public:
    enum { FADE_IN_ID = 8, FADE_OUT_ID = 9, FADE_ELLAPSE = 10, FADE_FRAMES = 30 };

    CFadeButtonUI();
    ~CFadeButtonUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void DoEvent(TEventUI& event) override;
    void PaintStatusImage(HDC hDC) override;
    void SetNormalImage(const wchar_t* image) override;

    bool IsAnimating(UINT id) const;
    BYTE GetFadeAlpha() const { return m_bFadeAlpha; }

private:
    // One frame of a running fade: the alpha follows the frame number.
    void OnAnimationStep(int totalFrames, int currentFrame, UINT id);
    // The per-tick driver: frames 0 to 30, then the fade's timer stops.
    void OnAnimationTimer(UINT id);
    bool StartAnimation(UINT id);
    void StopAnimation(UINT id);  // 0 stops both
    // Restarts the alpha, marks the first paint of the fade and swaps the running fade.
    void BeginFade(UINT starting, UINT stopping, bool& flag);
    // Frame counter of a fade, -1 while it does not run.
    int& FrameOf(UINT id) { return id == FADE_IN_ID ? m_nFadeInFrame : m_nFadeOutFrame; }

    CUiString m_sOldImage;
    CUiString m_sNewImage;
    CUiString m_sLastImage;
    BYTE m_bFadeAlpha = 0;
    bool m_bMouseHove = false;
    bool m_bMouseLeave = false;
    int m_nFadeInFrame = -1;
    int m_nFadeOutFrame = -1;
};

}  // namespace UiLib
