// CPaintManagerUI: the manager of one native window's control tree. It turns
// window messages into events for the controls, keeps hover, capture, focus
// and tab order, lays the tree out and paints it double-buffered (or into a
// layered window), delivers notifications, and holds the window's fonts,
// images, styles and timers.
#pragma once
#include "core/markup/SkinZip.h"
#include "core/effects/EffectJob.h"
#include "core/base/StdArrays.h"
#include "core/base/StdStringPtrMap.h"
#include "core/manager/UIControl.h"
#include "core/manager/UIInterfaces.h"
#include "core/manager/UIShadow.h"
#include "core/manager/UITrayIcon.h"
#include "core/render/UIRender.h"
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"

#include <windows.h>
#include <commctrl.h>

namespace UiLib {

struct UILIB_API tagTFontInfo {
    HFONT hFont = nullptr;
    CUiString sFontName;
    int iSize = 0;
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
    TEXTMETRICW tm = {};
};
typedef tagTFontInfo TFontInfo;

// One window timer bound to a control and the id the control chose.
struct tagTIMERINFO {
    CControlUI* pSender;
    UINT nLocalID;
    HWND hWnd;
    UINT uWinTimer;
    bool bKilled;
};
typedef tagTIMERINFO TIMERINFO;

// Private window messages of the library.
enum {
    UIMSG_EFFECT_FRAME = 0x0A90,
    UIMSG_RESTYLE = 0x0A91,
    UIMSG_DELAYED_CLEANUP = 0x8001,
};

// A notification, command or colour request from a native child window is
// reflected back to that child as the original message number plus this base
// (so WM_COMMAND arrives as 0x2111).
enum {
    UIMSG_REFLECT_BASE = 0x2000,
    UIMSG_REFLECT_COMMAND = UIMSG_REFLECT_BASE + WM_COMMAND,
};

// Window timer ids of a paint manager: controls' timers cycle through
// 0..kWindowTimerIdCount-1; kCaretTimerId blinks the caret.
constexpr UINT kWindowTimerIdCount = 240;
constexpr UINT kCaretTimerId = 241;

// One animated attribute of an action group, with its own timing.
struct UILIB_API tagTProperty {
    CUiString sName;  // attribute, e.g. "bkcolor"
    CUiString sType;  // value type, e.g. "color", "rect", "image.source"
    CUiString sStartValue;
    CUiString sEndValue;
    // Four 32-bit words: an int or colour in the first, a point in two, a rectangle in all four.
    INT32 startValue[4] = {};
    INT32 endValue[4] = {};
    INT32 delta[4] = {};
    int iInterval = 0;
    int iTimer = 0;
    bool bAutoStart = false;
    bool bLoop = false;
    bool bReverse = false;
    // Cached parts of the background image string around the rewritten value.
    CUiString sImagePrefix;
    CUiString sImageSuffix;
};

// A named group of property actions, started by a notification ("notify")
// or by an input event ("event"); the manager owns it and its properties.
struct UILIB_API tagTActionGroup {
    tagTActionGroup() = default;
    tagTActionGroup(const tagTActionGroup&) = delete;
    tagTActionGroup& operator=(const tagTActionGroup&) = delete;
    ~tagTActionGroup();

    CUiString sName;
    CUiString sMsgType;
    CUiString sNotifyType;
    int iEventType = 0;
    int iInterval = 0;
    int iTimer = 0;
    bool bAutoStart = false;
    bool bLoop = false;
    bool bReverse = false;
    CStdPtrArray aProperties;  // tagTProperty*, in order of adding
};

class UILIB_API CPaintManagerUI {
public:
    CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;
    ~CPaintManagerUI();

    // --- routing and painting ---
    void Init(HWND hWnd);
    HWND GetPaintWindow() const { return m_hWndPaint; }
    HDC GetPaintDC() const { return m_hDcPaint; }
    HWND GetTooltipWindow() const { return m_hwndTooltip; }
    POINT GetMousePos() const { return m_ptLastMousePos; }

    bool AttachRoot(CControlUI* control);
    CControlUI* GetRoot() const { return m_pRoot; }

    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void SendNotify(CControlUI* control, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool asynchronous = false);
    void SendNotifyRecord(TNotifyUI& msg, bool asynchronous = false);

    CControlUI* GetFocus() const { return m_pFocus; }
    void SetFocus(CControlUI* control);
    void SetFocusNeeded(CControlUI* control);
    bool SetNextTabControl(bool forward = true);
    // Gives the mouse back before a control hands input to a native child window.
    void ReleaseCapture() {
        ::ReleaseCapture();
        m_bMouseCapture = false;
    }

    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(const wchar_t* name) const;
    CControlUI* FindSubControlByName(CControlUI* parent, const wchar_t* name) const;

