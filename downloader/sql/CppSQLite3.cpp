#include "sql/CppSQLite3.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kCodeNames[] = {
    "SQLITE_OK",       "SQLITE_ERROR",    "SQLITE_INTERNAL", "SQLITE_PERM",     "SQLITE_ABORT",
    "SQLITE_BUSY",     "SQLITE_LOCKED",   "SQLITE_NOMEM",    "SQLITE_READONLY", "SQLITE_INTERRUPT",
    "SQLITE_IOERR",    "SQLITE_CORRUPT",  "SQLITE_NOTFOUND", "SQLITE_FULL",     "SQLITE_CANTOPEN",
    "SQLITE_PROTOCOL", "SQLITE_EMPTY",    "SQLITE_SCHEMA",   "SQLITE_TOOBIG",   "SQLITE_CONSTRAINT",
    "SQLITE_MISMATCH", "SQLITE_MISUSE",   "SQLITE_NOLFS",    "SQLITE_AUTH",     "SQLITE_FORMAT",
    "SQLITE_RANGE",
};

[[noreturn]] void Fail(int code, const char* message) { throw CppSQLite3Exception(code, message); }
[[noreturn]] void FailWithDbMessage(sqlite3* db, int code) { Fail(code, sqlite3_errmsg(db)); }

}  // namespace

// ---- exception ----

CppSQLite3Exception::CppSQLite3Exception(int code, const char* message, bool freeMessage) : code_(code) {
    message_ = sqlite3_mprintf("%s[%d]: %s", CodeName(code), code, message != nullptr ? message : "");
    if (freeMessage && message != nullptr) sqlite3_free(const_cast<char*>(message));
}

CppSQLite3Exception::CppSQLite3Exception(const CppSQLite3Exception& other) : code_(other.code_) {
    message_ = sqlite3_mprintf("%s", other.Message());
}

CppSQLite3Exception& CppSQLite3Exception::operator=(const CppSQLite3Exception& other) {
    if (this != &other) {
        sqlite3_free(message_);
        code_ = other.code_;
        message_ = sqlite3_mprintf("%s", other.Message());
    }
    return *this;
}

CppSQLite3Exception::~CppSQLite3Exception() { sqlite3_free(message_); }

const char* CppSQLite3Exception::CodeName(int code) {
    if (code >= 0 && code <= 25) return kCodeNames[code];
    if (code == SQLITE_ROW) return "SQLITE_ROW";
    if (code == SQLITE_DONE) return "SQLITE_DONE";
    if (code == CPPSQLITE_ERROR) return "CPPSQLITE_ERROR";
    return "UNKNOWN_ERROR";
}

// ---- query ----

CppSQLite3Query::CppSQLite3Query(sqlite3* db, sqlite3_stmt* statement, bool atEnd, bool ownsStatement)
    : db_(db), statement_(statement), atEnd_(atEnd), columns_(sqlite3_column_count(statement)), owns_(ownsStatement) {}

CppSQLite3Query::CppSQLite3Query(const CppSQLite3Query& other)
    : db_(other.db_), statement_(other.statement_), atEnd_(other.atEnd_), columns_(other.columns_), owns_(other.owns_) {
    other.statement_ = nullptr;
    other.owns_ = false;
}

CppSQLite3Query& CppSQLite3Query::operator=(const CppSQLite3Query& other) {
    if (this != &other) {
        Finalize();
        db_ = other.db_;
        statement_ = other.statement_;
        atEnd_ = other.atEnd_;
        columns_ = other.columns_;
        owns_ = other.owns_;
        other.statement_ = nullptr;
        other.owns_ = false;
    }
    return *this;
}

CppSQLite3Query::~CppSQLite3Query() { Finalize(); }

void CppSQLite3Query::CheckStatement() const {
    if (statement_ == nullptr) Fail(CPPSQLITE_ERROR, "Null Virtual Machine pointer");
}

void CppSQLite3Query::CheckColumn(int column) const {
    CheckStatement();
    if (column < 0 || column >= columns_) Fail(CPPSQLITE_ERROR, "Invalid field index requested");
}

int CppSQLite3Query::NumFields() const {
    CheckStatement();
    return columns_;
}

int CppSQLite3Query::FieldIndex(const char* name) const {
    CheckStatement();
    if (name != nullptr)
        for (int i = 0; i < columns_; ++i)
            if (const char* column = sqlite3_column_name(statement_, i); column && std::strcmp(name, column) == 0) return i;
    Fail(CPPSQLITE_ERROR, "Invalid field name requested");
}

