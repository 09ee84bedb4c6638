#include "SmallDialogs.h"

#include <shellapi.h>

#include "core/window/WindowImplBase.h"
#include "messages/AppMessages.h"
#include "net/ApiRequests.h"

using namespace UiLib;

namespace {

constexpr DWORD kDialogStyle = 0x90CF0000;  // WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW

// One skinned dialog: its window class, skin file and the window that its
// retry button hands the work back to.
class StateDialog : public WindowImplBase {
public:
    StateDialog(const wchar_t* className, const wchar_t* skinFile, HWND mainWindow)
        : className_(className), skinFile_(skinFile), mainWindow_(mainWindow) {}

    const wchar_t* GetWindowClassName() const override { return className_; }
    void OnFinalMessage(HWND) override {}

    void Notify(TNotifyUI& msg) override {
        if (msg.sType == L"windowinit") {
            SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
        } else if (msg.sType == L"click" && msg.pSender) {
            const CUiString name = msg.pSender->GetName();
            if (_wcsicmp(name.GetData(), L"BtnClose") == 0) {
                if (IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
            } else if (_wcsicmp(name.GetData(), L"BtnConnectRetry") == 0 || _wcsicmp(name.GetData(), L"BtnRetry") == 0) {
                ::PostMessageW(mainWindow_, appmsg::kRetryConnect, 1, 0);
                Close(1);
            } else if (_wcsicmp(name.GetData(), L"BtnReport") == 0) {
                ShellExecuteW(nullptr, L"open", ApiSiteUrl("/help/fankui/").c_str(), nullptr, nullptr, SW_SHOW);
            }
        }
        WindowImplBase::Notify(msg);
    }

protected:
    CUiString GetSkinDirectory() override { return L"skin\\Torvanik"; }
    CUiString GetSkinFileName() override { return skinFile_; }

private:
    const wchar_t* className_;
    const wchar_t* skinFile_;
    HWND mainWindow_;
};

void RunModal(const wchar_t* className, const wchar_t* title, const wchar_t* skinFile, HWND mainWindow) {
    StateDialog dialog(className, skinFile, mainWindow);
    if (!dialog.Create(mainWindow, title, kDialogStyle, 0, 0, 0, 0, 0)) return;
    dialog.CenterWindow();
    dialog.ShowModal();
}

}  // namespace

void ShowConnectFail(HWND mainWindow) {
    RunModal(L"ConnectFailDialog", L"ConnectFailDialog", L"ConnectFail.xml", mainWindow);
}

void ShowPhoneOffline(HWND mainWindow) { RunModal(L"PhoneOffline", L"OffLine", L"PhoneOffline.xml", mainWindow); }
