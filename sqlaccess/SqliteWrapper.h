// A thin layer over the bound SQLite functions: a connection, a prepared
// statement record and counted references to it. SQLite failures become
// database_error exceptions carrying SQLite's message.
#pragma once

#include "SqliteApi.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

class database_error : public std::runtime_error {
public:
    explicit database_error(const std::string& message) : std::runtime_error(message) {}
};

class SqliteConnection {
public:
    explicit SqliteConnection(std::shared_ptr<const SqliteApi> api) : api_(std::move(api)) {}
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Both take a UTF-8 or UTF-16 path; "unable to open database" on failure.
    void OpenUtf8(const std::string& path);
    void OpenWide(const std::wstring& path);
    // Closes an open connection; SQLite refusing raises with its message.
    void Close();

    bool IsOpen() const { return db_ != nullptr; }
    sqlite3* Handle() const { return db_; }
    const SqliteApi& Api() const { return *api_; }
    std::string LastError() const;

private:
    void Adopt(int openResult, sqlite3* db);

    std::shared_ptr<const SqliteApi> api_;
    sqlite3* db_ = nullptr;
};

// One prepared statement; freeing the record finalises it.
class StatementRecord {
public:
    // Prepares the first statement of `narrow` (bytes SQLite reads as they
    // are) or of `wide` (UTF-16) and leaves `rest` pointing at what follows
    // it; a text holding no statement gives an empty record (Empty()). The
    // text must end where its string does: the terminator after it is handed
    // to SQLite too.
    static std::unique_ptr<StatementRecord> PrepareNarrow(SqliteConnection& connection,
                                                          std::string_view narrow, size_t* rest = nullptr);
    static std::unique_ptr<StatementRecord> PrepareWide(SqliteConnection& connection,
                                                        std::wstring_view wide, size_t* rest = nullptr);
    ~StatementRecord();
    StatementRecord(const StatementRecord&) = delete;
    StatementRecord& operator=(const StatementRecord&) = delete;

    bool Empty() const { return stmt_ == nullptr; }
    sqlite3_stmt* Handle() const { return stmt_; }
    int ColumnCount() const { return columns_; }
    SqliteConnection& Connection() const { return connection_; }
    const SqliteApi& Api() const { return connection_.Api(); }

    // A step: true for a row, false when done; any other result raises.
    bool Step();

private:
    friend class StatementRef;
    StatementRecord(SqliteConnection& connection, sqlite3_stmt* stmt);
    SqliteConnection& connection_;
    sqlite3_stmt* stmt_;
    int columns_ = 0;
    int references_ = 0;
};

// A counted reference to a statement record; the last one dropped resets the
// statement so it can run again.
class StatementRef {
public:
    explicit StatementRef(StatementRecord* record = nullptr);
    ~StatementRef() { Drop(); }
    StatementRef(const StatementRef&) = delete;
    StatementRef& operator=(const StatementRef&) = delete;

    void Drop();
    StatementRecord* Get() const { return record_; }

private:
    StatementRecord* record_;
};
