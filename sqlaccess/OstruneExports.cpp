// The library's one export.
#include "Database.h"
#include "Ostrune.h"
#include "SqliteApi.h"

extern "C" ISqlite* WINAPI BrushQueryInterface2(const char* sqliteLibrary) {
    auto api = BindSqliteLibrary(sqliteLibrary);
    if (!api) return nullptr;
    return new CSqllite(std::move(api));
}
