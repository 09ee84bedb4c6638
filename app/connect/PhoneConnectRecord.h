// What a connection worker hands the frame once a phone is identified: the
// fixed record (display name and recovery image URL) and the phone's data
// from the web service, all carried in one heap block that the frame frees.
// The worker never writes the frame's own fields.
#pragma once

#include <cstddef>
#include <string>

struct PhoneConnectRecord {
    wchar_t name[260];      // manufacturer and model, or the device's model text
    char recoveryUrl[260];  // "recovery_url", at most 259 bytes kept
};
static_assert(offsetof(PhoneConnectRecord, name) == 0, "name first");
static_assert(offsetof(PhoneConnectRecord, recoveryUrl) == 520, "recovery URL after 260 wide characters");
static_assert(sizeof(PhoneConnectRecord) == 780, "fixed record size");

// The web service's data about the connected phone; each query sets every
// field, so nothing of an earlier phone survives.
struct PhoneServerData {
    std::wstring vid, pid;  // the ids the query was made with
    std::string sid;
    std::string phoneTypeId;
    std::string largeIconUrl;
    std::string recoveryUrl;
};

struct PhoneConnectReport {
    PhoneConnectRecord record = {};
    PhoneServerData data;
    // The frame's phone session the worker was started for; a report of an
    // earlier session (its phone was unplugged or replaced since) is dropped.
    unsigned session = 0;
};
