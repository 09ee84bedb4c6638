// The record that makes replacing the installation's files all-or-nothing.
// Before the first file changes, the journal lists every file the package
// will write and whether it existed, and every folder the unpacking will
// create; the unpacking keeps each replaced file in the backup folder. A
// start that finds the journal puts the installation back as it was:
// backups return, new files and folders go, and the journal stays until
// every item is verified back.
#pragma once

#include <string>
#include <vector>

struct JournalItem {
    std::wstring name;  // relative to the installation, with backslashes
    bool existed = false;
};

struct ApplyJournal {
    std::wstring backupFolder;  // ends in a backslash
    std::wstring settingsFile;  // relative to the installation
    std::wstring package;
    std::vector<JournalItem> items;
    std::vector<std::wstring> folders;  // created by the unpacking, parents first; relative
};

// Written to a temporary name, flushed and renamed, so the journal on disk is
// always whole.
bool WriteApplyJournal(const std::wstring& file, const ApplyJournal& journal);
// False when the file is missing or unreadable.
bool ReadApplyJournal(const std::wstring& file, ApplyJournal& journal);

// Puts every listed file of the installation back as it was before the
// unpacking started, removes the unpacking's temporary files and the folders
// it created. A file that is in use (a running program) cannot be replaced or
// deleted in place: it is renamed into `asideFolder` first, to be deleted at
// a later start (EmptyAsideFolder). True only when every item was verified
// back; the caller keeps the journal otherwise and tries again next time.
bool RollBackFiles(const std::wstring& installationFolder, const ApplyJournal& journal,
                   const std::wstring& asideFolder);

// Deletes what earlier recoveries moved aside; files still in use stay for
// the next start.
void EmptyAsideFolder(const std::wstring& asideFolder);
