// CShadowUI: a soft drop shadow around a skinned top-level window. The shadow
// is a layered, click-through popup owned by the frame; it follows the frame
// by subclassing the frame's window procedure. It is either generated from
// the frame's region or painted from a nine-grid skin image.
#pragma once
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"

#include <windows.h>

namespace UiLib {

class CPaintManagerUI;

class UILIB_API CShadowUI {
public:
    CShadowUI() = default;
    CShadowUI(const CShadowUI&) = delete;
    CShadowUI& operator=(const CShadowUI&) = delete;
    // Gives the frame its own procedure back and forgets it, when it still lives.
    virtual ~CShadowUI();

    // Registers the shadow's window class once per process; later calls return false.
    static bool Initialize(HINSTANCE hInstance);
    // Creates the shadow for the manager's frame: once per frame, never for a dead window.
    void Create(CPaintManagerUI* pPaintManager);

    void ShowShadow(bool show) { m_bIsShowShadow = show; }
    bool IsShowShadow() const { return m_bIsShowShadow; }
    bool SetSize(int size);
    bool SetSharpness(unsigned int sharpness);
    bool SetDarkness(unsigned int darkness);
    bool SetPosition(int x, int y);
    bool SetColor(COLORREF color);
    bool SetImage(const wchar_t* image);
    bool SetShadowCorner(RECT corner);
    bool CopyShadow(CShadowUI* other);

    int GetSize() const { return m_nSize; }
    int GetSharpness() const { return m_nSharpness; }
    int GetDarkness() const { return m_nDarkness; }
    int GetOffsetX() const { return m_nxOffset; }
    int GetOffsetY() const { return m_nyOffset; }
    COLORREF GetColor() const { return m_Color; }
    const CUiString& GetImage() const { return m_sShadowImage; }
    RECT GetShadowCorner() const { return m_rcShadowCorner; }
    bool IsImageMode() const { return m_bIsImageMode; }
    HWND GetShadowWindow() const { return m_hWnd; }
    BYTE GetState() const { return m_Status; }

    // Draws the shadow again for the frame's current size and place.
    void Update(HWND hParent);

private:
    enum { kEnabled = 1, kShown = 2, kParentVisible = 4 };

    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void OnParentMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    POINT ShadowOrigin(const RECT& frame) const;
    void Detach();

    CPaintManagerUI* m_pManager = nullptr;
    HWND m_hWnd = nullptr;
    HWND m_hParent = nullptr;
    WNDPROC m_OriParentProc = nullptr;
    BYTE m_Status = 0;
    bool m_bIsShowShadow = false;
    bool m_bIsImageMode = false;
    BYTE m_nDarkness = 150;
    BYTE m_nSharpness = 5;
    signed char m_nSize = 0;
    signed char m_nxOffset = 0;
    signed char m_nyOffset = 0;
    LPARAM m_WndSize = 0;
    bool m_bUpdate = false;
    COLORREF m_Color = 0;
    CUiString m_sShadowImage;
    RECT m_rcShadowCorner = {0, 0, 0, 0};
};

}  // namespace UiLib
