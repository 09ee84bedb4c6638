// CSqllite: the ISqlite handed out by BrushQueryInterface2.
#pragma once

#include "Ostrune.h"
#include "Reader.h"
#include "SqliteWrapper.h"

#include <memory>
#include <string>
#include <vector>

class CSqllite : public ISqlite, private ReaderOwner {
public:
    explicit CSqllite(std::shared_ptr<const SqliteApi> api);

    int OSTRUNE_METHOD Open(std::wstring path) override;
    int OSTRUNE_METHOD Open(std::string path) override;
    int OSTRUNE_METHOD Open(const char* path) override;
    IReader* OSTRUNE_METHOD Query(std::wstring sql) override;
    IReader* OSTRUNE_METHOD Query(std::string sql) override;
    IReader* OSTRUNE_METHOD Query(const char* sql) override;
    void OSTRUNE_METHOD CloseQuery() override;
    int OSTRUNE_METHOD Execute(std::wstring sql) override;
    int OSTRUNE_METHOD Execute(std::string sql) override;
    int OSTRUNE_METHOD Execute(const char* sql) override;
    void OSTRUNE_METHOD Release() override;
    int OSTRUNE_METHOD Key(const void* key, int length) override;
    int OSTRUNE_METHOD Rekey(const void* key, int length) override;
    IReader* OSTRUNE_METHOD QueryEx(const wchar_t* sql, bool ownConnection) override;
    IReader* OSTRUNE_METHOD QueryEx(const char* sql, bool ownConnection) override;

private:
    void ForgetReader(CReader* reader) override;
    void KeepKey(const void* key, int length);
    // Prepares the first statement of a narrow text (bytes handed to SQLite as
    // they are) or of a UTF-16 one as the current query.
    IReader* QueryText(const std::string& narrow, const std::wstring& wide, const std::string& shown);
    IReader* QueryOwnConnection(const std::string& narrow, const std::wstring& wide,
                                const std::string& shown);
    // Runs every statement of the text in turn; stops at the first failure.
    int ExecuteText(const std::string& narrow, const std::string& shown);

    std::shared_ptr<const SqliteApi> api_;
    SqliteConnection connection_;
    std::unique_ptr<StatementRecord> statement_;
    CReader* reader_ = nullptr;
    std::wstring path_;
    // The key's bytes, copied: the caller's buffer need not outlive the call.
    std::vector<unsigned char> key_;
    bool hasKey_ = false;
};