const char* CppSQLite3Query::FieldName(int column) const {
    CheckColumn(column);
    return sqlite3_column_name(statement_, column);
}

const char* CppSQLite3Query::FieldDeclType(int column) const {
    CheckColumn(column);
    return sqlite3_column_decltype(statement_, column);
}

int CppSQLite3Query::FieldDataType(int column) const {
    CheckColumn(column);
    return sqlite3_column_type(statement_, column);
}

bool CppSQLite3Query::FieldIsNull(int column) const { return FieldDataType(column) == SQLITE_NULL; }

const char* CppSQLite3Query::GetText(int column, const char* nullValue) const {
    if (FieldIsNull(column)) return nullValue;
    return reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
}

int CppSQLite3Query::GetInt(int column, int nullValue) const {
    return FieldIsNull(column) ? nullValue : sqlite3_column_int(statement_, column);
}

int64_t CppSQLite3Query::GetInt64(int column, int64_t nullValue) const {
    return FieldIsNull(column) ? nullValue : sqlite3_column_int64(statement_, column);
}

double CppSQLite3Query::GetFloat(int column, double nullValue) const {
    return FieldIsNull(column) ? nullValue : sqlite3_column_double(statement_, column);
}

const unsigned char* CppSQLite3Query::GetBlob(int column, int& length) const {
    CheckColumn(column);
    length = sqlite3_column_bytes(statement_, column);
    return static_cast<const unsigned char*>(sqlite3_column_blob(statement_, column));
}

void CppSQLite3Query::NextRow() {
    CheckStatement();
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_DONE) {
        atEnd_ = true;
    } else if (result != SQLITE_ROW) {
        const char* message = sqlite3_errmsg(db_);
        const CppSQLite3Exception error(result, message);
        Finalize();
        throw error;
    }
}

void CppSQLite3Query::Finalize() noexcept {
    if (statement_ != nullptr && owns_) sqlite3_finalize(statement_);
    statement_ = nullptr;
    owns_ = false;
}

// ---- statement ----

CppSQLite3Statement::CppSQLite3Statement(sqlite3* db, sqlite3_stmt* statement) : db_(db), statement_(statement) {}

CppSQLite3Statement::CppSQLite3Statement(const CppSQLite3Statement& other) : db_(other.db_), statement_(other.statement_) {
    other.statement_ = nullptr;
}

CppSQLite3Statement& CppSQLite3Statement::operator=(const CppSQLite3Statement& other) {
    if (this != &other) {
        Finalize();
        db_ = other.db_;
        statement_ = other.statement_;
        other.statement_ = nullptr;
    }
    return *this;
}

CppSQLite3Statement::~CppSQLite3Statement() { Finalize(); }

void CppSQLite3Statement::CheckStatement() const {
    if (statement_ == nullptr) Fail(CPPSQLITE_ERROR, "Null Virtual Machine pointer");
}

int CppSQLite3Statement::Execute() {
    CheckStatement();
    const int result = sqlite3_step(statement_);
    if (result != SQLITE_DONE && result != SQLITE_ROW) {
        const CppSQLite3Exception error(result, sqlite3_errmsg(db_));
        sqlite3_reset(statement_);
        throw error;
    }
    sqlite3_reset(statement_);
    return sqlite3_changes(db_);
}

CppSQLite3Query CppSQLite3Statement::Query() {
    CheckStatement();
    const int result = sqlite3_step(statement_);
    if (result == SQLITE_DONE) return CppSQLite3Query(db_, statement_, true, false);
    if (result == SQLITE_ROW) return CppSQLite3Query(db_, statement_, false, false);
    const CppSQLite3Exception error(result, sqlite3_errmsg(db_));
    sqlite3_reset(statement_);
    throw error;
}

void CppSQLite3Statement::Bind(int parameter, const char* value) {
    CheckStatement();
    const int result = sqlite3_bind_text(statement_, parameter, value, -1, SQLITE_TRANSIENT);
    if (result != SQLITE_OK) Fail(result, "Error binding string param");
}

void CppSQLite3Statement::Bind(int parameter, int value) {
    CheckStatement();
    const int result = sqlite3_bind_int(statement_, parameter, value);
    if (result != SQLITE_OK) Fail(result, "Error binding int param");
}

void CppSQLite3Statement::Bind(int parameter, double value) {
    CheckStatement();
    const int result = sqlite3_bind_double(statement_, parameter, value);
    if (result != SQLITE_OK) Fail(result, "Error binding double param");
}