    bool AddNotifier(INotifyUI* notifier);
    bool RemoveNotifier(INotifyUI* notifier);
    bool AddPreMessageFilter(IMessageFilterUI* filter);
    bool RemovePreMessageFilter(IMessageFilterUI* filter);
    bool AddMessageFilter(IMessageFilterUI* filter);
    bool RemoveMessageFilter(IMessageFilterUI* filter);
    bool AddPostPaint(CControlUI* control);
    bool RemovePostPaint(CControlUI* control);
    bool AddTranslator(ITranslateAccelerator* translator);
    bool RemoveTranslator(ITranslateAccelerator* translator);

    void AddDelayedCleanup(CControlUI* control);
    void ForgetControl(CControlUI* control);
    // Enters every named control of the subtree; a name already present keeps its control.
    void RegisterControlNames(CControlUI* control);

    void InvalidateRect(const RECT& rc);
    void NeedUpdate() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    void UsedVirtualWnd(bool used) { m_bUsedVirtualWnd = used; }

    bool ShowCaret(bool show);
    // The emulated caret's size as its creator gives it; 0 stands for the
    // system's border width or height, as it does for a system caret.
    void SetCaretSize(int width, int height);
    const RECT& GetCaretRect() const { return m_rcCaret; }
    bool SetCaretPos(CControlUI* control, int x, int y);
    void DrawCaret(HDC hDC, const RECT& rcPaint);

    bool SetCurrentStyles(const wchar_t* sheetName, bool postRestyle = true);

    static UINT GetKeyStateFlags();
    static void MessageLoop();
    static bool TranslateMessage(const LPMSG msg);

    // --- process-wide resources ---
    static HINSTANCE GetInstance();
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetResourceInstance();
    static void SetResourceInstance(HINSTANCE instance);
    static CUiString GetInstancePath();
    // The resource folder and skin zip are process-wide (UiResources).
    static const wchar_t* GetResourcePath();
    static void SetResourcePath(const wchar_t* path);
    static const wchar_t* GetResourceZip();
    static bool IsCachedResourceZip();
    static HZIP GetResourceZipHandle();
    static void SetResourceZip(const wchar_t* zipName, bool keepOpen = false);
    static void SetResourceZipBuffer(const void* bytes, DWORD length);
    // Face used by managers constructed afterwards in place of the stock GUI face.
    static void SetDefaultFontName(const wchar_t* face);

    // --- per-window resources ---
    bool SetParentManager(CPaintManagerUI* parent);
    CPaintManagerUI* GetParentManager() const { return m_pParentResourcePM; }

    void SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    HFONT AddFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
    int GetFontCount() const { return m_aCustomFonts.GetSize(); }
    HFONT GetFont(int index);
    TFontInfo* GetFontInfo(int index);
    TFontInfo* GetFontInfo(HFONT font);
    HFONT FindFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) const;
    TFontInfo* GetDefaultFontInfo();
    void RemoveAllFonts();

