// CTileLayoutUI: a grid of equal-width cells, filled row by row. Each row is
// as tall as its tallest tile; every tile is centred in its cell.
#pragma once
#include "core/manager/UIContainer.h"

namespace UiLib {

class UILIB_API CTileLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    SIZE GetItemSize() const { return m_szItem; }
    // A non-zero item width makes the column count follow the layout's width.
    void SetItemSize(SIZE size);
    int GetColumns() const { return m_nColumns; }
    void SetColumns(int columns);

private:
    // Tallest tile (with its paddings) of the row that starts at child `first`.
    int RowHeight(int first, int cellWidth) const;

    SIZE m_szItem = {0, 0};
    int m_nColumns = 1;
};

}  // namespace UiLib
