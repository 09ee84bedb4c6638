// Applying a downloaded package to the installation: every file the package
// brings is written, each replaced file is moved into the backup folder
// first, the user's files on the keep list stay, two settings are carried
// over and the version files follow only once all of that is done. An apply
// cut off at any point is finished or undone by the next start
// (RecoverInterruptedApply), never left half done.
#pragma once

#include <string>
#include <vector>

#include "core/UpdatePaths.h"

struct ApplyRequest {
    UpdatePaths paths;                   // of the installation
    std::string version;                 // the offered version name
    std::vector<std::wstring> keepList;  // package items never unpacked
    std::wstring settingsFile;           // relative to the installation
};

// Told when the package's files are all in place, before the settings and
// the version files follow.
class ApplyObserver {
public:
    virtual void OnFilesReplaced() = 0;

protected:
    ~ApplyObserver() = default;
};

enum class ApplyResult {
    Applied,  // the installation is the new version and curjson names it
    TestRun,  // "flagtestsubmit": nothing was changed
    Failed,   // the installation and the version files are as they were
    Busy,     // another apply of this installation runs: nothing was done
};

ApplyResult ApplyUpdate(const ApplyRequest& request, ApplyObserver* observer = nullptr);

enum class Recovery { Nothing, RolledBack, Completed, Incomplete };

// Run at every start before anything else: an apply that was cut off while
// files were being replaced is undone; one cut off after that is completed.
// Files in use are renamed aside and deleted at a later start. Incomplete:
// something could not be put back yet; the journal stays for the next start.
Recovery RecoverInterruptedApply(const UpdatePaths& paths);
