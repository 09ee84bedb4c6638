// CBoxLayoutUI: what the horizontal and vertical layouts share: placing the
// children in line along one axis, and the draggable separator strip at one
// edge that resizes the layout itself, either live ("sepimm") or through a
// ghost strip drawn after the tree.
#pragma once
#include "core/manager/UIContainer.h"

namespace UiLib {

class UILIB_API CBoxLayoutUI : public CContainerUI {
public:
    UINT GetControlFlags() const override;
    void DoEvent(TEventUI& event) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;
    // "sepwidth" (a row) or "sepheight" (a column), and "sepimm".
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    // Strip width (positive: far edge, negative: near edge, 0: none).
    int GetSepSize() const { return m_iSepSize; }
    void SetSepSize(int size) { m_iSepSize = size; }
    bool IsSepImmMode() const { return m_bImmMode; }
    void SetSepImmMode(bool immediate);
    // The strip of the layout's rectangle, or of the dragged one when
    // `useNew` and a drag is in progress.
    RECT GetThumbRect(bool useNew = false) const;
    bool IsSeparatorCaptured() const { return (m_uButtonState & kCapturedState) != 0; }

protected:
    // `vertical`: the layout stacks its children top to bottom and its
    // separator moves the bottom or top edge.
    explicit CBoxLayoutUI(bool vertical);

    static const UINT kCapturedState = 0x40;

    // The size each child without one of its own gets along the axis: what
    // the sized children and the paddings leave, shared evenly (the
    // remainder is dropped). `placed` counts the children laid out in line.
    int ShareOfTheRest(SIZE available, int& placed) const;
    // Stores the rectangle; with children, answers the working rectangle
    // (inset and visible bars taken off) and the room for the children,
    // where a horizontal bar's range widens the room. Without children the
    // bars are settled here and the answer is false.
    bool BeginLayout(RECT rc, RECT& working, SIZE& available);
    // Places the children one after another along the axis from the
    // working rectangle's start (less the scroll position); across the axis
    // a child without a fixed size fills the room less its paddings. Answers
    // the length the children need, child padding included.
    int PlaceInLine(const RECT& working, SIZE available);

    int m_iSepSize = 0;
    UINT m_uButtonState = 0;
    POINT m_ptLastMouse = {0, 0};
    RECT m_rcNewPos = {0, 0, 0, 0};
    bool m_bImmMode = false;

private:
    void DragTo(POINT pt);
    int Along(POINT pt) const { return m_bVertical ? pt.y : pt.x; }

    const bool m_bVertical;
};

}  // namespace UiLib
