// The real Pellarine_u.exe under Wine against records and servers an
// attacker or a careless sender would send: names that try to leave the
// download folder or name a device, packages that share one URL (with
// different Ids and without Ids, a hard kill between them), a file that
// changes on the server between the kill and the resume, and a close while
// a worker waits on a host that never answers.
#include "EngineTestSupport.h"
#include "MainWindowStandIn.h"
#include "ProgramCopy.h"
#include "UiHarness.h"

#include "database/DownloadDatabase.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

using namespace enginetest;
using namespace downloadertest;

namespace {

namespace fs = std::filesystem;

// Every file under `root`, as paths relative to it (lower case).
std::set<std::wstring> FilesUnder(const std::wstring& root) {
    std::set<std::wstring> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(fs::path(root), error), end; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file()) continue;
        std::wstring relative = fs::relative(it->path(), fs::path(root)).wstring();
        for (wchar_t& c : relative) c = towlower(c);
        files.insert(relative);
    }
    return files;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

struct Downloader {
    ScratchDir dir;
    std::wstring folder = dir.Path() + L"DownModule\\";
    std::string downloads = ToAnsi(folder) + "downloads\\";
    ScopedHandle process;
    HWND window = nullptr;

    bool Start() {
        process = StartDownloader(folder);
        window = WaitForDownloaderWindow(process);
        uiharness::PumpFor(300);  // the database is loaded at the window's start
        return window != nullptr;
    }
    void Kill() {
        TerminateProcess(process.Get(), 9);
        WaitForSingleObject(process.Get(), 10000);
    }
    std::vector<PackageRecord> Saved() const { return DownloadDatabase(folder.substr(0, folder.size() - 1)).LoadTasks(); }
};

const PackageRecord* SavedRow(const std::vector<PackageRecord>& rows, const char* name) {
    for (const PackageRecord& row : rows)
        if (Ansi(name) == row.Name) return &row;
    return nullptr;
}

TEST(DownloaderHostileRecords, NamesNeverLeaveTheDownloadFolder) {
    MainWindowStandIn mainWindow;
    Downloader downloader;
    ASSERT_TRUE(CopyDownloaderProgram(downloader.folder));
    WebServicePeer peer;
    const std::string bytes = SourceBytes(64 * 1024, 5);
    WriteFileBytes(downloader.dir.File(L"source.bin"), bytes);
    const struct {
        const char* name;
        const char* path;      // on the peer; its extension becomes the file's
        const char* expected;  // the file in the download folder; nullptr: refused
    } cases[] = {
        {"..\\..\\escaped", "a.bat", ".._.._escaped.bat"},
        {"../../escaped", "b.bat", ".._.._escaped.bat"},  // the same file name: the same package file
        {"C:\\escaped", "c.apk", "C__escaped.apk"},
        {"stream:evil", "d.apk", "stream_evil.apk"},
        {"CON", "e.apk", "_CON.apk"},
        {"nul", "f.zip", "_nul.zip"},
        {"COM3", "g.apk", "_COM3.apk"},
        {"lpt1.txt", "h.apk", "_lpt1.txt.apk"},
        {"AUX ", "i", "_AUX"},
        {"trailing. . ", "j", "trailing"},
        {"..", "k", nullptr},
        {"刷机包 億嘰", "l.zip", "刷机包 億嘰.zip"},
    };
    for (const auto& c : cases) peer.ServeFile(c.path, downloader.dir.File(L"source.bin"));
    const std::set<std::wstring> before = FilesUnder(downloader.dir.Path());

    ASSERT_TRUE(downloader.Start());
    ProcessGuard guard{downloader.process};
    int id = 400;
    for (const auto& c : cases)
        ASSERT_TRUE(SendRecord(downloader.window,
                               MakeRecord(std::to_string(id++).c_str(), c.name, Url(peer, c.path), "1")));
    ASSERT_TRUE(uiharness::PumpUntil(
        [&] {
            for (const auto& c : cases)
                if (mainWindow.Report(c.name, c.expected ? "3" : "4") == nullptr) return false;
            return true;
        },
        60000));
    for (const auto& c : cases) {
        if (c.expected == nullptr) {
            EXPECT_EQ(0, mainWindow.ReportCount(c.name, "3")) << c.name << " is refused, not done";
            continue;
        }
        const PackageRecord* report = mainWindow.Report(c.name, "3");
        EXPECT_EQ(downloader.downloads + Ansi(c.expected), std::string(report->ObjectUrl)) << c.name;
        EXPECT_TRUE(ReadFileBytes(AnsiToWide(report->ObjectUrl)) == bytes) << c.name;
    }
    // Nothing was written anywhere but the program's own places.
    for (const std::wstring& file : FilesUnder(downloader.dir.Path())) {
        if (before.count(file) != 0) continue;
        const bool allowed = StartsWith(file, L"downmodule\\downloads\\") || StartsWith(file, L"downmodule\\icons\\") ||
                             StartsWith(file, L"downmodule\\logs\\") || StartsWith(file, L"downmodule\\downloader.db");
        EXPECT_TRUE(allowed) << ToAnsi(file);
    }
    for (const std::wstring& file : FilesUnder(AnsiToWide(downloader.downloads)))
        EXPECT_EQ(std::wstring::npos, file.find(L'\\')) << ToAnsi(file) << ": one plain name, no folder";
}

