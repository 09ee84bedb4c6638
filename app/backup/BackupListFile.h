// The list of phone backups kept on this PC, "data\DataBackRes.xml" in the
// program folder: <config> holds one <Element time phoneName pathDir> per
// backup, oldest first. Texts are stored in the ANSI code page, as the
// program holds them (other readers of the list rely on it); lists that
// earlier builds wrote in UTF-8 are still read.
// Every change is written to a temporary file and moved over the list, so
// an interrupted write never leaves half a list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One backup, in the fixed narrow fields the backup window works with (ANSI
// code page, NUL-terminated, cut at a whole character when too long).
struct BackupRecord {
    char time[30];        // the 19-character backup stamp
    char phoneName[50];   // the phone's name as the main window shows it
    char path[260];       // BackupPath\stamp\stamp: the files are path + ".vcf", ".xml", ".vcl"
};
static_assert(sizeof(BackupRecord) == 340, "BackupRecord is three fixed fields");

BackupRecord MakeBackupRecord(std::string_view time, std::string_view phoneName, std::string_view path);

// Which of the backup's files are still on disk, by item bit: 1 contacts
// (".vcf"), 2 messages (".xml"), 4 call records (".vcl").
int BackupFileMask(const BackupRecord& record);

// The list file of this installation.
std::wstring BackupListPath();

// Writes a new, empty list (the declaration and an empty <config>).
bool CreateBackupList(const std::wstring& file);
// Reads every entry; false (and no entries) when the file is missing, empty
// or not a list. A list read well is written back in the current form.
bool LoadBackupList(const std::wstring& file, std::vector<BackupRecord>& records);
// Adds the record as the last entry. False, with the file untouched, when
// the list cannot be read or written.
bool AppendBackupRecord(const std::wstring& file, const BackupRecord& record);
// Removes every entry whose time is `time`.
bool DeleteBackupRecords(const std::wstring& file, std::string_view time);