void CppSQLite3Statement::Bind(int parameter, const unsigned char* blob, int length) {
    CheckStatement();
    const int result = sqlite3_bind_blob(statement_, parameter, blob, length, SQLITE_TRANSIENT);
    if (result != SQLITE_OK) Fail(result, "Error binding blob param");
}

void CppSQLite3Statement::BindNull(int parameter) {
    CheckStatement();
    const int result = sqlite3_bind_null(statement_, parameter);
    if (result != SQLITE_OK) Fail(result, "Error binding NULL param");
}

int CppSQLite3Statement::ParameterIndex(const char* name) const {
    CheckStatement();
    const int index = sqlite3_bind_parameter_index(statement_, name);
    if (index == 0) {
        char* message = sqlite3_mprintf("Parameter '%s' is not valid for this statement", name);
        const CppSQLite3Exception error(CPPSQLITE_ERROR, message);
        sqlite3_free(message);
        throw error;
    }
    return index;
}

void CppSQLite3Statement::Bind(const char* name, const char* value) { Bind(ParameterIndex(name), value); }

void CppSQLite3Statement::Reset() {
    if (statement_ != nullptr && sqlite3_reset(statement_) != SQLITE_OK) FailWithDbMessage(db_, sqlite3_errcode(db_));
}

void CppSQLite3Statement::Finalize() noexcept {
    if (statement_ != nullptr) sqlite3_finalize(statement_);
    statement_ = nullptr;
}

// ---- table ----

CppSQLite3Table::CppSQLite3Table(char** results, int rows, int columns) : results_(results), rows_(rows), columns_(columns) {}

CppSQLite3Table::CppSQLite3Table(const CppSQLite3Table& other)
    : results_(other.results_), rows_(other.rows_), columns_(other.columns_), current_(other.current_) {
    other.results_ = nullptr;
}

CppSQLite3Table& CppSQLite3Table::operator=(const CppSQLite3Table& other) {
    if (this != &other) {
        if (results_ != nullptr) sqlite3_free_table(results_);
        results_ = other.results_;
        rows_ = other.rows_;
        columns_ = other.columns_;
        current_ = other.current_;
        other.results_ = nullptr;
    }
    return *this;
}

CppSQLite3Table::~CppSQLite3Table() {
    if (results_ != nullptr) sqlite3_free_table(results_);
}

void CppSQLite3Table::CheckResults() const {
    if (results_ == nullptr) Fail(CPPSQLITE_ERROR, "Null Results pointer");
}

int CppSQLite3Table::NumFields() const {
    CheckResults();
    return columns_;
}

int CppSQLite3Table::NumRows() const {
    CheckResults();
    return rows_;
}

const char* CppSQLite3Table::FieldName(int column) const {
    CheckResults();
    if (column < 0 || column >= columns_) Fail(CPPSQLITE_ERROR, "Invalid field index requested");
    return results_[column];
}

const char* CppSQLite3Table::FieldValue(int column) const {
    CheckResults();
    if (column < 0 || column >= columns_) Fail(CPPSQLITE_ERROR, "Invalid field index requested");
    return results_[(current_ + 1) * columns_ + column];
}

bool CppSQLite3Table::FieldIsNull(int column) const { return FieldValue(column) == nullptr; }

int CppSQLite3Table::FieldIndex(const char* name) const {
    CheckResults();
    if (name != nullptr)
        for (int i = 0; i < columns_; ++i)
            if (results_[i] != nullptr && std::strcmp(name, results_[i]) == 0) return i;
    Fail(CPPSQLITE_ERROR, "Invalid field name requested");
}

const char* CppSQLite3Table::FieldValue(const char* name) const { return FieldValue(FieldIndex(name)); }

bool CppSQLite3Table::FieldIsNull(const char* name) const { return FieldIsNull(FieldIndex(name)); }

const char* CppSQLite3Table::GetText(int column, const char* nullValue) const {
    const char* value = FieldValue(column);
    return value != nullptr ? value : nullValue;
}

const char* CppSQLite3Table::GetText(const char* name, const char* nullValue) const {
    return GetText(FieldIndex(name), nullValue);
}

int CppSQLite3Table::GetInt(int column, int nullValue) const {
    const char* value = FieldValue(column);
    return value != nullptr ? static_cast<int>(std::strtol(value, nullptr, 10)) : nullValue;
}

int CppSQLite3Table::GetInt(const char* name, int nullValue) const { return GetInt(FieldIndex(name), nullValue); }

int64_t CppSQLite3Table::GetInt64(int column, int64_t nullValue) const {
    const char* value = FieldValue(column);
    return value != nullptr ? std::strtoll(value, nullptr, 10) : nullValue;
}

