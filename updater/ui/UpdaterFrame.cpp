#include "ui/UpdaterFrame.h"

#include "controls/UILabel.h"
#include "controls/UITabLayout.h"
#include "core/MainProgram.h"
#include "core/PackageCheck.h"
#include "core/RefusalDay.h"
#include "core/UpdateCheck.h"
#include "core/VersionFiles.h"
#include "core/manager/UIScrollBar.h"
#include "ui/FakeProgressUI.h"
#include "ui/InfoListUI.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

const wchar_t kFailedText[] = L"\x5347\x7EA7\x5931\x8D25\xFF0C\x5DF2\x6062\x590D\x539F\x6709\x6587\x4EF6";  // 升级失败，已恢复原有文件
const wchar_t kFailedTitle[] = L"\x5347\x7EA7\x5931\x8D25";  // 升级失败

}  // namespace

CUpdaterFrame::CUpdaterFrame(UpdateDialogValues values) : values_(std::move(values)) {}

CUpdaterFrame::~CUpdaterFrame() {
    if (applyThread_.joinable()) applyThread_.join();
}

const wchar_t* CUpdaterFrame::GetResourceID() const {
    return MAKEINTRESOURCEW(values_.flavour.skinResourceId);
}

CControlUI* CUpdaterFrame::Find(const wchar_t* name) const { return m_PaintManager.FindControl(name); }

CControlUI* CUpdaterFrame::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"InfoList") == 0) {
        auto* list = new CInfoListUI;
        list->SetAttribute(L"header", L"hidden");
        list->SetAttribute(L"vscrollbar", L"true");
        if (CScrollBarUI* bar = list->GetVerticalScrollBar()) {
            bar->SetShowButton1(false);
            bar->SetShowButton2(false);
            bar->SetFixedWidth(10);
        }
        changeList_ = list;
        return list;
    }
    if (_wcsicmp(className, L"SmoothProgress") == 0) {
        progress_ = new CFakeProgressUI;
        return progress_;
    }
    return nullptr;
}

LRESULT CUpdaterFrame::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_NCLBUTTONDBLCLK:
        return 0;
    case kProgressMessage:
        ShowProgress(static_cast<int>(wParam));
        return 0;
    case kFinishedMessage:
        ShowResult(static_cast<ApplyResult>(wParam));
        return 0;
    default:
        return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    }
}

LRESULT CUpdaterFrame::OnSysCommand(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        // While files are being replaced the update runs to its end.
        if (!applying_) Quit();
        bHandled = TRUE;
        return 0;
    }
    return WindowImplBase::OnSysCommand(uMsg, wParam, lParam, bHandled);
}

void CUpdaterFrame::Quit() {
    ShowWindow(false, false);
    ::PostMessageW(m_hWnd, WM_QUIT, 0, 0);
}

void CUpdaterFrame::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") {
        OnWindowInit();
    } else if (msg.sType == L"click" && msg.pSender) {
        const CUiString name = msg.pSender->GetName();
        if (name.CompareNoCase(L"Ok") == 0) {
            StartUpdate();
        } else if (name.CompareNoCase(L"Cancel") == 0 || name.CompareNoCase(L"Close1") == 0) {
            if (applying_) return;
            RecordDeclineToday(values_.request.paths.dayFile);
            Quit();
        } else if (name.CompareNoCase(L"Done") == 0) {
            RestartMainProgram(values_.request.paths.base, values_.flavour);
            Quit();
        } else if (name.CompareNoCase(L"Close3") == 0) {
            Quit();
        }
    }
    WindowImplBase::Notify(msg);
}

void CUpdaterFrame::OnWindowInit() {
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_MAXIMIZEBOX));
    const std::wstring version =
        values_.request.version.empty() ? L"V 2.2.0 " : L"V " + AnsiToWide(values_.request.version);
    if (CControlUI* tag = Find(L"VerTag1")) tag->SetText(version.c_str());
    if (CControlUI* tag = Find(L"VerTag3")) tag->SetText(version.c_str());
    FillChangeList();
    if (values_.automatic) StartUpdate();
}

