// The companion app's counts reply, "contact(N)_msg(M)_calllog(K)": each
// number is read after its own label, wherever the label stands.
#pragma once

#include <string_view>

struct PhoneCounts {
    int contacts = -1;  // -1: not in the reply
    int messages = -1;
    int calls = -1;
};

// False when the text holds none of the three labels with a number.
bool ParsePhoneCounts(std::string_view reply, PhoneCounts& counts);
