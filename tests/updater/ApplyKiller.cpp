// Not a test: applies the package of an installation the way the update
// dialog's apply thread does, and ends its own process hard at a chosen
// point, for the reliability test.
//   updater_apply_killer <installation folder> files <n>   killed once n originals are in the backup
//   updater_apply_killer <installation folder> replaced    killed when all files are in place,
//                                                          before the settings and version files
//   updater_apply_killer <installation folder> after <us>  killed <us> microseconds after the
//                                                          journal appeared (the unpack began)
//   updater_apply_killer <installation folder> measure     not killed; the exit code is the
//                                                          microseconds from the journal to the end
#include <windows.h>

#include <string>
#include <thread>

#include "core/ApplyUpdate.h"
#include "core/Flavour.h"
#include "core/VersionFiles.h"
#include "win32/FileUtil.h"

namespace {

void KillNow() { TerminateProcess(GetCurrentProcess(), 9); }

long long Microseconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

int CountFiles(const std::wstring& folder) {
    int count = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += CountFiles(folder + name + L"\\");
        else
            ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

class KillWhenReplaced : public ApplyObserver {
public:
    void OnFilesReplaced() override { KillNow(); }
};

// Waits until the journal exists (or the unpack is already over) and returns
// that moment. Each look is a round trip to the Wine server, so it looks
// once a millisecond, not in a tight loop that would slow the unpack down.
long long WaitForJournal(const UpdatePaths& paths) {
    while (!FileExists(paths.applyJournal) && !FileExists(paths.appliedMarker)) Sleep(1);
    return Microseconds();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    ApplyRequest request;
    request.paths = UpdatePaths::ForInstallation(argv[1]);
    request.version = ReadVersionMember(request.paths.newjson, "versionName").value_or("");
    const ProductFlavour flavour = DescribeFlavour(1, 1);
    request.keepList = flavour.keepList;
    request.settingsFile = flavour.settingsFile;

    const std::wstring point = argv[2];
    KillWhenReplaced killWhenReplaced;
    if (point == L"files" && argc > 3) {
        const int files = _wtoi(argv[3]);
        const std::wstring backup = request.paths.BackupFolder(request.version);
        std::thread([backup, files] {
            for (;;) {
                if (CountFiles(backup) >= files) KillNow();
                Sleep(1);
            }
        }).detach();
    }
    if (point == L"after" && argc > 3) {
        const long long delay = _wtoi64(argv[3]);
        std::thread([paths = request.paths, delay] {
            const long long due = WaitForJournal(paths) + delay;
            if (delay > 2000) Sleep(static_cast<DWORD>((delay - 2000) / 1000));
            while (Microseconds() < due) {
            }
            KillNow();
        }).detach();
    }
    long long journalSeen = 0;
    std::thread watch;
    if (point == L"measure")
        watch = std::thread([&journalSeen, paths = request.paths] { journalSeen = WaitForJournal(paths); });
    const ApplyResult result = ApplyUpdate(request, point == L"replaced" ? &killWhenReplaced : nullptr);
    if (point == L"measure") {
        const long long end = Microseconds();
        watch.join();
        return result == ApplyResult::Applied ? static_cast<int>(end - journalSeen) : -1;
    }
    return result == ApplyResult::Applied ? 0 : 1;
}
