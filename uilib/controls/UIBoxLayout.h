// CBoxLayoutUI: what the horizontal and vertical layouts share, the
// draggable separator strip at one edge that resizes the layout itself,
// either live ("sepimm") or through a ghost strip drawn after the tree.
#pragma once
#include "core/UIContainer.h"

namespace UiLib {

class UILIB_API CBoxLayoutUI : public CContainerUI {
public:
    UINT GetControlFlags() const override;
    void DoEvent(TEventUI& event) override;
    void DoPostPaint(HDC hDC, const RECT& rcPaint) override;

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
