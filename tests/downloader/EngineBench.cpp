// The download engine's side of tools/bench/downloader-throughput.sh:
//   engine_bench <folder> <url> [<url> ...]
// Downloads every URL at once on an eleven-worker pool into <folder> and
// prints the seconds from hand-over to the last file in place, the bytes, and
// the process's peak working set.
#include "engine/Downloader.h"

#include "win32/TextConvert.h"

#include <psapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

class BenchTask : public IProgress {
public:
    BenchTask(const std::string& folder, const std::string& fileName) : IProgress(folder, false, true, 1) {
        fileName.copy(name, sizeof name - 1);
    }
    void OnProgress() override {}
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::string folder = WideToAnsi(argv[1]);
    std::vector<std::unique_ptr<BenchTask>> tasks;
    for (int i = 2; i < argc; ++i) {
        tasks.push_back(std::make_unique<BenchTask>(folder, "file" + std::to_string(i - 2)));
        tasks.back()->url = WideToAnsi(argv[i]);
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    double bytes = 0;
    int failed = 0;
    {
        DownloadPool pool(11, true);
        for (auto& task : tasks) pool.Hand(task.get());
        for (auto& task : tasks) {
            while (task->status.load() < 3) Sleep(5);
            failed += task->status.load() != 3;
            bytes += task->total.load();
        }
        QueryPerformanceCounter(&end);
    }
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("seconds %.3f\nbytes %.0f\npeak_working_set_mib %.1f\nfailed %d\n",
                static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart, bytes,
                memory.PeakWorkingSetSize / 1048576.0, failed);
    return failed == 0 ? 0 : 1;
}