void CUpdaterFrame::FillChangeList() {
    if (!changeList_) return;
    const std::wstring section = AnsiToWide(values_.request.version);
    const std::wstring& file = values_.request.paths.versionIni;
    const int count = static_cast<int>(GetPrivateProfileIntW(section.c_str(), L"count", 0, file.c_str()));
    for (int i = 1; i <= count && i <= 1000; ++i) {
        wchar_t line[260] = {};
        GetPrivateProfileStringW(section.c_str(), std::to_wstring(i).c_str(), L"", line, 260, file.c_str());
        changeList_->AddChange(line);
    }
}

void CUpdaterFrame::StartUpdate() {
    if (applying_ || finished_) return;
    UpdaterTrace(L" \x5F00\x59CB\x5347\x7EA7 ");
    applying_ = true;
    for (const wchar_t* name : {L"Ok", L"Cancel"})
        if (CControlUI* button = Find(name)) button->SetVisible(false);
    if (CControlUI* close = Find(L"Close1")) close->SetEnabled(false);
    if (CControlUI* layout = Find(L"ProgressLayout")) layout->SetVisible(true);
    if (progress_) {
        progressMaximum_ = progress_->GetMaxValue();
        progress_->Start();
    }
    if (changeList_) changeList_->StartTicking();
    // The package is checked before the main program is closed for it.
    if (!PackageAcceptable(values_.request.paths.package)) {
        UpdaterTrace(L" package refused: " + values_.request.paths.package);
        RememberRefusedOffer(values_.request.paths, values_.offer);
        ::PostMessageW(m_hWnd, kFinishedMessage, static_cast<WPARAM>(ApplyResult::Failed), 0);
        return;
    }
    CloseMainProgram(values_.flavour);
    applyThread_ = std::thread([this] { RunApply(); });
}

// The apply thread: replaces the files, then reports. It talks to the dialog
// only by posted messages; the controls belong to the UI thread.
void CUpdaterFrame::RunApply() {
    InstallReportValues report = values_.report;
    report.installedVersion = InstalledVersionName(values_.request.paths.curjson);
    report.offeredVersion = values_.request.version;
    const ApplyResult result = ApplyUpdate(values_.request);
    const int maximum = progressMaximum_;
    for (int step = 1; step <= 10; ++step) {
        Sleep(200);
        ::PostMessageW(m_hWnd, kProgressMessage, static_cast<WPARAM>(step * maximum / 10), 0);
    }
    if (result == ApplyResult::Failed) RememberRefusedOffer(values_.request.paths, values_.offer);
    ::PostMessageW(m_hWnd, kFinishedMessage, static_cast<WPARAM>(result), 0);
    if (result == ApplyResult::Applied || result == ApplyResult::TestRun)
        SendInstallReport(values_.flavour.reportUrls, report);
}

void CUpdaterFrame::ShowProgress(int value) {
    if (progress_ && progress_->GetValue() < value) progress_->SetValue(value);
}

void CUpdaterFrame::ShowResult(ApplyResult result) {
    applying_ = false;
    finished_ = true;
    if (CControlUI* close = Find(L"Close1")) close->SetEnabled(true);
    if (result == ApplyResult::Failed || result == ApplyResult::Busy) {
        // Said plainly: the page must not look like a success.
        if (CControlUI* text = Find(L"ResultText")) text->SetText(kFailedText);
        if (CControlUI* title = Find(L"DoneTitle")) title->SetText(kFailedTitle);
        if (CControlUI* mark = Find(L"DoneMark")) mark->SetVisible(false);
    }
    SelectPage(1);
}

void CUpdaterFrame::SelectPage(int page) {
    auto* tab = static_cast<CTabLayoutUI*>(Find(L"UpdaterTab"));
    if (!tab || !tab->SelectItem(page)) return;
    CControlUI* selected = tab->GetItemAt(page);
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    const int height = selected ? selected->GetFixedHeight() : window.bottom - window.top;
    ::MoveWindow(m_hWnd, window.left, window.top, window.right - window.left, height, TRUE);
}
