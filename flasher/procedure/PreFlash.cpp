#include "PreFlash.h"

#include "FlashSteps.h"
#include "PluginLog.h"
#include "RecoveryPackage.h"
#include "ZipUtils.h"
#include "win32/FileUtil.h"

const wchar_t kPackageCheckItem[] = L"META-INF/com/google/android/update-binary";

namespace {

constexpr int kRomFits = 1;
constexpr int kRomDoesNotFit = -1;
constexpr size_t kShortestRecoveryUrl = 6;
constexpr int kCheckFailed = 15;
constexpr int kNoRecovery = 17;

// Unpacks the check item; a stale copy from an earlier ROM must not pass.
bool HoldsPackageCheckItem(const std::wstring& exeFolder, const std::wstring& romPath) {
    const std::wstring target = exeFolder + L"Rirorivuvi\\update-binary";
    RemoveFileEvenIfReadOnly(target);
    return Unzip(romPath.c_str(), kPackageCheckItem, target.c_str()) && FileExists(target);
}

}  // namespace

void RunRomCheck(const RomCheckJob& job, IRomCheckPage& page) {
    page.ShowChosenRom(job.romPath);
    if (!HoldsPackageCheckItem(job.exeFolder, job.romPath)) {
        page.TipRomDamaged();
        return;
    }
    page.BringUpRomPage();
    if (!job.hemlar || !job.hemlar->isRomMatchPhone) {
        page.SayBridgeMissing();
        return;
    }
    const int match = job.hemlar->isRomMatchPhone(job.phoneTypeId, job.romPath.c_str());
    if (match == kRomDoesNotFit) {
        page.SayRomMismatch();
        return;
    }
    if (match == kRomFits || page.ConfirmUncertainMatch()) page.AcceptRom();
}

void RunFlash(const FlashJob& job, IFlashPage& page) {
    BrushProcedure procedure(job.brush, page);
    Sleep(job.backupWaitMs);  // the backup's reports arrive meanwhile
    if (!page.BackupFinished()) {
        page.PauseCreep();
        if (!page.ConfirmUnfinishedBackup()) {
            page.ReturnToBackupPage();
            return;
        }
    }
    page.ShowCloudCheck();
    const std::wstring& folder = job.brush.exeFolder;
    if (!HoldsPackageCheckItem(folder, job.brush.romPath)) {
        procedure.Fail(kCheckFailed);
        return;
    }
    const std::wstring scripts = folder + L"Rirorivuvi\\";
    const std::wstring local = recoverypackage::LocalPackageFor(job.brush.romPath);
    if (FileExists(local)) {
        if (recoverypackage::Unpack(local, scripts) != recoverypackage::Outcome::Unpacked) {
            procedure.Fail(flashsteps::kRecoveryDamaged);
            return;
        }
    } else if (job.brush.recoveryUrl.size() < kShortestRecoveryUrl) {
        PluginLog("Cloud_recoverymissing: " + job.brush.recoveryUrl);
        procedure.Fail(kNoRecovery);
        return;
    } else if (recoverypackage::DownloadAndUnpack(job.brush.recoveryUrl, scripts) !=
               recoverypackage::Outcome::Unpacked) {
        procedure.Fail(flashsteps::kScriptsMissing);
        return;
    }
    procedure.Run();
}
