// The container side of an ActiveX host, private to the library:
// CActiveXCtrl is the object's site (client site, windowless in-place site,
// control site, object-with-site and container), CActiveXWnd the child window
// of a windowed object, CActiveXFrameWnd the in-place frame and
// CActiveXEnum the enumerator over the one hosted object.
#pragma once
#include "controls/UIActiveX.h"
#include "core/window/UIWindow.h"

#include <ocidl.h>
#include <ole2.h>

namespace UiLib {

class CActiveXCtrl;

class CActiveXWnd final : public CWindowWnd {
public:
    // Creates the window as a child of the owner's paint window.
    HWND Init(CActiveXCtrl* site, HWND parent);
    const wchar_t* GetWindowClassName() const override { return L"ActiveXWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    ~CActiveXWnd() = default;
    void DoVerb(LONG verb);

    CActiveXCtrl* m_pOwner = nullptr;
};

class CActiveXCtrl final : public IOleClientSite,
                     public IOleInPlaceSiteWindowless,
                     public IOleControlSite,
                     public IObjectWithSite,
                     public IOleContainer {
public:
    explicit CActiveXCtrl(CActiveXUI* owner);
    CActiveXCtrl(const CActiveXCtrl&) = delete;
    CActiveXCtrl& operator=(const CActiveXCtrl&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* site) override;
    STDMETHOD(GetSite)(REFIID riid, void** ppv) override;
    // IOleClientSite
    STDMETHOD(SaveObject)() override;
    STDMETHOD(GetMoniker)(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHOD(GetContainer)(IOleContainer** container) override;
    STDMETHOD(ShowObject)() override;
    STDMETHOD(OnShowWindow)(WINBOOL show) override;
    STDMETHOD(RequestNewObjectLayout)() override;
    // IOleInPlaceSiteWindowless
    STDMETHOD(CanWindowlessActivate)() override;
    STDMETHOD(GetCapture)() override;
    STDMETHOD(SetCapture)(WINBOOL capture) override;
    STDMETHOD(GetFocus)() override;
    STDMETHOD(SetFocus)(WINBOOL focus) override;
    STDMETHOD(GetDC)(LPCRECT rect, DWORD flags, HDC* dc) override;
    STDMETHOD(ReleaseDC)(HDC dc) override;
    STDMETHOD(InvalidateRect)(LPCRECT rect, WINBOOL erase) override;
    STDMETHOD(InvalidateRgn)(HRGN region, WINBOOL erase) override;
    STDMETHOD(ScrollRect)(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
    STDMETHOD(AdjustRect)(LPRECT rect) override;
    STDMETHOD(OnDefWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    // IOleInPlaceSiteEx
    STDMETHOD(OnInPlaceActivateEx)(WINBOOL* noRedraw, DWORD flags) override;
    STDMETHOD(OnInPlaceDeactivateEx)(WINBOOL noRedraw) override;
    STDMETHOD(RequestUIActivate)() override;
    // IOleInPlaceSite
    STDMETHOD(CanInPlaceActivate)() override;
    STDMETHOD(OnInPlaceActivate)() override;
    STDMETHOD(OnUIActivate)() override;
    STDMETHOD(GetWindowContext)(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHOD(Scroll)(SIZE extent) override;
    STDMETHOD(OnUIDeactivate)(WINBOOL undoable) override;
    STDMETHOD(OnInPlaceDeactivate)() override;
    STDMETHOD(DiscardUndoState)() override;
    STDMETHOD(DeactivateAndUndo)() override;
    STDMETHOD(OnPosRectChange)(LPCRECT position) override;
    // IOleWindow
    STDMETHOD(GetWindow)(HWND* hwnd) override;
    STDMETHOD(ContextSensitiveHelp)(WINBOOL enterMode) override;
    // IOleControlSite
    STDMETHOD(OnControlInfoChanged)() override;
    STDMETHOD(LockInPlaceActive)(WINBOOL lock) override;
    STDMETHOD(GetExtendedControl)(IDispatch** dispatch) override;
    STDMETHOD(TransformCoords)(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHOD(TranslateAccelerator)(MSG* msg, DWORD modifiers) override;
    STDMETHOD(OnFocus)(WINBOOL gotFocus) override;
    STDMETHOD(ShowPropertyFrame)() override;
    // IOleContainer
    STDMETHOD(EnumObjects)(DWORD flags, IEnumUnknown** enumerator) override;
    STDMETHOD(LockContainer)(WINBOOL lock) override;
    // IParseDisplayName
    STDMETHOD(ParseDisplayName)(IBindCtx* context, LPOLESTR name, ULONG* eaten, IMoniker** moniker) override;

    // The owner lets go: later calls from the object find no owner.
    void Detach() { m_pOwner = nullptr; }
    // Keeps the view object, and whether it answers as IViewObjectEx.
    void SetViewObject(IViewObject* view, bool isViewObjectEx);
    IViewObject* ViewObject() const { return m_pViewObject; }
    // Hit testing needs the extended view interface; others are never asked.
    IViewObjectEx* ViewObjectEx() const;
    IOleInPlaceObjectWindowless* WindowlessObject() const;
    bool IsWindowless() const { return m_bWindowless; }
    bool IsInPlaceActive() const { return m_bInPlaceActive; }
    bool IsUIActive() const { return m_bUIActivated; }
    bool HasCapture() const { return m_bCaptured; }
    CActiveXUI* Owner() const { return m_pOwner; }
    void SetFocused(bool focused) { m_bFocused = focused; }
    // The object's rectangle in host-window coordinates.
    RECT ObjectRect() const;
    void CreateActiveXWnd();
    // The child window is gone (destroyed with its parent, perhaps).
    void ForgetWindow(CActiveXWnd* window, HWND hwnd);

private:
    ~CActiveXCtrl();
    void ReleaseInPlaceObject();
    void DestroyActiveXWnd();

    LONG m_dwRef = 1;
    CActiveXUI* m_pOwner;
    IUnknown* m_pUnkSite = nullptr;
    IViewObject* m_pViewObject = nullptr;
    bool m_bViewObjectEx = false;
    CActiveXWnd* m_pWindow = nullptr;
    IOleInPlaceObject* m_pInPlaceObject = nullptr;
    bool m_bFocused = false;
    bool m_bCaptured = false;
    bool m_bUIActivated = false;
    bool m_bInPlaceActive = false;
    bool m_bWindowless = true;
    bool m_bLocked = false;
    // One accelerator table for every frame-info request, freed with the site.
    HACCEL m_hAccel = nullptr;
};

class CActiveXFrameWnd final : public IOleInPlaceFrame {
public:
    explicit CActiveXFrameWnd(CActiveXUI* owner) : m_pOwner(owner) {}
    CActiveXFrameWnd(const CActiveXFrameWnd&) = delete;
    CActiveXFrameWnd& operator=(const CActiveXFrameWnd&) = delete;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetWindow)(HWND* hwnd) override;
    STDMETHOD(ContextSensitiveHelp)(WINBOOL enterMode) override;
    STDMETHOD(GetBorder)(LPRECT border) override;
    STDMETHOD(RequestBorderSpace)(LPCBORDERWIDTHS widths) override;
    STDMETHOD(SetBorderSpace)(LPCBORDERWIDTHS widths) override;
    STDMETHOD(SetActiveObject)(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    STDMETHOD(InsertMenus)(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHOD(SetMenu)(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
    STDMETHOD(RemoveMenus)(HMENU shared) override;
    STDMETHOD(SetStatusText)(LPCOLESTR text) override;
    STDMETHOD(EnableModeless)(WINBOOL enable) override;
    STDMETHOD(TranslateAccelerator)(LPMSG msg, WORD id) override;

private:
    ~CActiveXFrameWnd();

    LONG m_dwRef = 1;
    CActiveXUI* m_pOwner;
    IOleInPlaceActiveObject* m_pActiveObject = nullptr;
};

class CActiveXEnum final : public IEnumUnknown {
public:
    explicit CActiveXEnum(IUnknown* object);
    CActiveXEnum(const CActiveXEnum&) = delete;
    CActiveXEnum& operator=(const CActiveXEnum&) = delete;

    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(Next)(ULONG count, IUnknown** objects, ULONG* fetched) override;
    STDMETHOD(Skip)(ULONG count) override;
    STDMETHOD(Reset)() override;
    STDMETHOD(Clone)(IEnumUnknown** enumerator) override;

private:
    ~CActiveXEnum();

    LONG m_iPos = 0;
    LONG m_dwRef = 1;
    IUnknown* m_pUnk;
};

}  // namespace UiLib
