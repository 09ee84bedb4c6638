// Not a test: the driver of tools/bench/backup.sh. Runs the real Torvanik.exe
// against the adb server already listening on port 5037 and the phone
// service stand-in (in this process, port 10086, over the phone folder the
// adb server serves), backs up the three files of a large data set as the
// flashing plug-in asks for it, then restores that backup through the backup
// window, and prints the wall time of each with the backup's stamp:
//   backup_bench.exe <phone folder> <work folder> [contacts messages calls]
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "PhoneServiceApp.h"
#include "PhoneServicePeer.h"
#include "TestPaths.h"
#include "TorvanikProcess.h"
#include "backup/BackupListFile.h"
#include "win32/TextConvert.h"

namespace fs = std::filesystem;

namespace {

constexpr UINT kPrepareHelper = WM_USER + 501;
constexpr UINT kRomflashBackup = WM_USER + 502;
constexpr UINT kRomflashRestore = WM_USER + 503;
// Client points of the backup window's restore page (its skin lays them out).
constexpr POINT kFirstRestorePoint = {652, 140};
constexpr POINT kRestoreRun = {309, 428};

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

template <class Done>
bool WaitFor(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

void Click(HWND window, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageW(window, WM_MOUSEMOVE, 0, where);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    PostMessageW(window, WM_LBUTTONUP, 0, where);
}

std::string Joined(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all += text + "\n";
    return all;
}

int Fail(const char* what) {
    std::printf("failed: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Fail("usage: backup_bench <phone folder> <work folder> [contacts messages calls]");
    std::wstring phone = argv[1];
    const std::wstring work = std::wstring(argv[2]) + L"\\";
    const int contacts = argc > 5 ? _wtoi(argv[3]) : 10000;
    const int messages = argc > 5 ? _wtoi(argv[4]) : 50000;
    const int calls = argc > 5 ? _wtoi(argv[5]) : 20000;
    if (!phone.empty() && phone.back() == L'\\') phone.pop_back();

    const testpeers::PhoneData data = testpeers::MakePhoneData(contacts, messages, calls);
    testpeers::PhoneServiceApp app(phone, data);
    // The phone's own work (writing the backup files, reading back the
    // restored ones) is timed apart: a bare adb transfer has none of it.
    std::atomic<double> phoneMs{0};
    // The restore ends when the phone has checked all three pushed files: the
    // responder marks that moment and wakes the waiting bench at once.
    std::atomic<double> restoredAt{0};
    HANDLE restored = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto respond = app.Responder();
    testpeers::PhoneServicePeer service(
        [&](const std::string& request) {
            const double begin = Now();
            auto replies = respond(request);
            const double end = Now();
            phoneMs = phoneMs + (end - begin);
            if (request.compare(0, 8, "restore_") == 0 && app.RestoreResults().size() >= 3) {
                restoredAt = end;
                SetEvent(restored);
            }
            return replies;
        },
        10086);

    const std::wstring install = work + L"installation\\";
    const std::wstring backups = work + L"backups";
    fs::create_directories(install);
    fs::create_directories(backups);
    if (!apptest::CopyInstallation(install)) return Fail("copying the installation");
    CopyFileW((testsupport::ProgramFolder() + L"plugin_standin.dll").c_str(), (install + L"Brevlin.dll").c_str(), FALSE);
    WritePrivateProfileStringW(L"BackupDir", L"BackupPath", backups.c_str(), (install + L"data\\BrushConfig.dat").c_str());
    const std::wstring pluginLog = work + L"plugin.log";
    SetEnvironmentVariableW(L"TORVANIK_PLUGIN_LOG", pluginLog.c_str());
    // The plug-in stand-in releases it once per notification it records: the
    // wait for the backup's three reports polls nothing, so this process
    // takes no share of the Wine server from the program it times.
    const std::wstring semaphoreName = L"TorvanikBackupBench" + std::to_wstring(GetCurrentProcessId());
    HANDLE notices = CreateSemaphoreW(nullptr, 0, 1000, semaphoreName.c_str());
    if (!notices) return Fail("creating the notice semaphore");
    SetEnvironmentVariableW(L"TORVANIK_PLUGIN_SEMAPHORE", semaphoreName.c_str());

    apptest::TorvanikProcess torvanik(install);
    HWND frame = torvanik.WaitForFrame(60000);
    if (!frame) return Fail("the main window did not show");
    Sleep(3000);  // the start-up work settles
    // As the flashing plug-in does before it offers the backup: it has the
    // companion app started, which links the program to the phone service
    // and asks that for the counts ("queryData") as its last step. The backup
    // then finds the link up, as a Debian adb transfer finds its server and
    // phone ready.
    PostMessageW(frame, kPrepareHelper, 0, 0);
    if (!WaitFor([&] { return Count(Joined(service.Requests()), "queryData") > 0; }, 120000))
        return Fail("the program did not link to the phone service");
    Sleep(1000);  // the counts reply is shown

    // Notifications recorded so far (the connection, the counts) are not the backup's.
    while (WaitForSingleObject(notices, 0) == WAIT_OBJECT_0) {
    }
    double start = Now();
    phoneMs = 0;
    DWORD_PTR result = 0;
    SendMessageTimeoutW(frame, kRomflashBackup, 7, 0, SMTO_NORMAL, 600000, &result);
    const double requestedMs = Now() - start;
    double firstItemMs = 0;
    for (int item = 0; item < 3; ++item) {
        if (WaitForSingleObject(notices, 600000) != WAIT_OBJECT_0) return Fail("the backup did not finish");
        if (item == 0) firstItemMs = Now() - start;
    }
    const double backupMs = Now() - start;
    const double backupPhoneMs = phoneMs;
    if (Count(testsupport::ReadFileBytes(pluginLog), "romflash_backup_recevie\t") != 3 ||
        testsupport::ReadFileBytes(pluginLog).find("\t0\t") != std::string::npos)
        return Fail("an item was not copied");
    const std::string stamp = app.LastStamp();
    const std::wstring base = backups + L"\\" + AnsiToWide(stamp) + L"\\" + AnsiToWide(stamp);
    for (int bit : {1, 2, 4})
        if (testsupport::ReadFileBytes(base + L"." + AnsiToWide(testpeers::PhoneData::ExtensionOf(bit))) !=
            data.FileOf(bit))
            return Fail("a backup file differs from the phone's");

    // The restore page lists the backup just made.
    const std::wstring list = install + L"data\\DataBackRes.xml";
    CreateBackupList(list);
    AppendBackupRecord(list, MakeBackupRecord(stamp, "bench", WideToAnsi(base)));
    // The request also starts the companion app again, which renews the link.
    const int links = service.Connections();
    const int queries = Count(Joined(service.Requests()), "queryData");
    SendMessageTimeoutW(frame, kRomflashRestore, 0, 0, SMTO_NORMAL, 60000, &result);
    HWND window = nullptr;
    if (!WaitFor([&] { return (window = FindWindowW(L"ConnectFailDialog", L"Databackup")) && IsWindowVisible(window); },
                 30000))
        return Fail("the backup window did not open");
    // The new link asks for the counts again as its last step. (A phone whose
    // app cannot be started keeps the link it has.)
    WaitFor([&] { return service.Connections() > links; }, 20000);
    WaitFor([&] { return Count(Joined(service.Requests()), "queryData") > queries; }, 20000);
    Sleep(1000);
    Click(window, kFirstRestorePoint);
    Sleep(300);
    start = Now();
    phoneMs = 0;
    Click(window, kRestoreRun);
    if (WaitForSingleObject(restored, 600000) != WAIT_OBJECT_0) return Fail("the restore did not finish");
    const double restoreMs = restoredAt - start;
    const double restorePhoneMs = phoneMs;
    for (const std::string& line : app.RestoreResults())
        if (line.find(":ok") == std::string::npos) return Fail("a restored file differs from the phone's");
    std::printf("stamp %s\nbackup_ms %.0f\nbackup_phone_ms %.0f\nbackup_request_ms %.0f\nbackup_first_item_ms %.0f\n"
                "restore_ms %.0f\nrestore_phone_ms %.0f\n",
                stamp.c_str(), backupMs, backupPhoneMs, requestedMs, firstItemMs, restoreMs, restorePhoneMs);
    std::fflush(stdout);
    return 0;
}
