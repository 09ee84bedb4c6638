// Ostrune.dll loaded as callers load it, over the SQLCipher DLL built from
// Debian's source and over a plain SQLite DLL. This program takes the compiler's
// runtime from the DLLs the library shares, so the exceptions the library
// raises reach the catch blocks here in the 32-bit build too.
#include "Ostrune.h"

#include "TestPaths.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

using testsupport::ProgramFolder;
using testsupport::ScratchDir;

const char kCipherDll[] = "sqlcipher.dll";
const char kPlainDll[] = "plainsqlite3.dll";
const char kKey[] = "s3cret";

BrushQueryInterface2Fn Factory() {
    static HMODULE module = LoadLibraryW(L"Ostrune.dll");
    if (!module) return nullptr;
    return reinterpret_cast<BrushQueryInterface2Fn>(
        reinterpret_cast<void*>(GetProcAddress(module, "BrushQueryInterface2")));
}

// Releases the database object at the end of a test.
struct Db {
    ISqlite* db;
    explicit Db(const char* library) : db(Factory()(library)) {}
    ~Db() {
        if (db) db->Release();
    }
    ISqlite* operator->() const { return db; }
};

int CountRows(ISqlite* db, const wchar_t* table) {
    IReader* reader = db->Query(std::wstring(L"SELECT count(*) FROM ") + table);
    if (!reader || !reader->Read()) return -1;
    return reader->GetInt(0);
}

class OstruneTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(Factory(), nullptr); }
    ScratchDir scratch;
};

TEST_F(OstruneTest, ExportIsUndecoratedAndOrdinalOne) {
    HMODULE module = GetModuleHandleW(L"Ostrune.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(1))),
              reinterpret_cast<void*>(Factory()));
}

TEST_F(OstruneTest, BindingNeedsEveryEntryPoint) {
    EXPECT_EQ(Factory()(kPlainDll), nullptr);  // no sqlite3_key
    EXPECT_EQ(Factory()("no-such-sqlite.dll"), nullptr);
    EXPECT_EQ(Factory()(nullptr), nullptr);

    // A failed binding leaves objects of an earlier one working.
    Db db(kCipherDll);
    ASSERT_NE(db.db, nullptr);
    db->Open(scratch.File(L"a.db"));
    ASSERT_EQ(db->Execute(std::wstring(L"CREATE TABLE t(x)")), 1);
    EXPECT_EQ(Factory()(kPlainDll), nullptr);
    EXPECT_EQ(db->Execute(std::wstring(L"INSERT INTO t VALUES(1)")), 1);
    EXPECT_EQ(CountRows(db.db, L"t"), 1);

    // Two objects over the same binding are independent connections.
    Db other(kCipherDll);
    ASSERT_NE(other.db, nullptr);
    other->Open(scratch.File(L"b.db"));
    EXPECT_EQ(CountRows(other.db, L"sqlite_master"), 0);
    EXPECT_EQ(CountRows(db.db, L"sqlite_master"), 1);
}

// Writes the databases the command-line oracle checks after this program ends.
TEST_F(OstruneTest, WritesKeyedAndPlainDatabasesForTheOracle) {
    std::wstring folder = ProgramFolder() + L"ostrune_oracle\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : {L"keyed.db", L"plain.db"}) DeleteFileW((folder + name).c_str());
    const std::wstring rows =
        L"CREATE TABLE people(name TEXT, age INTEGER);"
        L"INSERT INTO people VALUES('\u5f20\u4e09', 30);"
        L"INSERT INTO people VALUES('li', 41);";
    {
        Db db(kCipherDll);
        ASSERT_NE(db.db, nullptr);
        db->Open(folder + L"keyed.db");
        EXPECT_EQ(db->Key(kKey, 6), 0);
        EXPECT_EQ(db->Execute(rows), 1);
    }
    {
        Db db(kCipherDll);
        db->Open(folder + L"plain.db");
        EXPECT_EQ(db->Execute(rows), 1);
    }
}

TEST_F(OstruneTest, KeyedDatabaseNeedsItsKey) {
    std::wstring path = scratch.File(L"keyed.db");
    {
        Db db(kCipherDll);
        db->Open(path);
        db->Key(kKey, 6);
        ASSERT_EQ(db->Execute(std::wstring(L"CREATE TABLE t(v TEXT); INSERT INTO t VALUES('x')")), 1);
    }
    Db wrong(kCipherDll);
    wrong->Open(path);
    wrong->Key("wrong", 5);
    IReader* reader = wrong->Query(std::wstring(L"SELECT v FROM t"));
    EXPECT_TRUE(reader == nullptr || !reader->Read());
    EXPECT_EQ(wrong->Execute(std::wstring(L"INSERT INTO t VALUES('y')")), 0);

    Db none(kCipherDll);
    none->Open(path);
    EXPECT_EQ(none->Query(std::wstring(L"SELECT v FROM t")), nullptr);
}

