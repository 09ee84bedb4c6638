#include "SmallDialogs.h"

#include <shellapi.h>

#include <cwchar>

#include "core/manager/UIShadow.h"
#include "core/window/WindowImplBase.h"
#include "frame/VersionText.h"
#include "messages/AppMessages.h"
#include "net/ApiRequests.h"
#include "startup/PaneWaits.h"
#include "util/ProcessUtil.h"

using namespace UiLib;

namespace {

constexpr DWORD kDialogStyle = 0x90CF0000;  // WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW

// What a dialog does on a click of one of its controls.
enum class Action { None, Close, CloseWith, RetryConnect, Report, ProbeNetwork };

struct ButtonAction {
    const wchar_t* name;  // compared without regard to case
    Action action;
    UINT code;  // the close code of CloseWith
};

struct DialogKind {
    const wchar_t* className;
    const wchar_t* title;
    const wchar_t* skinFolder;  // used when the program set no resource folder
    const wchar_t* skinFile;
    bool noMaximizeBox;
    const ButtonAction* buttons;
    size_t buttonCount;
};

constexpr ButtonAction kConnectFailButtons[] = {{L"BtnClose", Action::Close, 1},
                                                {L"BtnConnectRetry", Action::RetryConnect, 1},
                                                {L"BtnReport", Action::Report, 0}};
constexpr ButtonAction kOfflineButtons[] = {{L"BtnClose", Action::Close, 1}, {L"BtnRetry", Action::RetryConnect, 1}};
constexpr ButtonAction kApplyRomButtons[] = {{L"btnClose", Action::CloseWith, 1},
                                             {L"btnRom", Action::CloseWith, 2},
                                             {L"btnMust", Action::CloseWith, 3},
                                             {L"btnUrl", Action::CloseWith, 4}};
constexpr ButtonAction kCloseOnly[] = {{L"BtnClose", Action::Close, 1}};
constexpr ButtonAction kNetButtons[] = {{L"BtnYes", Action::Close, 1},
                                        {L"BtnClose", Action::Close, 1},
                                        {L"BtnRetry", Action::ProbeNetwork, 1}};

template <size_t N>
constexpr DialogKind Kind(const wchar_t* cls, const wchar_t* title, const wchar_t* folder, const wchar_t* file,
                          bool noMax, const ButtonAction (&buttons)[N]) {
    return {cls, title, folder, file, noMax, buttons, N};
}

const DialogKind kConnectFail = Kind(L"ConnectFailDialog", L"ConnectFailDialog", L"skin\\", L"ConnectFail.xml", true,
                                     kConnectFailButtons);
const DialogKind kPhoneOffline = Kind(L"PhoneOffline", L"OffLine", L"", L"PhoneOffline.xml", false, kOfflineButtons);
const DialogKind kApplyRom = Kind(L"ApplyPhoneRom", L"ApplyPhoneRom", L"", L"ApplyRom.xml", false, kApplyRomButtons);
const DialogKind kBrushVersion = Kind(L"CBrushVersion", L"BrushVersion", L"", L"BrushVersion.xml", true, kCloseOnly);
const DialogKind kNetConnect = Kind(L"ConnectFailDialog", L"NetFail", L"", L"NetConnect.xml", false, kNetButtons);
const DialogKind kAuthorize = Kind(L"AuthorlizeClass", L"AutolizeDlg", L"skin", L"PhoneStatus\\AuthorlizeDlg.xml",
                                   false, kCloseOnly);

// One small dialog: its skin, its buttons, the window shadow, and the main
// window its retry buttons hand the work back to.
class StateDialog : public WindowImplBase {
public:
    StateDialog(const DialogKind& kind, HWND mainWindow) : kind_(kind), mainWindow_(mainWindow) {}

    const wchar_t* GetWindowClassName() const override { return kind_.className; }
    void OnFinalMessage(HWND) override {}

    void Notify(TNotifyUI& msg) override {
        if (msg.sType == L"windowinit") {
            OnInit();
        } else if (msg.sType == L"click" && msg.pSender) {
            const CUiString name = msg.pSender->GetName();
            for (size_t i = 0; i < kind_.buttonCount; ++i)
                if (_wcsicmp(name.GetData(), kind_.buttons[i].name) == 0) {
                    OnAction(kind_.buttons[i]);
                    break;
                }
        }
        WindowImplBase::Notify(msg);
    }

