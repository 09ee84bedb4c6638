// A thin object layer over the SQLite 3 C interface: result codes become
// CppSQLite3Exception; text is narrow and goes to SQLite unchanged (UTF-8).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <vector>

constexpr int CPPSQLITE_ERROR = 1000;

class CppSQLite3Exception {
public:
    // `message` is copied; when `freeMessage` is set it was allocated by
    // SQLite and is freed here.
    CppSQLite3Exception(int code, const char* message, bool freeMessage = false);
    CppSQLite3Exception(const CppSQLite3Exception& other);
    CppSQLite3Exception& operator=(const CppSQLite3Exception& other);
    virtual ~CppSQLite3Exception();

    int ErrorCode() const { return code_; }
    const char* Message() const { return message_ != nullptr ? message_ : ""; }
    static const char* CodeName(int code);

private:
    int code_;
    char* message_ = nullptr;  // "%s[%d]: %s", allocated by sqlite3_mprintf
};

class CppSQLite3Query {
public:
    CppSQLite3Query() = default;
    CppSQLite3Query(sqlite3* db, sqlite3_stmt* statement, bool atEnd, bool ownsStatement = true);
    // Copies move the statement to the target; the source loses it.
    CppSQLite3Query(const CppSQLite3Query& other);
    CppSQLite3Query& operator=(const CppSQLite3Query& other);
    ~CppSQLite3Query();

    int NumFields() const;
    int FieldIndex(const char* name) const;
    const char* FieldName(int column) const;
    const char* FieldDeclType(int column) const;
    int FieldDataType(int column) const;
    bool FieldIsNull(int column) const;

    const char* GetText(int column, const char* nullValue = "") const;
    int GetInt(int column, int nullValue = 0) const;
    int64_t GetInt64(int column, int64_t nullValue = 0) const;
    double GetFloat(int column, double nullValue = 0.0) const;
    const unsigned char* GetBlob(int column, int& length) const;

    bool AtEnd() const { return atEnd_; }
    void NextRow();
    void Finalize() noexcept;

private:
    void CheckStatement() const;
    void CheckColumn(int column) const;

    sqlite3* db_ = nullptr;
    mutable sqlite3_stmt* statement_ = nullptr;
    bool atEnd_ = true;
    int columns_ = 0;
    mutable bool owns_ = false;
};

class CppSQLite3Statement {
public:
    CppSQLite3Statement() = default;
    CppSQLite3Statement(sqlite3* db, sqlite3_stmt* statement);
    CppSQLite3Statement(const CppSQLite3Statement& other);  // moves the statement
    CppSQLite3Statement& operator=(const CppSQLite3Statement& other);
    ~CppSQLite3Statement();

    int Execute();                 // step, reset; the number of rows changed
    CppSQLite3Query Query();       // the query does not own the statement

    // Parameters are numbered from 1; text and blobs are copied by SQLite.
    void Bind(int parameter, const char* value);
    void Bind(int parameter, int value);
    void Bind(int parameter, double value);
    void Bind(int parameter, const unsigned char* blob, int length);
    void BindNull(int parameter);
    void Bind(const char* name, const char* value);
    int ParameterIndex(const char* name) const;

    void Reset();
    void Finalize() noexcept;

private:
    void CheckStatement() const;

    sqlite3* db_ = nullptr;
    mutable sqlite3_stmt* statement_ = nullptr;
};

class CppSQLite3Table {
public:
    CppSQLite3Table() = default;
    CppSQLite3Table(char** results, int rows, int columns);
    CppSQLite3Table(const CppSQLite3Table& other);  // moves the array
    CppSQLite3Table& operator=(const CppSQLite3Table& other);
    ~CppSQLite3Table();

    int NumFields() const;
    int NumRows() const;
    const char* FieldName(int column) const;
    int FieldIndex(const char* name) const;  // "Invalid field name requested" when absent
    const char* FieldValue(int column) const;
    const char* FieldValue(const char* name) const;
    bool FieldIsNull(int column) const;
    bool FieldIsNull(const char* name) const;
    void SetRow(int row);

    // The current row's values, read from their text; the given value for NULL.
    const char* GetText(int column, const char* nullValue = "") const;
    const char* GetText(const char* name, const char* nullValue = "") const;
    int GetInt(int column, int nullValue = 0) const;
    int GetInt(const char* name, int nullValue = 0) const;
    int64_t GetInt64(int column, int64_t nullValue = 0) const;
    int64_t GetInt64(const char* name, int64_t nullValue = 0) const;
    double GetFloat(int column, double nullValue = 0.0) const;
    double GetFloat(const char* name, double nullValue = 0.0) const;

private:
    void CheckResults() const;

    mutable char** results_ = nullptr;
    int rows_ = 0;
    int columns_ = 0;
    int current_ = 0;
};

// A text formatted by SQLite's printf (so %q and %Q are available).
class CppSQLite3Buffer {
public:
    ~CppSQLite3Buffer() { Clear(); }
    const char* Format(const char* format, ...);
    void Clear();
    const char* Text() const { return text_ != nullptr ? text_ : ""; }

private:
    char* text_ = nullptr;
};

// Binary data as text without NUL bytes, for a text column, in SQLite's
// historical binary encoding: a first byte e, then every byte minus e, with
// 0, 1 and '\'' escaped as 1 followed by the value plus one. The encoded
// form takes at most length * 257 / 254 + 3 bytes with its terminator.
class CppSQLite3Binary {
public:
    void SetBinary(const unsigned char* data, int length);
    void SetEncoded(const unsigned char* text);  // NUL-terminated
    const unsigned char* GetEncoded();
    // Throws "Cannot decode binary" when the text is no such encoding.
    const unsigned char* GetBinary();
    int GetBinaryLength();
    void Clear();

    // The encoding alone; the output needs Encode(data, length, nullptr) bytes.
    static int Encode(const unsigned char* data, int length, unsigned char* out);
    // Decodes in place or into `out` (room for the text's length); -1 when
    // the text does not decode.
    static int Decode(const unsigned char* text, unsigned char* out);

private:
    std::vector<unsigned char> buffer_;
    int binaryLength_ = 0;
    bool encoded_ = false;
};

class CppSQLite3DB {
public:
    CppSQLite3DB() = default;
    // One owner per connection: a shared one would be closed twice.
    CppSQLite3DB(const CppSQLite3DB&) = delete;
    CppSQLite3DB& operator=(const CppSQLite3DB&) = delete;
    ~CppSQLite3DB();

    void Open(const char* fileName);
    void Close();

    int Execute(const char* sql);
    CppSQLite3Query Query(const char* sql);
    int ExecScalar(const char* sql);
    bool TableExists(const char* table);
    CppSQLite3Table GetTable(const char* sql);
    CppSQLite3Statement CompileStatement(const char* sql);
    int64_t LastRowId() const;
    void SetBusyTimeout(int milliseconds);
    bool IsAutoCommitOn() const;

private:
    void CheckDB() const;
    sqlite3_stmt* Compile(const char* sql);

    sqlite3* db_ = nullptr;
    int busyTimeoutMs_ = 60000;
};