TEST_F(OstruneTest, OwnConnectionQueryUsesTheKeptPathAndKeyBytes) {
    Db db(kCipherDll);
    EXPECT_EQ(db->QueryEx(L"SELECT 1", true), nullptr);  // no path yet
    db->Open(scratch.File(L"own.db"));
    char key[] = "s3cret";
    db->Key(key, 6);
    std::memset(key, 'z', 6);  // the object copied the bytes, not the pointer
    ASSERT_EQ(db->Execute("CREATE TABLE t(v INTEGER); INSERT INTO t VALUES(7)"), 1);

    IReader* own = db->QueryEx("SELECT v FROM t", true);
    ASSERT_NE(own, nullptr);
    IReader* shared = db->Query(std::wstring(L"SELECT v + 1 FROM t"));
    ASSERT_NE(shared, nullptr);
    ASSERT_TRUE(own->Read());
    ASSERT_TRUE(shared->Read());
    EXPECT_EQ(own->GetInt(0), 7);
    EXPECT_EQ(shared->GetInt(0), 8);
    EXPECT_FALSE(own->Read());
    own->Close();
    db->CloseQuery();
}

TEST_F(OstruneTest, ExecuteRunsEveryStatementOrStopsAtTheFailingOne) {
    Db db(kCipherDll);
    db->Open(scratch.File(L"exec.db"));
    EXPECT_EQ(db->Execute(std::wstring(L"CREATE TABLE t(v); INSERT INTO t VALUES(1);\n"
                                       L"-- a comment\nINSERT INTO t VALUES(2);  ")),
              1);
    EXPECT_EQ(CountRows(db.db, L"t"), 2);
    EXPECT_EQ(db->Execute("INSERT INTO t VALUES(3); INSERT INTO nowhere VALUES(4); INSERT INTO t VALUES(5)"),
              0);
    EXPECT_EQ(CountRows(db.db, L"t"), 3);
    EXPECT_EQ(db->Execute(std::wstring(L"INSERT INTO t VALUES(")), 0);
}

