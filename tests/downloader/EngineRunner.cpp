// A minimal downloader without a window, for the kill-and-resume test:
//   engine_runner <folder> <url> <md5> [<url> <md5> ...]
// Restores the tasks in <folder>\Downloader.db; when there are none, adds one
// task per URL. Unfinished tasks are resumed (as the user would after a
// restart), finished ones are saved with their local path. Files go to
// <folder>\downloads. Exits 0 once every task is done, 1 when one failed.
#include "database/DownloadDatabase.h"
#include "tasks/PackageTasks.h"

#include "win32/TextConvert.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

class Runner : public IPackageTaskObserver {
public:
    explicit Runner(const std::wstring& folder) : db_(folder) {}

    void OnPackageProgress(CPackagesTask& task) override {
        const int status = task.status.load();
        if (status != 3 && status != 4) return;
        if (status == 3) {
            const std::string path = task.folder + "\\" + task.name + task.extension;
            CopyToFixedBuffer(path, task.record.ObjectUrl, sizeof task.record.ObjectUrl);
            char size[32];
            std::snprintf(size, sizeof size, "%4.2lfM", task.total.load() / 1024.0 / 1024.0);
            CopyToFixedBuffer(size, task.record.Size, sizeof task.record.Size);
        }
        SetStatusText(task.record, status);
        db_.SaveTask(task.record);
    }

    DownloadDatabase& Db() { return db_; }

private:
    DownloadDatabase db_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring folder = argv[1];
    Runner runner(folder);
    std::vector<PackageRecord> records = runner.Db().LoadTasks();
    const bool restored = !records.empty();
    if (!restored) {
        for (int i = 2; i + 1 < argc; i += 2) {
            PackageRecord record{};
            CopyToFixedBuffer("pkg" + std::to_string(records.size()), record.Name, sizeof record.Name);
            CopyToFixedBuffer(WideToAnsi(argv[i]), record.ObjectUrl, sizeof record.ObjectUrl);
            CopyToFixedBuffer(WideToAnsi(argv[i + 1]), record.Hash, sizeof record.Hash);
            CopyToFixedBuffer("0", record.Type, sizeof record.Type);
            SetStatusText(record, kStatusWaiting);
            records.push_back(record);
        }
    }
    std::vector<std::unique_ptr<CPackagesTask>> tasks;
    const std::string downloads = WideToAnsi(folder) + "\\downloads";
    for (const PackageRecord& record : records) {
        auto task = std::make_unique<CPackagesTask>(&runner);
        task->SetRecord(record);
        task->folder = downloads;
        task->folderIsAbsolute = true;
        if (!restored) runner.Db().SaveTask(task->record);
        tasks.push_back(std::move(task));
    }
    std::printf("tasks %u%s\n", static_cast<unsigned>(tasks.size()), restored ? " restored" : "");
    std::fflush(stdout);

    DownloadPool pool(11, true);
    for (auto& task : tasks)
        if (InitialTaskStatus(task->record) != kStatusDone) pool.Hand(task.get());
    for (;;) {
        int finished = 0, failed = 0;
        for (auto& task : tasks) {
            const int status = InitialTaskStatus(task->record) == kStatusDone ? 3 : task->status.load();
            finished += status == 3 || status == 4;
            failed += status == 4;
        }
        if (finished == static_cast<int>(tasks.size())) return failed == 0 ? 0 : 1;
        Sleep(50);
    }
}
