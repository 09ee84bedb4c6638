// What aapt's badging tells about an APK: six NUL-terminated narrow texts of
// 260 bytes each. The label is in the ANSI code page; the other texts are as
// aapt printed them (UTF-8). GetDumpApkInfo returns it by value, so its layout
// is fixed.
#pragma once

#include <cstddef>

struct ApkInfoRecord {
    char packageName[260];
    char launchableActivity[260];
    char iconPath[260];       // the largest announced icon the APK really holds
    char versionCode[260];    // decimal text
    char labelZhCn[260];
    char label[260];
};
static_assert(sizeof(ApkInfoRecord) == 1560, "callers rely on the record's layout");
static_assert(offsetof(ApkInfoRecord, launchableActivity) == 260, "callers rely on the record's layout");
static_assert(offsetof(ApkInfoRecord, iconPath) == 520, "callers rely on the record's layout");
static_assert(offsetof(ApkInfoRecord, versionCode) == 780, "callers rely on the record's layout");
static_assert(offsetof(ApkInfoRecord, labelZhCn) == 1040, "callers rely on the record's layout");
static_assert(offsetof(ApkInfoRecord, label) == 1300, "callers rely on the record's layout");
