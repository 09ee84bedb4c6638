#include "phonelink/PhoneCounts.h"

namespace {

// The decimal number right after `label` + "(", closed by ")"; -1 without one.
int NumberAfter(std::string_view reply, std::string_view label) {
    for (size_t at = reply.find(label); at != std::string_view::npos; at = reply.find(label, at + 1)) {
        // "msg(" must not be read inside another label such as "xmsg(".
        if (at > 0 && reply[at - 1] != '_') continue;
        size_t digit = at + label.size();
        long long value = 0;
        size_t end = digit;
        while (end < reply.size() && reply[end] >= '0' && reply[end] <= '9' && value <= 0x7FFFFFFF) {
            value = value * 10 + (reply[end] - '0');
            ++end;
        }
        if (end > digit && end < reply.size() && reply[end] == ')' && value <= 0x7FFFFFFF) return static_cast<int>(value);
    }
    return -1;
}

}  // namespace

bool ParsePhoneCounts(std::string_view reply, PhoneCounts& counts) {
    counts.contacts = NumberAfter(reply, "contact(");
    counts.messages = NumberAfter(reply, "msg(");
    counts.calls = NumberAfter(reply, "calllog(");
    return counts.contacts >= 0 || counts.messages >= 0 || counts.calls >= 0;
}
