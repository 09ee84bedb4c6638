// The zip core's name rule, its walk of extra fields and its all-or-nothing
// file extraction.
#include "TestPaths.h"
#include "ZipWriter.h"
#include "zip/ZipDirectory.h"
#include "zip/ZipEntryName.h"
#include "zip/ZipFileWriter.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

namespace {

TEST(ZipCore, EntryNamesThatLeaveTheirFolderAreRefused) {
    const struct {
        const wchar_t* name;
        bool contained;
    } cases[] = {
        {L"dir/file.txt", true},         {L"./a", true},
        {L"..name/ok..", true},          {L"a.b/c", true},
        {L"", false},                    {L"../x", false},
        {L"..\\x", false},               {L"a/../../x", false},
        {L"a\\..", false},               {L"/etc/passwd", false},
        {L"\\x", false},                 {L"\\\\server\\share\\x", false},
        {L"C:\\x", false},               {L"C:x", false},
        {L"x.txt:stream", false},        {L"dir/x:$DATA", false},
        {L".. /x", false},               {L"a/.../x", false},
        {L"a/. ./x", false},             {L"..", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zipcore::IsContainedEntryName(c.name), c.contained) << testsupport::ToAnsi(c.name);
}

TEST(ZipCore, ExtendedTimesAreReadOnlyWithinTheirBlock) {
    const std::string other("\x0a\x00\x04\x00zzzz", 8);
    struct Case {
        const char* name;
        std::string extra;
        bool modification, access, creation;
    } cases[] = {
        {"all three after another block", other + testsupport::UnixTimeExtra(7, {1, 2, 3}), true, true, true},
        {"flags promise more than the block holds", testsupport::UnixTimeExtra(7, {1}), true, false, false},
        {"block runs past the field", std::string("UT\x40\x00\x07", 5) + "abcd", false, false, false},
        {"a lone id", std::string("UT", 2), false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const zipcore::ExtendedTimes times = zipcore::ReadExtendedTimes(c.extra);
        EXPECT_EQ(times.hasModification, c.modification);
        EXPECT_EQ(times.hasAccess, c.access);
        EXPECT_EQ(times.hasCreation, c.creation);
    }
    const zipcore::ExtendedTimes times = zipcore::ReadExtendedTimes(testsupport::UnixTimeExtra(1, {86400}));
    const FILETIME expected = zipcore::UnixTimeToFileTime(86400);
    EXPECT_EQ(times.modification.dwLowDateTime, expected.dwLowDateTime);
}

TEST(ZipCore, FilesAppearWholeOrNotAtAll) {
    testsupport::ScratchDir dir;
    testsupport::ZipWriter w;
    w.Add("good.bin", std::string(600000, 'g'));
    w.Add("bad.bin", std::string(600000, 'b')).declaredCrc = 5;
    const std::string bytes = w.Build();
    auto zip = zipcore::ZipDirectory::Open(std::make_unique<zipcore::MemoryZipSource>(bytes.data(), bytes.size()));
    ASSERT_TRUE(zip);
    const std::wstring target = dir.File(L"out.bin");
    ASSERT_TRUE(testsupport::WriteFileBytes(target, "old"));
    bool hookRan = false;
    EXPECT_EQ(zipcore::ExtractToFileAtomically(*zip, 1, target, {}, [&] { return hookRan = true; }),
              zipcore::WriteResult::DataFailed);
    EXPECT_FALSE(hookRan);  // the hook runs only for checked data
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old");
    EXPECT_EQ(zipcore::ExtractToFileAtomically(*zip, 0, target, {}, [] { return false; }),
              zipcore::WriteResult::CannotCreate);
    EXPECT_EQ(testsupport::ReadFileBytes(target), "old");
    EXPECT_EQ(zipcore::ExtractToFileAtomically(*zip, 0, target, {}), zipcore::WriteResult::Ok);
    EXPECT_EQ(testsupport::ReadFileBytes(target), std::string(600000, 'g'));
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(dir.File(L"*.unzipping").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);  // no temporary file is left
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
