// The two jobs before the scripts: checking a chosen ROM (is it a flashable
// package, does it fit the phone) and, once the user decided to flash,
// waiting for the backup, checking the package again and fetching the
// recovery package. Both run on worker threads and reach the page only
// through the interfaces below, whose implementations run on the UI thread.
#pragma once

#include <memory>
#include <string>

#include "BrushProcedure.h"
#include "HemlarEntries.h"

// The item every flashable ROM holds.
extern const wchar_t kPackageCheckItem[];

class IRomCheckPage {
public:
    virtual void ShowChosenRom(const std::wstring& romPath) = 0;
    virtual void TipRomDamaged() = 0;
    // Hides the downloader (for its packages) and brings the ROM page up.
    virtual void BringUpRomPage() = 0;
    virtual void SayRomMismatch() = 0;
    // The user's answer to "the match is uncertain, flash anyway?": true for yes.
    virtual bool ConfirmUncertainMatch() = 0;
    virtual void SayBridgeMissing() = 0;
    // Moves to the backup page; for a downloaded ROM flashing starts at once.
    virtual void AcceptRom() = 0;

protected:
    ~IRomCheckPage() = default;
};

struct RomCheckJob {
    std::wstring exeFolder;  // with a trailing backslash
    std::wstring romPath;
    int phoneTypeId = 0;
    std::shared_ptr<const HemlarEntries> hemlar;
};

void RunRomCheck(const RomCheckJob& job, IRomCheckPage& page);

class IFlashPage : public IBrushPage {
public:
    virtual bool BackupFinished() = 0;
    virtual void PauseCreep() = 0;
    // The user's answer to "the backup is not finished, flash anyway?".
    virtual bool ConfirmUnfinishedBackup() = 0;
    virtual void ReturnToBackupPage() = 0;
    virtual void ShowCloudCheck() = 0;

protected:
    ~IFlashPage() = default;
};

struct FlashJob {
    BrushSettings brush;
    DWORD backupWaitMs = 5000;
};

// The flash thread's whole run: backup wait, package check, recovery
// package, scripts.
void RunFlash(const FlashJob& job, IFlashPage& page);
