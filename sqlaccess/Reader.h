// CReader: the IReader over one prepared statement.
#pragma once

#include "Ostrune.h"
#include "SqliteWrapper.h"

#include <memory>

class CReader;

// Whoever keeps a reader it handed out (the database object) hears when the
// reader closes, so it never closes it twice.
class ReaderOwner {
public:
    virtual void ForgetReader(CReader* reader) = 0;

protected:
    ~ReaderOwner() = default;
};

class CReader : public IReader {
public:
    // A reader over a statement its database object keeps.
    CReader(ReaderOwner* owner, StatementRecord* statement);
    // A reader that owns its statement and the connection it runs on.
    CReader(std::unique_ptr<SqliteConnection> connection, std::unique_ptr<StatementRecord> statement);

    bool OSTRUNE_METHOD Read() override;
    int OSTRUNE_METHOD GetInt(int column) override;
    long long OSTRUNE_METHOD GetInt64(int column) override;
    double OSTRUNE_METHOD GetDouble(int column) override;
    int OSTRUNE_METHOD GetText(int column, std::wstring& out) override;
    int OSTRUNE_METHOD GetText(int column, std::string& out) override;
    int OSTRUNE_METHOD GetTextBuffer(int column, wchar_t* buffer, int* size) override;
    int OSTRUNE_METHOD GetTextBuffer(int column, char* buffer, int* size) override;
    int OSTRUNE_METHOD GetColumnName(int column, std::wstring& out) override;
    int OSTRUNE_METHOD GetColumnName(int column, std::string& out) override;
    int OSTRUNE_METHOD GetColumnNameBuffer(int column, wchar_t* buffer, int* size) override;
    int OSTRUNE_METHOD GetColumnNameBuffer(int column, char* buffer, int* size) override;
    void OSTRUNE_METHOD Close() override;

private:
    // The statement after the closed and column-range checks.
    StatementRecord& Checked(int column) const;

    ReaderOwner* owner_ = nullptr;
    // Declared first so they are released last: the statement runs on the connection.
    std::unique_ptr<SqliteConnection> ownConnection_;
    std::unique_ptr<StatementRecord> ownStatement_;
    StatementRef statement_;
};
