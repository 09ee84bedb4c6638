#include "ui/DownloadersFrame.h"

#include "controls/UIOption.h"
#include "core/manager/UIManager.h"
#include "ui/InstallTip.h"
#include "ui/ListMessages.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <shellapi.h>

#include <cstring>

using namespace UiLib;

namespace {

const wchar_t* const kOptionNames[5] = {L"Download_ing", L"Download_ed", L"rom", L"app", L"game"};
// Where each option sits in that list; the kinds follow in Type order.
constexpr int kTabUnfinished = 0;
constexpr int kTabDone = 1;
constexpr int kFirstKind = 2;
constexpr int kPackageWorkers = 11;

HWND FindMainWindow() { return FindWindowW(L"UIMainFrame", L"Kovi刷机"); }

template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, BoundedLength(field, N));
}

}  // namespace

CDownloadersFrame::CDownloadersFrame(const std::string& programFolder)
    : programFolder_(programFolder),
      iconsFolder_(programFolder + "\\icons\\"),
      markerPath_(programFolder + "\\flagnofollowdeath") {
    requestThread_ = std::thread([this] { ServeRequests(); });
}

CDownloadersFrame::~CDownloadersFrame() {
    StopRequestThread();
    ReleaseIconWorker();
}

bool CDownloadersFrame::MarkerPresent() const { return FileExists(AnsiToWide(markerPath_)); }

CControlUI* CDownloadersFrame::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"PackageList") != 0) return nullptr;
    list_ = new CPackagesListUI(&m_PaintManager, kPackageWorkers, programFolder_);
    return list_;
}

void CDownloadersFrame::StopRequestThread() {
    {
        std::lock_guard<std::mutex> hold(requestsLock_);
        stopping_ = true;
    }
    requestsReady_.notify_all();
    if (requestThread_.joinable()) requestThread_.join();
}

void CDownloadersFrame::ReleaseIconWorker() {
    // Closing and destroying both come here; the second call finds nothing.
    iconPool_.reset();
}

