#include "core/VersionName.h"

#include <cstdlib>

namespace {

constexpr int kMostParts = 8;
constexpr size_t kMostDigits = 9;  // every part fits a long

}  // namespace

bool IsVersionName(const std::string& name) {
    int parts = 1;
    size_t digits = 0;
    for (char c : name) {
        if (c >= '0' && c <= '9') {
            if (++digits > kMostDigits) return false;
        } else if (c == '.' && digits > 0 && parts < kMostParts) {
            ++parts;
            digits = 0;
        } else {
            return false;
        }
    }
    return digits > 0;
}

VersionNumber ParseVersionName(const std::string& name) {
    long parts[3] = {0, 0, 0};
    const char* cursor = name.c_str();
    for (long& part : parts) {
        char* end = nullptr;
        const long value = std::strtol(cursor, &end, 10);
        if (end == cursor) break;
        part = value;
        if (*end != '.') break;
        cursor = end + 1;
    }
    return VersionNumber{parts[0], parts[1], parts[2]};
}

int UpdateClass(const VersionNumber& installed, const VersionNumber& offered) {
    if (offered.major != installed.major) return offered.major > installed.major ? 1 : -1;
    if (offered.minor != installed.minor) return offered.minor > installed.minor ? 2 : -1;
    if (offered.patch <= installed.patch) return -1;
    return (offered.patch % 2 != 0) ? 3 : 2;
}
