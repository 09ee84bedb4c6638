// The SQLite entry points Ostrune calls, bound by name from a library the
// caller chooses. Declared here, not taken from sqlite3.h, because nothing is
// linked: every call goes through a bound table.
#pragma once

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

struct SqliteApi {
    using Destructor = void(__cdecl*)(void*);

    int(__cdecl* close)(sqlite3*) = nullptr;
    int(__cdecl* open)(const char*, sqlite3**) = nullptr;
    int(__cdecl* open16)(const void*, sqlite3**) = nullptr;
    long long(__cdecl* last_insert_rowid)(sqlite3*) = nullptr;
    int(__cdecl* busy_timeout)(sqlite3*, int) = nullptr;
    int(__cdecl* key)(sqlite3*, const void*, int) = nullptr;
    int(__cdecl* rekey)(sqlite3*, const void*, int) = nullptr;
    int(__cdecl* prepare)(sqlite3*, const char*, int, sqlite3_stmt**, const char**) = nullptr;
    int(__cdecl* column_count)(sqlite3_stmt*) = nullptr;
    int(__cdecl* prepare16)(sqlite3*, const void*, int, sqlite3_stmt**, const void**) = nullptr;
    int(__cdecl* finalize)(sqlite3_stmt*) = nullptr;
    int(__cdecl* bind_null)(sqlite3_stmt*, int) = nullptr;
    int(__cdecl* bind_int)(sqlite3_stmt*, int, int) = nullptr;
    int(__cdecl* bind_int64)(sqlite3_stmt*, int, long long) = nullptr;
    int(__cdecl* bind_text)(sqlite3_stmt*, int, const char*, int, Destructor) = nullptr;
    int(__cdecl* bind_text16)(sqlite3_stmt*, int, const void*, int, Destructor) = nullptr;
    int(__cdecl* bind_blob)(sqlite3_stmt*, int, const void*, int, Destructor) = nullptr;
    int(__cdecl* step)(sqlite3_stmt*) = nullptr;
    int(__cdecl* data_count)(sqlite3_stmt*) = nullptr;
    int(__cdecl* reset)(sqlite3_stmt*) = nullptr;
    int(__cdecl* column_int)(sqlite3_stmt*, int) = nullptr;
    long long(__cdecl* column_int64)(sqlite3_stmt*, int) = nullptr;
    double(__cdecl* column_double)(sqlite3_stmt*, int) = nullptr;
    const unsigned char*(__cdecl* column_text)(sqlite3_stmt*, int) = nullptr;
    int(__cdecl* column_bytes)(sqlite3_stmt*, int) = nullptr;
    const void*(__cdecl* column_text16)(sqlite3_stmt*, int) = nullptr;
    int(__cdecl* column_bytes16)(sqlite3_stmt*, int) = nullptr;
    const void*(__cdecl* column_blob)(sqlite3_stmt*, int) = nullptr;
    const char*(__cdecl* column_name)(sqlite3_stmt*, int) = nullptr;
    const void*(__cdecl* column_name16)(sqlite3_stmt*, int) = nullptr;
    const char*(__cdecl* errmsg)(sqlite3*) = nullptr;
};

constexpr int kSqliteOk = 0;
constexpr int kSqliteRow = 100;
constexpr int kSqliteDone = 101;

// Binds all 31 entry points of the named library (an already loaded module of
// that name is used as it is). The new table replaces the current one only when
// every name was found; null otherwise, and the current table stays.
std::shared_ptr<const SqliteApi> BindSqliteLibrary(const char* libraryName);
