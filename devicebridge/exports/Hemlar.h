// The device bridge's exported functions: plain cdecl functions with
// undecorated names, loaded by name with GetProcAddress by the programs.
#pragma once

#include "phone/ApkInfoRecord.h"

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

// ---- The phone, through the in-process adb client ----

// Asks the adb server for its device list in up to 10 rounds 800 ms apart,
// restarting the server once after the fourth empty round. 1 a phone online,
// 2 in recovery, -1 offline, 0 none found.
HEMLAR_EXPORT int HEMLAR_CALL IsConnectPhone();

// 1 when adb "root" answers that the phone runs (or restarts) as root, or that
// adbd cannot run as root in production builds; else 0.
HEMLAR_EXPORT int HEMLAR_CALL IsPhoneRoot();

// Writes the phone's USB identity "VID_xxxx&PID_xxxx" and a NUL (18 bytes) and
// returns 1; returns 1 without writing for a phone in recovery, else 0.
HEMLAR_EXPORT int HEMLAR_CALL GetAndroidID(char* out);

// Writes the phone's model (260 characters) when one answers within 10 rounds
// 500 ms apart. Returns 1, or 0 for a phone that has not accepted this PC.
HEMLAR_EXPORT int HEMLAR_CALL GetPhoneVersion(wchar_t* out);

// Writes the phone's brand (260 characters) and returns 1, else 0.
HEMLAR_EXPORT int HEMLAR_CALL GetPhoneBrand(wchar_t* out);

// Takes a screenshot on the phone and pulls it to the program folder's
// "skin\Torvanik\PhoneScreen\screenshot.png". 0 when the picture arrived,
// 1 otherwise.
HEMLAR_EXPORT int HEMLAR_CALL GetCellphoneScreenPng();

// Forwards the PC's TCP port 10086 to the phone's port 10086. Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL AndroidPortToPC();

// Runs an adb pull (or push) command line; 1 when the file was transferred.
HEMLAR_EXPORT int HEMLAR_CALL AdbPullFile(const wchar_t* commandLine);

// Runs an adb command line. For a push or pull, 1 when the file was
// transferred; for any other command, 1 when it printed anything. Else 0.
HEMLAR_EXPORT int HEMLAR_CALL AdbPushFile(const wchar_t* commandLine);

// Runs an adb command line, dropping its output. Returns 1.
HEMLAR_EXPORT int HEMLAR_CALL AdbRunCommand(const wchar_t* commandLine);

// 1 when the phone's process list holds the narrow name, else 0.
HEMLAR_EXPORT int HEMLAR_CALL AdbRunningApp(const char* name);

// Pulls a file from the phone to the PC; 1 when it arrived, else 0.
HEMLAR_EXPORT int HEMLAR_CALL ExportAndroidApk(const wchar_t* phonePath, const wchar_t* pcPath);

// Pulls the installed APK of a package to the PC; 1 when it arrived, 0 when
// the phone does not have the package or the pull failed.
HEMLAR_EXPORT int HEMLAR_CALL ExportAndroidApkByPackageName(const wchar_t* packageName, const wchar_t* pcPath);

// Waits for a listed phone (10 rounds 300 ms apart) and installs the APK
// ("install -r"); 1 when the package manager reports "Success", else 0.
HEMLAR_EXPORT int HEMLAR_CALL InstallAndroidApp(const char* apkPath);

// Starts the companion app's start activity; when that fails the shipped
// gov.apk is installed and started again, and the call returns 0 (the caller
// retries). 1 started, 0 otherwise.
HEMLAR_EXPORT int HEMLAR_CALL AdbServerStart();

// Starts an app's activity: 2 when its running task came to the front, 1
// started, 0 otherwise (after installing the shipped gov.apk and starting again).
HEMLAR_EXPORT int HEMLAR_CALL AdbServerStartEx(const wchar_t* packageName, const wchar_t* activity);

// Start the companion app's connect, backup and restore services: 1 when the
// phone started the service, 0 when it does not know it or no phone answered.
HEMLAR_EXPORT int HEMLAR_CALL AdbServerConnectStart();
HEMLAR_EXPORT int HEMLAR_CALL AdbServerBackupStart();
HEMLAR_EXPORT int HEMLAR_CALL AdbServerRestoreStart();

// 1 when the companion app's working folder holds its failure marker
// "log_error" (the app is then force-stopped), else 0.
HEMLAR_EXPORT int HEMLAR_CALL CheckFileAndKillActivity();
