// The guard every export runs its body through: a value passes, and any
// exception becomes the export's "no" value instead of reaching the C caller.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "exports/ExportGuard.h"
#include "phone/ApkInfoRecord.h"

namespace {

TEST(ExportGuard, PassesTheResultAndTurnsAnyExceptionIntoTheNoValue) {
    EXPECT_EQ(GuardExport(0, [] { return 2; }), 2);
    const std::vector<void (*)()> failures = {
        [] { throw std::bad_alloc(); },
        [] { throw std::runtime_error("inside"); },
        [] { std::vector<int>().at(3); },
        [] { throw 7; },
    };
    for (size_t i = 0; i < failures.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(GuardExport(0, [&]() -> int { failures[i](); return 1; }), 0);
        EXPECT_EQ(GuardExport(1, [&]() -> int { failures[i](); return 0; }), 1);  // LaunchApp's "no"
    }
}

TEST(ExportGuard, ARecordResultFallsBackToTheEmptyRecord) {
    ApkInfoRecord filled = {};
    filled.packageName[0] = 'x';
    ApkInfoRecord result = GuardExport(ApkInfoRecord{}, [&]() -> ApkInfoRecord {
        if (filled.packageName[0]) throw std::runtime_error("aapt output cut short");
        return filled;
    });
    EXPECT_EQ(result.packageName[0], '\0');
}

}  // namespace