int64_t CppSQLite3Table::GetInt64(const char* name, int64_t nullValue) const {
    return GetInt64(FieldIndex(name), nullValue);
}

double CppSQLite3Table::GetFloat(int column, double nullValue) const {
    const char* value = FieldValue(column);
    return value != nullptr ? std::strtod(value, nullptr) : nullValue;
}

double CppSQLite3Table::GetFloat(const char* name, double nullValue) const {
    return GetFloat(FieldIndex(name), nullValue);
}

void CppSQLite3Table::SetRow(int row) {
    CheckResults();
    if (row < 0 || row >= rows_) Fail(CPPSQLITE_ERROR, "Invalid row index requested");
    current_ = row;
}

// ---- buffer ----

const char* CppSQLite3Buffer::Format(const char* format, ...) {
    Clear();
    va_list args;
    va_start(args, format);
    text_ = sqlite3_vmprintf(format, args);
    va_end(args);
    return Text();
}

void CppSQLite3Buffer::Clear() {
    sqlite3_free(text_);
    text_ = nullptr;
}

// ---- database ----

CppSQLite3DB::~CppSQLite3DB() {
    try {
        Close();
    } catch (...) {
    }
}

void CppSQLite3DB::Open(const char* fileName) {
    const int result = sqlite3_open(fileName, &db_);
    if (result != SQLITE_OK) {
        const CppSQLite3Exception error(result, db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(result));
        sqlite3_close(db_);
        db_ = nullptr;
        throw error;
    }
    SetBusyTimeout(busyTimeoutMs_);
}

void CppSQLite3DB::Close() {
    if (db_ == nullptr) return;
    if (sqlite3_close(db_) != SQLITE_OK) Fail(CPPSQLITE_ERROR, "Unable to close database");
    db_ = nullptr;
}

void CppSQLite3DB::CheckDB() const {
    if (db_ == nullptr) Fail(CPPSQLITE_ERROR, "Database not open");
}

int CppSQLite3DB::Execute(const char* sql) {
    CheckDB();
    char* message = nullptr;
    const int result = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (result != SQLITE_OK) throw CppSQLite3Exception(result, message, true);
    return sqlite3_changes(db_);
}

sqlite3_stmt* CppSQLite3DB::Compile(const char* sql) {
    CheckDB();
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    if (result != SQLITE_OK) FailWithDbMessage(db_, result);
    return statement;
}

CppSQLite3Query CppSQLite3DB::Query(const char* sql) {
    sqlite3_stmt* statement = Compile(sql);
    if (statement == nullptr) Fail(CPPSQLITE_ERROR, "Null Virtual Machine pointer");  // empty SQL text
    const int result = sqlite3_step(statement);
    if (result == SQLITE_DONE) return CppSQLite3Query(db_, statement, true);
    if (result == SQLITE_ROW) return CppSQLite3Query(db_, statement, false);
    const CppSQLite3Exception error(result, sqlite3_errmsg(db_));
    sqlite3_finalize(statement);
    throw error;
}

int CppSQLite3DB::ExecScalar(const char* sql) {
    CppSQLite3Query query = Query(sql);
    if (query.AtEnd() || query.NumFields() < 1) Fail(CPPSQLITE_ERROR, "Invalid scalar query");
    return query.GetInt(0);
}

bool CppSQLite3DB::TableExists(const char* table) {
    CppSQLite3Buffer sql;
    return ExecScalar(sql.Format("select count(*) from sqlite_master where type='table' and name=%Q", table)) > 0;
}

CppSQLite3Table CppSQLite3DB::GetTable(const char* sql) {
    CheckDB();
    char** results = nullptr;
    int rows = 0;
    int columns = 0;
    char* message = nullptr;
    const int result = sqlite3_get_table(db_, sql, &results, &rows, &columns, &message);
    if (result != SQLITE_OK) throw CppSQLite3Exception(result, message, true);
    return CppSQLite3Table(results, rows, columns);
}

CppSQLite3Statement CppSQLite3DB::CompileStatement(const char* sql) { return CppSQLite3Statement(db_, Compile(sql)); }

int64_t CppSQLite3DB::LastRowId() const {
    CheckDB();
    return sqlite3_last_insert_rowid(db_);
}

void CppSQLite3DB::SetBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = milliseconds;
    if (db_ != nullptr) sqlite3_busy_timeout(db_, milliseconds);
}

bool CppSQLite3DB::IsAutoCommitOn() const {
    CheckDB();
    return sqlite3_get_autocommit(db_) != 0;
}
