// The two kinds of task the engine runs for the downloader: a package of the
// download list, and the icon picture of one list row. The list and its rows
// are reached only through the small interfaces below, which the window
// implements.
#pragma once

#include "engine/Downloader.h"
#include "record/PackageRecord.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CPackagesTask;
class CIconsTask;

// The download list's side of a package task: told on the worker's thread
// about progress, completion and failure.
class IPackageTaskObserver {
public:
    virtual void OnPackageProgress(CPackagesTask& task) = 0;

protected:
    ~IPackageTaskObserver() = default;
};

// One row of the download list, as an icon task sees it.
class IIconRow {
public:
    virtual void ShowIcon(const std::wstring& path) = 0;       // the row's icon picture
    virtual void NotifyIconDone(CIconsTask& task) = 0;         // "icondown_done" to the window

protected:
    ~IIconRow() = default;
};

class CPackagesTask : public IProgress {
public:
    explicit CPackagesTask(IPackageTaskObserver* observer = nullptr);

    // Takes the record: URL from ObjectUrl, file name from Name, the MD5 to
    // check from Hash when it holds one.
    void SetRecord(const PackageRecord& source);
    void OnProgress() override;

    PackageRecord record{};
    void* row = nullptr;  // the list's row, null once it is gone
    bool quiet = false;
    int refreshCounters[2] = {};

private:
    IPackageTaskObserver* observer_;
};

class CIconsTask : public IProgress {
public:
    CIconsTask(const std::string& iconsFolder, bool generatedName);

    // Completion shows the picture in the owner row and notifies the window;
    // after DetachRow it does nothing. DetachRow waits for a completion that
    // is running, so the row may be freed as soon as it returns.
    void SetOwnerRow(IIconRow* row);
    void DetachRow();
    IIconRow* OwnerRow();
    void OnProgress() override;

    // Path of the fetched picture: "<folder>\<name><ext>".
    std::string PicturePath() const;

private:
    std::mutex rowLock_;
    IIconRow* row_ = nullptr;
};

// Icon tasks by row, and every icon task ever made (freed with the window).
struct IconTaskRegistry {
    std::map<IIconRow*, CIconsTask*> byRow;
    std::vector<std::unique_ptr<CIconsTask>> owned;
    // Detaches every icon task of the row (call before the row is freed).
    void ForgetRow(IIconRow* row);
};

// Queues the icon of a row on the icon pool, unless the reference is empty,
// shorter than 5 characters, a generated local name, or an existing file.
void QueueIconDownload(CQueueMutex& lock, TaskQueue& queue, IIconRow* row, const char* iconUrl, HANDLE* wakeEvent,
                       IconTaskRegistry& registry, const std::string& iconsFolder);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" from a fresh GUID.
std::string GenerateGuidName();

// The lower-case hex MD5 a Hash field holds, or "" when it holds none.
std::string Md5FromHash(const char* hash, size_t capacity);
