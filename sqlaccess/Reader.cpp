#include "Reader.h"

#include <cstring>
#include <cwchar>
#include <stdexcept>

namespace {

// The copy rule of the buffer getters: n bytes fit only when n < *size; no
// terminator is written. Otherwise *size tells the caller what to allocate.
int CopyToCallerBuffer(const void* text, int bytes, void* buffer, int* size) {
    if (!size) return -1;
    if (bytes < *size && buffer) {
        if (bytes > 0) std::memcpy(buffer, text, static_cast<size_t>(bytes));
        return 0;
    }
    *size = bytes + 1;
    return -1;
}

int ByteLength(const wchar_t* text) {
    return text ? static_cast<int>(std::wcslen(text) * sizeof(wchar_t)) : 0;
}

int ByteLength(const char* text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

}  // namespace

CReader::CReader(ReaderOwner* owner, StatementRecord* statement)
    : owner_(owner), statement_(statement) {}

CReader::CReader(std::unique_ptr<SqliteConnection> connection,
                 std::unique_ptr<StatementRecord> statement)
    : ownConnection_(std::move(connection)),
      ownStatement_(std::move(statement)),
      statement_(ownStatement_.get()) {}

StatementRecord& CReader::Checked(int column) const {
    StatementRecord* record = statement_.Get();
    if (!record || record->Empty()) throw database_error("reader is closed");
    if (column < 0 || column > record->ColumnCount() - 1) throw std::out_of_range("index out of range");
    return *record;
}

bool CReader::Read() {
    StatementRecord* record = statement_.Get();
    if (!record || record->Empty()) return false;
    try {
        return record->Step();
    } catch (const database_error&) {
        return false;
    }
}

int CReader::GetInt(int column) {
    StatementRecord& s = Checked(column);
    return s.Api().column_int(s.Handle(), column);
}

long long CReader::GetInt64(int column) {
    StatementRecord& s = Checked(column);
    return s.Api().column_int64(s.Handle(), column);
}

double CReader::GetDouble(int column) {
    StatementRecord& s = Checked(column);
    return s.Api().column_double(s.Handle(), column);
}

int CReader::GetText(int column, std::wstring& out) {
    StatementRecord& s = Checked(column);
    auto text = static_cast<const wchar_t*>(s.Api().column_text16(s.Handle(), column));
    int chars = s.Api().column_bytes16(s.Handle(), column) / 2;
    out.assign(text ? text : L"", text ? static_cast<size_t>(chars) : 0);
    return static_cast<int>(out.size());
}

int CReader::GetText(int column, std::string& out) {
    StatementRecord& s = Checked(column);
    auto text = reinterpret_cast<const char*>(s.Api().column_text(s.Handle(), column));
    int bytes = s.Api().column_bytes(s.Handle(), column);
    out.assign(text ? text : "", text ? static_cast<size_t>(bytes) : 0);
    return static_cast<int>(out.size());
}

int CReader::GetTextBuffer(int column, wchar_t* buffer, int* size) {
    StatementRecord& s = Checked(column);
    const void* text = s.Api().column_text16(s.Handle(), column);
    int bytes = text ? s.Api().column_bytes16(s.Handle(), column) : 0;
    return CopyToCallerBuffer(text, bytes, buffer, size);
}

int CReader::GetTextBuffer(int column, char* buffer, int* size) {
    StatementRecord& s = Checked(column);
    const void* text = s.Api().column_text(s.Handle(), column);
    int bytes = text ? s.Api().column_bytes(s.Handle(), column) : 0;
    return CopyToCallerBuffer(text, bytes, buffer, size);
}

int CReader::GetColumnName(int column, std::wstring& out) {
    StatementRecord& s = Checked(column);
    auto name = static_cast<const wchar_t*>(s.Api().column_name16(s.Handle(), column));
    out = name ? name : L"";
    return static_cast<int>(out.size());
}

int CReader::GetColumnName(int column, std::string& out) {
    StatementRecord& s = Checked(column);
    const char* name = s.Api().column_name(s.Handle(), column);
    out = name ? name : "";
    return static_cast<int>(out.size());
}

int CReader::GetColumnNameBuffer(int column, wchar_t* buffer, int* size) {
    StatementRecord& s = Checked(column);
    auto name = static_cast<const wchar_t*>(s.Api().column_name16(s.Handle(), column));
    return CopyToCallerBuffer(name, ByteLength(name), buffer, size);
}

int CReader::GetColumnNameBuffer(int column, char* buffer, int* size) {
    StatementRecord& s = Checked(column);
    const char* name = s.Api().column_name(s.Handle(), column);
    return CopyToCallerBuffer(name, ByteLength(name), buffer, size);
}

void CReader::Close() {
    statement_.Drop();
    ownStatement_.reset();
    if (ownConnection_) {
        try {
            ownConnection_->Close();
        } catch (const database_error&) {
            // The statement is finalised, so SQLite has no reason to refuse;
            // the destructor closes whatever is left.
        }
        ownConnection_.reset();
    }
    if (owner_) owner_->ForgetReader(this);
    delete this;
}
