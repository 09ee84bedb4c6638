#include "ui/PackagesListUI.h"

#include "core/manager/UIManager.h"
#include "core/manager/UIScrollBar.h"
#include "controls/UIButton.h"
#include "controls/UITabLayout.h"
#include "engine/SafeFileName.h"
#include "engine/UrlHelpers.h"
#include "ui/FakeProgressUI.h"
#include "ui/ListMessages.h"
#include "ui/RowTexts.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <curl/curl.h>

#include <cstring>
#include <filesystem>

using namespace UiLib;

namespace {

const wchar_t kItemSkin[] = L"下载管理-downslistitem.xml";
// Workers post at most this often per task while the status stays the same.
constexpr DWORD kRefreshIntervalMs = 200;
constexpr UINT kResumeTimerId = 1001;
constexpr UINT kResumeCheckMs = 50;

long long FileLength(const std::string& ansiPath) {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::filesystem::path(AnsiToWide(ansiPath)), error);
    return error ? -1 : static_cast<long long>(size);
}

template <size_t N>
std::string FieldText(const char (&field)[N]) {
    return std::string(field, BoundedLength(field, N));
}

}  // namespace

void ListedTask::NotifyIconDone(CIconsTask& icon) {
    if (uiWindow != nullptr) PostMessageW(uiWindow, kIconDoneMessage, reinterpret_cast<WPARAM>(this),
                                          reinterpret_cast<LPARAM>(&icon));
}

CControlUI* CPackagesListUI::RowCallback::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"SmoothProgress") == 0) return new CFakeProgressUI(16, true, true);
    return nullptr;
}

CPackagesListUI::CPackagesListUI(CPaintManagerUI* manager, int workerCount, const std::string& programFolder)
    : manager_(manager), programFolder_(programFolder), database_(AnsiToWide(programFolder)) {
    engineBinding_ = BindDownloadEngine();
    pool_ = std::make_unique<DownloadPool>(workerCount, true);
    char folder[260] = {};
    const std::string settings = programFolder_ + "\\..\\data\\BrushConfig.dat";
    GetPrivateProfileStringA("DownLoadDir", "DownLoadPath", "", folder, sizeof folder, settings.c_str());
    SetDownloadFolder(folder);
    SetAttribute(L"vscrollbar", L"true");
    if (CScrollBarUI* bar = GetVerticalScrollBar()) {
        bar->SetShowButton1(false);
        bar->SetShowButton2(false);
        bar->SetFixedWidth(4);
    }
}

CPackagesListUI::~CPackagesListUI() {
    if (!pendingResumes_.empty() && manager_ != nullptr) manager_->KillTimer(this, kResumeTimerId);
    // Workers first: a transfer in flight is cut off and keeps its partial
    // file. A worker that does not end in time may still touch its task, so
    // then the tasks stay until the process ends.
    if (!pool_->Stop())
        for (auto& task : tasks_) (void)task.release();
    pool_.reset();
}

void CPackagesListUI::SetDownloadFolder(const std::string& folder) {
    const std::string chosen = folder.empty() ? programFolder_ + "\\downloads" : folder;
    CreateFolderTree(AnsiToWide(chosen));
    std::lock_guard<std::mutex> hold(folderLock_);
    downloadFolder_ = chosen;
}

std::string CPackagesListUI::DownloadFolder() const {
    std::lock_guard<std::mutex> hold(folderLock_);
    return downloadFolder_;
}

std::vector<ListedTask*> CPackagesListUI::Tasks() {
    std::lock_guard<std::mutex> hold(tasksLock_);
    std::vector<ListedTask*> all;
    for (auto& task : tasks_) all.push_back(task.get());
    return all;
}

ListedTask* CPackagesListUI::LiveTaskNamed(const std::string& name) const {
    for (const auto& task : tasks_)
        if (task->status.load() != kStatusDeleted && FieldText(task->record.Name) == name) return task.get();
    return nullptr;
}

ListedTask* CPackagesListUI::FindTaskByName(const PackageRecord& record) {
    std::lock_guard<std::mutex> hold(tasksLock_);
    return LiveTaskNamed(FieldText(record.Name));
}

ListedTask* CPackagesListUI::TaskOfControl(CControlUI* control) {
    std::lock_guard<std::mutex> hold(tasksLock_);
    for (; control != nullptr; control = control->GetParent())
        for (auto& task : tasks_)
            if (task->Row() == control) return task.get();
    return nullptr;
}

