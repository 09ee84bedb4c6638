// The rows of a list that are single controls: CListElementUI holds what
// every such row shares (index, selection, hot state, owner), the label row
// shows one text, the text row one text per column with links, and the
// image-text row adds a check box and an icon per column.
#pragma once
#include "controls/UIListInterfaces.h"
#include "controls/UIListItemPaint.h"
#include "core/base/StdArrays.h"
#include "core/manager/UIControl.h"

namespace UiLib {

class UILIB_API CListElementUI : public CControlUI, public IListItemUI {
public:
    LPVOID GetInterface(const wchar_t* name) override;
    void SetVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    int UILIB_THISCALL GetIndex() const override;
    void UILIB_THISCALL SetIndex(int index) override;
    IListOwnerUI* UILIB_THISCALL GetOwner() override;
    void UILIB_THISCALL SetOwner(CControlUI* owner) override;
    bool UILIB_THISCALL IsSelected() const override;
    bool UILIB_THISCALL IsExpanded() const override;
    bool UILIB_THISCALL Expand(bool expand = true) override;

    void DrawItemBk(HDC hDC, const RECT& rcItem);

protected:
    CListElementUI() = default;
    // Invalidates the part of the row that shows inside its parent's client area.
    void Repaint();
    // Selects through the owner: the list's selection learns of it.
    bool SelectNotifyingOwner(bool select);
    // Selects the row alone; the caller has told the owner already.
    bool SelectPlain(bool select);
    ListRowState RowState() const;

    static const UINT kHot = 0x08;
    template <typename Row> friend struct ListRowBehaviour;

    int m_iIndex = -1;
    bool m_bSelected = false;
    UINT m_uButtonState = 0;
    IListOwnerUI* m_pOwner = nullptr;
};

class UILIB_API CListLabelElementUI : public CListElementUI {
public:
    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    bool Activate() override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    bool UILIB_THISCALL Select(bool select = true) override;
    void UILIB_THISCALL DrawItemText(HDC hDC, const RECT& rcItem) override;
};

class UILIB_API CListTextElementUI : public CListLabelElementUI {
public:
    ~CListTextElementUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;

    void UILIB_THISCALL SetOwner(CControlUI* owner) override;
    bool UILIB_THISCALL Select(bool select = true) override;
    void UILIB_THISCALL DrawItemText(HDC hDC, const RECT& rcItem) override;

    // Column texts; the array grows with empty texts up to `column`.
    const wchar_t* GetText(int column) const;
    void SetText(int column, const wchar_t* text);
    int GetLinkCount() const { return m_nLinks; }
    RECT GetLinkRect(int link) const;
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;

protected:
    static const int kMaxLinks = 8;
    // The text of column i: the owner's callback first, then the row's own.
    const wchar_t* ColumnText(int column);
    // The cell of column i on this row, less the item text padding.
    RECT CellRect(const TListInfoUI& info, int column) const;
    void DrawColumnLine(HDC hDC, const TListInfoUI& info, int column);
    int LinkAt(POINT pt) const;
    void SelectOnPress(TEventUI& event);

    int m_nLinks = 0;
    RECT m_rcLinks[kMaxLinks] = {};
    CUiString m_sLinks[kMaxLinks];
    int m_nHoverLink = -1;
    IListUI* m_pOwnerList = nullptr;
    CStdPtrArray m_aTexts;
};

class UILIB_API CListImageTextElementUI : public CListTextElementUI {
public:
    ~CListImageTextElementUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void UILIB_THISCALL DoEvent(TEventUI& event) override;
    void UILIB_THISCALL DrawItemText(HDC hDC, const RECT& rcItem) override;

    // Per-column parts; arrays grow as columns are set.
    void SetIcon(int column, const wchar_t* normalIcon, const wchar_t* selectedIcon);
    void SetCheckBox(int column, bool hasCheckBox, const wchar_t* uncheckedImage, const wchar_t* checkedImage);
    bool SetCheck(int column, bool checked);
    bool GetCheck(int column) const;
    // The column under `pt` (-1 for none); `onCheckBox` tells whether it hit that column's box.
    int HitColumn(POINT pt, bool* onCheckBox) const;

private:
    bool HasCheckBox(int column) const;
    RECT CheckBoxRect(const TListInfoUI& info, const RECT& cell, int column) const;
    RECT IconRect(const TListInfoUI& info, const RECT& cell, const RECT& checkBox, int column) const;
    static CUiString* StringAt(const CStdPtrArray& array, int index);
    static void SetStringAt(CStdPtrArray& array, int index, const wchar_t* text);
    static void FreeStrings(CStdPtrArray& array);
    static bool ByteAt(const CStdValArray& array, int index);
    static void SetByteAt(CStdValArray& array, int index, bool value);

    CStdPtrArray m_aNormalIcons;
    CStdPtrArray m_aSelectedIcons;
    CStdValArray m_aHasCheckBox{1};
    CStdValArray m_aChecked{1};
    CStdPtrArray m_aUncheckedImages;
    CStdPtrArray m_aCheckedImages;
};

}  // namespace UiLib
