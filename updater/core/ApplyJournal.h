// The record that makes replacing the installation's files all-or-nothing.
// Before the first file changes, the journal lists every file the package
// will write and whether it existed; the unpacking moves each replaced file
// into the backup folder first. A start that finds the journal puts the
// installation back as it was: backups return, new files go.
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
};

// Written to a temporary name, flushed and renamed, so the journal on disk is
// always whole.
bool WriteApplyJournal(const std::wstring& file, const ApplyJournal& journal);
// False when the file is missing or unreadable.
bool ReadApplyJournal(const std::wstring& file, ApplyJournal& journal);

// Puts every listed file of the installation back as it was before the
// unpacking started.
void RollBackFiles(const std::wstring& installationFolder, const ApplyJournal& journal);
