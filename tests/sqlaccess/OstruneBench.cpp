// Timing driver of tools/bench/ostrune.sh: through Ostrune, the work the script
// times in the sqlite3 and sqlcipher command lines, timed the same way.
// Untimed, as there: opening, the key and the table (whose creation derives
// the key). Timed: the insert text as one call, as the command line runs one
// input line, and reading every row, printed to standard output as the command
// line's list mode prints it (byte for byte). The figures go to standard error.
//   ostrune_bench <database> <table SQL file> <inserts SQL file> [key]
#include "Ostrune.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

bool ReadWholeFile(const char* path, std::string& text) {
    std::ifstream file(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return file.good() || file.eof();
}

// Rows printed "id|name|size", written in blocks as stdio buffers them.
class RowPrinter {
public:
    void Row(long long id, const std::string& name, long long size) {
        char number[32];
        pending_ += std::to_string(id);
        pending_ += '|';
        pending_ += name;
        std::snprintf(number, sizeof number, "|%lld\n", size);
        pending_ += number;
        if (pending_.size() >= kBlock) Flush();
    }
    void Flush() {
        std::fwrite(pending_.data(), 1, pending_.size(), stdout);
        pending_.clear();
    }

private:
    static constexpr size_t kBlock = 8192;
    std::string pending_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: ostrune_bench <database> <table SQL file> <inserts SQL file> [key]\n");
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // "\n" as the command line writes it
    std::string table, inserts;
    if (!ReadWholeFile(argv[2], table) || !ReadWholeFile(argv[3], inserts)) {
        std::fprintf(stderr, "cannot read the SQL files\n");
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
    DeleteFileA(argv[1]);
    db->Open(argv[1]);
    const std::string key = argc > 4 ? argv[4] : "";
    if (!key.empty()) db->Key(key.data(), static_cast<int>(key.size()));
    if (!db->Execute(table)) return 1;
    if (!key.empty()) {
        std::string provider, version;
        for (auto [pragma, out] : {std::pair{"PRAGMA cipher_provider", &provider},
                                   std::pair{"PRAGMA cipher_provider_version", &version}}) {
            IReader* reader = db->Query(pragma);
            if (reader && reader->Read()) reader->GetText(0, *out);
        }
        db->CloseQuery();
        std::fprintf(stderr, "provider %s (%s)\n", provider.c_str(), version.c_str());
    }

    const double t0 = Now();
    if (!db->Execute(inserts)) return 1;
    const double t1 = Now();
    IReader* reader = db->Query("SELECT id, name, size FROM t");
    RowPrinter printer;
    std::string name;
    long long rows = 0;
    while (reader && reader->Read()) {
        reader->GetText(1, name);
        printer.Row(reader->GetInt64(0), name, reader->GetInt64(2));
        ++rows;
    }
    printer.Flush();
    std::fflush(stdout);
    const double t2 = Now();
    db->CloseQuery();
    db->Release();
    std::fprintf(stderr, "inserts_s %.4f\nreads_s %.4f\nrows %lld\n", t1 - t0, t2 - t1, rows);
    return 0;
}
