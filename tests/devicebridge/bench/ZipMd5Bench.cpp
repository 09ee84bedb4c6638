// Timing driver for tools/bench/hemlar-zip-md5.sh:
//   hemlar_zip_md5_bench unzip <archive> <folder>   extracts every entry
//   hemlar_zip_md5_bench md5 <file>                 GetFileMD5 of the file
// Prints the seconds the work took inside the process.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "exports/Hemlar.h"
#include "archive/ZipArchive.h"

namespace {

int Unzip(const wchar_t* archive, const wchar_t* folder) {
    if (!SetCurrentDirectoryW(folder)) return 2;
    ZipArchivePtr zip(OpenZipArchive(archive));
    if (!zip) return 3;
    ZipEntryInfo info;
    int failures = 0, entries = 0;
    for (int i = 0; GetZipItem(zip.get(), i, &info) == kZipOk; ++i, ++entries)
        if (UnzipItemToFile(zip.get(), i, info.name) != kZipOk) ++failures;
    std::printf("entries %d failures %d\n", entries, failures);
    return failures ? 4 : 0;
}

int Md5(const wchar_t* path) {
    char narrow[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, sizeof narrow, nullptr, nullptr);
    char digest[33] = {};
    GetFileMD5(narrow, digest);
    std::printf("md5 %s\n", digest);
    return digest[0] ? 0 : 5;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 1;
    const std::wstring mode = argv[1];
    const auto start = std::chrono::steady_clock::now();
    int result = 1;
    if (mode == L"unzip" && argc == 4) result = Unzip(argv[2], argv[3]);
    if (mode == L"md5") result = Md5(argv[2]);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("seconds %.3f\n", took.count());
    return result;
}
