#include "phone/ApkInfo.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

#include "base/BridgeUtil.h"
#include "phone/RomMatch.h"
#include "tools/ToolRunner.h"
#include "win32/ScopedHandle.h"
#include "archive/ZipArchive.h"
#include "win32/TextConvert.h"

namespace {

constexpr size_t kFieldBytes = sizeof(ApkInfoRecord::packageName);

// Every call writes and runs the same batch file, so calls take turns: an
// overlapping call must not replace the line another call is about to run.
std::mutex g_batchFile;

bool HasEntry(ZipArchive* zip, const std::string& name) {
    int index = -1;
    return FindZipItem(zip, AnsiToWide(name).c_str(), &index, nullptr) == kZipOk;
}

// How many leading bytes of text fit into a field without splitting a
// character: UTF-8 when utf8, else the ANSI code page.
size_t FieldLength(const std::string& text, bool utf8) {
    const size_t limit = kFieldBytes - 1;
    if (text.size() <= limit) return text.size();
    size_t cut = 0;
    if (utf8) {
        cut = limit;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    } else {
        for (;;) {
            const size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[cut])) ? 2 : 1;
            if (cut + step > limit) break;
            cut += step;
        }
    }
    return cut;
}

void SetField(char (&field)[kFieldBytes], const std::string& text, bool utf8 = true) {
    const size_t length = FieldLength(text, utf8);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string ReadBatchFile(const std::string& path) {
    std::ifstream in(std::filesystem::path(AnsiToWide(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Report(const ApkInfoRecord& record, const ApkBadging& badging) {
    for (const char* field : {record.packageName, record.launchableActivity, record.iconPath, record.labelZhCn,
                              record.label, record.versionCode})
        DebugLine(std::string(field));
    std::string lines;
    for (const std::string& value :
         {std::string(record.label), badging.labelZhCn, badging.packageName, badging.versionCode,
          badging.versionName, badging.sdkVersion, badging.targetSdkVersion, badging.launchableActivity,
          std::string(record.iconPath)})
        lines += " - " + value + "\n";
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    std::fflush(stdout);
}

}  // namespace

unsigned long WriteBatchFile(const std::string& path, const std::string& line) {
    ScopedHandle file(CreateFileW(AnsiToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    DWORD written = 0;
    if (!WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) return GetLastError();
    return written == line.size() ? 0 : ERROR_WRITE_FAULT;
}

BadgingRun RunBadging(const std::string& programFolder, const std::string& apkPath) {
    std::lock_guard<std::mutex> turn(g_batchFile);
    const std::string dataFolder = programFolder + "data";
    // A fresh or cleaned installation may lack the folder; the call still works.
    CreateDirectoryA(dataFolder.c_str(), nullptr);
    const std::string batchFile = dataFolder + "\\AppInfo.bat";
    BadgingRun badging;
    // A batch file that cannot be written is not run: a stale one names another APK.
    badging.writeError = WriteBatchFile(batchFile, BadgingBatchLine(AaptPath(programFolder), apkPath));
    if (badging.writeError) return badging;
    ProgramRun run = RunProgram("\"" + batchFile + "\"");
    badging.output = std::move(run.output);
    badging.launchError = run.launchError;
    badging.exitCode = run.exitCode;
    if (badging.output.empty()) badging.batchFile = ReadBatchFile(batchFile);
    return badging;
}

std::string BadgingValue(const std::string& text, const std::string& key) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return {};
    const size_t start = at + key.size();
    const size_t nextKey = text.find(key, start);
    const size_t end = text.find_first_of("'\r\n", start);
    if (end == std::string::npos || end > nextKey || text[end] != '\'') return {};
    return text.substr(start, end - start);
}

ApkBadging ParseBadging(const std::string& rawOutput) {
    const std::string text = WithoutBlanks(rawOutput);
    ApkBadging badging;
    badging.packageName = BadgingValue(text, "package:name='");
    badging.versionCode = BadgingValue(text, "versionCode='");
    badging.versionName = BadgingValue(text, "versionName='");
    badging.sdkVersion = BadgingValue(text, "sdkVersion:'");
    badging.targetSdkVersion = BadgingValue(text, "targetSdkVersion:'");
    badging.label = BadgingValue(text, "application-label:'");
    badging.labelZhCn = BadgingValue(text, "application-label-zh_CN:'");
    badging.launchableActivity = BadgingValue(text, "launchable-activity:name='");
    badging.icon480 = BadgingValue(text, "application-icon-480:'");
    badging.icon240 = BadgingValue(text, "application-icon-240:'");
    badging.icon = BadgingValue(text, "icon='");
    return badging;
}

std::string CheckedIcon(const ApkBadging& badging, const std::string& apkPath) {
    ZipArchivePtr zip(OpenZipArchive(AnsiToWide(apkPath).c_str()));
    if (!zip || HasEntry(zip.get(), badging.icon480)) return badging.icon480;
    DebugLine(std::wstring(L"xxh 图 有异常"));
    if (HasEntry(zip.get(), badging.icon240)) return badging.icon240;
    DebugLine(std::wstring(L"h 图 有异常"));
    return badging.icon;
}

ApkInfoRecord MakeApkInfoRecord(const ApkBadging& badging, const std::string& icon) {
    ApkInfoRecord record = {};
    SetField(record.packageName, badging.packageName);
    SetField(record.launchableActivity, badging.launchableActivity);
    SetField(record.iconPath, icon);
    SetField(record.versionCode, badging.versionCode);
    SetField(record.labelZhCn, badging.labelZhCn);
    SetField(record.label, WideToAnsi(Utf8ToWide(badging.label)), false);
    return record;
}

std::string AaptPath(const std::string& programFolder) {
    const DWORD attributes = GetFileAttributesA((programFolder + "SarvelAdb").c_str());
    const bool sarvel = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return programFolder + (sarvel ? "SarvelAdb\\aapt.exe" : "Rirorivuvi\\aapt.exe");
}

std::string BadgingBatchLine(const std::string& aaptPath, const std::string& apkPath) {
    auto quoted = [](const std::string& path) {
        std::string text = "\"";
        for (char c : path) text += c == '%' ? std::string("%%") : std::string(1, c);
        return text + "\"";
    };
    return quoted(aaptPath) + " d badging " + quoted(apkPath);
}

ApkInfoRecord DumpApkInfo(const std::string& programFolder, const std::string& apkPath) {
    DebugLine(std::string("getPackageInfo_____parsePackageInfo"));
    DebugLine(std::string("Hemlar___getPackageInfo___Begin"));
    const std::string output = RunBadging(programFolder, apkPath).output;
    DebugLine(std::string("Hemlar___getPackageInfo___End"));
    const ApkBadging badging = ParseBadging(output);
    const ApkInfoRecord record = MakeApkInfoRecord(badging, CheckedIcon(badging, apkPath));
    Report(record, badging);
    return record;
}
