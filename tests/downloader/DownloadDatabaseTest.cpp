// The download database inside the program: a save that meets a locked
// database waits and lands, queued saves keep their order and are not
// lost, and the wrapper's error texts.
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

PackageRecord Record(const char* url, const char* err, const char* id = "") {
    PackageRecord record{};
    std::strcpy(record.ObjectUrl, url);
    std::strcpy(record.Err, err);
    std::strcpy(record.Id, id);
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

// Holds the database's write lock from another connection for a while.
struct LockedFor {
    CppSQLite3DB other;
    std::thread release;
    LockedFor(const std::wstring& path, DWORD ms) {
        other.Open(WideToUtf8(path).c_str());
        other.Execute("BEGIN EXCLUSIVE");
        release = std::thread([this, ms] {
            Sleep(ms);
            other.Execute("COMMIT");
        });
    }
    ~LockedFor() { release.join(); }
};

TEST(DownloadDatabase, QueuedSavesLandBeforeALaterDirectSave) {
    ScratchDir dir;
    DownloadDatabase db(dir.Path());
    db.LoadTasks();
    {
        // The writer thread cannot write the queued saves before the direct one is asked for.
        LockedFor locked(db.Path(), 500);
        db.SaveSoon(Record("http://h/a.zip", "-1", "a"));
        db.SaveSoon(Record("http://h/b.zip", "-1", "b"));
        EXPECT_TRUE(db.SaveTask(Record("http://h/a.zip", "3", "a")));
    }
    const auto rows = db.LoadTasks();
    ASSERT_EQ(2u, rows.size());
    for (const PackageRecord& row : rows)
        EXPECT_STREQ(std::string(row.ObjectUrl) == "http://h/a.zip" ? "3" : "1", row.Err) << row.ObjectUrl;
}

TEST(DownloadDatabase, QueuedSavesAreWrittenBeforeTheDatabaseGoes) {
    ScratchDir dir;
    DownloadDatabase(dir.Path()).LoadTasks();
    {
        LockedFor locked(DownloadDatabase(dir.Path()).Path(), 300);
        DownloadDatabase db(dir.Path());
        for (const char* id : {"1", "2", "3"}) db.SaveSoon(Record("http://h/p.zip", "1", id));
    }  // the database goes first, while its file is still locked
    EXPECT_EQ(3u, DownloadDatabase(dir.Path()).LoadTasks().size());
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

TEST(SqlWrapper, ResultTableServesTypedValuesByIndexAndName) {
    ScratchDir dir;
    CppSQLite3DB db;
    db.Open(WideToUtf8(dir.File(L"t.db")).c_str());
    db.Execute("CREATE TABLE t (name TEXT, size INTEGER, big INTEGER, ratio REAL)");
    db.Execute("INSERT INTO t VALUES ('a', 12, 5000000000, 0.5)");
    db.Execute("INSERT INTO t VALUES (NULL, NULL, NULL, NULL)");
    CppSQLite3Table table = db.GetTable("SELECT * FROM t ORDER BY rowid");
    ASSERT_EQ(2, table.NumRows());
    ASSERT_EQ(4, table.NumFields());
    EXPECT_EQ(2, table.FieldIndex("big"));
    EXPECT_STREQ("a", table.GetText(0));
    EXPECT_STREQ("a", table.GetText("name"));
    EXPECT_EQ(12, table.GetInt(1));
    EXPECT_EQ(12, table.GetInt("size"));
    EXPECT_EQ(5000000000LL, table.GetInt64("big"));
    EXPECT_DOUBLE_EQ(0.5, table.GetFloat("ratio"));
    table.SetRow(1);
    EXPECT_TRUE(table.FieldIsNull("name"));
    EXPECT_STREQ("none", table.GetText("name", "none"));
    EXPECT_EQ(-1, table.GetInt("size", -1));
    EXPECT_EQ(-2, table.GetInt64(2, -2));
    EXPECT_DOUBLE_EQ(1.5, table.GetFloat(3, 1.5));
    try {
        table.GetInt("missing");
        FAIL() << "no such column";
    } catch (const CppSQLite3Exception& error) {
        EXPECT_STREQ("CPPSQLITE_ERROR[1000]: Invalid field name requested", error.Message());
    }
    try {
        table.SetRow(2);
        FAIL() << "row 2 of 2";
    } catch (const CppSQLite3Exception& error) {
        EXPECT_STREQ("CPPSQLITE_ERROR[1000]: Invalid row index requested", error.Message());
    }
}

TEST(SqlWrapper, BinaryHelperRoundTripsEveryByteThroughATextColumn) {
    ScratchDir dir;
    CppSQLite3DB db;
    db.Open(WideToUtf8(dir.File(L"b.db")).c_str());
    db.Execute("CREATE TABLE b (data TEXT)");
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const std::string cases[] = {"", std::string(1, '\0'), std::string("\x00\x01'\x02", 4), all + all + "''''",
                                 std::string(1000, '\'')};
    for (const std::string& data : cases) {
        CppSQLite3Binary binary;
        binary.SetBinary(reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
        const unsigned char* encoded = binary.GetEncoded();
        const size_t length = std::strlen(reinterpret_cast<const char*>(encoded));
        EXPECT_LE(length + 1, data.size() * 257 / 254 + 3) << data.size();
        CppSQLite3Buffer sql;
        db.Execute(sql.Format("INSERT INTO b VALUES (%Q)", reinterpret_cast<const char*>(encoded)));

        CppSQLite3Query row = db.Query("SELECT data FROM b");
        CppSQLite3Binary back;
        back.SetEncoded(reinterpret_cast<const unsigned char*>(row.GetText(0, "")));
        ASSERT_EQ(static_cast<int>(data.size()), back.GetBinaryLength());
        if (!data.empty()) EXPECT_EQ(0, std::memcmp(data.data(), back.GetBinary(), data.size()));
        row.Finalize();
        db.Execute("DELETE FROM b");
    }
    CppSQLite3Binary broken;
    broken.SetEncoded(reinterpret_cast<const unsigned char*>("\x05\x01\x07"));  // an escape of nothing escapable
    try {
        broken.GetBinary();
        FAIL() << "decoded a broken text";
    } catch (const CppSQLite3Exception& error) {
        EXPECT_STREQ("CPPSQLITE_ERROR[1000]: Cannot decode binary", error.Message());
    }
}

}  // namespace
