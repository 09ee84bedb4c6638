#include "win32/ProcessKill.h"

#include <tlhelp32.h>

#include <cwchar>

#include "win32/ScopedHandle.h"

int KillProcessesByImageName(const wchar_t* imageName, UINT exitCode) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || !imageName) return 0;
    int ended = 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        const wchar_t* slash = wcsrchr(entry.szExeFile, L'\\');
        const wchar_t* image = slash ? slash + 1 : entry.szExeFile;
        if (entry.th32ProcessID == 0 || _wcsicmp(image, imageName) != 0) continue;
        ScopedHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process && TerminateProcess(process.Get(), exitCode)) ++ended;
    }
    return ended;
}
