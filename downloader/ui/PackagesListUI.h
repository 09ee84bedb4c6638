// CPackagesListUI: the downloader window's list ("PackageList") and the
// owner of every package task. One row per listed task, built from the item
// skin; the package workers share one queue. Workers never touch a row:
// they post a refresh to the window and the list applies it on the UI thread.
#pragma once

#include "controls/UIList.h"
#include "core/window/UIDlgBuilder.h"
#include "database/DownloadDatabase.h"
#include "engine/Downloader.h"
#include "engine/DownWrapper.h"
#include "ui/ListedTask.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Kind filter value for every kind.
constexpr int kAllTypes = 99;

class CPackagesListUI : public UiLib::CListUI, public IPackageTaskObserver {
public:
    // `programFolder`: the executable's folder without a trailing backslash;
    // the database and the default download folder live there.
    CPackagesListUI(UiLib::CPaintManagerUI* manager, int workerCount, const std::string& programFolder);
    ~CPackagesListUI() override;

    // The first live task (status other than 2) whose Name is the record's.
    ListedTask* FindTaskByName(const PackageRecord& record);
    // Adds a task for the record; null when the record's Name is taken.
    ListedTask* AddTask(const PackageRecord& record, bool quiet);
    // A package request's new task, from the request thread: listed and
    // handed to the workers at once, its first save queued (saves keep
    // their order); null when the Name is taken. Its row follows on the UI
    // thread (ShowRequestedTask), so no report or later save of the task
    // can come before that first save.
    ListedTask* AddRequestedTask(const PackageRecord& record);
    void ShowRequestedTask(ListedTask* task) { BuildRow(task); }
    // Shows only rows of live tasks that are done (or not), of one kind or all.
    void Filter(bool done, int type);

    // The task behind a row or any control inside one; null when none.
    ListedTask* TaskOfControl(UiLib::CControlUI* control);

    // Status changes the user asks for (UI thread).
    void Delete(ListedTask* task);
    void Pause(ListedTask* task);
    void Resume(ListedTask* task);  // waiting again and queued
    void Refresh(ListedTask* task) { ApplyRefresh(task); }

    void Save(ListedTask* task);
    // Restores the saved tasks quietly; returns them so their icons can be queued.
    std::vector<ListedTask*> LoadTasks();

    std::string DownloadFolder() const;
    // An empty folder means "<program folder>\downloads".
    void SetDownloadFolder(const std::string& folder);

    // Handles the list's own posted messages; false for any other.
    bool HandleListMessage(UINT message, WPARAM wParam, LPARAM lParam);

    DownloadPool& Pool() { return *pool_; }
    std::vector<ListedTask*> Tasks();

    // IPackageTaskObserver, on a worker thread: posts a refresh.
    void OnPackageProgress(CPackagesTask& task) override;
    void DoEvent(UiLib::TEventUI& event) override;

private:
    class RowCallback : public UiLib::IDialogBuilderCallback {
    public:
        UiLib::CControlUI* CreateControl(const wchar_t* className) override;
    };

    // Lists a new task unless a live one has its Name (one step, so two
    // threads never list one Name twice).
    ListedTask* ListTask(const PackageRecord& record, bool quiet);
    // The live task of that name, or null; the caller holds tasksLock_.
    ListedTask* LiveTaskNamed(const std::string& name) const;
    bool BuildRow(ListedTask* task);
    void ApplyRefresh(ListedTask* task);
    void ApplyRowTexts(ListedTask* task, int status);
    void ReportEnd(ListedTask* task, int status);
    void ApplyIcon(ListedTask* task, CIconsTask* icon);
    void RemovePartialFile(ListedTask* task);
    std::string ExtensionOf(const ListedTask* task) const;

    UiLib::CPaintManagerUI* manager_;
    std::string programFolder_;
    UiLib::CDialogBuilder template_;
    RowCallback callback_;
    std::mutex tasksLock_;  // the task list; tasks live as long as the list
    std::vector<std::unique_ptr<ListedTask>> tasks_;
    mutable std::mutex folderLock_;  // the folder changes on the UI thread, tasks take it on the request thread
    std::string downloadFolder_;
    DownloadDatabase database_;
    // Resumed tasks whose previous transfer has not ended yet: handed to the
    // workers once it has, so two workers never run one task.
    std::vector<ListedTask*> pendingResumes_;
    std::unique_ptr<DownWrapper> engineBinding_;
    std::unique_ptr<DownloadPool> pool_;
};
