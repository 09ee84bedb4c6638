// Cuts what the phone service sent into its replies. The service writes its
// replies back to back with no framing, so several can arrive in one receive
// and one can be cut between two. A reply begins with one of the service's
// heads ("backup_", "restore_", "restoreDir_", "contact(") or with the
// client's own failure text; a backup reply ends after the backup stamp and
// its extension. What is left of a reply at the end of a receive is kept
// and joined to the next receive.
#pragma once

#include <string>
#include <vector>

class PhoneReplySplitter {
public:
    // The replies that are complete after `received` arrived.
    std::vector<std::string> Feed(const std::string& received);
    // The replies still held back (at most one), handed out as they are.
    std::vector<std::string> Flush();

private:
    std::string pending_;
};
