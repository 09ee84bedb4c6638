// The downloader's window in the test process: requests by WM_COPYDATA, the
// existing-name rules, the tab filter, rows and their buttons, reports to a
// stand-in main window, deletion and the download folder. Packages come
// from the web-service peer over loopback.
#include "EngineTestSupport.h"
#include "MainWindowStandIn.h"
#include "SkinLayout.h"
#include "UiHarness.h"

#include "controls/UIOption.h"
#include "controls/UITabLayout.h"
#include "database/DownloadDatabase.h"
#include "ui/DownloadersFrame.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <algorithm>
#include <string>
#include <vector>

using namespace enginetest;
using namespace downloadertest;
using namespace UiLib;

namespace {

constexpr size_t kSmall = 64 * 1024;
constexpr size_t kLarge = 8 * 1024 * 1024;

class DownloaderWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseShortTimings();
        folder_ = dir_.Path().substr(0, dir_.Path().size() - 1);
        // Without the marker a focus change would hide the window.
        WriteFileBytes(dir_.File(L"flagnofollowdeath"), "");
        frame_ = std::make_unique<CDownloadersFrame>(ToAnsi(folder_));
    }
    void TearDown() override {
        if (frame_->GetHWND() != nullptr && IsWindow(frame_->GetHWND())) DestroyWindow(frame_->GetHWND());
        frame_.reset();
    }

    HWND Create() {
        return frame_->Create(nullptr, L"Downloader", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, CW_USEDEFAULT,
                              CW_USEDEFAULT);
    }
    void Open() {
        ASSERT_NE(nullptr, Create());
        ASSERT_TRUE(uiharness::PumpUntil([&] { return frame_->Initialised(); }, 10000));
    }
    CPackagesListUI* List() { return frame_->List(); }

    // A file on the peer: `pauseMs` per 256 KiB block slows it down.
    std::string Serve(const std::string& path, size_t size, unsigned pauseMs = 0, unsigned seed = 1) {
        const std::wstring source = dir_.File(AnsiToWide(path) + L".source");
        WriteFileBytes(source, SourceBytes(size, seed));
        WebServicePeer::Reply reply;
        reply.contentType = "application/octet-stream";
        reply.file = source;
        reply.pausePerBlockMs = pauseMs;
        peer_.SetReply(path, reply);
        return Url(peer_, path);
    }
    // Sends a request and waits until the window has served it.
    void Request(const PackageRecord& record, size_t expectedTasks) {
        ASSERT_TRUE(SendRecord(frame_->GetHWND(), record));
        ASSERT_TRUE(uiharness::PumpUntil([&] { return List()->Tasks().size() >= expectedTasks; }, 5000));
        uiharness::PumpFor(150);  // the request thread's pause and the served message
    }
    bool Selected(const wchar_t* option) {
        auto* control = static_cast<COptionUI*>(frame_->m_PaintManager.FindControl(option));
        return control != nullptr && control->IsSelected();
    }
    CControlUI* RowControl(ListedTask* task, const wchar_t* name) {
        return frame_->m_PaintManager.FindSubControlByName(task->Row(), name);
    }
    void Click(CControlUI* control) {
        const RECT rc = control->GetPos();
        const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SendMessageW(frame_->GetHWND(), WM_MOUSEMOVE, 0, at);
        SendMessageW(frame_->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(frame_->GetHWND(), WM_LBUTTONUP, 0, at);
    }
    bool WaitStatus(ListedTask* task, int status, DWORD timeoutMs = 20000) {
        return uiharness::PumpUntil([&] { return task->status.load() == status; }, timeoutMs);
    }

    ScratchDir dir_;
    std::wstring folder_;
    WebServicePeer peer_;
    std::unique_ptr<CDownloadersFrame> frame_;
};

TEST_F(DownloaderWindowTest, ARequestBeforeTheListIsLoadedIsKeptAndServedAfterwards) {
    ASSERT_NE(nullptr, Create());
    ASSERT_TRUE(SendRecord(frame_->GetHWND(), MakeRecord("1", "early", Serve("early.bin", kSmall), "1")));
    EXPECT_FALSE(frame_->Initialised()) << "no paint has run yet";
    ASSERT_TRUE(uiharness::PumpUntil([&] { return List() && List()->Tasks().size() == 1; }, 10000));
    ListedTask* task = List()->Tasks()[0];
    EXPECT_TRUE(WaitStatus(task, 3));
    EXPECT_EQ(kSmall, ReadFileBytes(folder_ + L"\\downloads\\early.bin").size());
}

