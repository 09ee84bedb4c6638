// CControlUI: the base of every element of a window's control tree. Its
// virtual operations form a fixed contract that derived controls, here and in
// the other programs, override by position: keep their order.
#pragma once
#include "core/base/Delegate.h"
#include "core/base/StdStringPtrMap.h"
#include "core/base/UiEvents.h"
#include "core/base/UiGeometry.h"
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"

#include <windows.h>

namespace UiLib {

class CControlUI;
class CPaintManagerUI;
class IUiTimer;
struct tagTProperty;
struct tagTActionGroup;

typedef CControlUI*(CALLBACK* FINDCONTROLPROC)(CControlUI*, LPVOID);

// Flags of FindControl.
enum {
    UIFIND_ALL = 0x00000000,
    UIFIND_VISIBLE = 0x00000001,
    UIFIND_ENABLED = 0x00000002,
    UIFIND_HITTEST = 0x00000004,
    UIFIND_TOP_FIRST = 0x00000008,
    UIFIND_ME_FIRST = 0x80000000,
};

// Bits of GetControlFlags.
enum {
    UIFLAG_TABSTOP = 0x00000001,
    UIFLAG_SETCURSOR = 0x00000002,
    UIFLAG_WANTRETURN = 0x00000004,
};

// Event types carried by tagTEventUI; mouse events are exactly 9..18, key events 3..6.
enum {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN = 2,
    UIEVENT_KEYDOWN = 3,
    UIEVENT_KEYUP = 4,
    UIEVENT_CHAR = 5,
    UIEVENT_SYSKEY = 6,
    UIEVENT__KEYEND = 7,
    UIEVENT__MOUSEBEGIN = 8,
    UIEVENT_MOUSEMOVE = 9,
    UIEVENT_MOUSELEAVE = 10,
    UIEVENT_MOUSEENTER = 11,
    UIEVENT_MOUSEHOVER = 12,
    UIEVENT_BUTTONDOWN = 13,
    UIEVENT_BUTTONUP = 14,
    UIEVENT_RBUTTONDOWN = 15,
    UIEVENT_DBLCLICK = 16,
    UIEVENT_CONTEXTMENU = 17,
    UIEVENT_SCROLLWHEEL = 18,
    UIEVENT__MOUSEEND = 19,
    UIEVENT_KILLFOCUS = 20,
    UIEVENT_SETFOCUS = 21,
    UIEVENT_WINDOWSIZE = 22,
    UIEVENT_SETCURSOR = 23,
    UIEVENT_TIMER = 24,
    UIEVENT_NOTIFY = 25,
    UIEVENT_COMMAND = 26,
    UIEVENT_RELOADSTYLE = 27,
    UIEVENT__LAST = 28,
};

// Relative placement of a float control: how far it moves and stretches, in
// percent, when its parent grows from the recorded parent size.
struct tagTRelativePosUI {
    bool bRelative;
    SIZE szParent;
    int nMoveXPercent;
    int nMoveYPercent;
    int nZoomXPercent;
    int nZoomYPercent;
};
typedef tagTRelativePosUI TRelativePosUI;

// One visual transition record (zoom, slide, fade, rotation).
struct tagEffectAge {
    bool m_bEnableEffect = false;
    int m_iZoom = -1;
    DWORD m_dFillingBK = 0x00FFFFFF;
    int m_iOffectX = 0;
    int m_iOffectY = 0;
    int m_iAlpha = -255;
    float m_fRotation = 0.0f;
    int m_iNeedTimer = 350;
};
typedef tagEffectAge TEffectAge;

// Answer of GetAttribute: the value in the shape of its key.
union unUserData {
    RECT rcValue;
    DWORD dwValue;
    int iValue;
    SIZE szValue;
    bool bValue;
    const wchar_t* pstrValue;
    DWORD words[4];
};

class UILIB_API CControlUI {
public:
    CControlUI();
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // Controls come and go by the thousand (a list's rows): their memory is
    // kept for the next controls of the same size instead of going back to
    // the system heap, which locks for every block and hands emptied regions
    // back to the system only to fault them in again for the next rows.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size) noexcept;

