// CActiveXUI: hosts an ActiveX (OLE) control inside a skin. The object is
// made from a class id or program id, from a named module file (its
// DllGetClassObject) or through COM, and this control is its container:
// a windowless object draws into the paint manager's DC and gets window
// messages through the manager's message filters; a windowed one lives in
// a child window that follows the control's rectangle.
#pragma once
#include "core/manager/UIControl.h"
#include "core/manager/UIInterfaces.h"

#include <ole2.h>
#include <windows.h>

namespace UiLib {

class CActiveXCtrl;

class UILIB_API CActiveXUI : public CControlUI, public IMessageFilterUI {
public:
    CActiveXUI();
    ~CActiveXUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // Slot 108: lets go of the object, its site and its window.
    virtual void ReleaseControl();
    // Slot 109: makes the object, hosts it and activates it in place.
    virtual bool DoCreateControl();

    // A class id in braces or a program id; at most 99 characters are read.
    bool CreateControl(const wchar_t* clsidOrProgId);
    // Stores the class id; creates at once unless creation is delayed.
    bool CreateControl(const CLSID& clsid);
    // The hosted object's interface `iid` (E_PENDING before creation).
    HRESULT GetControl(const IID& iid, LPVOID* ppv);
    CLSID GetClsid() const { return m_clsid; }
    CUiString GetModuleName() const { return m_sModuleName; }
    void SetModuleName(const wchar_t* moduleName) { m_sModuleName = moduleName; }
    bool IsDelayCreate() const { return m_bDelayCreate; }
    void SetDelayCreate(bool delayCreate = true);
    HWND GetHostWindow() const { return m_hwndHost; }

protected:
    friend class CActiveXCtrl;
    friend class CActiveXWnd;

    // Shows or hides a windowed object's window as the control shows.
    void SyncHostWindowVisibility();
    // Connects `sink` to the `events` connection point of `source` (keeping
    // the cookie) or disconnects it; S_FALSE without a source or, when
    // disconnecting, without a connection.
    static HRESULT ConnectEventSink(IUnknown* source, const IID& events, IDispatch* sink, DWORD& cookie, bool advise);
    // A key message (0x100 to 0x109) to the object's in-place active part
    // while the keyboard focus lies in the host window or below it; S_FALSE
    // for any other message or focus.
    LRESULT PassKeyToObject(MSG* msg);
    // Step 2 of creation: the object from the module file, else from COM.
    IUnknown* CreateObject();

    CLSID m_clsid;
    CUiString m_sModuleName;
    bool m_bCreated = false;
    bool m_bDelayCreate = true;
    IOleObject* m_pUnk = nullptr;
    CActiveXCtrl* m_pControl = nullptr;
    HWND m_hwndHost = nullptr;
    // The module file the object came from, held until the object is gone.
    HMODULE m_hModule = nullptr;
};

}  // namespace UiLib
