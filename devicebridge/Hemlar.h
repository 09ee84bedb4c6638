// The device bridge's exported functions: plain cdecl functions with
// undecorated names, loaded by name with GetProcAddress by the programs.
#pragma once

#ifdef HEMLAR_BUILDING
#define HEMLAR_EXPORT extern "C" __declspec(dllexport)
#else
#define HEMLAR_EXPORT extern "C" __declspec(dllimport)
#endif
#define HEMLAR_CALL __cdecl

// Digest of a narrow text; out receives 32 lower-case hex digits and a NUL
// (at least 33 bytes). Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL GetStringMD5(const char* text, char* out);

// Digest of a file named by a narrow path; out receives the 32 digits, or an
// empty text when the file is missing, empty or unreadable. Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL GetFileMD5(const char* path, char* out);

// Runs devcon's rescan of the device tree (the x64 or x86 build from the
// program folder's AndroidTool folder). Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL ReScanDev();

// 1 when devcon reports "Driver is running" for the hardware id, else 0.
HEMLAR_EXPORT int HEMLAR_CALL IsDriverRun(const wchar_t* hardwareId);

// Updates the driver of a hardware id from an INF file with devcon. Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL UpdateDriver(const wchar_t* infPath, const wchar_t* hardwareId);

// Installs the driver of an INF file for a hardware id with devcon; blocks
// until devcon ends. Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL InstallDriver(const wchar_t* infPath, const wchar_t* hardwareId);

// Ends every other process that has a TCP socket on local port 5037 (the
// adb server's port). Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL CheckAndKillKoviAdb();

// Writes the first network adapter's physical address ("XX-XX-XX-XX-XX-XX"
// and a NUL, 18 bytes) as getmac prints it; the buffer stays as it was when
// getmac names none. Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL GetHDiskMac(char* out);

// Writes the Windows version's display name (at most 130 characters with the
// NUL). Returns 1, or 0 with the buffer untouched when the version cannot be read.
HEMLAR_EXPORT int HEMLAR_CALL GetWindowsVersion(wchar_t* out);

// 1 for a 32-bit process under 64-bit Windows, else 0.
HEMLAR_EXPORT int HEMLAR_CALL IsWindows64();

// The device manager's description of a phone given by its device interface
// path (\\?\USB#VID_xxxx&PID_xxxx#...), written into out (260 characters).
// Returns 1 when written, 0 otherwise; 1 at once on 32-bit Windows.
HEMLAR_EXPORT int HEMLAR_CALL GetDevpBrandModel(const wchar_t* interfacePath, wchar_t* out);

// Starts a narrow command line as a new process, without waiting for it.
// Returns 0 when it started, 1 when it did not.
HEMLAR_EXPORT int HEMLAR_CALL LaunchApp(const char* commandLine);

// Whether the ROM zip at romPath fits phones of the web service's type id:
// 1 it fits, -1 it does not, 0 cannot tell (the caller asks the user).
HEMLAR_EXPORT int HEMLAR_CALL IsRomMatchPhone(int phoneTypeId, const wchar_t* romPath);

// What aapt's badging tells about an APK: six NUL-terminated narrow texts of
// 260 bytes each. The label is in the ANSI code page; the other texts are as
// aapt printed them (UTF-8).
struct ApkInfoRecord {
    char packageName[260];
    char launchableActivity[260];
    char iconPath[260];       // the largest announced icon the APK really holds
    char versionCode[260];    // decimal text
    char labelZhCn[260];
    char label[260];
};
static_assert(sizeof(ApkInfoRecord) == 1560, "callers rely on the record's layout");

// Reads the APK at a narrow path with the shipped aapt and returns its
// record by value (the caller provides the return space); the same 1560 bytes
// are left in scratch. Every field is empty when aapt cannot read the file.
// On 32-bit x86 the caller pops the hidden return pointer, as MSVC expects.
#if defined(__GNUC__) && defined(__i386__)
#define HEMLAR_STRUCT_RETURN __attribute__((callee_pop_aggregate_return(0)))
#else
#define HEMLAR_STRUCT_RETURN
#endif
HEMLAR_EXPORT ApkInfoRecord HEMLAR_CALL HEMLAR_STRUCT_RETURN GetDumpApkInfo(const char* apkPath, char* scratch);