TEST(DownloaderHostileRecords, PackagesOfOneUrlStayApartAcrossAKillAndAChangedFile) {
    MainWindowStandIn mainWindow;
    Downloader downloader;
    ASSERT_TRUE(CopyDownloaderProgram(downloader.folder));
    WebServicePeer peer;
    const size_t size = 6 * 1024 * 1024;
    const std::string first = SourceBytes(size, 11);
    const std::string second = SourceBytes(size, 12);
    WriteFileBytes(downloader.dir.File(L"v1.bin"), first);
    WriteFileBytes(downloader.dir.File(L"v2.bin"), second);
    WebServicePeer::Reply slow;
    slow.contentType = "application/octet-stream";
    slow.file = downloader.dir.File(L"v1.bin");
    slow.etag = "\"v1\"";
    slow.pausePerBlockMs = 60;
    peer.SetReply("shared.zip", slow);
    const std::string url = Url(peer, "shared.zip");
    // No Hash anywhere: only the server's validator can tell the files apart.
    const PackageRecord rom = MakeRecord("301", "ROM A", url, "0");
    const PackageRecord app = MakeRecord("302", "App B", url, "1");
    const PackageRecord portC = MakeRecord("", "Port C", url, "2");
    const PackageRecord portD = MakeRecord("", "Port D", url, "2");

    ASSERT_TRUE(downloader.Start());
    ProcessGuard guard{downloader.process};
    ASSERT_TRUE(SendRecord(downloader.window, rom));
    const std::wstring romPartial = AnsiToWide(downloader.downloads + "ROM A.zip.tmp");
    ASSERT_TRUE(uiharness::PumpUntil([&] { return ReadFileBytes(romPartial).size() >= 1024 * 1024; }, 30000));
    downloader.Kill();
    ASSERT_LT(ReadFileBytes(romPartial).size(), size);

    // The file changes on the server while the downloader is gone.
    WebServicePeer::Reply changed;
    changed.contentType = "application/octet-stream";
    changed.file = downloader.dir.File(L"v2.bin");
    changed.etag = "\"v2\"";
    peer.SetReply("shared.zip", changed);

    ASSERT_TRUE(downloader.Start());
    for (const PackageRecord* record : {&app, &portC, &portD}) ASSERT_TRUE(SendRecord(downloader.window, *record));
    ASSERT_TRUE(uiharness::PumpUntil(
        [&] {
            return mainWindow.Report("App B", "3") && mainWindow.Report("Port C", "3") && mainWindow.Report("Port D", "3");
        },
        60000));
    EXPECT_EQ(nullptr, mainWindow.Report("ROM A", "3")) << "the interrupted ROM is not taken over by the app";
    // The same package asked for twice stays one task.
    ASSERT_TRUE(SendRecord(downloader.window, portC));
    uiharness::PumpFor(500);
    EXPECT_EQ(1, mainWindow.ReportCount("Port C", "3"));

    std::vector<PackageRecord> saved = downloader.Saved();
    EXPECT_EQ(4u, saved.size());
    const PackageRecord* romRow = SavedRow(saved, "ROM A");
    ASSERT_NE(nullptr, romRow);
    EXPECT_STREQ("1", romRow->Err) << "restored paused";
    EXPECT_EQ(url, std::string(romRow->ObjectUrl));
    EXPECT_STREQ("0", romRow->Type);
    for (const char* name : {"App B", "Port C", "Port D"}) {
        const PackageRecord* row = SavedRow(saved, name);
        ASSERT_NE(nullptr, row) << name;
        EXPECT_STREQ("3", row->Err) << name;
        EXPECT_TRUE(ReadFileBytes(AnsiToWide(row->ObjectUrl)) == second) << name;
    }

    // The ROM resumes: the kept bytes belong to the old file, so it starts again.
    ASSERT_TRUE(SendRecord(downloader.window, rom));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return mainWindow.Report("ROM A", "3") != nullptr; }, 60000));
    EXPECT_TRUE(ReadFileBytes(AnsiToWide(downloader.downloads + "ROM A.zip")) == second)
        << "not the old file's start stitched to the new file's end";
    bool askedIfSame = false;
    for (const auto& request : peer.Requests())
        askedIfSame |= request.method == "GET" && request.headers.count("if-range") != 0 &&
                       request.headers.at("if-range") == "\"v1\"";
    EXPECT_TRUE(askedIfSame) << "the resume names the validator of the bytes it kept";
    saved = downloader.Saved();
    EXPECT_EQ(4u, saved.size());
    for (const PackageRecord& row : saved) EXPECT_STREQ("3", row.Err) << row.Name;
}

TEST(DownloaderHostileRecords, CloseReturnsWhileAWorkerWaitsOnADeadHost) {
    MainWindowStandIn mainWindow;
    Downloader downloader;
    ASSERT_TRUE(CopyDownloaderProgram(downloader.folder));
    WebServicePeer peer;
    WebServicePeer::Reply silent;
    silent.misbehaviour = WebServicePeer::Misbehaviour::Silent;
    peer.SetReply("dead.zip", silent);
    ASSERT_TRUE(downloader.Start());
    ProcessGuard guard{downloader.process};
    ASSERT_TRUE(SendRecord(downloader.window, MakeRecord("501", "dead", Url(peer, "dead.zip"), "1")));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return !peer.Requests().empty(); }, 10000)) << "the probe is under way";
    uiharness::PumpFor(500);

    // As the main program closes it: a synchronous WM_CLOSE.
    const DWORD start = GetTickCount();
    DWORD_PTR result = 0;
    EXPECT_TRUE(SendMessageTimeoutW(downloader.window, WM_CLOSE, 0, 0, SMTO_NORMAL, 30000, &result));
    EXPECT_LT(GetTickCount() - start, 5000u) << "the close returned";
    EXPECT_TRUE(uiharness::PumpUntil([&] { return Exited(downloader.process); }, 10000));
    EXPECT_LT(GetTickCount() - start, 8000u) << "the program ended";
}

}  // namespace
