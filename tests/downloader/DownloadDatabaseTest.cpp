// The download database inside the program: a save that meets a locked
// database waits and lands, and the wrapper's error texts.
#include "database/DownloadDatabase.h"
#include "sql/CppSQLite3.h"

#include "TestPaths.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

using testsupport::ScratchDir;

namespace {

PackageRecord Record(const char* url, const char* err) {
    PackageRecord record{};
    std::strcpy(record.ObjectUrl, url);
    std::strcpy(record.Err, err);
    return record;
}

TEST(DownloadDatabase, SaveThatMeetsALockedDatabaseIsRetried) {
    ScratchDir dir;
    DownloadDatabase db(dir.Path());
    db.LoadTasks();  // creates the table
    CppSQLite3DB other;
    other.Open(WideToUtf8(db.Path()).c_str());
    other.Execute("BEGIN EXCLUSIVE");
    std::thread release([&] {
        Sleep(700);
        other.Execute("COMMIT");
    });
    EXPECT_TRUE(db.SaveTask(Record("http://h/a.zip", "-1")));
    release.join();
    EXPECT_EQ(1u, db.LoadTasks().size());
}

TEST(DownloadDatabase, StatusTwoDeletesAndReAddingInsertsAgain) {
    ScratchDir dir;
    DownloadDatabase db(dir.Path());
    db.LoadTasks();
    ASSERT_TRUE(db.SaveTask(Record("http://h/a.zip", "1")));
    ASSERT_TRUE(db.SaveTask(Record("http://h/a.zip", "2")));
    EXPECT_TRUE(db.LoadTasks().empty());
    ASSERT_TRUE(db.SaveTask(Record("http://h/a.zip", "-1")));
    ASSERT_EQ(1u, db.LoadTasks().size());
    EXPECT_STREQ("1", db.LoadTasks()[0].Err) << "a waiting task comes back paused";
}

TEST(SqlWrapper, ErrorsNameTheirCode) {
    ScratchDir dir;
    CppSQLite3DB db;
    try {
        db.Open(WideToUtf8(dir.File(L"no\\such\\folder\\x.db")).c_str());
        FAIL() << "opened a file in a missing folder";
    } catch (const CppSQLite3Exception& error) {
        EXPECT_EQ(14, error.ErrorCode());
        EXPECT_EQ(0, std::string(error.Message()).rfind("SQLITE_CANTOPEN[14]: ", 0)) << error.Message();
    }
    db.Open(WideToUtf8(dir.File(L"x.db")).c_str());
    db.Execute("CREATE TABLE t (a, b, c, d, e, f, g, h, i)");
    CppSQLite3Query empty = db.Query("SELECT * FROM t");
    EXPECT_TRUE(empty.AtEnd());
    db.Execute("INSERT INTO t VALUES (1, 2, 3, 4, 5, 6, 7, 8, NULL)");
    CppSQLite3Query row = db.Query("SELECT * FROM t");
    EXPECT_STREQ("", row.GetText(8, ""));
    try {
        row.GetText(9, "");
        FAIL() << "column 9 of 9";
    } catch (const CppSQLite3Exception& error) {
        EXPECT_EQ(1000, error.ErrorCode());
        EXPECT_STREQ("CPPSQLITE_ERROR[1000]: Invalid field index requested", error.Message());
    }
    CppSQLite3Query moved = row;
    EXPECT_STREQ("1", moved.GetText(0, ""));
    try {
        row.GetText(0, "");
        FAIL() << "the source of a copy lost its statement";
    } catch (const CppSQLite3Exception& error) {
        EXPECT_STREQ("CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer", error.Message());
    }
}

}  // namespace
