// Timing driver of tools/bench/ostrune.sh: inserts and reads N rows through
// Ostrune in one transaction, keyed or plain, and prints the rates.
#include "Ostrune.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

// ostrune_bench <database> <rows> [key]
int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ostrune_bench <database> <rows> [key]\n");
        return 2;
    }
    HMODULE module = LoadLibraryW(L"Ostrune.dll");
    auto factory = module ? reinterpret_cast<BrushQueryInterface2Fn>(reinterpret_cast<void*>(
                                GetProcAddress(module, "BrushQueryInterface2")))
                          : nullptr;
    ISqlite* db = factory ? factory("sqlcipher.dll") : nullptr;
    if (!db) {
        std::fprintf(stderr, "no database object\n");
        return 1;
    }
    const int rows = std::atoi(argv[2]);
    DeleteFileA(argv[1]);
    db->Open(argv[1]);
    if (argc > 3) db->Key(argv[3], static_cast<int>(std::string(argv[3]).size()));

    // The statements match those tools/bench/ostrune.sh feeds the command lines.
    std::string inserts = "BEGIN; CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, size INTEGER);";
    for (int i = 0; i < rows; ++i) {
        inserts += "INSERT INTO t(name, size) VALUES('package-" + std::to_string(i) + ".zip', " +
                   std::to_string(i * 7) + ");";
    }
    inserts += "COMMIT;";
    LARGE_INTEGER t0, t1, t2;
    QueryPerformanceCounter(&t0);
    if (!db->Execute(inserts)) return 1;
    QueryPerformanceCounter(&t1);
    IReader* reader = db->Query("SELECT id, name, size FROM t");
    long long total = 0;
    int read = 0;
    std::string name;
    while (reader && reader->Read()) {
        total += reader->GetInt64(2);
        reader->GetText(1, name);
        ++read;
    }
    QueryPerformanceCounter(&t2);
    db->CloseQuery();
    db->Release();
    std::printf("inserts_per_s %.0f\nreads_per_s %.0f\nrows_read %d checksum %lld\n",
                rows / Seconds(t0, t1), read / Seconds(t1, t2), read, total);
    return read == rows ? 0 : 1;
}
