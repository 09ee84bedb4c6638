#include "SqliteApi.h"

#include <windows.h>

#include <mutex>
#include <string>

namespace {

struct Binding {
    std::mutex lock;
    std::shared_ptr<const SqliteApi> api;
    std::string libraryName;
};

Binding& CurrentBinding() {
    static Binding binding;
    return binding;
}

template <typename Fn>
bool Bind(HMODULE module, const char* name, Fn& slot) {
    FARPROC proc = GetProcAddress(module, name);
    if (!proc) return false;
    slot = reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
    return true;
}

// Looks the names up in their fixed order and stops at the first missing one.
bool BindAll(HMODULE m, SqliteApi& a) {
    return Bind(m, "sqlite3_close", a.close) && Bind(m, "sqlite3_open", a.open) &&
           Bind(m, "sqlite3_open16", a.open16) &&
           Bind(m, "sqlite3_last_insert_rowid", a.last_insert_rowid) &&
           Bind(m, "sqlite3_busy_timeout", a.busy_timeout) && Bind(m, "sqlite3_key", a.key) &&
           Bind(m, "sqlite3_rekey", a.rekey) && Bind(m, "sqlite3_prepare", a.prepare) &&
           Bind(m, "sqlite3_column_count", a.column_count) &&
           Bind(m, "sqlite3_prepare16", a.prepare16) && Bind(m, "sqlite3_finalize", a.finalize) &&
           Bind(m, "sqlite3_bind_null", a.bind_null) && Bind(m, "sqlite3_bind_int", a.bind_int) &&
           Bind(m, "sqlite3_bind_int64", a.bind_int64) &&
           Bind(m, "sqlite3_bind_text", a.bind_text) &&
           Bind(m, "sqlite3_bind_text16", a.bind_text16) &&
           Bind(m, "sqlite3_bind_blob", a.bind_blob) && Bind(m, "sqlite3_step", a.step) &&
           Bind(m, "sqlite3_data_count", a.data_count) && Bind(m, "sqlite3_reset", a.reset) &&
           Bind(m, "sqlite3_column_int", a.column_int) &&
           Bind(m, "sqlite3_column_int64", a.column_int64) &&
           Bind(m, "sqlite3_column_double", a.column_double) &&
           Bind(m, "sqlite3_column_text", a.column_text) &&
           Bind(m, "sqlite3_column_bytes", a.column_bytes) &&
           Bind(m, "sqlite3_column_text16", a.column_text16) &&
           Bind(m, "sqlite3_column_bytes16", a.column_bytes16) &&
           Bind(m, "sqlite3_column_blob", a.column_blob) &&
           Bind(m, "sqlite3_column_name", a.column_name) &&
           Bind(m, "sqlite3_column_name16", a.column_name16) &&
           Bind(m, "sqlite3_errmsg", a.errmsg);
}

}  // namespace

std::shared_ptr<const SqliteApi> BindSqliteLibrary(const char* libraryName) {
    if (!libraryName || !*libraryName) return nullptr;
    HMODULE module = GetModuleHandleA(libraryName);
    // The library stays loaded for the life of the process: objects bound to it
    // may outlive any caller's interest in the name.
    if (!module) module = LoadLibraryA(libraryName);
    if (!module) return nullptr;

    auto fresh = std::make_shared<SqliteApi>();
    if (!BindAll(module, *fresh)) return nullptr;

    Binding& binding = CurrentBinding();
    std::lock_guard<std::mutex> guard(binding.lock);
    binding.api = fresh;
    binding.libraryName = libraryName;
    return fresh;
}

