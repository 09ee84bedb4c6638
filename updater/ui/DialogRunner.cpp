#include "ui/DialogRunner.h"

#include "core/MainProgram.h"
#include "core/RefusalDay.h"
#include "core/UpdateCheck.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"

bool RunUpdateDialog(UpdateDialogValues values) {
    ScopedHandle mutex(CreateMutexW(nullptr, TRUE, L"{42F6F672-2A00-4e25-A70E-CCB7A8FB2B37}"));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) return false;
    if (DeclinedToday(values.request.paths.dayFile)) return false;
    HWND mainWindow = FindMainWindow(values.flavour);
    if (!mainWindow && !FileExists(values.request.paths.testRunMarker)) {
        UpdaterTrace(L" \x65E0\x4E3B\x7A97\x53E3 ");
        return false;
    }
    if (mainWindow) ::ShowWindow(mainWindow, SW_RESTORE);
    CUpdaterFrame frame(std::move(values));
    // No owner: the main window is closed during the update, and an owned
    // window would go with it.
    if (!frame.Create(nullptr, L"Updater", 0x96C80000, WS_EX_TOPMOST, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT))
        return false;
    frame.CenterWindow();
    frame.ShowModal();
    return true;
}