    // 0-9
    virtual ~CControlUI();
    virtual CUiString GetName() const;
    virtual void SetName(const wchar_t* name);
    virtual const wchar_t* GetClass() const;
    virtual LPVOID GetInterface(const wchar_t* name);
    virtual UINT GetControlFlags() const;
    virtual bool Activate();
    virtual CPaintManagerUI* GetManager() const;
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
    virtual CControlUI* GetParent() const;

    // 10-19
    virtual CUiString GetText() const;
    virtual void SetText(const wchar_t* text);
    virtual const RECT& GetPos() const;
    virtual void SetPos(RECT rc);
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetX() const;
    virtual int GetY() const;
    virtual RECT GetPadding() const;
    virtual void SetPadding(RECT rcPadding);

    // 20-33
    virtual SIZE GetFixedXY() const;
    virtual void SetFixedXY(SIZE szXY);
    virtual int GetFixedWidth() const;
    virtual void SetFixedWidth(int cx);
    virtual int GetFixedHeight() const;
    virtual void SetFixedHeight(int cy);
    virtual int GetMinWidth() const;
    virtual void SetMinWidth(int cx);
    virtual int GetMaxWidth() const;
    virtual void SetMaxWidth(int cx);
    virtual int GetMinHeight() const;
    virtual void SetMinHeight(int cy);
    virtual int GetMaxHeight() const;
    virtual void SetMaxHeight(int cy);

    // 34-47
    virtual void SetRelativePos(SIZE szMove, SIZE szZoom);
    virtual void SetRelativeParentSize(SIZE sz);
    virtual TRelativePosUI GetRelativePos() const;
    virtual bool IsRelativePos() const;
    virtual CUiString GetToolTip() const;
    virtual void SetToolTip(const wchar_t* text);
    virtual wchar_t GetShortcut() const;
    virtual void SetShortcut(wchar_t ch);
    virtual bool IsContextMenuUsed() const;
    virtual void SetContextMenuUsed(bool menuUsed);
    virtual const CUiString& GetUserData();
    virtual void SetUserData(const wchar_t* text);
    virtual UINT_PTR GetTag() const;
    virtual void SetTag(UINT_PTR tag);

    // 48-64
    virtual bool IsVisible() const;
    virtual void SetVisible(bool visible = true);
    virtual void SetInternVisible(bool visible = true);
    virtual bool IsEnabled() const;
    virtual bool IsRandom() const;
    virtual void SetEnabled(bool enable = true);
    virtual void SetRandom(bool random = true);
    virtual bool IsMouseEnabled() const;
    virtual void SetMouseEnabled(bool enable = true);
    virtual bool IsKeyboardEnabled() const;
    virtual void SetKeyboardEnabled(bool enable = true);
    virtual bool IsFocused() const;
    virtual void SetFocus();
    virtual bool IsFloat() const;
    virtual void SetFloat(bool isFloat = true);
    virtual CUiString GetStyleName();
    virtual void SetStyleName(const wchar_t* styleName, CPaintManagerUI* manager = nullptr);

    // 65-69: property actions, bound from the manager's action groups.
    virtual void SetAction(const wchar_t* actionNames, CPaintManagerUI* manager = nullptr);
    virtual void OnPropertyActionTimer(IUiTimer* timer, tagTProperty* property);
    virtual void OnGroupActionTimer(IUiTimer* timer, tagTActionGroup* group);
    virtual bool OnAGroupNotify(TNotifyUI& msg, tagTActionGroup* group);
    virtual bool OnAGroupEvent(TEventUI& event, tagTActionGroup* group);

