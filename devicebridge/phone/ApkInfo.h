// APK metadata from aapt's "d badging" output: the shipped aapt runs through
// the batch file "data\AppInfo.bat" under the program folder, its output is
// parsed, and the zip reader checks which announced icon the APK holds.
#pragma once

#include <string>

#include "phone/ApkInfoRecord.h"

// The values read from one badging output (blanks removed).
struct ApkBadging {
    std::string packageName;
    std::string versionCode;
    std::string versionName;
    std::string sdkVersion;
    std::string targetSdkVersion;
    std::string label;      // UTF-8, as aapt prints it
    std::string labelZhCn;  // UTF-8
    std::string launchableActivity;
    std::string icon480;
    std::string icon240;
    std::string icon;
};

// The text between the first occurrence of key and the next apostrophe on
// the same line; empty when the key is missing or the apostrophe is.
std::string BadgingValue(const std::string& text, const std::string& key);

// Every value of a raw badging output, with the blanks of the text removed.
ApkBadging ParseBadging(const std::string& rawOutput);

// The icon the record names: the 480 icon when the APK holds it, else the 240
// icon when it holds that, else the plain "icon=" value. An APK the zip
// reader cannot open keeps the 480 icon unchecked.
std::string CheckedIcon(const ApkBadging& badging, const std::string& apkPath);

// The record of the values and the chosen icon; the label is converted from
// UTF-8 to the ANSI code page and every field is cut to 259 bytes at a
// character boundary.
ApkInfoRecord MakeApkInfoRecord(const ApkBadging& badging, const std::string& icon);

// aapt from "<folder>SarvelAdb\" when that folder exists, else from
// "<folder>Rirorivuvi\"; the folder ends in a backslash.
std::string AaptPath(const std::string& programFolder);

// The batch file's only line: both paths quoted, each "%" doubled so that
// the command interpreter takes it literally.
std::string BadgingBatchLine(const std::string& aaptPath, const std::string& apkPath);

// Writes the batch file through a handle no child process can inherit: a
// program another thread starts meanwhile would otherwise keep it open for
// writing as long as it runs, and the system refuses to start a batch file
// held so. 0 or the system error.
unsigned long WriteBatchFile(const std::string& path, const std::string& line);

// One run of the batch file: aapt's raw output and, when it printed nothing,
// what happened instead.
struct BadgingRun {
    std::string output;
    unsigned long writeError = 0;   // the batch file could not be written, so nothing ran
    unsigned long launchError = 0;  // it was written but could not be started
    unsigned long exitCode = 0;     // the command interpreter's exit code
    std::string batchFile;          // its content after a run that printed nothing
};

// Writes "<folder>data\AppInfo.bat" (making the folder if needed) and runs it.
// Calls take turns, since they share the batch file.
BadgingRun RunBadging(const std::string& programFolder, const std::string& apkPath);

// The whole call for a program folder (ending in a backslash): writes and
// runs the batch file, parses, checks the icons and builds the record. Calls
// take turns, since they share the batch file.
ApkInfoRecord DumpApkInfo(const std::string& programFolder, const std::string& apkPath);