ListedTask* CPackagesListUI::ListTask(const PackageRecord& record, bool quiet) {
    auto owned = std::make_unique<ListedTask>(this);
    ListedTask* task = owned.get();
    task->SetRecord(record);
    task->folder = DownloadFolder();
    task->folderIsAbsolute = true;
    task->quiet = quiet;
    task->uiWindow = manager_ != nullptr ? manager_->GetPaintWindow() : nullptr;
    task->status = InitialTaskStatus(record);
    std::lock_guard<std::mutex> hold(tasksLock_);
    if (LiveTaskNamed(FieldText(record.Name)) != nullptr) return nullptr;
    tasks_.push_back(std::move(owned));
    return task;
}

ListedTask* CPackagesListUI::AddTask(const PackageRecord& record, bool quiet) {
    ListedTask* task = ListTask(record, quiet);
    if (task == nullptr) return nullptr;
    BuildRow(task);
    if (task->status.load() == kStatusWaiting) pool_->Hand(task);
    return task;
}

ListedTask* CPackagesListUI::AddRequestedTask(const PackageRecord& record) {
    ListedTask* task = ListTask(record, false);
    if (task == nullptr) return nullptr;
    // Saved as it is now: nothing but this thread has seen the task yet.
    PackageRecord saved = task->record;
    SetStatusText(saved, task->status.load());
    database_.SaveSoon(saved);
    if (task->status.load() == kStatusWaiting) pool_->Hand(task);
    return task;
}

std::string CPackagesListUI::ExtensionOf(const ListedTask* task) const {
    if (task->extension[0] != '\0') return FieldText(task->extension);
    const std::string url = FieldText(task->record.ObjectUrl);
    const size_t dot = url.rfind('.');
    return dot == std::string::npos ? std::string() : url.substr(dot, 255);
}

bool CPackagesListUI::BuildRow(ListedTask* task) {
    if (task == nullptr) return false;
    // The file the task had already finished, or the part it had fetched.
    if (task->record.Err[0] != '\0') {
        const std::string extension = ExtensionOf(task);
        std::memset(task->extension, 0, sizeof task->extension);
        CopyToFixedBuffer(extension, task->extension, sizeof task->extension);
        if (const auto paths = FilePathsOf(task->folder, task->name, extension)) {
            long long length = FileLength(paths->target);
            if (length < 0) length = FileLength(paths->partial);
            if (length >= 0) task->now = static_cast<double>(length);
        }
    }
    task->total = static_cast<double>(std::atoll(FieldText(task->record.Size).c_str()));
    if (ParseStatusText(task->record.Type, sizeof task->record.Type, 0) < 0) {
        ApplyRefresh(task);
        return true;  // recovery packages are downloaded without a row
    }
    CControlUI* row = template_.GetMarkup()->IsValid()
                          ? template_.Create(&callback_, manager_)
                          : template_.Create(STRINGorID(kItemSkin), nullptr, &callback_, manager_);
    if (row == nullptr || !Add(row)) {
        delete row;
        ApplyRefresh(task);
        return true;
    }
    task->row = row;
    const std::string png = FieldText(task->record.PngUrl);
    if (CControlUI* icon = manager_->FindSubControlByName(row, L"DownsListItemsIcon")) {
        if (StartsWithBrace(png.c_str()) || (!png.empty() && FileExists(AnsiToWide(png))))
            icon->SetBkImage(AnsiToWide(png).c_str());
        icon->SetToolTip(AnsiToWide(FieldText(task->record.Name)).c_str());
    }
    if (CControlUI* name = manager_->FindSubControlByName(row, L"PackageNameText"))
        name->SetText(AnsiToWide(FieldText(task->record.Name)).c_str());
    ApplyRefresh(task);
    return true;
}

void CPackagesListUI::Filter(bool done, int type) {
    std::lock_guard<std::mutex> hold(tasksLock_);
    for (auto& task : tasks_) {
        CControlUI* row = task->Row();
        if (row == nullptr) continue;
        const int status = task->status.load();
        const bool tabMatches = done ? status == kStatusDone : status != kStatusDone;
        const bool kindMatches = type == kAllTypes || type == ParseStatusText(task->record.Type, sizeof task->record.Type, INT_MIN);
        row->SetVisible(status != kStatusDeleted && tabMatches && kindMatches);
    }
}

