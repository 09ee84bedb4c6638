// The shared record of row appearance and the interfaces through which a
// list, its rows and the application talk. Programs built against
// UiLib_u.dll derive from these, so the order of the operations is fixed.
#pragma once
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"
#include "core/base/UiEvents.h"

#include <windows.h>

#include <cstddef>

// Interface operations use the member-call convention of the i686 build
// explicitly, so both sides of the DLL boundary agree on it.
#if defined(__i386__) || defined(_M_IX86)
#define UILIB_THISCALL __thiscall
#else
#define UILIB_THISCALL
#endif

namespace UiLib {

class CControlUI;
class CContainerUI;
class CListHeaderUI;

const int kMaxListColumns = 32;

// How rows look, owned by the list and read by every row when it paints.
struct UILIB_API tagTListInfoUI {
    int nColumns = 0;
    RECT rcColumn[kMaxListColumns] = {};
    int nFont = -1;
    UINT uTextStyle = DT_VCENTER;
    RECT rcTextPadding = {0, 0, 0, 0};
    DWORD dwTextColor = 0xFF000000;
    DWORD dwBkColor = 0;
    CUiString sBkImage;
    bool bAlternateBk = false;
    DWORD dwSelectedTextColor = 0xFF000000;
    DWORD dwSelectedBkColor = 0xFFC1E3FF;
    CUiString sSelectedImage;
    DWORD dwHotTextColor = 0xFF000000;
    DWORD dwHotBkColor = 0xFFE9F5FF;
    CUiString sHotImage;
    DWORD dwDisabledTextColor = 0xFFCCCCCC;
    DWORD dwDisabledBkColor = 0xFFFFFFFF;
    CUiString sDisabledImage;
    DWORD dwLineColor = 0;
    bool bShowHtml = false;
    bool bMultiExpandable = false;
    SIZE szCheckImg = {0, 0};
    SIZE szIconImg = {0, 0};
    bool bShowVLine = true;
    bool bShowHLine = true;
};
typedef tagTListInfoUI TListInfoUI;

static_assert(offsetof(tagTListInfoUI, nColumns) == 0, "column count leads the record");
static_assert(offsetof(tagTListInfoUI, rcColumn) == 4, "column rectangles follow the count");
static_assert(offsetof(tagTListInfoUI, nFont) == 4 + kMaxListColumns * sizeof(RECT), "font after the columns");
static_assert(offsetof(tagTListInfoUI, rcTextPadding) == offsetof(tagTListInfoUI, nFont) + 8, "padding after style");

// Supplies row texts in place of the rows' own (null: none).
class UILIB_API IListCallbackUI {
public:
    virtual const wchar_t* UILIB_THISCALL GetItemText(CControlUI* control, int index, int subItem) = 0;
};

class UILIB_API IListOwnerUI {
public:
    virtual TListInfoUI* UILIB_THISCALL GetListInfo() = 0;
    virtual int UILIB_THISCALL GetCurSel() const = 0;
    virtual bool UILIB_THISCALL SelectItem(int index, bool takeFocus = false) = 0;
    virtual void UILIB_THISCALL DoEvent(TEventUI& event) = 0;
};

class UILIB_API IListUI : public IListOwnerUI {
public:
    virtual CListHeaderUI* UILIB_THISCALL GetHeader() const = 0;
    virtual CContainerUI* UILIB_THISCALL GetList() const = 0;
    virtual IListCallbackUI* UILIB_THISCALL GetTextCallback() const = 0;
    virtual void UILIB_THISCALL SetTextCallback(IListCallbackUI* callback) = 0;
    virtual bool UILIB_THISCALL ExpandItem(int index, bool expand = true) = 0;
    virtual int UILIB_THISCALL GetExpandedItem() const = 0;
    virtual bool UILIB_THISCALL SelectMultiItem(int index, bool takeFocus = false) = 0;
    virtual void UILIB_THISCALL SetSingleSelect(bool singleSelect) = 0;
    virtual bool UILIB_THISCALL GetSingleSelect() const = 0;
    virtual bool UILIB_THISCALL UnSelectItem(int index) = 0;
    virtual void UILIB_THISCALL SelectAllItems() = 0;
    virtual void UILIB_THISCALL UnSelectAllItems() = 0;
    virtual int UILIB_THISCALL GetSelectItemCount() const = 0;
    virtual int UILIB_THISCALL GetNextSelItem(int index) const = 0;
};

class UILIB_API IListItemUI {
public:
    virtual int UILIB_THISCALL GetIndex() const = 0;
    virtual void UILIB_THISCALL SetIndex(int index) = 0;
    virtual IListOwnerUI* UILIB_THISCALL GetOwner() = 0;
    virtual void UILIB_THISCALL SetOwner(CControlUI* owner) = 0;
    virtual bool UILIB_THISCALL IsSelected() const = 0;
    virtual bool UILIB_THISCALL Select(bool select = true) = 0;
    virtual bool UILIB_THISCALL IsExpanded() const = 0;
    virtual bool UILIB_THISCALL Expand(bool expand = true) = 0;
    virtual void UILIB_THISCALL DrawItemText(HDC hDC, const RECT& rcItem) = 0;
};

}  // namespace UiLib
