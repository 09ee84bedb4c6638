// The updater as programs: the whole update road against the web-service
// peer with a stand-in main program, and hard kills in the middle of an
// apply followed by the next start.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>

#include "TestPaths.h"
#include "UpdaterFixture.h"
#include "WebServicePeer.h"
#include "ZipWriter.h"
#include "core/MainProgram.h"
#include "core/UpdatePaths.h"
#include "win32/FileUtil.h"
#include "win32/ProcessLauncher.h"
#include "win32/TextConvert.h"

namespace {

using updatertest::FileSet;

bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(50);
    }
    return true;
}

std::string BinaryFile(const wchar_t* name) { return testsupport::ReadFileBytes(testsupport::ProgramFolder() + name); }

ScopedHandle Start(const std::wstring& program, const std::wstring& arguments = L"") {
    ProcessLaunch launch;
    launch.application = program.c_str();
    launch.commandLine = L"\"" + program + L"\"" + arguments;
    return LaunchProcess(launch);
}

int ExitCodeWithin(const ScopedHandle& process, DWORD timeoutMs) {
    if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) return -1000;
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

// Lines of the stand-in main program's log, as "start", "quit", ... with the pid.
std::vector<std::pair<std::string, DWORD>> MainProgramLog(const std::wstring& installation) {
    std::istringstream text(testsupport::ReadFileBytes(installation + L"mainprogram.log"));
    std::vector<std::pair<std::string, DWORD>> lines;
    std::string what;
    DWORD pid = 0;
    while (text >> what >> pid) lines.emplace_back(what, pid);
    return lines;
}

std::string GbkText(const wchar_t* text) { return WideToAnsi(text, 936); }

class UpdaterProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        installation = updatertest::MakeInstallationFolder(scratch);
        paths = UpdatePaths::ForInstallation(installation);
        SetEnvironmentVariableW(L"TORVANIK_API_HOST", Utf8ToWide(peer.HostAndPort()).c_str());
    }
    void TearDown() override {
        TerminateProcessesByImage(L"Torvanik.exe");
        if (HWND dialog = FindWindowW(L"Updater", nullptr)) PostMessageW(dialog, WM_QUIT, 0, 0);
    }

    testsupport::ScratchDir scratch;
    testpeers::WebServicePeer peer;
    std::wstring installation;
    UpdatePaths paths;
};

