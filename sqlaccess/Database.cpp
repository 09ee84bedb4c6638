#include "Database.h"

#include "DebugReport.h"
#include "win32/TextConvert.h"

#include <exception>

namespace {

// Narrow path to wide, with the library's debugger lines around it.
std::wstring StringToWString(const std::string& path) {
    OutputDebugStringA("PNT  Dll StringToWString Begin");
    std::wstring wide = AnsiToWide(path);
    bool converted = path.empty() || !wide.empty();
    OutputDebugStringA(converted ? "PNT  Dll StringToWString End True"
                                 : "PNT  Dll StringToWString End Flase");
    return wide;
}

}  // namespace

CSqllite::CSqllite(std::shared_ptr<const SqliteApi> api) : api_(api), connection_(api) {}

int CSqllite::Open(std::wstring path) {
    CloseQuery();
    path_ = path;
    connection_.OpenWide(path);
    return 1;
}

int CSqllite::Open(std::string path) {
    path_ = StringToWString(path);
    CloseQuery();
    connection_.OpenUtf8(WideToUtf8(path_));
    return 1;
}

int CSqllite::Open(const char* path) {
    OutputDebugStringA("PNT  Dll Inintial Begin");
    int result = Open(std::string(path ? path : ""));
    OutputDebugStringA("PNT  Dll Inintial End");
    return result;
}

IReader* CSqllite::Query(std::wstring sql) { return QueryText({}, sql, WideToAnsi(sql)); }

// Narrow SQL goes to SQLite as the caller's bytes, so narrow getters hand the
// same bytes back.
IReader* CSqllite::Query(std::string sql) { return QueryText(sql, {}, sql); }

IReader* CSqllite::Query(const char* sql) { return Query(std::string(sql ? sql : "")); }

IReader* CSqllite::QueryText(const std::string& narrow, const std::wstring& wide,
                             const std::string& shown) {
    CloseQuery();
    try {
        statement_ = wide.empty() ? StatementRecord::PrepareNarrow(connection_, narrow)
                                  : StatementRecord::PrepareWide(connection_, wide);
        reader_ = new CReader(this, statement_.get());
        return reader_;
    } catch (const std::exception& e) {
        statement_.reset();
        DebugReport("SqlCmd %s with error:%s", shown.c_str(), e.what());
        return nullptr;
    }
}

void CSqllite::CloseQuery() {
    if (reader_) reader_->Close();  // clears reader_ through ForgetReader
    statement_.reset();
}

void CSqllite::ForgetReader(CReader* reader) {
    if (reader == reader_) reader_ = nullptr;
}

// Wide commands go to SQLite as UTF-8 too: one conversion for the whole text
// rather than one per statement.
int CSqllite::Execute(std::wstring sql) { return ExecuteText(WideToUtf8(sql), WideToAnsi(sql)); }

int CSqllite::Execute(std::string sql) { return ExecuteText(sql, sql); }

int CSqllite::Execute(const char* sql) { return Execute(std::string(sql ? sql : "")); }

int CSqllite::ExecuteText(const std::string& narrow, const std::string& shown) {
    try {
        size_t offset = 0;
        while (offset < narrow.size()) {
            size_t used = 0;
            auto statement = StatementRecord::PrepareNarrow(connection_, std::string_view(narrow).substr(offset), &used);
            if (used == 0) break;  // nothing left that SQLite would read
            offset += used;
            if (statement->Empty()) continue;  // blanks or a comment
            StatementRef reference(statement.get());
            statement->Step();
        }
        return 1;
    } catch (const std::exception& e) {
        DebugReport("sqlCmd %s with error:%s", shown.c_str(), e.what());
        return 0;
    }
}

void CSqllite::Release() {
    // Statements are finalised first, so SQLite really closes the file.
    CloseQuery();
    try {
        connection_.Close();
    } catch (const database_error&) {
        // The result is not looked at; the connection's destructor retries.
    }
    delete this;
}

void CSqllite::KeepKey(const void* key, int length) {
    const auto* bytes = static_cast<const unsigned char*>(key);
    key_.assign(bytes, bytes + (key && length > 0 ? length : 0));
    hasKey_ = key != nullptr;
}

int CSqllite::Key(const void* key, int length) {
    KeepKey(key, length);
    if (!connection_.IsOpen()) throw database_error("database key error");
    return api_->key(connection_.Handle(), key_.data(), static_cast<int>(key_.size()));
}

int CSqllite::Rekey(const void* key, int length) {
    KeepKey(key, length);
    if (!connection_.IsOpen()) throw database_error("database rekey error");
    return api_->rekey(connection_.Handle(), key_.data(), static_cast<int>(key_.size()));
}

IReader* CSqllite::QueryEx(const wchar_t* sql, bool ownConnection) {
    std::wstring text = sql ? sql : L"";
    if (!ownConnection) return Query(text);
    return QueryOwnConnection({}, text, WideToAnsi(text));
}

IReader* CSqllite::QueryEx(const char* sql, bool ownConnection) {
    std::string text = sql ? sql : "";
    if (!ownConnection) return Query(text);
    return QueryOwnConnection(text, {}, text);
}

IReader* CSqllite::QueryOwnConnection(const std::string& narrow, const std::wstring& wide,
                                      const std::string& shown) {
    if (path_.empty()) return nullptr;
    try {
        auto connection = std::make_unique<SqliteConnection>(api_);
        connection->OpenWide(path_);
        if (hasKey_) api_->key(connection->Handle(), key_.data(), static_cast<int>(key_.size()));
        auto statement = wide.empty() ? StatementRecord::PrepareNarrow(*connection, narrow)
                                      : StatementRecord::PrepareWide(*connection, wide);
        return new CReader(std::move(connection), std::move(statement));
    } catch (const std::exception& e) {
        DebugReport("SqlCmd %s with error:%s", shown.c_str(), e.what());
        return nullptr;
    }
}
