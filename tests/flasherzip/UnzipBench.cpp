// Timing driver of tools/bench/unzip-with-backup.sh: one UnzipWithBackup of an
// archive into a folder, with the seconds it took inside the process.
#include "ZipUtils.h"

#include <windows.h>

#include <cstdio>
#include <string>

// unzip_bench <zip> <target folder\> [backup folder\]
int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: unzip_bench <zip> <target folder> [backup folder]\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const bool ok = UnzipWithBackup(argv[1], argv[2], argc > 3 ? argv[3] : nullptr, {});
    QueryPerformanceCounter(&end);
    std::printf("seconds %.3f\nresult %s\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart),
                ok ? "ok" : "failed");
    return ok ? 0 : 1;
}