    UINT RunModal() {
        if (!Create(mainWindow_, kind_.title, kDialogStyle, 0, 0, 0, 0, 0)) return 0;
        CenterWindow();
        return ShowModal();
    }

protected:
    virtual void OnInitText() {}
    CControlUI* Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }
    CUiString GetSkinDirectory() override {
        return kind_.skinFolder[0] ? CPaintManagerUI::GetInstancePath() + kind_.skinFolder : CUiString();
    }
    CUiString GetSkinFileName() override { return kind_.skinFile; }

private:
    void OnInit() {
        CShadowUI::Initialize(CPaintManagerUI::GetInstance());
        shadow_.ShowShadow(true);
        shadow_.SetSize(4);
        shadow_.SetPosition(0, 0);
        shadow_.SetColor(0x666666);
        shadow_.SetDarkness(150);
        shadow_.SetSharpness(5);
        shadow_.Create(&m_PaintManager);
        if (kind_.noMaximizeBox)
            SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
        OnInitText();
    }

    void OnAction(const ButtonAction& button) {
        switch (button.action) {
            case Action::Close:
            case Action::CloseWith:
                if (IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, button.code, 0);
                break;
            case Action::RetryConnect:
                ::PostMessageW(mainWindow_, appmsg::kRetryConnect, 1, 0);
                Close(1);
                break;
            case Action::Report:
                ShellExecuteW(nullptr, L"open", ApiSiteUrl("/help/fankui/").c_str(), nullptr, nullptr, SW_SHOW);
                break;
            case Action::ProbeNetwork:
                if (NetworkReachable()) Close(1);
                break;
            case Action::None:
                break;
        }
    }

    const DialogKind& kind_;
    HWND mainWindow_;
    CShadowUI shadow_;
};

class CApplyPhoneRom : public StateDialog {
public:
    CApplyPhoneRom(HWND mainWindow, std::wstring model) : StateDialog(kApplyRom, mainWindow), model_(std::move(model)) {}

protected:
    void OnInitText() override {
        if (CControlUI* label = Find(L"ApplyRomphoneModel")) {
            const std::wstring text = L"手机" + model_ + L" 申请成功！";
            label->SetText(text.c_str());
            label->SetToolTip(text.c_str());
        }
    }

private:
    std::wstring model_;
};

class CBrushVersion : public StateDialog {
public:
    explicit CBrushVersion(HWND mainWindow) : StateDialog(kBrushVersion, mainWindow) {}

protected:
    void OnInitText() override {
        // The caption shows even without a recorded version.
        const std::wstring version = ReadInstalledVersion(GetModuleFolderW() + L"\\autoupdate\\curjson");
        if (CControlUI* label = Find(L"LaVerDetail"))
            label->SetText(version.empty() ? L"版本号: V" : VersionCaption(version).c_str());
    }
};

// Lives past its creator's call: freed when its window is gone.
class CAuthorizeDlg : public StateDialog {
public:
    explicit CAuthorizeDlg(HWND mainWindow) : StateDialog(kAuthorize, mainWindow) {}
    void OnFinalMessage(HWND hWnd) override {
        StateDialog::OnFinalMessage(hWnd);
        delete this;
    }
};

}  // namespace

void ShowConnectFail(HWND mainWindow) { StateDialog(kConnectFail, mainWindow).RunModal(); }

void ShowPhoneOffline(HWND mainWindow) { StateDialog(kPhoneOffline, mainWindow).RunModal(); }

UINT ShowApplyPhoneRom(HWND mainWindow, const std::wstring& model) {
    return CApplyPhoneRom(mainWindow, model).RunModal();
}

void ShowBrushVersion(HWND mainWindow) { CBrushVersion(mainWindow).RunModal(); }

UINT ShowNetConnectErr(HWND mainWindow) { return StateDialog(kNetConnect, mainWindow).RunModal(); }

void ShowAuthorizeDlg(HWND mainWindow) {
    if (HWND open = FindWindowW(kAuthorize.className, kAuthorize.title)) {
        ::ShowWindow(open, SW_SHOWNORMAL);
        SetForegroundWindow(open);
        return;
    }
    auto* dialog = new CAuthorizeDlg(mainWindow);
    // A window that failed half-way was destroyed, and that freed the dialog.
    if (!dialog->Create(mainWindow, kAuthorize.title, kDialogStyle, 0, 0, 0, 0, 0)) return;
    dialog->CenterWindow();
    if (IsWindow(dialog->GetHWND())) dialog->ShowWindow(true, true);
}
