// The three small modal skin windows the programs share: CBasicDialog shows a
// message from a skin ("info" label, "close" button), CMsgBox adds "ok" (1)
// and "cancel" (2), CBallonTip closes itself when its skin timer fires or it
// loses the focus. Close codes: 0 close, 1 ok / timeout / lost focus, 2 cancel.
#pragma once
#include "core/window/WindowImplBase.h"

class CTimerUI;

class CBasicDialog : public UiLib::WindowImplBase {
public:
    CBasicDialog(const wchar_t* skinFolder, const wchar_t* skinFile, const wchar_t* className,
                 const wchar_t* message);

    const wchar_t* GetWindowClassName() const override;
    void Notify(UiLib::TNotifyUI& msg) override;
    UiLib::CControlUI* CreateControl(const wchar_t* pstrClass) override;

protected:
    UiLib::CUiString GetSkinDirectory() override;
    UiLib::CUiString GetSkinFileName() override;
    bool IsFromTimer(const UiLib::TNotifyUI& msg) const;
    static bool IsClickOn(const UiLib::TNotifyUI& msg, const wchar_t* name);

private:
    UiLib::CUiString m_skinFolder;
    UiLib::CUiString m_skinFile;
    UiLib::CUiString m_className;
    UiLib::CUiString m_message;
    UiLib::CControlUI* m_info = nullptr;
    UiLib::CControlUI* m_close = nullptr;
    CTimerUI* m_timer = nullptr;
};

class CMsgBox : public CBasicDialog {
public:
    using CBasicDialog::CBasicDialog;
    void Notify(UiLib::TNotifyUI& msg) override;
};

class CBallonTip : public CBasicDialog {
public:
    using CBasicDialog::CBasicDialog;
    void Notify(UiLib::TNotifyUI& msg) override;

protected:
    LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) override;
};
