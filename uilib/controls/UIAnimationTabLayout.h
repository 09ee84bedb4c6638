// CAnimationTabLayoutUI: a tab layout that slides the newly selected page in
// from the side (or from above or below with "animation_direction"
// "vertical"), one frame per timer tick.
#pragma once
#include "controls/UIAnimation.h"
#include "controls/UITabLayout.h"

namespace UiLib {

class UILIB_API CAnimationTabLayoutUI : public CTabLayoutUI, public CUIAnimation {
public:
    // Id, frame interval and length of the slide.
    enum { TAB_ANIMATION_ID = 1, TAB_ANIMATION_ELAPSE = 10, TAB_ANIMATION_FRAMES = 15 };

    CAnimationTabLayoutUI();
    ~CAnimationTabLayoutUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool SelectItem(int index) override;
    using CTabLayoutUI::SelectItem;

    void OnAnimationStep(int totalFrames, int currentFrame, int animationId) override;
    void OnAnimationStop(int animationId) override;

    bool IsVerticalDirection() const { return m_bIsVerticalDirection; }

private:
    bool m_bIsVerticalDirection = false;
    int m_nPositiveDirection = 1;
    RECT m_rcCurPos = {0, 0, 0, 0};
    RECT m_rcItemOld = {0, 0, 0, 0};  // where the slide ends
    CControlUI* m_pCurrentControl = nullptr;
    bool m_bControlVisibleFlag = false;
};

}  // namespace UiLib