TEST_F(DownloaderWindowTest, AnEmptyDownloadFolderMeansTheProgramFolderAndTheMainProgramCanMoveIt) {
    Open();
    EXPECT_EQ(ToAnsi(folder_) + "\\downloads", List()->DownloadFolder());
    EXPECT_TRUE(testsupport::PathExists(folder_ + L"\\downloads"));

    const std::wstring moved = folder_ + L"\\下载\\包";
    COPYDATASTRUCT data = {};
    data.cbData = 200;
    std::wstring buffer = moved;
    buffer.resize(100, L'\0');
    data.lpData = buffer.data();
    SendMessageW(frame_->GetHWND(), WM_COPYDATA, kDownloadDirMessage, reinterpret_cast<LPARAM>(&data));
    EXPECT_EQ(ToAnsi(moved), List()->DownloadFolder());
    EXPECT_TRUE(testsupport::PathExists(moved));
}

// What a request for a name already in the list does, by that task's status.
struct ExistingNameCase {
    const char* err;         // the first task's status when added
    bool deleteFirst;        // the first task is deleted before the request
    bool downloading;        // the first task is downloading when the request comes
    const wchar_t* tab;      // the tab shown afterwards
    bool restarts;           // the first task is fetched again
    size_t tasksAfter;
};

class ExistingNameTest : public DownloaderWindowTest, public ::testing::WithParamInterface<ExistingNameCase> {};

TEST_P(ExistingNameTest, ARequestForAKnownNameFollowsTheTasksStatus) {
    const ExistingNameCase& c = GetParam();
    Open();
    // Slow enough that no download ends (and shows the finished tab) meanwhile.
    const std::string url = Serve("known.bin", kLarge, 60);
    ListedTask* first = List()->AddTask(MakeRecord("5", "known", url, "1", c.err), false);
    ASSERT_NE(nullptr, first);
    if (c.downloading) {
        ASSERT_TRUE(uiharness::PumpUntil([&] { return GetCount(peer_, "known.bin") == 1; }, 5000));
    }
    if (c.deleteFirst) List()->Delete(first);
    const int before = GetCount(peer_, "known.bin");
    // Show the other tab first, so the switch is seen.
    static_cast<COptionUI*>(frame_->m_PaintManager.FindControl(
        c.tab == std::wstring(L"Download_ed") ? L"Download_ing" : L"Download_ed"))->SetSelected(true);

    Request(MakeRecord("5", "known", url, "1"), c.tasksAfter);
    EXPECT_TRUE(Selected(c.tab));
    EXPECT_EQ(c.tasksAfter, List()->Tasks().size());
    if (c.restarts) {
        EXPECT_TRUE(WaitStatus(first, 0));
        EXPECT_TRUE(uiharness::PumpUntil([&] { return GetCount(peer_, "known.bin") == before + 1; }, 5000));
    } else if (c.tasksAfter == 1) {
        uiharness::PumpFor(200);
        EXPECT_EQ(before, GetCount(peer_, "known.bin")) << "nothing fetched again";
    }
    if (c.downloading) {
        EXPECT_EQ(0, first->status.load()) << "still downloading";
    }
}

INSTANTIATE_TEST_SUITE_P(ByStatus, ExistingNameTest,
                         ::testing::Values(ExistingNameCase{"1", false, false, L"Download_ing", true, 1},
                                           ExistingNameCase{"4", false, false, L"Download_ing", true, 1},
                                           ExistingNameCase{"", false, true, L"Download_ing", false, 1},
                                           ExistingNameCase{"3", false, false, L"Download_ed", false, 1},
                                           ExistingNameCase{"1", true, false, L"Download_ing", false, 2}));

TEST_F(DownloaderWindowTest, ClosingAndThenDestroyingReleasesTheIconWorkerOnce) {
    Open();
    const HWND window = frame_->GetHWND();
    // WM_CLOSE releases the icon worker and destroys the window, whose
    // WM_DESTROY releases it again: the second release finds nothing.
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program would end";
}

struct FilterCase {
    bool done;
    int type;
    std::set<std::string> visible;
};

