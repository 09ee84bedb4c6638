// Ostrune.dll: SQLite databases behind two small interfaces. The caller names
// an encryption-capable SQLite library, BrushQueryInterface2 binds it at run
// time and hands out a database object; row readers come from its queries.
#pragma once

#include <windows.h>

#include <string>

// Member functions cross the DLL boundary: fix their convention on i686.
#if defined(__i386__) || defined(_M_IX86)
#define OSTRUNE_METHOD __thiscall
#else
#define OSTRUNE_METHOD
#endif

// A forward-only row reader with typed column getters. Getters throw
// database_error "reader is closed" without a statement and std::out_of_range
// "index out of range" for a column past the last.
class IReader {
public:
    virtual OSTRUNE_METHOD ~IReader() {}
    virtual bool OSTRUNE_METHOD Read() = 0;
    virtual int OSTRUNE_METHOD GetInt(int column) = 0;
    virtual long long OSTRUNE_METHOD GetInt64(int column) = 0;
    virtual double OSTRUNE_METHOD GetDouble(int column) = 0;
    virtual int OSTRUNE_METHOD GetText(int column, std::wstring& out) = 0;
    virtual int OSTRUNE_METHOD GetText(int column, std::string& out) = 0;
    // The buffer forms copy the text without a terminator and return 0 when it
    // fits (its byte length is below *size); otherwise they set *size to the
    // length plus one and return -1. The first takes the UTF-16 text.
    virtual int OSTRUNE_METHOD GetTextBuffer(int column, wchar_t* buffer, int* size) = 0;
    virtual int OSTRUNE_METHOD GetTextBuffer(int column, char* buffer, int* size) = 0;
    virtual int OSTRUNE_METHOD GetColumnName(int column, std::wstring& out) = 0;
    virtual int OSTRUNE_METHOD GetColumnName(int column, std::string& out) = 0;
    virtual int OSTRUNE_METHOD GetColumnNameBuffer(int column, wchar_t* buffer, int* size) = 0;
    virtual int OSTRUNE_METHOD GetColumnNameBuffer(int column, char* buffer, int* size) = 0;
    virtual void OSTRUNE_METHOD Close() = 0;
};

// A database connection. Narrow SQL reaches SQLite as the caller's bytes and
// narrow getters return the bytes stored, so a caller reads back what it
// wrote; narrow paths are in the ANSI code page.
class ISqlite {
public:
    virtual OSTRUNE_METHOD ~ISqlite() {}
    virtual int OSTRUNE_METHOD Open(std::wstring path) = 0;
    virtual int OSTRUNE_METHOD Open(std::string path) = 0;
    virtual int OSTRUNE_METHOD Open(const char* path) = 0;
    // Readers from Query belong to this object: valid until the next query,
    // CloseQuery or Release.
    virtual IReader* OSTRUNE_METHOD Query(std::wstring sql) = 0;
    virtual IReader* OSTRUNE_METHOD Query(std::string sql) = 0;
    virtual IReader* OSTRUNE_METHOD Query(const char* sql) = 0;
    virtual void OSTRUNE_METHOD CloseQuery() = 0;
    virtual int OSTRUNE_METHOD Execute(std::wstring sql) = 0;
    virtual int OSTRUNE_METHOD Execute(std::string sql) = 0;
    virtual int OSTRUNE_METHOD Execute(const char* sql) = 0;
    virtual void OSTRUNE_METHOD Release() = 0;
    virtual int OSTRUNE_METHOD Key(const void* key, int length) = 0;
    virtual int OSTRUNE_METHOD Rekey(const void* key, int length) = 0;
    // With ownConnection the reader runs on a connection of its own (keyed
    // like this one) and belongs to the caller, who ends it with Close.
    virtual IReader* OSTRUNE_METHOD QueryEx(const wchar_t* sql, bool ownConnection) = 0;
    virtual IReader* OSTRUNE_METHOD QueryEx(const char* sql, bool ownConnection) = 0;
};

// Binds the SQLite library of that name (loaded if needed) and returns a new
// database object, or null when the library or one of its entry points is missing.
extern "C" ISqlite* WINAPI BrushQueryInterface2(const char* sqliteLibrary);
using BrushQueryInterface2Fn = ISqlite*(WINAPI*)(const char*);
