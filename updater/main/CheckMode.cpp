#include "main/CheckMode.h"

#include <atomic>
#include <memory>
#include <thread>

#include "core/Flavour.h"
#include "core/MainProgram.h"
#include "core/PackageCheck.h"
#include "core/RefusedOffer.h"
#include "core/Staging.h"
#include "core/UpdateCheck.h"
#include "core/UpdatePaths.h"
#include "core/UpdaterSettings.h"
#include "tray/TrayIcon.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

namespace {

std::atomic<TrayIcon*> g_tray{nullptr};

// Closing the main program during a check or a download ends the updater.
void StartWatchdog(const ProductFlavour& flavour) {
    std::thread([flavour] {
        for (;;) {
            Sleep(200);
            if (FindMainWindowFirstTitle(flavour)) continue;
            if (TrayIcon* tray = g_tray.load()) tray->RemoveIcon();
            ExitProcess(0);
        }
    }).detach();
}

}  // namespace

int UpdateCheckAndFetch(HINSTANCE instance, const std::wstring& installationFolder, const std::wstring& ownFileName) {
    // Held until the process ends.
    static ScopedHandle mutex;
    mutex.Reset(CreateMutexW(nullptr, TRUE, L"{BB3FBD20-96BF-4dac-B567-689F0B74C3F1}"));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return 1;

    const UpdatePaths paths = UpdatePaths::ForInstallation(installationFolder);
    const int flavourId = FlavourOfFileName(ownFileName);
    const int webapiIndex = ReadWebapiIndex(paths.base + DescribeFlavour(flavourId, 1).settingsFile);
    const ProductFlavour flavour = DescribeFlavour(flavourId, webapiIndex);
    if (!FileExists(paths.testRunMarker)) StartWatchdog(flavour);

    UpdaterTrace(L" #12222: \x68C0\x67E5\x66F4\x65B0 ");
    std::string version;
    const int updateClass = CheckForUpdate(paths, flavour.checkUrls, flavour.packageUrlKey, version);
    if (updateClass < 1) {
        UpdaterTrace(L" #12222: \x65E0\x65B0\x7248\x672C\x4E0B\x8F7D\xFF0Creturn... ");
        return 0;
    }

    const PackageOffer offer = CurrentOffer(paths, flavour.packageUrlKey);
    if (IsRefusedOffer(paths, offer)) {
        UpdaterTrace(L" \x5DF2\x62D2\x7EDD\x7684\x5347\x7EA7\x5305\xFF0C\x4E0D\x518D\x91CD\x8BD5: " +
                     AnsiToWide(offer.version));  // 已拒绝的升级包，不再重试
        return 0;
    }

    auto tray = std::make_unique<TrayIcon>(instance);
    g_tray = tray.get();
    const int downloaded = DownloadPackage(paths, flavour.packageUrlKey);
    g_tray = nullptr;
    tray.reset();
    // Only a package that arrived whole and opens is staged and applied.
    if (downloaded != 0) return 0;
    if (!PackageAcceptable(paths.package)) {
        // Not tried again, and the main program is never closed for it.
        UpdaterTrace(L" package refused: " + paths.package);
        RememberRefusedOffer(paths, offer);
        RemoveFileEvenIfReadOnly(paths.package);
        return 0;
    }
    if (!StageUpdaterCopy(paths, version, ownFileName)) {
        UpdaterTrace(L" staging the new updater failed");
        return 0;
    }
    StartApplyCopy(paths.StagingFolder(version) + ownFileName);
    return 0;
}