void CPackagesListUI::OnPackageProgress(CPackagesTask& engineTask) {
    auto& task = static_cast<ListedTask&>(engineTask);
    const int status = task.status.load();
    // Progress reports come from inside the transfer, on its own thread: the
    // one place its handle may be asked for the speed.
    if (void* transfer = task.transfer.load()) {
        double speed = 0;
        if (curl_easy_getinfo(static_cast<CURL*>(transfer), CURLINFO_SPEED_DOWNLOAD, &speed) == CURLE_OK)
            task.speed = speed;
    }
    const DWORD now = GetTickCount();
    const bool changed = task.postedStatus.exchange(status) != status;
    if (!changed && now - task.lastPostTick.load() < kRefreshIntervalMs) return;
    // One refresh in flight per task is enough: it reads the latest state.
    if (task.refreshPosted.exchange(true)) return;
    task.lastPostTick = now;
    if (task.uiWindow == nullptr ||
        !PostMessageW(task.uiWindow, kRefreshTaskMessage, reinterpret_cast<WPARAM>(&task), 0))
        task.refreshPosted = false;
}

bool CPackagesListUI::HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRefreshTaskMessage) {
        ApplyRefresh(reinterpret_cast<ListedTask*>(wParam));
        return true;
    }
    if (message == kIconDoneMessage) {
        ApplyIcon(reinterpret_cast<ListedTask*>(wParam), reinterpret_cast<CIconsTask*>(lParam));
        return true;
    }
    return false;
}

void CPackagesListUI::ApplyRefresh(ListedTask* task) {
    task->refreshPosted = false;
    const int status = task->status.load();
    SetStatusText(task->record, status);
    if (status == kStatusDeleted || task->Row() == nullptr) return;
    ApplyRowTexts(task, status);
    if (task->quiet) {
        // A task restored from the database reports nothing at its first refresh.
        task->quiet = false;
        task->shownStatus = status;
        return;
    }
    if ((status == kStatusDone || status == kStatusFailed) && task->shownStatus != status) {
        task->shownStatus = status;
        ReportEnd(task, status);
    }
    task->shownStatus = status;
}

void CPackagesListUI::ApplyRowTexts(ListedTask* task, int status) {
    CControlUI* row = task->Row();
    const double now = task->now.load();
    const double total = task->total.load();
    if (CControlUI* size = manager_->FindSubControlByName(row, L"DownloadedsizeText"))
        size->SetText(status == kStatusDone ? L"" : SizeText(now, total).c_str());
    if (CControlUI* speed = manager_->FindSubControlByName(row, L"DownloadingspeedText")) {
        if (status == kStatusDone) {
            speed->SetVisible(false);
        } else if (status == kStatusDownloading && task->transfer.load() != nullptr) {
            speed->SetVisible(true);
            speed->SetText(SpeedText(task->speed.load()).c_str());
        } else {
            speed->SetText(L"");
        }
    }
    if (const wchar_t* text = StatusText(status))
        if (CControlUI* line = manager_->FindSubControlByName(row, L"DownloadingstatusText")) line->SetText(text);
    if (CControlUI* progress = manager_->FindSubControlByName(row, L"DownloadProgress")) {
        auto* bar = static_cast<CProgressUI*>(progress->GetInterface(L"Progress"));
        if (bar != nullptr) {
            const int percent = total > 0 ? static_cast<int>(now * 100.0 / total) : 0;
            bar->SetValue(status == kStatusDone ? bar->GetMaxValue() : percent);
        }
    }
    if (status != kStatusDone) {
        if (CControlUI* button = manager_->FindSubControlByName(row, L"StatusControlButton")) {
            const StatusButtonImages images = StatusButtonImagesFor(status);
            button->SetAttribute(L"normalimage", images.normal);
            button->SetAttribute(L"hotimage", images.hot);
            button->SetAttribute(L"pushedimage", images.pushed);
        }
        return;
    }
    if (CControlUI* layout = manager_->FindSubControlByName(row, L"ButtonLayout"))
        if (auto* tabs = static_cast<CTabLayoutUI*>(layout->GetInterface(L"TabLayout"))) tabs->SelectItem(1);
    const wchar_t* normal = nullptr;
    const wchar_t* hot = nullptr;
    if (InstallButtonImagesFor(ParseStatusText(task->record.Type, sizeof task->record.Type, INT_MIN), normal, hot))
        if (CControlUI* install = manager_->FindSubControlByName(row, L"InstallButton")) {
            install->SetAttribute(L"normalimage", normal);
            install->SetAttribute(L"hotimage", hot);
        }
}

