// What the procedure reads from the scripts: whether the recovery script
// needs root, and where the ROM is pushed.
#include "ScriptFiles.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

namespace {

const char kLiveDd[] = "%adb% shell su -c \"dd if=%rec_sd% of=/dev/block/recovery\"\r\n";
const char kCommentedDd[] = "::%adb% shell su -c \"dd if=%rec_sd% of=/dev/block/recovery\"\r\n";

struct DdCase {
    const char* script;
    bool live;
};

TEST(ScriptFiles, DdLinesNeedRootOnlyWhenLive) {
    testsupport::ScratchDir dir;
    const DdCase cases[] = {
        {"@echo off\r\necho rec-bat-begin---\r\n", false},
        {kLiveDd, true},
        {kCommentedDd, false},
        {"set rec_sd=/sdcard/rec.img\r\n%adb% shell su -c \"dd if=%rec_sd% of=x\"", true},
    };
    for (const DdCase& c : cases) {
        ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"rec.bat"), c.script));
        EXPECT_EQ(c.live, scriptfiles::HasLiveDdLine(dir.File(L"rec.bat"))) << c.script;
    }
    EXPECT_FALSE(scriptfiles::HasLiveDdLine(dir.File(L"missing.bat")));
}

struct TargetCase {
    const char* script;
    const char* target;  // null: none
};

TEST(ScriptFiles, PushTargetIsTheLastLiveLine) {
    testsupport::ScratchDir dir;
    const TargetCase cases[] = {
        {"echo nothing\r\n", nullptr},
        {"set sdZip=/sdcard/update.zip\r\n", "/sdcard/update.zip"},
        {"::set sdZip=/sdcard/update.zip\r\n", nullptr},
        {"set sdZip=/sdcard/update.zip.bak\r\n", "/sdcard/update.zip"},
        {"set sdZip=/cache/a.zip\r\nset sdZip=/sdcard/b/update.zip\r\n", "/sdcard/b/update.zip"},
        {"set sdZip=/data/rom.bin\r\n", "/data/rom.bin"},
    };
    for (const TargetCase& c : cases) {
        ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"push_brush.bat"), c.script));
        const auto target = scriptfiles::FindPushTarget(dir.File(L"push_brush.bat"));
        if (!c.target) {
            EXPECT_FALSE(target.has_value()) << c.script;
        } else {
            ASSERT_TRUE(target.has_value()) << c.script;
            EXPECT_EQ(c.target, *target);
        }
    }
}

}  // namespace