class FilterTest : public DownloaderWindowTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTest, ShowsTheRowsOfOneTabAndKind) {
    Open();
    // Paused, failed and done tasks stay as they are: nothing is fetched.
    const std::string url = "http://127.0.0.1:9/none.bin";
    List()->AddTask(MakeRecord("1", "rom-done", url, "0", "3"), true);
    List()->AddTask(MakeRecord("2", "app-done", url, "1", "3"), true);
    List()->AddTask(MakeRecord("3", "game-done", url, "2", "3"), true);
    List()->AddTask(MakeRecord("4", "rom-paused", url, "0", "1"), true);
    List()->AddTask(MakeRecord("5", "app-failed", url, "1", "4"), true);
    List()->Delete(List()->AddTask(MakeRecord("6", "app-deleted", url, "1", "3"), true));
    ListedTask* recovery = List()->AddTask(MakeRecord("7", "recovery", url, "-1", "1"), true);
    ASSERT_NE(nullptr, recovery);
    EXPECT_EQ(nullptr, recovery->Row()) << "recovery packages get no row";
    EXPECT_EQ(5, List()->GetCount());

    const FilterCase& c = GetParam();
    List()->Filter(c.done, c.type);
    std::set<std::string> visible;
    for (ListedTask* task : List()->Tasks())
        if (task->Row() != nullptr && task->Row()->IsVisible()) visible.insert(task->record.Name);
    EXPECT_EQ(c.visible, visible);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FilterTest,
    ::testing::Values(FilterCase{false, kAllTypes, {"rom-paused", "app-failed"}},
                      FilterCase{true, kAllTypes, {"rom-done", "app-done", "game-done"}},
                      FilterCase{true, 0, {"rom-done"}}, FilterCase{true, 1, {"app-done"}},
                      FilterCase{true, 2, {"game-done"}}, FilterCase{false, 0, {"rom-paused"}}));

TEST_F(DownloaderWindowTest, TheHighlightedOptionsFollowTheFilter) {
    Open();
    const std::string url = Url(peer_, "x.zip");
    ListedTask* rom = List()->AddTask(MakeRecord("1", "rom-done", url, "0", "3"), true);
    ListedTask* app = List()->AddTask(MakeRecord("2", "app-done", url, "1", "3"), true);
    ListedTask* paused = List()->AddTask(MakeRecord("3", "app-paused", url, "1", "1"), true);
    uiharness::PumpFor(100);
    const wchar_t* const options[] = {L"Download_ing", L"Download_ed", L"rom", L"app", L"game"};
    const struct {
        const wchar_t* click;
        const wchar_t* selected[2];  // the options highlighted afterwards
    } steps[] = {
        {L"rom", {L"Download_ed", L"rom"}},
        {L"Download_ed", {L"Download_ed", nullptr}},
        {L"app", {L"Download_ed", L"app"}},
        {L"Download_ing", {L"Download_ing", nullptr}},
        {L"rom", {L"Download_ed", L"rom"}},
    };
    // The rows shown after each step.
    const std::vector<std::vector<ListedTask*>> visible = {{rom}, {rom, app}, {app}, {paused}, {rom}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        Click(frame_->m_PaintManager.FindControl(steps[i].click));
        uiharness::PumpFor(50);
        const uiharness::Snapshot shot = uiharness::CaptureWindow(frame_->GetHWND());
        for (const wchar_t* option : options) {
            const bool expected = option == std::wstring(steps[i].selected[0]) ||
                                  (steps[i].selected[1] != nullptr && option == std::wstring(steps[i].selected[1]));
            EXPECT_EQ(expected, Selected(option)) << "after " << ToAnsi(steps[i].click) << ": " << ToAnsi(option);
            if (option == std::wstring(L"Download_ing") ||
                option == std::wstring(L"Download_ed"))
                continue;
            // A highlighted kind is drawn on its blue plate; a plain one is not.
            const RECT rc = frame_->m_PaintManager.FindControl(option)->GetPos();
            const int area = (rc.right - rc.left) * (rc.bottom - rc.top);
            EXPECT_EQ(expected, uiharness::CountTinted(shot, rc, 0) > area / 2)
                << "after " << ToAnsi(steps[i].click) << ": " << ToAnsi(option) << " as drawn";
        }
        for (ListedTask* task : {rom, app, paused}) {
            const bool shown = std::find(visible[i].begin(), visible[i].end(), task) != visible[i].end();
            EXPECT_EQ(shown, task->Row()->IsVisible()) << "after " << ToAnsi(steps[i].click);
        }
    }
}

