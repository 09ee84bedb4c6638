// CVerticalLayoutUI: a column. Children with a height keep it (within their
// min/max); the rest share what is left; widths fill the layout unless fixed.
#pragma once
#include "controls/UIBoxLayout.h"

namespace UiLib {

class UILIB_API CVerticalLayoutUI : public CBoxLayoutUI {
public:
    CVerticalLayoutUI();

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;

    int GetSepHeight() const { return GetSepSize(); }
    void SetSepHeight(int height) { SetSepSize(height); }
};

}  // namespace UiLib
