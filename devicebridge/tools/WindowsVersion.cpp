#include "tools/WindowsVersion.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

#include "base/BridgeUtil.h"

namespace {

std::wstring Format(const wchar_t* format, ...) {
    wchar_t buffer[kCallerBufferChars] = {};
    va_list args;
    va_start(args, format);
    vswprintf(buffer, kCallerBufferChars, format, args);
    va_end(args);
    return buffer;
}

DWORD FileMajorVersion(const std::wstring& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info) return 0;
    return HIWORD(info->dwFileVersionMS);
}

wchar_t SecondChar(const std::wstring& text) {
    return text.size() >= 2 ? text[1] : L'\0';
}

std::wstring Windows9xName(const WindowsVersionFacts& f) {
    if (f.major != 4) return {};
    if (f.minor == 0) {
        wchar_t c = SecondChar(f.servicePack);
        return c == L'B' || c == L'C' ? L"Windows 95 OSR2" : L"Windows 95";
    }
    if (f.minor == 10) return SecondChar(f.servicePack) == L'A' ? L"Windows 98 Second Edition" : L"Windows 98";
    if (f.minor == 90) return L"Windows Millenium Edition";
    return {};
}

std::wstring Server2003Name(const WindowsVersionFacts& f) {
    std::wstring server = f.serverR2 ? L"Windows Server 2003 R2" : L"Windows Server 2003";
    const wchar_t* x64 = f.windows64 ? L" x64" : L"";
    if (f.suiteMask & VER_SUITE_BLADE) return server + x64 + L" Web Edition";
    if (f.suiteMask & VER_SUITE_ENTERPRISE) return server + x64 + L" Enterprise Edition";
    if (f.suiteMask & VER_SUITE_DATACENTER) return server + x64 + L" Datacenter Edition";
    return server;
}

std::wstring WindowsNtName(const WindowsVersionFacts& f) {
    const wchar_t* sp = f.servicePack.c_str();
    bool workstation = f.productType == VER_NT_WORKSTATION;
    bool server = f.productType == VER_NT_SERVER;
    if (f.major <= 4) {
        if (!f.extended) return Format(L"Windows NT %d.%d %ls", f.major, f.minor, sp);
        if (server)
            return Format(f.suiteMask & VER_SUITE_ENTERPRISE ? L"Windows NT %d.%d Server Enterprise Edition"
                                                             : L"Windows NT %d.%d Server",
                          f.major, f.minor);
        if (workstation) return Format(L"Windows NT Workstation %d.%d", f.major, f.minor);
        return Format(L"Windows NT %d.%d", f.major, f.minor);
    }
    if (f.major == 5) {
        if (f.minor == 0) {
            if (!f.extended) return Format(L"Windows 2000 %ls", sp);
            if (workstation) return L"Windows 2000 Professional";
            if (server) {
                if (f.suiteMask & VER_SUITE_ENTERPRISE) return L"Windows 2000 Advanced Server";
                if (f.suiteMask & VER_SUITE_DATACENTER) return L"Windows 2000 Datacenter Server";
                return L"Windows 2000 Server";
            }
            return L"Windows 2000 Home Edition";
        }
        if (f.minor == 1) {
            if (!f.extended) return Format(L"Windows XP %ls", sp);
            if (workstation) {
                if (!(f.suiteMask & VER_SUITE_PERSONAL)) return Format(L"Windows XP Professional %ls", sp);
                if (f.mediaCenter) return L"Windows XP Media Center Edition";
                if (f.starter) return L"Windows XP Starter Edition";
                if (f.tabletPc) return L"Windows XP Tablet PC Edition";
                return Format(L"Windows XP Home Edition %ls", sp);
            }
            if (f.suiteMask & VER_SUITE_EMBEDDEDNT) return Format(L"Windows XP Embedded Edition %ls", sp);
            return Format(L"Windows XP %ls", sp);
        }
        if (f.minor == 2) {
            if (!f.extended) return L"Windows 2003 family";
            if (server) return Server2003Name(f);
            return L"Windows XP Professional x64 Edition";
        }
        return Format(L"Windows %d.%d", f.major, f.minor);
    }
    if (f.major == 6) {
        if (!f.extended) return Format(L"Windows Longhorn %ls", sp);
        if (workstation) {
            if (!f.windows64) return L"Windows 7 32-bit";
            if (f.minor == 2) return f.kernel32Major == 10 ? L"Windows 10 64-bit" : L"Windows 8 64-bit";
            if (f.minor <= 1 || f.minor == 3) return L"Windows 7 64-bit";
            return {};
        }
        if (server) return L"Windows Server 2008";
        return {};
    }
    return Format(L"Windows %d.%d", f.major, f.minor);
}

}  // namespace

std::wstring WindowsVersionName(const WindowsVersionFacts& f) {
    switch (f.platformId) {
    case VER_PLATFORM_WIN32_WINDOWS:
        return Windows9xName(f);
    case VER_PLATFORM_WIN32_NT:
        DebugLine(std::string("GetWindowsVersion__WIN32_NT"));
        return WindowsNtName(f);
    default:  // Win32s and platforms this table does not know
        return Format(L"Windows %d.%d", f.major, f.minor);
    }
}

bool ReadWindowsVersionFacts(WindowsVersionFacts& facts) {
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    facts.extended = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
    if (!facts.extended) {
        info = {};
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
    }
    facts.platformId = info.dwPlatformId;
    facts.major = info.dwMajorVersion;
    facts.minor = info.dwMinorVersion;
    facts.servicePack = info.szCSDVersion;
    facts.productType = facts.extended ? info.wProductType : 0;
    facts.suiteMask = facts.extended ? info.wSuiteMask : 0;
    facts.windows64 = Is64BitWindows();
    facts.serverR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    facts.mediaCenter = GetSystemMetrics(SM_MEDIACENTER) != 0;
    facts.starter = GetSystemMetrics(SM_STARTER) != 0;
    facts.tabletPc = GetSystemMetrics(SM_TABLETPC) != 0;
    wchar_t system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length > 0 && length < MAX_PATH) facts.kernel32Major = FileMajorVersion(std::wstring(system) + L"\\kernel32.dll");
    return true;
}

bool IsWow64Self() {
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64Process = reinterpret_cast<IsWow64Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (!isWow64Process || !isWow64Process(GetCurrentProcess(), &wow64)) return false;
    return wow64 != FALSE;
}

bool Is64BitWindows() {
#ifdef _WIN64
    return true;
#else
    return IsWow64Self();
#endif
}
