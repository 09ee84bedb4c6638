// The companion app's replies about backup files, and the copies of those
// files between the phone and this PC.
//
// A backup reply is "backup_<bit>_/<phone path>", the path ending in
// ".../doruvadedi/<stamp>.<ext>"; a restore reply "restore_<bit>_/<text>";
// the restore folder reply "restoreDir_<folder><one character>". The stamp
// and the extension are read from the file name's LAST ".", so folders
// with dots in their names work.
#pragma once

#include <string>
#include <string_view>

class DeviceBridge;

struct BackupReply {
    int bit = 0;            // 1 contacts, 2 messages, 4 call records
    std::string phonePath;  // "/storage/emulated/0/doruvadedi/<stamp>.<ext>"
    std::string fileName;   // "<stamp>.<ext>"
    std::string stamp;      // the file name up to its last "."
};

// False when the text is no backup reply with a bit and a file name.
bool ParseBackupReply(std::string_view text, BackupReply& reply);
// The item bit of "restore_<bit>_/..."; 0 when the text is not one.
int ParseRestoreReplyBit(std::string_view text);
// The folder named by "restoreDir_<folder>X"; false when the text is not one.
bool ParseRestoreDirReply(std::string_view text, std::string& folder);

// The file extension of an item bit (".vcf", ".xml", ".vcl"); empty for others.
const wchar_t* BackupExtension(int bit);

// Pulls a backup file from the phone to `localFile`. When the pull fails and
// the phone path names "storage/emulated/0", it is tried once more under
// "storage/emulated/legacy", where older phones keep shared storage.
// True only when the file arrived.
bool PullBackupFile(const DeviceBridge& bridge, const std::string& phonePath, const std::wstring& localFile);
// Pushes a local file to the phone folder under `name`. A path under
// "emulated/0/doruvadedi" is first pushed to the legacy storage path as well.
// True when the push into the given folder succeeded.
bool PushRestoreFile(const DeviceBridge& bridge, const std::wstring& localFile, const std::string& phoneFolder,
                     const std::wstring& name);

// How many entries a backup file holds: contacts are "BEGIN:VCARD" lines,
// messages "date=" attributes, call records the lines of the file. 0 when the
// file cannot be read.
int CountBackupItems(const std::wstring& file, int bit);

// Copies the file a backup reply names into "<backupFolder>\<stamp>\<file
// name>", creating the stamp's folder. `localFile` gets the target path.
// True only when the file arrived.
bool PullRepliedBackup(const DeviceBridge& bridge, const std::wstring& backupFolder, const BackupReply& reply,
                       std::wstring& localFile);