TEST_F(DownloaderWindowTest, AFinishedPackageIsShownReportedSavedAndInstalledOnClick) {
    MainWindowStandIn mainWindow;
    Open();
    Request(MakeRecord("11", "刷机包", Serve("rom.zip", kSmall), "0", "", Md5Hex(SourceBytes(kSmall))), 1);
    ListedTask* task = List()->Tasks()[0];
    ASSERT_TRUE(WaitStatus(task, 3));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return mainWindow.records.size() == 1; }, 5000));

    const std::string local = ToAnsi(folder_) + "\\downloads\\" + Ansi("刷机包") + ".zip";
    const PackageRecord& report = mainWindow.records[0];
    EXPECT_STREQ("3", report.Err);
    EXPECT_EQ(local, std::string(report.ObjectUrl));
    EXPECT_STREQ("0.06M", report.Size);
    EXPECT_FALSE(HasInstallMarker(report));

    EXPECT_TRUE(frame_->Pinned()) << "a finished ROM keeps the window up";
    EXPECT_TRUE(Selected(L"Download_ed"));
    EXPECT_TRUE(Selected(L"rom"));
    EXPECT_EQ(L"下载完成", std::wstring(RowControl(task, L"DownloadingstatusText")->GetText()));
    EXPECT_EQ(L"", std::wstring(RowControl(task, L"DownloadedsizeText")->GetText()));
    auto* buttons = static_cast<CTabLayoutUI*>(RowControl(task, L"ButtonLayout")->GetInterface(L"TabLayout"));
    EXPECT_EQ(1, buttons->GetCurSel());

    DownloadDatabase db(folder_);
    const auto saved = db.LoadTasks();
    ASSERT_EQ(1u, saved.size());
    EXPECT_STREQ("3", saved[0].Err);
    EXPECT_EQ(local, std::string(saved[0].ObjectUrl));

    uiharness::PumpFor(100);
    const RECT button = RowControl(task, L"InstallButton")->GetPos();
    EXPECT_TRUE(PtInRect(&button, POINT{kFirstRowInstallX, kFirstRowInstallY})) << "where the program test clicks";
    Click(RowControl(task, L"InstallButton"));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return mainWindow.records.size() == 2; }, 3000));
    const PackageRecord& install = mainWindow.records[1];
    EXPECT_TRUE(HasInstallMarker(install));
    EXPECT_STREQ("0", install.Type);
    EXPECT_EQ(local, std::string(install.ObjectUrl));
    EXPECT_STREQ("0.06M", install.Size);
    EXPECT_STREQ("", install.Name);
    EXPECT_STREQ("", install.Err);

    // The file gone: the click sends nothing.
    DeleteFileW(AnsiToWide(local).c_str());
    Click(RowControl(task, L"InstallButton"));
    uiharness::PumpFor(200);
    EXPECT_EQ(2u, mainWindow.records.size());
}

TEST_F(DownloaderWindowTest, ANewPackageDownloadsWhileTheWindowIsBusyAndIsReportedOnceItsRowIsBuilt) {
    MainWindowStandIn mainWindow;
    Open();
    const std::string local = ToAnsi(folder_) + "\\downloads\\busy.apk";
    ASSERT_TRUE(SendRecord(frame_->GetHWND(), MakeRecord("21", "busy", Serve("busy.apk", kSmall), "1")));
    // The window thread serves nothing now (this thread does not pump):
    // the download must not wait for it.
    ListedTask* task = nullptr;
    for (int waited = 0; waited < 20000 && (task == nullptr || task->status.load() != 3); waited += 10) {
        Sleep(10);
        if (task == nullptr && !List()->Tasks().empty()) task = List()->Tasks()[0];
    }
    ASSERT_NE(nullptr, task);
    ASSERT_EQ(3, task->status.load());
    EXPECT_EQ(kSmall, ReadFileBytes(AnsiToWide(local)).size());
    EXPECT_EQ(nullptr, task->Row()) << "rows are built on the window thread only";
    EXPECT_TRUE(mainWindow.records.empty());

    ASSERT_TRUE(uiharness::PumpUntil([&] { return mainWindow.records.size() == 1; }, 5000));
    EXPECT_STREQ("3", mainWindow.records[0].Err);
    ASSERT_NE(nullptr, task->Row());
    EXPECT_EQ(L"下载完成", std::wstring(RowControl(task, L"DownloadingstatusText")->GetText()));
    // The request's first save (waiting) came before the finished one.
    const auto saved = DownloadDatabase(folder_).LoadTasks();
    ASSERT_EQ(1u, saved.size());
    EXPECT_STREQ("3", saved[0].Err);
    EXPECT_EQ(local, std::string(saved[0].ObjectUrl));
}

