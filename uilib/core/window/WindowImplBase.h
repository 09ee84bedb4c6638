// WindowImplBase: the skinned top-level window. A borderless window whose
// client area is a control tree built from a skin and run by its paint
// manager; it hit-tests its own caption and sizing borders and reacts to the
// standard caption buttons by name.
#pragma once
#include "core/window/UIDlgBuilder.h"
#include "core/manager/UIInterfaces.h"
#include "core/manager/UIManager.h"
#include "core/manager/UINotifyPump.h"
#include "core/window/UIWindow.h"
#include "core/base/UiLibApi.h"

namespace UiLib {

enum UILIB_RESOURCETYPE {
    UILIB_FILE = 1,      // files in the resource folder
    UILIB_ZIP = 2,       // a zip file in the resource folder
    UILIB_RESOURCE = 3,  // a markup resource of type "xml"
    UILIB_ZIPRESOURCE = 4,  // a zip resource of type "ZIPRES"
};

class UILIB_API WindowImplBase : public CWindowWnd,
                                 public CNotifyPump,
                                 public INotifyUI,
                                 public IMessageFilterUI,
                                 public IDialogBuilderCallback {
public:
    WindowImplBase() = default;

    void OnFinalMessage(HWND hWnd) override;
    virtual ~WindowImplBase();
    virtual void OnWindowReady() {}
    virtual void OnClick(TNotifyUI& msg);

    // What a skin that cannot be loaded does: by default a message box, then
    // the process ends with exit code 1. Tests and hosts may replace it; when
    // the handler returns, the window is not created.
    typedef void (*SkinFailureHandler)(WindowImplBase* window);
    static void SetSkinFailureHandler(SkinFailureHandler handler);

    UI_DECLARE_MESSAGE_MAP()

protected:
    virtual CUiString GetSkinDirectory() = 0;
    virtual CUiString GetSkinFileName() = 0;
    UINT GetClassStyle() const override;
    virtual UILIB_RESOURCETYPE GetResourceType() const;
    virtual CUiString GetZIPFileName() const;
    virtual const wchar_t* GetResourceID() const;

    virtual LRESULT OnClose(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcActivate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcCalcSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnNcHitTest(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnGetMinMaxInfo(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseWheel(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseHover(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSize(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnChar(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnCreate(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKeyDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnSetFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    virtual LONG GetStyle();

public:
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void Notify(TNotifyUI& msg) override;
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
    CControlUI* CreateControl(const wchar_t* pstrClass) override;

    CPaintManagerUI m_PaintManager;

private:
    // Points the process's skin source at this window's folder, zip file or zip resource.
    bool SelectSkinSource();
    void SkinFailed();
};

}  // namespace UiLib
