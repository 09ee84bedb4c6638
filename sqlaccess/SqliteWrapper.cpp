#include "SqliteWrapper.h"

#include <climits>

SqliteConnection::~SqliteConnection() {
    // Destruction must not throw; a refusal here leaves the handle to the process.
    if (db_) api_->close(db_);
}

void SqliteConnection::OpenUtf8(const std::string& path) {
    Close();
    sqlite3* db = nullptr;
    const int rc = api_->open(path.c_str(), &db);
    Adopt(rc, db);
}

void SqliteConnection::OpenWide(const std::wstring& path) {
    Close();
    sqlite3* db = nullptr;
    const int rc = api_->open16(path.c_str(), &db);
    Adopt(rc, db);
}

// SQLite hands out a handle even when opening fails; that one is closed.
void SqliteConnection::Adopt(int openResult, sqlite3* db) {
    if (openResult != kSqliteOk) {
        if (db) api_->close(db);
        throw database_error("unable to open database");
    }
    db_ = db;
}

void SqliteConnection::Close() {
    if (!db_) return;
    if (api_->close(db_) != kSqliteOk) throw database_error(LastError());
    db_ = nullptr;
}

std::string SqliteConnection::LastError() const {
    const char* message = db_ ? api_->errmsg(db_) : nullptr;
    return message ? message : "no database is open";
}

StatementRecord::StatementRecord(SqliteConnection& connection, sqlite3_stmt* stmt)
    : connection_(connection), stmt_(stmt) {
    if (stmt_) columns_ = Api().column_count(stmt_);
}

StatementRecord::~StatementRecord() {
    if (stmt_) Api().finalize(stmt_);
}

namespace {

void RequireOpen(const SqliteConnection& connection) {
    if (!connection.IsOpen()) throw database_error("no database is open");
}

int ClampLength(size_t bytes) { return bytes > INT_MAX ? INT_MAX : static_cast<int>(bytes); }

}  // namespace

std::unique_ptr<StatementRecord> StatementRecord::PrepareNarrow(SqliteConnection& connection,
                                                                std::string_view narrow, size_t* rest) {
    RequireOpen(connection);
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    // The length counts the terminator that follows the text: SQLite would
    // otherwise copy the whole remaining text on every call.
    int rc = connection.Api().prepare(connection.Handle(), narrow.data(), ClampLength(narrow.size() + 1),
                                      &stmt, &tail);
    if (rc != kSqliteOk) throw database_error(connection.LastError());
    if (rest) *rest = tail ? static_cast<size_t>(tail - narrow.data()) : narrow.size();
    return std::unique_ptr<StatementRecord>(new StatementRecord(connection, stmt));
}

std::unique_ptr<StatementRecord> StatementRecord::PrepareWide(SqliteConnection& connection,
                                                              std::wstring_view wide, size_t* rest) {
    RequireOpen(connection);
    sqlite3_stmt* stmt = nullptr;
    const void* tail = nullptr;
    int rc = connection.Api().prepare16(connection.Handle(), wide.data(),
                                        ClampLength((wide.size() + 1) * sizeof(wchar_t)), &stmt, &tail);
    if (rc != kSqliteOk) throw database_error(connection.LastError());
    if (rest) {
        *rest = tail ? static_cast<size_t>(static_cast<const wchar_t*>(tail) - wide.data())
                     : wide.size();
    }
    return std::unique_ptr<StatementRecord>(new StatementRecord(connection, stmt));
}

bool StatementRecord::Step() {
    int rc = Api().step(stmt_);
    if (rc == kSqliteRow) return true;
    if (rc == kSqliteDone) return false;
    // The legacy interface reports the precise error only after a reset.
    Api().reset(stmt_);
    throw database_error(connection_.LastError());
}

StatementRef::StatementRef(StatementRecord* record) : record_(record) {
    if (record_) ++record_->references_;
}

void StatementRef::Drop() {
    if (!record_) return;
    if (--record_->references_ == 0 && record_->stmt_) record_->Api().reset(record_->stmt_);
    record_ = nullptr;
}