TEST_F(UpdaterProcessTest, ChecksDownloadsAppliesReportsAndRestarts) {
    // The installed version 1.0.0.
    const FileSet installed = {{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                               {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")},
                               {"Torvanik.exe", BinaryFile(L"standin_torvanik.exe")},
                               {"readme.txt", "version 1"},
                               {"data/BrushConfig.dat", "[channel]\r\nvalue=test\r\n"},
                               {"autoupdate/curjson", updatertest::VersionJson("1.0.0")}};
    updatertest::WriteFiles(installation, installed);
    // The package of 2.0.0.
    const std::string changes = "[2.0.0]\r\ncount=3\r\n1=" + GbkText(L"\x4FEE\x590D\x5237\x673A\x5931\x8D25") +
                                "\r\n2=" + GbkText(L"\x65B0\x589E\x5907\x4EFD") + "\r\n3=faster\r\n";
    const FileSet package = {{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                             {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")},
                             {"Hemlar.dll", BinaryFile(L"Hemlar.dll")},
                             {"Torvanik.exe", BinaryFile(L"standin_torvanik.exe")},
                             {"readme.txt", "version 2"},
                             {"skin/Torvanik/added.xml", "<Window />"},
                             {"autoupdate/version.ini", changes}};
    testsupport::WriteFileBytes(scratch.File(L"Update.zip"), updatertest::PackageOf(package));
    const std::string base = "http://" + peer.HostAndPort() + "/";
    peer.ServeFile("files/Update.zip", scratch.File(L"Update.zip"));
    const std::string offered = updatertest::VersionJson("2.0.0", base + "files/Update.zip");
    peer.SetJson("index.php?c=feedback&a=getSoftwareUpdate", offered);

    ScopedHandle mainProgram = Start(installation + L"Torvanik.exe");
    ASSERT_TRUE(mainProgram);
    ASSERT_TRUE(WaitFor([] { return FindWindowW(L"UIMainFrame", L"Kovi\x5237\x673A") != nullptr; }, 10000));

    ScopedHandle check = Start(installation + L"Quellart.exe", L" koviupdate");
    ASSERT_TRUE(check);
    EXPECT_EQ(ExitCodeWithin(check, 60000), 0);
    EXPECT_TRUE(FileExists(paths.StagingFolder("2.0.0") + L"Quellart.exe"));

    // Class 1: the staged copy updates without a click; the main program is
    // asked to quit and killed first.
    EXPECT_EQ(ExitCodeWithin(mainProgram, 30000), 0);
    ASSERT_TRUE(WaitFor([&] { return testsupport::ReadFileBytes(paths.curjson) == offered; }, 60000));
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            dialog = FindWindowW(L"Updater", nullptr);
            RECT rect = {};
            return dialog && GetWindowRect(dialog, &rect) && rect.bottom - rect.top == 259;
        },
        30000));
    // "Done" starts the main program again.
    const LPARAM done = MAKELPARAM(301, 190);
    SendMessageW(dialog, WM_MOUSEMOVE, 0, done);
    SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, done);
    SendMessageW(dialog, WM_LBUTTONUP, 0, done);
    ASSERT_TRUE(WaitFor([&] { return MainProgramLog(installation).size() >= 3; }, 20000));

    const auto log = MainProgramLog(installation);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0].first, "start");
    EXPECT_EQ(log[1], std::make_pair(std::string("quit"), log[0].second));
    EXPECT_EQ(log[2].first, "start");
    EXPECT_NE(log[2].second, log[0].second);

    // The installation is the package; the originals it replaced are in the backup.
    FileSet expected = package;
    expected.erase("autoupdate/version.ini");
    EXPECT_EQ(updatertest::ReadFiles(installation, expected), expected);
    EXPECT_EQ(updatertest::ReadFiles(paths.BackupFolder("2.0.0"), {{"readme.txt", ""}, {"Torvanik.exe", ""}}),
              (FileSet{{"readme.txt", "version 1"}, {"Torvanik.exe", BinaryFile(L"standin_torvanik.exe")}}));
    EXPECT_EQ(testsupport::ReadFileBytes(paths.oldjson), updatertest::VersionJson("1.0.0"));

    // The install report, sent once the files were in place.
    bool reported = false;
    for (const auto& request : peer.Requests())
        if (request.path.rfind("index.php?c=feedback&a=pcActionLog&mac=", 0) == 0) {
            reported = true;
            EXPECT_NE(request.path.find("&type=4&state=1&version=1.0.0&msg=UpTo2.0.0&channel=test"), std::string::npos)
                << request.path;
        }
    EXPECT_TRUE(reported);

    // Both runs of the updater wrote what they did to the installation's log.
    const std::string programLog = testsupport::ReadFileBytes(installation + L"logs\\myeasylog.log");
    const char* const lines[] = {
        "DEBUG [default]  #12222: \xE6\xA3\x80\xE6\x9F\xA5\xE6\x9B\xB4\xE6\x96\xB0 ",  // 检查更新
        "DEBUG [default]  \xE4\xB8\x8B\xE8\xBD\xBD\xE5\xAE\x8C\xE6\x88\x90\xEF\xBC\x81",  // 下载完成！
        "DEBUG [default]  \xE5\xBC\x80\xE5\xA7\x8B\xE5\x8D\x87\xE7\xBA\xA7 ",  // 开始升级
        "DEBUG [default]  unpacking ",
        "DEBUG [default]  every file of 2.0.0 is in place",
        "DEBUG [default]  version files advanced to 2.0.0"};
    size_t at = 0;
    for (const char* line : lines) {
        const size_t found = programLog.find(line, at);
        EXPECT_NE(found, std::string::npos) << line << "\n" << programLog;
        if (found != std::string::npos) at = found;
    }
}

