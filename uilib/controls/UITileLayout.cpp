#include "controls/UITileLayout.h"

#include "controls/LayoutMath.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIScrollBar.h"

#include <algorithm>
#include <cwchar>

namespace UiLib {

namespace {
const int kUnboundedHeight = 9999;
}

const wchar_t* CTileLayoutUI::GetClass() const { return L"TileLayoutUI"; }

LPVOID CTileLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"TileLayout") == 0) return static_cast<CTileLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CTileLayoutUI::SetItemSize(SIZE size) {
    if (m_szItem.cx == size.cx && m_szItem.cy == size.cy) return;
    m_szItem = size;
    if (IsVisible()) MarkLayoutDirty();
}

void CTileLayoutUI::SetColumns(int columns) {
    if (columns < 1) return;
    m_nColumns = columns;
    if (IsVisible()) MarkLayoutDirty();
}

void CTileLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"itemsize") == 0)
        SetItemSize(ParseSizeValue(value));
    else if (std::wcscmp(name, L"columns") == 0)
        SetColumns(ParseIntValue(value));
    else
        CContainerUI::SetAttribute(name, value);
}

// The cell loses half the child padding on each side that has a neighbour
// in the row; every tile is measured with its own min/max limits.
int CTileLayoutUI::RowHeight(int first, int cellWidth) const {
    int height = 0;
    int column = 0;
    for (int i = first; i < m_items.GetSize() && column < m_nColumns; ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        RECT padding = child->GetPadding();
        int width = cellWidth - padding.left - padding.right;
        if (column > 0) width -= m_iChildPadding / 2;
        if (column < m_nColumns - 1) width -= m_iChildPadding / 2;
        width = layout::ClampWidth(child, width);
        SIZE sz = child->EstimateSize(SIZE{width, kUnboundedHeight});
        int tileHeight = layout::ClampHeight(child, sz.cy);
        height = std::max<int>(height, tileHeight + padding.top + padding.bottom);
        ++column;
    }
    return height;
}

void CTileLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    if (m_items.IsEmpty()) {
        ProcessScrollBar(layout::Shrink(m_rcItem, m_rcInset), 0, 0);
        return;
    }
    RECT working = ClientRect();
    const bool vBar = IsBarVisible(m_pVerticalScrollBar);
    const bool hBar = IsBarVisible(m_pHorizontalScrollBar);

    const int workingWidth = working.right - working.left;
    if (m_szItem.cx > 0) m_nColumns = std::max(1, workingWidth / static_cast<int>(m_szItem.cx));
    int cellWidth = workingWidth / m_nColumns;
    if (hBar) cellWidth = (workingWidth + m_pHorizontalScrollBar->GetScrollRange()) / m_nColumns;

    POINT pt = {working.left, working.top};
    if (vBar) pt.y -= m_pVerticalScrollBar->GetScrollPos();
    if (hBar) pt.x -= m_pHorizontalScrollBar->GetScrollPos();
    const int rowStartX = pt.x;
    const int halfPadding = m_iChildPadding / 2;
    int rowHeight = 0, count = 0, needed = 0;
    for (int i = 0; i < m_items.GetSize(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const int column = count % m_nColumns;
        if (column == 0) rowHeight = RowHeight(i, cellWidth);

        RECT padding = child->GetPadding();
        RECT cell = {pt.x + padding.left, pt.y + padding.top, pt.x + cellWidth - padding.right, pt.y + rowHeight};
        if (column > 0) cell.left += halfPadding;
        if (column < m_nColumns - 1) cell.right -= halfPadding;

        SIZE cellSize = {cell.right - cell.left, cell.bottom - cell.top};
        SIZE sz = child->EstimateSize(cellSize);
        if (sz.cx == 0) sz.cx = cellSize.cx;
        if (sz.cy == 0) sz.cy = cellSize.cy;
        sz.cx = layout::ClampWidth(child, sz.cx);
        sz.cy = layout::ClampHeight(child, sz.cy);
        int left = (cell.left + cell.right - sz.cx) / 2, top = (cell.top + cell.bottom - sz.cy) / 2;
        child->SetPos(RECT{left, top, left + sz.cx, top + sz.cy});

        if (++count % m_nColumns != 0) {
            pt.x += cellWidth;
        } else {
            pt.x = rowStartX;
            pt.y += rowHeight + m_iChildPadding;
        }
        needed = cell.bottom - working.top;
        if (vBar) needed += m_pVerticalScrollBar->GetScrollPos();
    }
    ProcessScrollBar(working, 0, needed);
}

}  // namespace UiLib
