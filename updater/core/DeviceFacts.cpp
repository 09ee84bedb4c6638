#include "core/DeviceFacts.h"

#include <windows.h>

#include "core/UpdateCheck.h"
#include "win32/TextConvert.h"

namespace {

using GetWindowsVersionFn = int(__cdecl*)(wchar_t*);
using GetHDiskMacFn = int(__cdecl*)(char*);

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

struct Library {
    explicit Library(const wchar_t* name) : module(LoadLibraryW(name)) {}
    ~Library() {
        if (module) FreeLibrary(module);
    }
    HMODULE module;
};

}  // namespace

DeviceFacts AskDeviceBridge() {
    DeviceFacts facts;
    Library bridge(L"Hemlar.dll");
    if (!bridge.module) return facts;
    auto windowsVersion = Export<GetWindowsVersionFn>(bridge.module, "GetWindowsVersion");
    auto diskMac = Export<GetHDiskMacFn>(bridge.module, "GetHDiskMac");
    if (!windowsVersion || !diskMac) {
        UpdaterTrace(L"Hemlar.dll load error");
        return facts;
    }
    wchar_t version[260] = {};
    windowsVersion(version);
    version[259] = L'\0';
    facts.os = WideToAnsi(version);
    // The bridge leaves the buffer untouched when it cannot read the address;
    // it is asked up to five times.
    for (int attempt = 0; attempt < 5 && facts.mac.empty(); ++attempt) {
        char mac[260] = {};
        diskMac(mac);
        facts.mac.assign(mac, BoundedLength(mac, sizeof(mac)));
    }
    if (facts.mac.empty()) facts.mac = "-";
    return facts;
}
