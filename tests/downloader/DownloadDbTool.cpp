// Drives the download database for the sqlite3 cross-check script:
//   download_db_tool save <folder>   writes a fixed set of records
//   download_db_tool load <folder>   prints every restored record, UTF-8,
//                                    one line "Id|Name|ObjectUrl|Type|Err"
#include "database/DownloadDatabase.h"

#include "win32/TextConvert.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

PackageRecord Record(const char* id, const std::wstring& name, const std::wstring& url, const char* err) {
    PackageRecord record{};
    CopyToFixedBuffer(id, record.Id, sizeof record.Id);
    CopyToFixedBuffer(WideToAnsi(name), record.Name, sizeof record.Name);
    CopyToFixedBuffer(WideToAnsi(url), record.ObjectUrl, sizeof record.ObjectUrl);
    CopyToFixedBuffer("http://h/icon.png", record.PngUrl, sizeof record.PngUrl);
    CopyToFixedBuffer("1024", record.Size, sizeof record.Size);
    CopyToFixedBuffer("1", record.Type, sizeof record.Type);
    CopyToFixedBuffer(err, record.Err, sizeof record.Err);
    return record;
}

int Save(DownloadDatabase& db) {
    bool ok = true;
    PackageRecord quoted = Record("1", L"it's \"quoted\"", L"http://h/a'b.zip", "-1");
    CopyToFixedBuffer("msg with 'quotes'; DROP TABLE Packages; --", quoted.PromptMsg, sizeof quoted.PromptMsg);
    ok &= db.SaveTask(quoted);
    ok &= db.SaveTask(Record("2", L"刷机包 ROM", L"http://h/中文.zip", "0"));

    PackageRecord full{};
    std::memset(&full, 0, sizeof full);
    std::memset(full.Id, 'i', 11);
    char* fields[] = {full.Name, full.ObjectUrl, full.PngUrl, full.Size, full.Type, full.Hash, full.PromptMsg};
    const char letters[] = "noptyhm";
    for (int i = 0; i < 7; ++i) std::memset(fields[i], letters[i], 259);
    std::strcpy(full.Err, "4");
    ok &= db.SaveTask(full);

    // Two requests from the local port: no Id, different packages.
    PackageRecord first = Record("", L"first", L"http://h/first.apk", "-1");
    PackageRecord second = Record("", L"second", L"http://h/second.apk", "-1");
    ok &= db.SaveTask(first);
    ok &= db.SaveTask(second);
    // The first finishes: its URL becomes the local path, its row follows.
    CopyToFixedBuffer("D:\\down\\first.apk", first.ObjectUrl, sizeof first.ObjectUrl);
    CopyToFixedBuffer("1.00M", first.Size, sizeof first.Size);
    CopyToFixedBuffer("3", first.Err, sizeof first.Err);
    ok &= db.SaveTask(first);

    // Two packages of one URL with their own Ids; one finishes.
    PackageRecord rom = Record("7", L"ROM", L"http://h/same.zip", "-1");
    PackageRecord app = Record("8", L"App", L"http://h/same.zip", "-1");
    ok &= db.SaveTask(rom);
    ok &= db.SaveTask(app);
    CopyToFixedBuffer("1", rom.Err, sizeof rom.Err);
    ok &= db.SaveTask(rom);
    CopyToFixedBuffer("D:\\down\\App.zip", app.ObjectUrl, sizeof app.ObjectUrl);
    CopyToFixedBuffer("3", app.Err, sizeof app.Err);
    ok &= db.SaveTask(app);
    // Two packages of one URL from the local port: no Ids, two names.
    PackageRecord portA = Record("", L"Port A", L"http://h/port.zip", "-1");
    PackageRecord portB = Record("", L"Port B", L"http://h/port.zip", "-1");
    ok &= db.SaveTask(portA);
    ok &= db.SaveTask(portB);
    CopyToFixedBuffer("1", portB.Err, sizeof portB.Err);
    ok &= db.SaveTask(portB);

    PackageRecord gone = Record("", L"gone", L"http://h/gone.apk", "-1");
    ok &= db.SaveTask(gone);
    CopyToFixedBuffer("2", gone.Err, sizeof gone.Err);
    ok &= db.SaveTask(gone);
    return ok ? 0 : 1;
}

std::string Utf8(const char* ansi, size_t capacity) {
    return WideToUtf8(AnsiToWide(std::string_view(ansi, BoundedLength(ansi, capacity))));
}

int Load(DownloadDatabase& db) {
    for (const PackageRecord& r : db.LoadTasks()) {
        const std::string line = Utf8(r.Id, sizeof r.Id) + "|" + Utf8(r.Name, sizeof r.Name) + "|" +
                                 Utf8(r.ObjectUrl, sizeof r.ObjectUrl) + "|" + Utf8(r.Type, sizeof r.Type) + "|" +
                                 Utf8(r.Err, sizeof r.Err) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    DownloadDatabase db(argv[2]);
    const std::wstring command = argv[1];
    if (command == L"save") {
        db.LoadTasks();  // the program's start creates the table
        return Save(db);
    }
    if (command == L"load") return Load(db);
    return 2;
}