    // 70-84
    virtual CControlUI* FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags);
    virtual void Init();
    virtual void DoInit();
    virtual void Event(TEventUI& event);
    virtual void DoEvent(TEventUI& event);
    virtual void SetAttribute(const wchar_t* name, const wchar_t* value);
    virtual unUserData GetAttribute(const wchar_t* name);
    virtual SIZE EstimateSize(SIZE szAvailable);
    virtual void DoPaint(HDC hDC, const RECT& rcPaint);
    virtual void PaintBkColor(HDC hDC);
    virtual void PaintBkImage(HDC hDC);
    virtual void PaintStatusImage(HDC hDC);
    virtual void PaintText(HDC hDC);
    virtual void PaintBorder(HDC hDC);
    virtual void DoPostPaint(HDC hDC, const RECT& rcPaint);

    // 85-107: control effects.
    virtual CUiString GetEffectStyle() const;
    virtual void SetAnimEffects(bool enable);
    virtual bool GetAnimEffects() const;
    virtual void SetEffectsZoom(int zoom);
    virtual int GetEffectsZoom() const;
    virtual void SetEffectsFillingBK(DWORD color);
    virtual DWORD GetEffectsFillingBK() const;
    virtual void SetEffectsOffectX(int offset);
    virtual int GetEffectsOffectX() const;
    virtual void SetEffectsOffectY(int offset);
    virtual int GetEffectsOffectY() const;
    virtual void SetEffectsAlpha(int alpha);
    virtual int GetEffectsAlpha() const;
    virtual void SetEffectsRotation(float rotation);
    virtual float GetEffectsRotation() const;
    virtual void SetEffectsNeedTimer(int needTimer);
    virtual int GetEffectsNeedTimer() const;
    virtual TEffectAge* GetCurEffects();
    virtual TEffectAge* GetMouseInEffect();
    virtual TEffectAge* GetMouseOutEffect();
    virtual TEffectAge* GetClickInEffect();
    virtual void TriggerEffects(TEffectAge* effect = nullptr);
    virtual void SetEffectsStyle(const wchar_t* effectStyle, TEffectAge* effect = nullptr);

    // Offers a notification or an event to the bound action groups; a
    // matching group starts. The control's listeners call these.
    void RunNotifyActions(TNotifyUI& msg);
    void RunEventActions(TEventUI& event);
    // The action that plays now, or null.
    const wchar_t* GetRunningActionName() const;

    void Invalidate();
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void NeedUpdate() { MarkLayoutDirty(); }
    void MarkLayoutDirty();
    void MarkParentLayoutDirty();
    void NeedParentUpdate() { MarkParentLayoutDirty(); }

    bool DrawImage(HDC hDC, const wchar_t* image, const wchar_t* modify = nullptr, bool needAlpha = false,
                   BYTE alpha = 255);
    const wchar_t* GetBkImage();
    void SetBkImage(const wchar_t* image);
    DWORD AdjustColorHsl(DWORD color) const;
    void ApplyAttributeList(const wchar_t* list);

    DWORD GetBkColor() const { return m_dwBackColor; }
    void SetBkColor(DWORD color);
    DWORD GetBkColor2() const { return m_dwBackColor2; }
    void SetBkColor2(DWORD color);
    DWORD GetBkColor3() const { return m_dwBackColor3; }
    void SetBkColor3(DWORD color);
    DWORD GetDisabledBkColor() const { return m_dwDisabledBkColor; }
    void SetDisabledBkColor(DWORD color);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD color);
    DWORD GetFocusBorderColor() const { return m_dwFocusBorderColor; }
    void SetFocusBorderColor(DWORD color);
    bool IsColorHSL() const { return m_bColorHSL; }
    void SetColorHSL(bool colorHsl) { m_bColorHSL = colorHsl; }
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int size);
    RECT GetBorderSizes() const { return m_rcBorderSize; }
    void SetBorderSizes(RECT rc);
    void SetLeftBorderSize(int size);
    void SetTopBorderSize(int size);
    void SetRightBorderSize(int size);
    void SetBottomBorderSize(int size);
    int GetBorderStyle() const { return m_nBorderStyle; }
    void SetBorderStyle(int style);
    SIZE GetBorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE round);
    const wchar_t* GetForeImage() const { return m_sForeImage; }

    CUiString GetVirtualWindowName() const;
    void SetVirtualWindowName(const wchar_t* name);

    // Moves this control and all inside it by (dx, dy) for a scroll that
    // keeps it out of sight. A control of the library whose placement only
    // sets rectangles (plain controls and layouts) just shifts them, with no
    // layout or repaint; any other class (one with a native window, say, or
    // one derived elsewhere) is placed again through SetPos.
    void ShiftUnseen(int dx, int dy);

    CEventSource InitListeners;
    CEventSource DestroyListeners;
    CEventSource SizeListeners;
    CEventSource EventListeners;
    CEventSource NotifyListeners;

