// CHorizontalLayoutUI: a row. Children with a width keep it (within their
// min/max); the rest share what is left; all are top-aligned. A horizontal
// scroll bar appears when the row is wider than the layout.
#pragma once
#include "controls/UIBoxLayout.h"

namespace UiLib {

class UILIB_API CHorizontalLayoutUI : public CBoxLayoutUI {
public:
    CHorizontalLayoutUI();

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;

    int GetSepWidth() const { return GetSepSize(); }
    void SetSepWidth(int width) { SetSepSize(width); }

private:
    // Shows, resizes or hides the horizontal bar for the needed width; the
    // working rectangle's bottom follows the bar. True when the bar appeared
    // or went away.
    bool UpdateHorizontalBar(RECT& working, int neededWidth);
};

}  // namespace UiLib
