// What the companion app does with the main program's requests, over a
// phone folder shared with the adb-server stand-in (phone path "/a/b" is
// <folder>\a\b there too):
//   "queryData"  -> "contact(N)_msg(M)_calllog(K)"
//   "backup_M"   -> writes <stamp>.vcf/.xml/.vcl for the bits of M under
//                   /storage/emulated/0/doruvadedi/ and answers one
//                   "backup_<bit>_/<phone path>" per file, all in one send
//   "getDir"     -> empties the restore folder and names it
//   "restore_M_<stamp>_<stamp>" -> compares each pushed <stamp>.<ext> with
//                   the data it backed up, byte for byte, and answers
//                   "restore_<bit>_/ok" or "restore_<bit>_/differs"
// With legacy storage the files really live under /storage/emulated/legacy
// while the replies still name /storage/emulated/0, as on older phones.
#pragma once
#include "PhoneData.h"
#include "PhoneServicePeer.h"

#include <mutex>
#include <string>
#include <vector>

namespace testpeers {

class PhoneServiceApp {
public:
    PhoneServiceApp(std::wstring phoneFolder, PhoneData data, bool legacyStorage = false);

    PhoneServicePeer::Responder Responder();
    // "<bit>:ok" or "<bit>:differs" per restored item, in order.
    std::vector<std::string> RestoreResults() const;
    std::string LastStamp() const;

    static const char kRestoreFolder[];  // as the replies name it

private:
    std::vector<std::string> Answer(const std::string& request);
    std::string StoragePath(const std::string& phonePath) const;  // where the file really is
    std::wstring LocalPath(const std::string& phonePath) const;

    std::wstring phoneFolder_;
    PhoneData data_;
    bool legacy_;
    mutable std::mutex mutex_;
    std::vector<std::string> restoreResults_;
    std::string lastStamp_;
};

}  // namespace testpeers