protected:
    // Clips `rc` by every ancestor; false when nothing of it stays visible.
    bool ClipToAncestors(RECT& rc) const;
    void InvalidateArea(const RECT& rc);
    // Layout request for a size or placement change: a float control only
    // redoes itself, a laid-out one asks its parent.
    void MarkSizeChanged();
    void StartActionGroup(tagTActionGroup* group);
    void FreeActions();
    // The attribute's value as four words, and writing it back.
    void ReadActionValue(const tagTProperty& property, INT32 (&value)[4]);
    // This frame of an image-string property ("image.source" and the like)
    // played on the description `image`: true with the rewritten description
    // in `next`; false for another value type, a stopped run or a
    // description without the property's key.
    bool NextActionImage(IUiTimer* timer, tagTProperty* property, const wchar_t* image, CUiString& next);
    void WriteActionValue(const tagTProperty& property, const INT32 (&value)[4]);

    bool m_bAnimEffects = false;
    CUiString m_sEffectStyle;
    TEffectAge m_tCurEffects;
    TEffectAge m_tMouseInEffects;
    TEffectAge m_tMouseOutEffects;
    TEffectAge m_tMouseClickEffects;
    void* m_pRunningAction = nullptr;
    CStdStringPtrMap m_mActionNotifys{83};
    CPaintManagerUI* m_pManager = nullptr;
    CControlUI* m_pParent = nullptr;
    CUiString m_sVirtualWnd;
    CUiString m_sName;
    bool m_bUpdateNeeded = true;
    bool m_bMenuUsed = false;
    RECT m_rcItem = {0, 0, 0, 0};
    RECT m_rcPadding = {0, 0, 0, 0};
    SIZE m_cXY = {0, 0};
    int m_cxFixed = 0;
    int m_cyFixed = 0;
    int m_cxMin = 0;
    int m_cyMin = 0;
    int m_cxMax = 9999;
    int m_cyMax = 9999;
    bool m_bVisible = true;
    bool m_bInternVisible = true;
    bool m_bEnabled = true;
    bool m_bRandom = false;
    bool m_bMouseEnabled = true;
    bool m_bKeyboardEnabled = true;
    bool m_bFocused = false;
    bool m_bFloat = false;
    bool m_bSetPos = false;
    TRelativePosUI m_tRelativePos = {};
    CUiString m_sStyleName;
    CUiString m_sText;
    CUiString m_sToolTip;
    wchar_t m_chShortcut = 0;
    CUiString m_sUserData;
    UINT_PTR m_pTag = 0;
    DWORD m_dwBackColor = 0;
    DWORD m_dwBackColor2 = 0;
    DWORD m_dwBackColor3 = 0;
    DWORD m_dwDisabledBkColor = 0xFFF0F0F0;
    CUiString m_sBkImage;
    CUiString m_sForeImage;
    DWORD m_dwBorderColor = 0;
    DWORD m_dwFocusBorderColor = 0;
    bool m_bColorHSL = false;
    int m_nBorderSize = 0;
    int m_nBorderStyle = PS_SOLID;
    SIZE m_cxyBorderRound = {0, 0};
    RECT m_rcPaint = {0, 0, 0, 0};
    RECT m_rcBorderSize = {0, 0, 0, 0};
};

}  // namespace UiLib
