// Whole-archive operations of the plug-in and the updater over the zip reader.
#pragma once

#include <string>
#include <vector>

// Extracts the item stored as `itemName` (case-sensitive) to `targetFile`.
// False when the archive, the item or the extraction fails; the target is
// then left as it was.
bool Unzip(const wchar_t* zipPath, const wchar_t* itemName, const wchar_t* targetFile);
bool Unzip(const char* zipPath, const char* itemName, const char* targetFile);

// Extracts every item into `targetFolder` (ending in a backslash), except
// those whose stored names are in `keep` (exact, case-sensitive). With a
// `backupFolder`, each file about to be replaced first moves there under its
// relative path. Items whose names would leave the folder are refused. True
// only when every item was extracted; a failed item leaves its old file.
bool UnzipWithBackup(const wchar_t* zipPath, const wchar_t* targetFolder, const wchar_t* backupFolder,
                     const std::vector<std::wstring>& keep);

// Where the failure lines of Unzip and UnzipWithBackup go; by default the
// debugger output. The plug-in points it at its own log.
using ZipUtilsLogger = void (*)(const wchar_t* line);
void SetZipUtilsLogger(ZipUtilsLogger logger);
