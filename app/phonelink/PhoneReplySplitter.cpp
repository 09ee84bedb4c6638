#include "phonelink/PhoneReplySplitter.h"

#include <algorithm>
#include <cstring>

namespace {

// Backup files sit in this phone folder, named by a 19-character stamp plus
// "." and a three-letter extension.
const char kBackupFolder[] = "doruvadedi/";
constexpr size_t kStampAndExtension = 19 + 4;

// A reply never waits for its end longer than one full receive buffer.
constexpr size_t kMostHeldBack = 8196;

// The heads a reply starts with: "backup_<bit>_/", "restore_<bit>_/",
// "restoreDir_", "contact(" and the client's own failure text. The item
// heads need their bit and "_/", so a folder named "my_backup_files" inside
// a path is not taken for a new reply.
const char kBackupHead[] = "backup_";
const char kRestoreHead[] = "restore_";
const char* const kPlainHeads[] = {"restoreDir_", "contact(", "Connect_Android_Server___Fail"};

bool ItemHeadAt(const std::string& text, size_t at, const char* head) {
    size_t length = std::strlen(head);
    if (text.compare(at, length, head) != 0) return false;
    size_t digits = at + length;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    return digits > at + length && text.compare(digits, 2, "_/") == 0;
}

bool HeadAt(const std::string& text, size_t at) {
    if (ItemHeadAt(text, at, kBackupHead) || ItemHeadAt(text, at, kRestoreHead)) return true;
    for (const char* head : kPlainHeads)
        if (text.compare(at, std::strlen(head), head) == 0) return true;
    return false;
}

size_t NextHead(const std::string& text, size_t from) {
    for (size_t at = from; at < text.size(); ++at)
        if (HeadAt(text, at)) return at;
    return std::string::npos;
}

// Where a reply starting at `start` ends: a backup reply right after its
// stamp and extension, any reply at the next head; npos when the text ends
// before the reply can be known to be complete.
size_t ReplyEnd(const std::string& text, size_t start, bool& complete) {
    complete = true;
    if (ItemHeadAt(text, start, kBackupHead)) {
        size_t folder = text.find(kBackupFolder, start);
        size_t next = NextHead(text, start + 1);
        if (folder != std::string::npos && (next == std::string::npos || folder < next)) {
            size_t end = folder + std::strlen(kBackupFolder) + kStampAndExtension;
            if (end <= text.size()) return end;
        }
        if (next != std::string::npos) return next;  // a malformed backup reply ends where the next begins
        complete = false;
        return text.size();
    }
    if (text.compare(start, 8, "contact(") == 0) {
        // "contact(%d)_msg(%d)_calllog(%d)": complete at the bracket closing the last count.
        size_t calls = text.find("calllog(", start);
        size_t next = NextHead(text, start + 1);
        if (calls != std::string::npos && (next == std::string::npos || calls < next)) {
            size_t close = text.find(')', calls);
            if (close != std::string::npos && (next == std::string::npos || close < next)) return close + 1;
        }
        if (next != std::string::npos) return next;
        complete = false;
        return text.size();
    }
    size_t next = NextHead(text, start + 1);
    return next == std::string::npos ? text.size() : next;
}

}  // namespace

std::vector<std::string> PhoneReplySplitter::Feed(const std::string& received) {
    pending_ += received;
    std::vector<std::string> replies;
    size_t start = 0;
    while (start < pending_.size()) {
        bool complete = true;
        size_t end = ReplyEnd(pending_, start, complete);
        if (!complete && pending_.size() - start <= kMostHeldBack) break;
        replies.push_back(pending_.substr(start, end - start));
        start = end;
    }
    pending_.erase(0, start);
    return replies;
}

std::vector<std::string> PhoneReplySplitter::Flush() {
    std::vector<std::string> replies;
    if (!pending_.empty()) replies.push_back(std::move(pending_));
    pending_.clear();
    return replies;
}