void CDownloadersFrame::ServeRequests() {
    for (;;) {
        PackageRecord record;
        {
            std::unique_lock<std::mutex> hold(requestsLock_);
            requestsReady_.wait(hold, [this] { return stopping_ || (initialised_.load() && !requests_.empty()); });
            if (stopping_) return;
            record = requests_.front();
            requests_.pop_front();
        }
        // A new package starts downloading from here at once; rows are the
        // UI thread's, so the window builds its row and serves every other
        // request.
        ListedTask* added = list_ != nullptr ? list_->AddRequestedTask(record) : nullptr;
        if (added != nullptr) {
            ::PostMessageW(m_hWnd, kShowNewTaskMessage, 0, reinterpret_cast<LPARAM>(added));
        } else {
            auto* copy = new PackageRecord(record);
            if (!::PostMessageW(m_hWnd, kServeRequestMessage, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
        }
        Sleep(20);
    }
}

void CDownloadersFrame::ShowNewTask(ListedTask* task) {
    if (list_ == nullptr || task == nullptr) return;
    list_->ShowRequestedTask(task);
    ShowFilter(false, kAllTypes);
    if (iconPool_)
        QueueIconDownload(iconPool_->Lock(), iconPool_->Queue(), task, task->record.PngUrl, nullptr, iconTasks_,
                          iconsFolder_);
    if (iconPool_) SetEvent(iconPool_->WakeEvent());
}

void CDownloadersFrame::ServeRequest(const PackageRecord& record) {
    if (list_ == nullptr) return;
    ListedTask* task = list_->FindTaskByName(record);
    if (task == nullptr) {
        // The task the request thread found is gone since.
        ShowNewTask(list_->AddRequestedTask(record));
        return;
    }
    const int status = task->status.load();
    if (status == kStatusDone) {
        ShowFilter(true, kAllTypes);
        return;
    }
    ShowFilter(false, kAllTypes);
    if (status == kStatusPaused || status == kStatusFailed) list_->Resume(task);
}

void CDownloadersFrame::ShowFilter(bool done, int type) {
    // The options show the filter: the tab of done or unfinished tasks, and
    // the kind only while one kind is shown.
    if (COptionUI* tab = options_[done ? kTabDone : kTabUnfinished]) tab->SetSelected(true);
    for (int kind = 0; kind < 3; ++kind)
        if (options_[kFirstKind + kind] != nullptr) options_[kFirstKind + kind]->SetSelected(kind == type);
    if (list_ != nullptr) list_->Filter(done, type);
}

void CDownloadersFrame::OnWindowInit() {
    for (int i = 0; i < 5; ++i)
        options_[i] = static_cast<COptionUI*>(m_PaintManager.FindControl(kOptionNames[i]));
    if (!iconPool_) iconPool_ = std::make_unique<DownloadPool>(1, false);
    if (list_ != nullptr)
        for (ListedTask* task : list_->LoadTasks())
            QueueIconDownload(iconPool_->Lock(), iconPool_->Queue(), task, task->record.PngUrl, nullptr, iconTasks_,
                              iconsFolder_);
    SetEvent(iconPool_->WakeEvent());
    ShowFilter(false, kAllTypes);
    {
        std::lock_guard<std::mutex> hold(requestsLock_);
        initialised_ = true;
    }
    requestsReady_.notify_all();
}

void CDownloadersFrame::OnCopyData(WPARAM wParam, const COPYDATASTRUCT* data) {
    if (wParam == kDownloadDirMessage) {
        const std::string folder = ReceiveDownloadFolder(data);
        if (list_ != nullptr && !folder.empty()) list_->SetDownloadFolder(folder);
        return;
    }
    PackageRecord record;
    if (!ReceivePackageRecord(data, record)) return;
    {
        std::lock_guard<std::mutex> hold(requestsLock_);
        requests_.push_back(record);
    }
    requestsReady_.notify_all();
    Sleep(20);
    ShowWindow(true, true);
}

LRESULT CDownloadersFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCLBUTTONDBLCLK) return 0;  // a double click on the caption does nothing
    if (list_ != nullptr && list_->HandleListMessage(message, wParam, lParam)) return 0;
    if (message == kServeRequestMessage) {
        std::unique_ptr<PackageRecord> record(reinterpret_cast<PackageRecord*>(lParam));
        if (record) ServeRequest(*record);
        return 0;
    }
    if (message == kShowNewTaskMessage) {
        ShowNewTask(reinterpret_cast<ListedTask*>(lParam));
        return 0;
    }
    const LRESULT result = WindowImplBase::HandleMessage(message, wParam, lParam);
    switch (message) {
        case WM_COPYDATA:
            OnCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return TRUE;
        case WM_CLOSE:
        case WM_DESTROY:
            // The list goes with the window: the request thread, which adds
            // tasks to it, ends first.
            if (message == WM_DESTROY) StopRequestThread();
            ReleaseIconWorker();
            PostQuitMessage(0);
            break;
        default:
            break;
    }
    return result;
}

LRESULT CDownloadersFrame::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        ShowWindow(false, false);
        PostQuitMessage(0);
        return 0;
    }
    return WindowImplBase::OnSysCommand(message, wParam, lParam, handled);
}

LRESULT CDownloadersFrame::OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (pinned_.load() || MarkerPresent()) return WindowImplBase::OnKillFocus(message, wParam, lParam, handled);
    if (FindMainWindow() != nullptr) ShowWindow(false, false);
    return 0;
}