    TImageInfo* GetImage(const wchar_t* name) const;
    TImageInfo* GetImageEx(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0);
    TImageInfo* AddImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0);
    bool RemoveImage(const wchar_t* name);
    void RemoveAllImages();

    void AddDefaultAttributeList(const wchar_t* className, const wchar_t* list);
    const wchar_t* GetDefaultAttributeList(const wchar_t* className) const;
    void RemoveAllDefaultAttributeList();

    bool AddEffectsStyle(const wchar_t* name, const wchar_t* text);
    const wchar_t* GetEffectsStyle(const wchar_t* name) const;
    void RemoveAllEffectsStyle();

    bool AddStyleAttribute(const wchar_t* sheetName, const wchar_t* styleName, const wchar_t* attribute,
                           const wchar_t* value);
    void RemoveStyle(const wchar_t* styleName, const wchar_t* sheetName = nullptr);
    bool RemoveStyleSheet(const wchar_t* sheetName);
    void RemoveAllStyleSheets();
    // The attribute map (attribute name to CUiString*) of a style of the current style map.
    CStdStringPtrMap* GetStyle(const wchar_t* styleName) const;
    const CUiString& GetCurrentStyleSheet() const { return m_sCurrentStyleSheet; }
    // A named style sheet (style name to attribute map), or null.
    CStdStringPtrMap* GetStyleSheet(const wchar_t* sheetName) const;
    // The first sheet in the sheet map's order, or null when there is none.
    const wchar_t* GetFirstStyleSheetName() const;

    bool AddOptionGroup(const wchar_t* groupName, CControlUI* option);
    CStdPtrArray* GetOptionGroup(const wchar_t* groupName) const;
    void RemoveOptionGroup(const wchar_t* groupName, CControlUI* option);
    void RemoveAllOptionGroups();

    // Action groups: entered here, found here or up the parent chain.
    bool AddActionGroupNotify(const wchar_t* name, const wchar_t* notifyType, int interval, int total,
                              bool autoStart, bool loop, bool reverse);
    bool AddActionGroupEvent(const wchar_t* name, int eventType, int interval, int total, bool autoStart,
                             bool loop, bool reverse);
    tagTActionGroup* GetActionGroup(const wchar_t* name) const;
    bool AddPropertyAction(const wchar_t* groupName, const wchar_t* name, const wchar_t* type,
                           const wchar_t* startValue, const wchar_t* endValue, int interval, int total,
                           bool autoStart, bool loop, bool reverse);
    void RemoveAllActionGroups();

    // Window-level settings from the skin's Window element.
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy) { m_szInitWindowSize = SIZE{cx, cy}; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = SIZE{cx, cy}; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = SIZE{cx, cy}; }
    RECT GetSizeBox() const { return m_rcSizeBox; }
    void SetSizeBox(const RECT& rc) { m_rcSizeBox = rc; }
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(const RECT& rc) { m_rcCaption = rc; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = SIZE{cx, cy}; }
    bool IsLayered() const { return m_bLayered; }
    void SetLayered(bool layered) { m_bLayered = layered; }
    BYTE GetOpacity() const { return m_nOpacity; }
    void SetOpacity(int opacity);
    // Either flag makes the render engine draw this window's plain text with GDI+.
    bool IsBackgroundTransparent() const { return m_bAlphaBackground; }
    void SetBackgroundTransparent(bool transparent) { m_bAlphaBackground = transparent; }
    bool IsUseGdiplusText() const { return m_bUseGdiplusText; }
    void SetUseGdiplusText(bool use) { m_bUseGdiplusText = use; }

    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD color) { m_dwDefaultDisabledColor = color; }
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD color) { m_dwDefaultFontColor = color; }
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD color) { m_dwDefaultLinkFontColor = color; }
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD color) { m_dwDefaultLinkHoverFontColor = color; }
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD color) { m_dwDefaultSelectedBkColor = color; }

    // --- shadow, tray icon and control effects ---
    CShadowUI* GetShadow() { return &m_shadow; }
    CUiTrayIcon* GetTrayObject() { return &m_trayObject; }
    // Queues a copy of a control's effect job for this window and asks for a paint, which starts it.
    void AddAnimationJob(const tagEffectJob& job);

    // --- timers ---
    bool SetTimer(CControlUI* control, UINT timerId, UINT elapse);
    bool KillTimer(CControlUI* control, UINT timerId);
    void KillControlTimers(CControlUI* control);
    void RemoveAllTimers();