// A narrow caller reads back the bytes it wrote: Chinese in the ANSI code
// page (cp936) through every narrow form, on the object's connection and on
// a connection of the reader's own; a narrow path names the file it means.
TEST_F(OstruneTest, NarrowTextsRoundTripAsTheCallersBytes) {
    ASSERT_EQ(GetACP(), 936u);
    const std::wstring wideName = L"\u4e2d\u6587";                 // 中文
    const std::string text = "\xd5\xc5\xc8\xfd\xb5\xc4\xca\xd6\xbb\xfa";  // 张三的手机 in cp936
    const std::string column = "\xc3\xfb\xd7\xd6";               // 名字
    ASSERT_EQ(AnsiToWide(text), L"\u5f20\u4e09\u7684\u624b\u673a");
    const std::string ansiPath = WideToAnsi(scratch.File(wideName + L".db"));
    Db db(kCipherDll);
    ASSERT_EQ(db->Open(ansiPath), 1);
    ASSERT_EQ(db->Execute("CREATE TABLE t(v TEXT); INSERT INTO t VALUES('" + text + "')"), 1);

    IReader* reader = db->Query("SELECT v AS " + column + ", length(CAST(v AS BLOB)) FROM t WHERE v = '" + text + "'");
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(reader->Read());
    std::string read;
    EXPECT_EQ(reader->GetText(0, read), static_cast<int>(text.size()));
    EXPECT_EQ(read, text);
    EXPECT_EQ(reader->GetInt(1), static_cast<int>(text.size()));  // stored as the bytes given
    char buffer[32] = {};
    int size = sizeof buffer;
    ASSERT_EQ(reader->GetTextBuffer(0, buffer, &size), 0);
    EXPECT_EQ(std::string(buffer, text.size()), text);
    EXPECT_EQ(reader->GetColumnName(0, read), static_cast<int>(column.size()));
    EXPECT_EQ(read, column);
    db->CloseQuery();

    IReader* own = db->QueryEx(("SELECT v FROM t WHERE v = '" + text + "'").c_str(), true);
    ASSERT_NE(own, nullptr);
    ASSERT_TRUE(own->Read());
    EXPECT_EQ(own->GetText(0, read), static_cast<int>(text.size()));
    EXPECT_EQ(read, text);
    own->Close();
    // The file carries the real name, without blanks or mangled bytes.
    EXPECT_NE(GetFileAttributesW(scratch.File(wideName + L".db").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(OstruneTest, BufferGettersFollowTheCopyRule) {
    Db db(kCipherDll);
    db->Open(scratch.File(L"buf.db"));
    IReader* reader = db->Query(std::wstring(L"SELECT 'abcde' AS hello"));
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(reader->Read());
    struct Case {
        bool wide;
        bool name;
        int size;
        int result;
        int sizeAfter;
    } cases[] = {
        {false, false, 5, -1, 6}, {false, false, 6, 0, 6},  {true, false, 10, -1, 11},
        {true, false, 11, 0, 11}, {false, true, 5, -1, 6},  {false, true, 6, 0, 6},
        {true, true, 10, -1, 11}, {true, true, 11, 0, 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "wide " << c.wide << " name " << c.name << " size " << c.size);
        char buffer[32];
        std::memset(buffer, '#', sizeof buffer);
        int size = c.size;
        auto* wbuf = reinterpret_cast<wchar_t*>(buffer);
        int result = c.wide ? (c.name ? reader->GetColumnNameBuffer(0, wbuf, &size)
                                      : reader->GetTextBuffer(0, wbuf, &size))
                            : (c.name ? reader->GetColumnNameBuffer(0, buffer, &size)
                                      : reader->GetTextBuffer(0, buffer, &size));
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(size, c.sizeAfter);
        std::string expected = c.wide ? std::string(reinterpret_cast<const char*>(c.name ? L"hello" : L"abcde"), 10)
                                       : std::string(c.name ? "hello" : "abcde");
        if (result == 0) {
            EXPECT_EQ(std::string(buffer, expected.size()), expected);
            EXPECT_EQ(buffer[expected.size()], '#');  // no terminator written
        } else {
            EXPECT_EQ(buffer[0], '#');
        }
    }
}

TEST_F(OstruneTest, GettersRefuseBadColumnsAndClosedReaders) {
    Db db(kCipherDll);
    db->Open(scratch.File(L"get.db"));
    IReader* reader = db->Query("SELECT 1, 2.5, 'x'");
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(reader->Read());
    EXPECT_EQ(reader->GetInt64(0), 1);
    EXPECT_DOUBLE_EQ(reader->GetDouble(1), 2.5);
    std::string name;
    EXPECT_EQ(reader->GetColumnName(2, name), 3);
    EXPECT_EQ(name, "'x'");
    try {
        reader->GetInt(3);
        ADD_FAILURE() << "column 3 of 3 was read";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "index out of range");
    }
    EXPECT_THROW(reader->GetInt(-1), std::out_of_range);
    EXPECT_FALSE(reader->Read());  // after the last row

    IReader* empty = db->Query(std::wstring(L"  "));  // no statement at all
    ASSERT_NE(empty, nullptr);
    EXPECT_FALSE(empty->Read());
    try {
        empty->GetInt(0);
        ADD_FAILURE() << "a reader without statement answered";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "reader is closed");
    }
}

TEST_F(OstruneTest, OpenAndKeyFailuresRaiseTheirMessages) {
    Db db(kCipherDll);
    struct Case {
        const char* what;
        const char* message;
    } cases[] = {{"key", "database key error"}, {"rekey", "database rekey error"},
                 {"open", "unable to open database"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            if (std::string(c.what) == "key") db->Key(kKey, 6);
            if (std::string(c.what) == "rekey") db->Rekey(kKey, 6);
            if (std::string(c.what) == "open") db->Open(scratch.File(L"missing\\folder\\x.db"));
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_EQ(db->Query(std::wstring(L"SELECT 1")), nullptr);  // never opened
    EXPECT_EQ(db->Execute("SELECT 1"), 0);
}

TEST_F(OstruneTest, RekeyChangesTheKey) {
    std::wstring path = scratch.File(L"rekey.db");
    {
        Db db(kCipherDll);
        db->Open(path);
        db->Key(kKey, 6);
        ASSERT_EQ(db->Execute("CREATE TABLE t(v); INSERT INTO t VALUES(1)"), 1);
        EXPECT_EQ(db->Rekey("fresh", 5), 0);
    }
    Db db(kCipherDll);
    db->Open(path);
    db->Key("fresh", 5);
    EXPECT_EQ(CountRows(db.db, L"t"), 1);
}

TEST_F(OstruneTest, ReleaseWithAnOpenQueryFreesTheFile) {
    std::wstring path = scratch.File(L"release.db");
    ISqlite* db = Factory()(kCipherDll);
    ASSERT_NE(db, nullptr);
    db->Open(path);
    ASSERT_EQ(db->Execute("CREATE TABLE t(v); INSERT INTO t VALUES(1); INSERT INTO t VALUES(2)"), 1);
    IReader* reader = db->Query("SELECT v FROM t");
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(reader->Read());
    db->Release();
    EXPECT_TRUE(DeleteFileW(path.c_str())) << GetLastError();
}

}  // namespace
