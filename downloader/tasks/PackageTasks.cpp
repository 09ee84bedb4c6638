#include "tasks/PackageTasks.h"

#include "engine/SafeFileName.h"
#include "engine/UrlHelpers.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <objbase.h>

#include <cctype>
#include <cstdio>
#include <cstring>

CPackagesTask::CPackagesTask(IPackageTaskObserver* observer)
    : IProgress("downloads\\", false, false, 1), observer_(observer) {}

void CPackagesTask::SetRecord(const PackageRecord& source) {
    record = source;
    url.assign(record.ObjectUrl, BoundedLength(record.ObjectUrl, sizeof record.ObjectUrl));
    std::memset(name, 0, sizeof name);
    CopyToFixedBuffer(std::string_view(record.Name, BoundedLength(record.Name, sizeof record.Name)), name, sizeof name);
    expectedMd5 = Md5FromHash(record.Hash, sizeof record.Hash);
}

void CPackagesTask::OnProgress() {
    if (observer_ != nullptr) observer_->OnPackageProgress(*this);
}

CIconsTask::CIconsTask(const std::string& iconsFolder, bool generated) : IProgress("downloads\\", false, false, 1) {
    folderIsAbsolute = false;
    folder = iconsFolder;
    generatedName = generated;
    if (generated) CopyToFixedBuffer(GenerateGuidName(), name, sizeof name);
}

void CIconsTask::SetOwnerRow(IIconRow* row) {
    std::lock_guard<std::mutex> hold(rowLock_);
    row_ = row;
}

void CIconsTask::DetachRow() { SetOwnerRow(nullptr); }

IIconRow* CIconsTask::OwnerRow() {
    std::lock_guard<std::mutex> hold(rowLock_);
    return row_;
}

std::string CIconsTask::PicturePath() const {
    // The file the engine wrote: the extension from the icon's URL made safe as it did.
    const auto paths = FilePathsOf(folder, name, extension);
    return paths ? paths->target : std::string();
}

void CIconsTask::OnProgress() {
    if (status.load() != 3) return;
    std::lock_guard<std::mutex> hold(rowLock_);
    if (row_ == nullptr) return;
    const std::string path = PicturePath();
    if (!path.empty() && path.size() <= 259) row_->ShowIcon(AnsiToWide(path));
    row_->NotifyIconDone(*this);
}

void IconTaskRegistry::ForgetRow(IIconRow* row) {
    for (auto& task : owned)
        if (task->OwnerRow() == row) task->DetachRow();
    byRow.erase(row);
}

void QueueIconDownload(CQueueMutex& lock, TaskQueue& queue, IIconRow* row, const char* iconUrl, HANDLE* wakeEvent,
                       IconTaskRegistry& registry, const std::string& iconsFolder) {
    if (row == nullptr || iconUrl == nullptr || std::strlen(iconUrl) < 5 || StartsWithBrace(iconUrl)) return;
    if (FileExists(AnsiToWide(iconUrl))) return;
    lock.LockWait();
    auto task = std::make_unique<CIconsTask>(iconsFolder, true);
    task->SetOwnerRow(row);
    task->url = iconUrl;
    task->status = -1;
    queue.push(task.get());
    registry.byRow[row] = task.get();
    registry.owned.push_back(std::move(task));
    lock.Unlock();
    if (wakeEvent != nullptr) SetEvent(*wakeEvent);
}

std::string GenerateGuidName() {
    GUID guid = {};
    CoCreateGuid(&guid);
    char text[64];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

std::string Md5FromHash(const char* hash, size_t capacity) {
    const std::string text(hash, BoundedLength(hash, capacity));
    if (text.size() != 32) return {};
    std::string lower;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}