private:
    static CStdPtrArray& ManagerList();
    static CControlUI* CALLBACK MatchPoint(CControlUI* control, LPVOID data);
    static CControlUI* CALLBACK CollectNamedControl(CControlUI* control, LPVOID data);
    static CControlUI* CALLBACK CollectFirstNamedControl(CControlUI* control, LPVOID data);
    static CControlUI* CALLBACK MatchUpdateNeeded(CControlUI* control, LPVOID data);
    static CControlUI* CALLBACK MatchTabStop(CControlUI* control, LPVOID data);
    static CControlUI* CALLBACK MatchShortcut(CControlUI* control, LPVOID data);
    static CControlUI* CALLBACK MatchName(CControlUI* control, LPVOID data);

    // Events go only to controls of this manager.
    bool Owns(const CControlUI* control) const { return control && control->GetManager() == this; }
    TEventUI MakeEvent(int type, CControlUI* sender) const;
    void SendEvent(CControlUI* target, int type, CControlUI* sender, WPARAM wParam = 0, LPARAM lParam = 0,
                   WORD keyState = 0);
    // Delivers queued notifications; true when a sender's listeners consumed one.
    bool DeliverQueuedNotifications();
    // Offers a record to its sender's listeners, then to the notifiers; true when consumed.
    bool Deliver(TNotifyUI& msg);
    void DrainDelayedCleanup();
    void Restyle(CControlUI* control, WPARAM wParam, LPARAM lParam);

    bool OnPaint();
    void LayoutTree();
    void PaintTree(HDC hDC, const RECT& paintRect);
    // The root's paint with the default font selected first; the caller
    // saves and restores the DC around it.
    void PaintRoot(HDC hDC, const RECT& paintRect);
    void PaintLayered(const RECT& paintRect);
    void PaintOffscreen(HDC hDC, const RECT& paintRect);
    void ReleaseOffscreen();
    void OnMouseMove(LPARAM lParam);
    void OnMouseHover(LPARAM lParam);
    void ShowTooltip(CControlUI* control);
    void HideTooltip();
    CControlUI* FindTabStop(CControlUI* from, bool forward, CControlUI** lastSeen) const;
    bool ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void PrintClient(HDC hDC, LPARAM flags);

    // Fonts, images and styles.
    TFontInfo* MeasuredFont(TFontInfo* info);
    const CPaintManagerUI* TopManager() const;
    void FreeStyleMap(CStdStringPtrMap* styles);
    void FreeStyle(CStdStringPtrMap* attributes);
    // A new group entered under its name with clamped timing; null when the name is taken.
    tagTActionGroup* AddActionGroup(const wchar_t* name, const wchar_t* msgType, int interval, int total,
                                    bool autoStart, bool loop, bool reverse);

    UINT AllocateWindowTimerId();
    // The effect frame tick: one Direct3D frame, or the start of a new animation.
    void OnEffectFrame();
    bool HasEffectWork() const;
    void DropEffects();

    HWND m_hWndPaint = nullptr;
    HDC m_hDcPaint = nullptr;
    HDC m_hDcOffscreen = nullptr;
    HBITMAP m_hbmpOffscreen = nullptr;
    HGDIOBJ m_hbmpOffscreenOld = nullptr;
    DWORD* m_pOffscreenBits = nullptr;
    bool m_bOffscreenLayered = false;
    RECT m_rcLayeredUpdate = {0, 0, 0, 0};
    bool m_bFullLayeredRepaint = false;
    // The largest rectangle handed to the system as invalid since the last
    // paint began: a rectangle inside it is invalid already, so a burst of
    // small invalidations (thousands of rows changing) costs one system call.
    RECT m_rcSystemInvalid = {0, 0, 0, 0};

    CControlUI* m_pRoot = nullptr;
    CControlUI* m_pFocus = nullptr;
    CControlUI* m_pEventHover = nullptr;
    CControlUI* m_pEventClick = nullptr;
    CControlUI* m_pEventKey = nullptr;
    POINT m_ptLastMousePos = {0, 0};

    bool m_bFirstLayout = true;
    bool m_bUpdateNeeded = false;
    bool m_bFocusNeeded = false;
    bool m_bOffscreenPaint = true;
    bool m_bLayered = false;
    bool m_bMouseTracking = false;
    bool m_bMouseCapture = false;
    bool m_bUsedVirtualWnd = false;
    bool m_bAlphaBackground = false;
    bool m_bUseGdiplusText = false;
    ULONG_PTR m_gdiplusToken = 0;

    HWND m_hwndTooltip = nullptr;
    TOOLINFOW m_ToolTip = {};
    CUiString m_sToolTipText;

    CControlUI* m_pCaretOwner = nullptr;
    RECT m_rcCaret = {0, 0, 1, 16};
    bool m_bCaretShowing = false;
    bool m_bCaretActive = false;

    CStdPtrArray m_aNotifiers;
    CStdPtrArray m_aPreMessageFilters;
    CStdPtrArray m_aMessageFilters;
    CStdPtrArray m_aTranslators;
    CStdPtrArray m_aPostPaintControls;
    CStdPtrArray m_aDelayedCleanup;
    CStdPtrArray m_aAsyncNotify;
    CStdStringPtrMap m_mNameHash{83};

    // Resources.
    CPaintManagerUI* m_pParentResourcePM = nullptr;
    TFontInfo m_DefaultFontInfo;
    CStdPtrArray m_aCustomFonts;
    CStdStringPtrMap m_mImageHash{83};
    CStdStringPtrMap m_DefaultAttrHash{83};
    CStdStringPtrMap m_mEffectsStyle{83};
    CStdStringPtrMap m_mStyleSheets{83};
    CStdStringPtrMap* m_pDefaultStyles;
    CStdStringPtrMap* m_pCurrentStyles;
    CUiString m_sCurrentStyleSheet;
    CStdStringPtrMap m_mOptionGroup{83};
    CStdStringPtrMap m_mActionGroups{83};

    BYTE m_nOpacity = 255;
    SIZE m_szInitWindowSize = {0, 0};
    SIZE m_szMinWindow = {0, 0};
    SIZE m_szMaxWindow = {0, 0};
    RECT m_rcSizeBox = {0, 0, 0, 0};
    RECT m_rcCaption = {0, 0, 0, 0};
    SIZE m_szRoundCorner = {0, 0};
    DWORD m_dwDefaultDisabledColor = 0xFFA7A6AA;
    DWORD m_dwDefaultFontColor = 0xFF000001;
    DWORD m_dwDefaultLinkFontColor = 0xFF0000FF;
    DWORD m_dwDefaultLinkHoverFontColor = 0xFFD3215F;
    DWORD m_dwDefaultSelectedBkColor = 0xFFBAE4FF;

    CShadowUI m_shadow;
    CUiTrayIcon m_trayObject;

    // Timers.
    CStdPtrArray m_aTimers;
    UINT m_uTimerID = 0x1000;
};

}  // namespace UiLib