// A package the updater refuses is fetched once: the main program is never
// closed for it, and it is not fetched again until another one is offered.
TEST_F(UpdaterProcessTest, ARefusedPackageIsNotTriedAgainUntilAnotherIsOffered) {
    updatertest::WriteFiles(installation, {{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                                           {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")},
                                           {"Torvanik.exe", BinaryFile(L"standin_torvanik.exe")},
                                           {"autoupdate/curjson", updatertest::VersionJson("1.0.0")}});
    const std::string hostile = testsupport::BuildZip({{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                                                       {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")},
                                                       {"../../escaped.bat", "echo out"}});
    testsupport::WriteFileBytes(scratch.File(L"hostile.zip"), hostile);
    peer.ServeFile("files/hostile.zip", scratch.File(L"hostile.zip"));
    const std::string base = "http://" + peer.HostAndPort() + "/";
    peer.SetJson("index.php?c=feedback&a=getSoftwareUpdate", updatertest::VersionJson("3.0", base + "files/hostile.zip"));
    auto packageGets = [&](const std::string& path) {
        int gets = 0;
        for (const auto& request : peer.Requests())
            if (request.method == "GET" && request.path == path) ++gets;
        return gets;
    };

    ScopedHandle mainProgram = Start(installation + L"Torvanik.exe");
    ASSERT_TRUE(mainProgram);
    ASSERT_TRUE(WaitFor([] { return FindWindowW(L"UIMainFrame", L"Kovi\x5237\x673A") != nullptr; }, 10000));
    for (int start = 0; start < 3; ++start) {
        ScopedHandle check = Start(installation + L"Quellart.exe", L" koviupdate");
        ASSERT_TRUE(check);
        EXPECT_EQ(ExitCodeWithin(check, 60000), 0);
        EXPECT_EQ(packageGets("files/hostile.zip"), 1) << "start " << start;
    }
    EXPECT_FALSE(FileExists(paths.package));
    EXPECT_FALSE(testsupport::PathExists(paths.StagingFolder("3.0")));
    EXPECT_FALSE(testsupport::PathExists(scratch.File(L"escaped.bat")));
    EXPECT_EQ(WaitForSingleObject(mainProgram.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // never closed
    EXPECT_EQ(MainProgramLog(installation).size(), 1u);

    // Another offer is fetched again.
    peer.SetJson("index.php?c=feedback&a=getSoftwareUpdate", updatertest::VersionJson("3.0.1", base + "files/hostile.zip"));
    ScopedHandle check = Start(installation + L"Quellart.exe", L" koviupdate");
    ASSERT_TRUE(check);
    EXPECT_EQ(ExitCodeWithin(check, 60000), 0);
    EXPECT_EQ(packageGets("files/hostile.zip"), 2);
    EXPECT_EQ(WaitForSingleObject(mainProgram.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(UpdaterProcessTest, TrayIconShowsDuringTheDownloadAndItsExitEndsTheUpdater) {
    updatertest::WriteFiles(installation, {{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                                           {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")},
                                           {"autoupdate/curjson", updatertest::VersionJson("1.0.0")},
                                           {"autoupdate/flagtestsubmit", ""}});  // no main window needed
    testsupport::WriteFileBytes(scratch.File(L"Update.zip"),
                                testsupport::BuildZip({{"big.dat", std::string(4 << 20, 'x'), false}}));
    testpeers::WebServicePeer::Reply slow;
    slow.file = scratch.File(L"Update.zip");
    slow.contentType = "application/zip";
    slow.pausePerBlockMs = 1000;  // a slow line: the download lasts seconds
    peer.SetReply("files/Update.zip", slow);
    peer.SetJson("index.php?c=feedback&a=getSoftwareUpdate",
                 updatertest::VersionJson("2.0.0", "http://" + peer.HostAndPort() + "/files/Update.zip"));

    ScopedHandle check = Start(installation + L"Quellart.exe", L" koviupdate");
    ASSERT_TRUE(check);
    HWND tray = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (tray = FindWindowW(L"Kovi\x5347\x7EA7\x7A0B\x5E8F", nullptr)) != nullptr; },
                        20000));
    // A second check while this one runs ends at once.
    ScopedHandle second = Start(installation + L"Quellart.exe", L" koviupdate");
    ASSERT_TRUE(second);
    EXPECT_EQ(ExitCodeWithin(second, 10000), 1);
    // A click shows the balloon; a restarted shell gets the icon again.
    const UINT callback = WM_USER + 0x64;
    EXPECT_EQ(SendMessageW(tray, callback, 101, WM_LBUTTONDOWN), 0);
    SendMessageW(tray, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    // "退出" ends the whole updater at once, in the middle of the download.
    PostMessageW(tray, WM_DESTROY, 0, 0);
    EXPECT_EQ(ExitCodeWithin(check, 10000), 0);
    EXPECT_FALSE(testsupport::PathExists(paths.StagingFolder("2.0.0")));
}

TEST_F(UpdaterProcessTest, AFailedDownloadOrStagingNeverStartsTheCopy) {
    updatertest::WriteFiles(installation, {{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                                           {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")},
                                           {"autoupdate/curjson", updatertest::VersionJson("1.0.0")},
                                           {"autoupdate/flagtestsubmit", ""}});  // a dialog could show without a main window
    const std::string whole = updatertest::PackageOf({{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                                                      {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")}});
    const std::string packages[] = {
        updatertest::PackageOf({{"Quellart.exe", BinaryFile(L"Quellart.exe")}}),  // no UI library to start with
        whole.substr(0, whole.size() / 2),                                         // cut short
    };
    for (const std::string& package : packages) {
        testsupport::WriteFileBytes(scratch.File(L"Update.zip"), package);
        peer.ServeFile("files/Update.zip", scratch.File(L"Update.zip"));
        peer.SetJson("index.php?c=feedback&a=getSoftwareUpdate",
                     updatertest::VersionJson("2.0.0", "http://" + peer.HostAndPort() + "/files/Update.zip"));
        ScopedHandle check = Start(installation + L"Quellart.exe", L" koviupdate");
        ASSERT_TRUE(check);
        EXPECT_EQ(ExitCodeWithin(check, 30000), 0);
        EXPECT_FALSE(WaitFor([] { return FindWindowW(L"Updater", nullptr) != nullptr; }, 3000));
        EXPECT_EQ(testsupport::ReadFileBytes(paths.curjson), updatertest::VersionJson("1.0.0"));
    }
}

// The names of the files whose contents differ (the contents are megabytes).
std::vector<std::string> Differences(const FileSet& actual, const FileSet& expected) {
    std::vector<std::string> names;
    for (const auto& [name, content] : expected) {
        auto found = actual.find(name);
        if (found == actual.end() || found->second != content) names.push_back(name);
    }
    return names;
}

// Files of an installation big enough that the apply takes a while.
FileSet LargeFiles(const char* tag, int count, size_t size) {
    FileSet files;
    for (int i = 0; i < count; ++i) {
        std::string content(size, static_cast<char>('a' + i));
        content.replace(0, std::string(tag).size(), tag);
        files["bin/file" + std::to_string(i) + ".dat"] = content;
    }
    return files;
}

TEST_F(UpdaterProcessTest, AKilledApplyIsOldOrNewAfterTheNextStartNeverAMix) {
    const int kFiles = 16;
    const FileSet oldFiles = LargeFiles("old", kFiles, 3 << 20);
    FileSet newFiles = LargeFiles("new", kFiles, 3 << 20);
    newFiles["bin/added.dat"] = "added by 2.0.0";
    FileSet names = newFiles;
    std::vector<testsupport::ZipItem> items;
    for (const auto& [name, content] : newFiles) items.emplace_back(name, content, false);
    const std::string package = testsupport::BuildZip(items);

    struct KillPoint {
        const wchar_t* arguments;
        const char* what;
    };
    const KillPoint points[] = {{L" files 1", "after one file"},
                                {L" files 8", "half-way"},
                                {L" replaced", "before the version files"},
                                {L" files 99999", "not killed"}};
    for (const KillPoint& point : points) {
        SCOPED_TRACE(point.what);
        testsupport::ScratchDir place;
        const std::wstring folder = updatertest::MakeInstallationFolder(place);
        const UpdatePaths at = UpdatePaths::ForInstallation(folder);
        updatertest::WriteFiles(folder, oldFiles);
        updatertest::WriteFiles(folder, {{"Quellart.exe", BinaryFile(L"Quellart.exe")},
                                         {"UiLib_u.dll", BinaryFile(L"UiLib_u.dll")},
                                         {"autoupdate/curjson", updatertest::VersionJson("1.0.0")},
                                         {"autoupdate/newjson", updatertest::VersionJson("2.0.0")}});
        testsupport::WriteFileBytes(at.package, package);

        const std::wstring unslashed = folder.substr(0, folder.size() - 1);  // a "\"" would escape the quote
        ScopedHandle apply = Start(testsupport::ProgramFolder() + L"updater_apply_killer.exe",
                                   L" \"" + unslashed + L"\"" + point.arguments);
        ASSERT_TRUE(apply);
        const int applyCode = ExitCodeWithin(apply, 60000);
        EXPECT_TRUE(applyCode == 9 || applyCode == 0) << applyCode;

        // The next start of the updater finishes or undoes the apply first.
        ScopedHandle next = Start(folder + L"Quellart.exe", L" koviupdate");
        ASSERT_TRUE(next);
        ExitCodeWithin(next, 30000);

        const FileSet now = updatertest::ReadFiles(folder, names);
        const std::string curjson = testsupport::ReadFileBytes(at.curjson);
        const FileSet backup = updatertest::ReadFiles(at.BackupFolder("2.0.0"), oldFiles);
        const std::vector<std::string> none;
        if (Differences(now, newFiles).empty()) {
            EXPECT_EQ(curjson, updatertest::VersionJson("2.0.0"));
            EXPECT_EQ(Differences(backup, oldFiles), none);  // every original kept
        } else {
            FileSet oldState = oldFiles;
            oldState["bin/added.dat"] = updatertest::kMissing;
            EXPECT_EQ(Differences(now, oldState), none) << "neither the old nor the new installation";
            EXPECT_EQ(curjson, updatertest::VersionJson("1.0.0"));
        }
        EXPECT_FALSE(FileExists(at.applyJournal));
        EXPECT_FALSE(FileExists(at.appliedMarker));
        if (point.arguments == std::wstring(L" replaced") || point.arguments == std::wstring(L" files 99999")) {
            EXPECT_EQ(Differences(now, newFiles), none);
        }
        if (point.arguments == std::wstring(L" files 1")) {
            EXPECT_NE(Differences(now, newFiles), none);
        }
    }
}

// The suite's own programs and libraries, as the installation holds them.
const wchar_t* const kRunningFiles[] = {L"Quellart.exe", L"UiLib_u.dll", L"Torvanik.exe", L"Hemlar.dll",
                                        L"Brevlin.dll", L"wke.dll"};

std::string ProgramBytes(const wchar_t* name) {
    return BinaryFile(std::wstring(name) == L"Torvanik.exe" ? L"standin_torvanik.exe" : name);
}

// Every file under the folder whose name marks it as the updater's own
// temporary file.
std::vector<std::string> UnpackLeftovers(const FileSet& files) {
    std::vector<std::string> names;
    for (const auto& entry : files) {
        const std::string& name = entry.first;
        if (name.find(".unzipping") != std::string::npos || name.find(".new-") != std::string::npos ||
            (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0))
            names.push_back(name);
    }
    return names;
}

// The package replaces the updater's own files and the main program's while
// they run (the main program and the recovering updater hold them), and the
// unpack is killed at random moments. After the next start the installation
// is the old version or the new one, whole: files, version files, no
// temporary file, no folder of the new version left; what had to be moved
// aside because it was in use is gone after the start after that.
TEST_F(UpdaterProcessTest, AnUnpackKilledAtRandomMomentsIsWholeOldOrWholeNewAfterTheNextStart) {
    FileSet oldFiles, newFiles;
    for (const wchar_t* name : kRunningFiles) {
        const std::string key = WideToUtf8(name);
        oldFiles[key] = ProgramBytes(name);
        newFiles[key] = ProgramBytes(name) + std::string("\0new version 2.0.0 of ") + key;  // still runs
    }
    for (int i = 0; i < 48; ++i) {
        const std::string name = (i % 3 ? "skin/Torvanik/part" : "data/part") + std::to_string(i) + ".dat";
        oldFiles[name] = std::string(64 << 10, static_cast<char>('a' + i % 26)) + "old";
        newFiles[name] = std::string(64 << 10, static_cast<char>('A' + i % 26)) + "new";
    }
    const FileSet added = {{"plugins/new/a.dat", "added a"}, {"plugins/new/deeper/b.dat", "added b"},
                           {"skin/Added/c.xml", "<Window />"}};
    newFiles.insert(added.begin(), added.end());
    std::vector<testsupport::ZipItem> items;
    for (const auto& [name, content] : newFiles) items.emplace_back(name, content, false);
    const std::string package = testsupport::BuildZip(items);
    FileSet oldState = oldFiles;
    for (const auto& entry : added) oldState[entry.first] = updatertest::kMissing;

    struct Installation {
        testsupport::ScratchDir place;
        std::wstring folder;
        UpdatePaths paths;
    };
    auto install = [&](Installation& at) {
        at.folder = updatertest::MakeInstallationFolder(at.place);
        at.paths = UpdatePaths::ForInstallation(at.folder);
        updatertest::WriteFiles(at.folder, oldFiles);
        updatertest::WriteFiles(at.folder, {{"autoupdate/curjson", updatertest::VersionJson("1.0.0")},
                                            {"autoupdate/newjson", updatertest::VersionJson("2.0.0")}});
        testsupport::WriteFileBytes(at.paths.package, package);
    };
    auto applyWith = [&](const Installation& at, const std::wstring& point) {
        const std::wstring unslashed = at.folder.substr(0, at.folder.size() - 1);  // a "\"" would escape the quote
        ScopedHandle apply = Start(testsupport::ProgramFolder() + L"updater_apply_killer.exe",
                                   L" \"" + unslashed + L"\" " + point);
        return ExitCodeWithin(apply, 120000);
    };
    auto startMainProgram = [&](const Installation& at) {
        ScopedHandle main = Start(at.folder + L"Torvanik.exe");
        return main && WaitFor([] { return FindWindowW(L"UIMainFrame", L"Kovi\x5237\x673A") != nullptr; }, 20000);
    };
    auto nextStart = [&](const Installation& at) {
        ScopedHandle next = Start(at.folder + L"Quellart.exe", L" koviupdate");
        return next && ExitCodeWithin(next, 60000) == 0;
    };

    // How long an unpack of this package takes, from its journal to its end.
    long long unpackMicroseconds = 0;
    {
        Installation at;
        install(at);
        ASSERT_TRUE(startMainProgram(at));
        unpackMicroseconds = applyWith(at, L"measure");
        TerminateProcessesByImage(L"Torvanik.exe");
        ASSERT_GT(unpackMicroseconds, 0);
        EXPECT_EQ(updatertest::ReadFiles(at.folder, newFiles), newFiles);
    }

    const int kKills = 24;
    unsigned seed = GetTickCount();
    int endedOld = 0, endedNew = 0, killed = 0;
    for (int round = 0; round < kKills; ++round) {
        seed = seed * 1103515245u + 12345u;
        // One random moment in each of kKills equal slices of the unpack and a
        // little past its end, so the kills cover all of it.
        const long long slice = unpackMicroseconds * 12 / 10 / kKills;
        const long long delay = round * slice + static_cast<long long>((seed >> 8) % 1000) * slice / 1000;
        SCOPED_TRACE("round " + std::to_string(round) + ", killed " + std::to_string(delay) + " us into the unpack");
        Installation at;
        install(at);
        ASSERT_TRUE(startMainProgram(at));
        const int applyCode = applyWith(at, L"after " + std::to_wstring(delay));
        EXPECT_TRUE(applyCode == 9 || applyCode == 0) << applyCode;
        if (applyCode == 9) ++killed;

        // The next start, with the main program and this updater holding their files.
        ASSERT_TRUE(nextStart(at));
        const FileSet now = updatertest::ReadFiles(at.folder, newFiles);
        const std::string curjson = testsupport::ReadFileBytes(at.paths.curjson);
        const std::vector<std::string> none;
        if (Differences(now, newFiles).empty()) {
            ++endedNew;
            EXPECT_EQ(curjson, updatertest::VersionJson("2.0.0"));
            EXPECT_EQ(Differences(updatertest::ReadFiles(at.paths.BackupFolder("2.0.0"), oldFiles), oldFiles), none);
        } else {
            ++endedOld;
            EXPECT_EQ(Differences(now, oldState), none) << "neither the old nor the new installation";
            EXPECT_EQ(curjson, updatertest::VersionJson("1.0.0"));
            EXPECT_TRUE(FileExists(at.paths.newjson));  // offered again at the next check
            for (const wchar_t* folder : {L"plugins", L"skin\\Added"})
                EXPECT_FALSE(testsupport::PathExists(at.folder + folder)) << WideToUtf8(folder);
        }
        EXPECT_FALSE(FileExists(at.paths.applyJournal));
        EXPECT_FALSE(FileExists(at.paths.appliedMarker));
        const FileSet everything = updatertest::AllFiles(at.folder);
        EXPECT_EQ(UnpackLeftovers(everything), none);

        // The start after that deletes what was moved aside, once nothing holds it.
        TerminateProcessesByImage(L"Torvanik.exe");
        ASSERT_TRUE(WaitFor([] { return FindWindowW(L"UIMainFrame", nullptr) == nullptr; }, 10000));
        ASSERT_TRUE(nextStart(at));
        EXPECT_FALSE(testsupport::PathExists(at.paths.asideFolder));
        EXPECT_EQ(Differences(updatertest::ReadFiles(at.folder, newFiles), now), none);
    }
    EXPECT_GE(killed, kKills / 2);
    std::printf("killed %d of %d unpacks: %d ended old, %d new (unpack %lld us)\n", killed, kKills, endedOld, endedNew,
                unpackMicroseconds);
}

}  // namespace