TEST_F(DownloaderWindowTest, RecoveryPackagesDownloadWithoutRowOrReport) {
    MainWindowStandIn mainWindow;
    Open();
    Request(MakeRecord("12", "recovery", Serve("recovery.img", kSmall), "-1"), 1);
    ListedTask* task = List()->Tasks()[0];
    EXPECT_EQ(nullptr, task->Row());
    EXPECT_EQ(0, List()->GetCount());
    ASSERT_TRUE(WaitStatus(task, 3));
    uiharness::PumpFor(300);
    EXPECT_TRUE(mainWindow.records.empty());
}

TEST_F(DownloaderWindowTest, ReportsAFailedDownload) {
    MainWindowStandIn mainWindow;
    Open();
    WebServicePeer::Reply missing;
    missing.status = 404;
    peer_.SetReply("gone.apk", missing);
    Request(MakeRecord("13", "gone", Url(peer_, "gone.apk"), "1"), 1);
    ListedTask* task = List()->Tasks()[0];
    ASSERT_TRUE(WaitStatus(task, 4, 30000));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return mainWindow.records.size() == 1; }, 5000));
    EXPECT_STREQ("4", mainWindow.records[0].Err);
    EXPECT_EQ(L"资源出错", std::wstring(RowControl(task, L"DownloadingstatusText")->GetText()));
    EXPECT_NE(std::wstring::npos,
              std::wstring(static_cast<CButtonUI*>(RowControl(task, L"StatusControlButton"))->GetNormalImage())
                  .find(L"ErrorButton.png"));
}

TEST_F(DownloaderWindowTest, PauseResumeAndDeleteByTheRowButtons) {
    Open();
    const std::string url = Serve("big.bin", kLarge, 60);
    Request(MakeRecord("14", "big", url, "2"), 1);
    ListedTask* task = List()->Tasks()[0];
    const std::wstring partial = folder_ + L"\\downloads\\big.bin.tmp";
    ASSERT_TRUE(uiharness::PumpUntil([&] { return ReadFileBytes(partial).size() >= 512 * 1024; }, 20000));
    // The row learns of the running transfer by a posted refresh, which a
    // loaded machine delivers after the first bytes are on disk.
    EXPECT_TRUE(uiharness::PumpUntil(
        [&] { return std::wstring(RowControl(task, L"DownloadingstatusText")->GetText()) == L"正在下载"; }, 3000));

    Click(RowControl(task, L"StatusControlButton"));
    EXPECT_EQ(1, task->status.load());
    ASSERT_TRUE(uiharness::PumpUntil(
        [&] { return std::wstring(RowControl(task, L"DownloadingstatusText")->GetText()) == L"任务暂停"; }, 3000));
    Click(RowControl(task, L"StatusControlButton"));
    ASSERT_TRUE(WaitStatus(task, 0, 5000)) << "resumed";
    ASSERT_TRUE(uiharness::PumpUntil([&] { return GetCount(peer_, "big.bin") == 2; }, 5000));
    EXPECT_EQ(0u, RangeOfGet(peer_, "big.bin", 1).rfind("bytes=", 0)) << "resumed from the partial file";

    Click(RowControl(task, L"DeleteButton"));
    EXPECT_EQ(2, task->status.load());
    EXPECT_EQ(nullptr, task->Row());
    EXPECT_EQ(0, List()->GetCount());
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !testsupport::PathExists(partial); }, 5000)) << "partial file removed";
    EXPECT_TRUE(DownloadDatabase(folder_).LoadTasks().empty());

    // The same package again starts from the first byte.
    Request(MakeRecord("14", "big", url, "2"), 2);
    ASSERT_TRUE(uiharness::PumpUntil([&] { return GetCount(peer_, "big.bin") == 3; }, 5000));
    EXPECT_EQ("", RangeOfGet(peer_, "big.bin", 2));
}

}  // namespace
