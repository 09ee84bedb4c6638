// CScrollBarUI: two arrow buttons, a rail and a proportional thumb. It either
// drives its owner container (which asks it for position, range and
// thickness while laying out) or stands alone and reports "scroll". Holding a
// button or the rail repeats on the manager's timer; a dragged thumb moves
// the position on each tick.
#pragma once
#include "core/manager/UIControl.h"

namespace UiLib {

class CContainerUI;

class UILIB_API CScrollBarUI : public CControlUI {
public:
    // The drawn parts and the states each part has an image for.
    enum Part { PART_BK, PART_BUTTON1, PART_BUTTON2, PART_THUMB, PART_RAIL, PART_COUNT };
    enum ImageState { IMAGE_NORMAL, IMAGE_HOT, IMAGE_PUSHED, IMAGE_DISABLED, IMAGE_STATE_COUNT };
    // Timer id of the repeat and drag ticks, and their interval.
    enum { SCROLLBAR_TIMER_ID = 10, SCROLLBAR_TIMER_ELAPSE = 50, SCROLLBAR_REPEAT_DELAY_TICKS = 6 };

    CScrollBarUI();
    ~CScrollBarUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void SetFocus() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    CContainerUI* GetOwner() const { return m_pOwner; }
    void SetOwner(CContainerUI* owner) { m_pOwner = owner; }
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int range);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int pos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int size) { m_nLineSize = size; }
    bool GetShowButton1() const { return m_bShowButton1; }
    void SetShowButton1(bool show);
    bool GetShowButton2() const { return m_bShowButton2; }
    void SetShowButton2(bool show);

    const wchar_t* GetPartImage(Part part, ImageState state) const;
    void SetPartImage(Part part, ImageState state, const wchar_t* image);

    // Laid-out part rectangles and state bits (0x04 disabled, 0x08 hot,
    // 0x10 pushed, 0x40 captured).
    RECT GetButton1Rect() const { return m_rcButton1; }
    RECT GetButton2Rect() const { return m_rcButton2; }
    RECT GetThumbRect() const { return m_rcThumb; }
    UINT GetButton1State() const { return m_uButton1State; }
    UINT GetButton2State() const { return m_uButton2State; }
    UINT GetThumbState() const { return m_uThumbState; }

private:
    int Thickness() const { return m_bHorizontal ? m_cyFixed : m_cxFixed; }
    int Length() const;
    int Along(POINT pt) const { return m_bHorizontal ? pt.x : pt.y; }
    // One line or one page back or forward: the owner's own step, or the
    // position itself without an owner.
    void Scroll(bool forward, bool page);
    // Pages towards a point on the rail; nothing beside the thumb.
    void PageTowards(POINT pt);
    void MoveThumbTo(int position);
    void NotifyScroll();
    void PassOn(TEventUI& event);

    void PaintBk(HDC hDC);
    void PaintButton(HDC hDC, Part part, const RECT& rc, UINT& state);
    void PaintThumb(HDC hDC);
    void PaintRail(HDC hDC);
    // Draws the image of the first state bit that is set and has an image,
    // else the normal image; an image that fails is emptied.
    bool PaintPartImage(HDC hDC, Part part, UINT state, const wchar_t* modify);
    bool DrawPartImage(HDC hDC, CUiString& image, const wchar_t* modify);
    CUiString DestModifier(const RECT& rc) const;

    bool m_bHorizontal = false;
    int m_nRange = 100;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    CContainerUI* m_pOwner = nullptr;
    POINT m_ptLastMouse = {0, 0};
    int m_nLastScrollPos = 0;
    int m_nLastScrollOffset = 0;
    int m_nScrollRepeatDelay = 0;

    bool m_bShowButton1 = true;
    RECT m_rcButton1 = {0, 0, 0, 0};
    UINT m_uButton1State = 0;
    bool m_bShowButton2 = true;
    RECT m_rcButton2 = {0, 0, 0, 0};
    UINT m_uButton2State = 0;
    RECT m_rcThumb = {0, 0, 0, 0};
    UINT m_uThumbState = 0;

    CUiString m_images[PART_COUNT][IMAGE_STATE_COUNT];
    CUiString m_sImageModify;
};

}  // namespace UiLib