void CDownloadersFrame::Notify(TNotifyUI& msg) {
    const CUiString& type = msg.sType;
    if (type == L"windowinit") {
        OnWindowInit();
    } else if (type == L"click" && msg.pSender != nullptr) {
        const CUiString name = msg.pSender->GetName();
        if (name == L"CloseButton") {
            pinned_ = false;
            ShowWindow(false, false);
            if (MarkerPresent()) ::PostMessageW(m_hWnd, WM_DESTROY, 0, 0);
        } else if (name == L"Download_ing") {
            ShowFilter(false, kAllTypes);
        } else if (name == L"Download_ed") {
            ShowFilter(true, kAllTypes);
        } else if (name == L"rom" || name == L"app" || name == L"game") {
            ShowFilter(true, name == L"rom" ? 0 : name == L"app" ? 1 : 2);
        } else {
            OnRowButton(name, msg.pSender);
        }
    } else if (type == L"icondown_done") {
        if (list_ != nullptr) list_->Save(reinterpret_cast<ListedTask*>(msg.wParam));
    } else if (type == L"packagedown_error") {
        if (list_ != nullptr) list_->Save(reinterpret_cast<ListedTask*>(msg.wParam));
    } else if (type == L"packagedown_done") {
        OnPackageDone(reinterpret_cast<ListedTask*>(msg.wParam));
    }
    WindowImplBase::Notify(msg);
}

void CDownloadersFrame::OnRowButton(const CUiString& name, CControlUI* sender) {
    if (list_ == nullptr) return;
    if (name != L"DeleteButton" && name != L"StatusControlButton" && name != L"InstallButton") return;
    ListedTask* task = list_->TaskOfControl(sender);
    if (task == nullptr) return;
    if (name == L"DeleteButton") {
        iconTasks_.ForgetRow(task);
        list_->Delete(task);
    } else if (name == L"StatusControlButton") {
        OnStatusButton(task);
    } else {
        OnInstallButton(task);
    }
}

void CDownloadersFrame::OnStatusButton(ListedTask* task) {
    switch (task->status.load()) {
        case kStatusDownloading:
            list_->Pause(task);
            break;
        case kStatusPaused:
        case kStatusFailed:
        case kStatusRestartable:
            list_->Resume(task);
            break;
        case kStatusDone: {
            const std::string path = FieldText(task->record.ObjectUrl);
            if (FileExists(AnsiToWide(path))) {
                const std::wstring arguments = L"/select, " + AnsiToWide(path);
                ShellExecuteW(nullptr, L"open", L"Explorer.exe", arguments.c_str(), nullptr, SW_SHOWDEFAULT);
            } else {
                const size_t slash = path.rfind('\\');
                const std::wstring folder = AnsiToWide(slash == std::string::npos ? path : path.substr(0, slash));
                ShellExecuteW(nullptr, L"Open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            }
            break;
        }
        default:
            break;  // waiting or deleted: nothing to do
    }
}

void CDownloadersFrame::OnInstallButton(ListedTask* task) {
    if (task->status.load() != kStatusDone) return;
    const PackageRecord request = MakeInstallRequest(task->record);
    if (!FileExists(AnsiToWide(FieldText(task->record.ObjectUrl)))) {
        ShowTip(L"文件已被移动或删除！");
        return;
    }
    if (ParseStatusText(task->record.Type, sizeof task->record.Type, 0) != 0) ShowTip(L"请注意查看手机确认安装！");
    SendPackageRecord(FindMainWindow(), request);
}

void CDownloadersFrame::ShowTip(const wchar_t* text) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    ShowInstallTip(m_hWnd, cursor.x - 30, cursor.y - 52, text);
}

void CDownloadersFrame::OnPackageDone(ListedTask* task) {
    if (list_ == nullptr || task == nullptr) return;
    ShowFilter(true, kAllTypes);
    const int type = ParseStatusText(task->record.Type, sizeof task->record.Type, INT_MIN);
    if (type < 0 || type > 2) return;
    if (type == 0) {
        pinned_ = true;
        ShowWindow(true, true);
        ShowFilter(true, 0);
    }
    list_->Save(task);
}