void CPackagesListUI::ReportEnd(ListedTask* task, int status) {
    const auto paths = FilePathsOf(task->folder, task->name, FieldText(task->extension));
    if (status == kStatusDone && paths) {
        const std::string& path = paths->target;
        std::memset(task->record.ObjectUrl, 0, sizeof task->record.ObjectUrl);
        CopyToFixedBuffer(path, task->record.ObjectUrl, sizeof task->record.ObjectUrl);
        // The file's own length is the truth, also when it was on disk already.
        const long long length = FileLength(path);
        const std::string size = DoneSizeText(length >= 0 ? static_cast<double>(length) : task->total.load());
        std::memset(task->record.Size, 0, sizeof task->record.Size);
        CopyToFixedBuffer(size, task->record.Size, sizeof task->record.Size);
    }
    manager_->SendNotify(nullptr, status == kStatusDone ? L"packagedown_done" : L"packagedown_error",
                         reinterpret_cast<WPARAM>(task));
    SendPackageRecord(FindWindowW(L"UIMainFrame", L"Kovi刷机"), task->record);
}

void CPackagesListUI::ApplyIcon(ListedTask* task, CIconsTask* icon) {
    if (task == nullptr || icon == nullptr || icon->OwnerRow() != task || task->Row() == nullptr) return;
    const std::string path = icon->PicturePath();
    if (path.empty() || path.size() > 259) return;
    std::memset(task->record.PngUrl, 0, sizeof task->record.PngUrl);
    CopyToFixedBuffer(path, task->record.PngUrl, sizeof task->record.PngUrl);
    if (CControlUI* control = manager_->FindSubControlByName(task->Row(), L"DownsListItemsIcon"))
        control->SetBkImage(AnsiToWide(path).c_str());
    manager_->SendNotify(nullptr, L"icondown_done", reinterpret_cast<WPARAM>(task));
}

void CPackagesListUI::Pause(ListedTask* task) {
    int expected = kStatusDownloading;
    if (task->status.compare_exchange_strong(expected, kStatusPaused)) ApplyRefresh(task);
}

void CPackagesListUI::Resume(ListedTask* task) {
    // Waiting again: a transfer still running sees it at its next progress
    // report and ends; only then may a worker take the task.
    task->status = kStatusWaiting;
    ApplyRefresh(task);
    if (task->transfer.load() == nullptr) {
        pool_->Hand(task);
        return;
    }
    pendingResumes_.push_back(task);
    if (manager_ != nullptr) manager_->SetTimer(this, kResumeTimerId, kResumeCheckMs);
}

void CPackagesListUI::DoEvent(TEventUI& event) {
    if (event.Type != UIEVENT_TIMER || event.wParam != kResumeTimerId) {
        CListUI::DoEvent(event);
        return;
    }
    for (auto it = pendingResumes_.begin(); it != pendingResumes_.end();) {
        ListedTask* task = *it;
        if (task->transfer.load() != nullptr) {
            ++it;
            continue;
        }
        if (task->status.load() == kStatusWaiting) pool_->Hand(task);
        it = pendingResumes_.erase(it);
    }
    if (pendingResumes_.empty()) manager_->KillTimer(this, kResumeTimerId);
}

void CPackagesListUI::Delete(ListedTask* task) {
    task->status = kStatusDeleted;
    SetStatusText(task->record, kStatusDeleted);
    Save(task);
    if (CControlUI* row = task->Row()) {
        std::lock_guard<std::mutex> hold(tasksLock_);
        task->row = nullptr;
        Remove(row);
    }
    RemovePartialFile(task);
}

void CPackagesListUI::RemovePartialFile(ListedTask* task) {
    // A worker may still hold the file open (it shares deletion): move it
    // aside first so a new task of the same name starts from a free path.
    const auto paths = FilePathsOf(task->folder, task->name, ExtensionOf(task));
    if (!paths) return;
    RemoveFileEvenIfReadOnly(AnsiToWide(paths->validator));
    const std::wstring partial = AnsiToWide(paths->partial);
    if (!FileExists(partial)) return;
    const std::wstring aside = partial + L"." + std::to_wstring(GetTickCount()) + L".deleted";
    if (MoveFileExW(partial.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING))
        RemoveFileEvenIfReadOnly(aside);
    else
        RemoveFileEvenIfReadOnly(partial);
}

void CPackagesListUI::Save(ListedTask* task) {
    SetStatusText(task->record, task->status.load());
    database_.SaveTask(task->record);
}

std::vector<ListedTask*> CPackagesListUI::LoadTasks() {
    std::vector<ListedTask*> restored;
    for (const PackageRecord& record : database_.LoadTasks()) {
        ListedTask* task = AddTask(record, true);
        if (task != nullptr) restored.push_back(task);
    }
    return restored;
}
