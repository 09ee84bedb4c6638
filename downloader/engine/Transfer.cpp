// One transfer attempt of a task: the partial file is appended to from its
// current size, only a successful reply's body is written, and the finished
// file is checked and moved into place before the task counts as done.
#include "engine/Downloader.h"
#include "engine/EngineTimings.h"

#include "archive/ZMD5.h"
#include "curl/CurlEasy.h"
#include "engine/PartialFile.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct TransferState {
    IProgress* task = nullptr;
    const std::atomic<bool>* stop = nullptr;
    PartialFile* file = nullptr;
    int64_t offset = 0;
    long httpStatus = 0;       // status of the latest response head (redirects reset it)
    int64_t rangeStart = -1;   // from Content-Range of a 206
    int64_t rangeTotal = -1;   // "bytes */N" of a 416, or "/N" of a 206
    bool bodyRefused = false;  // the body was not the expected bytes
    bool writeFailed = false;
};

bool StartsWithNoCase(const char* text, size_t length, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return length >= n && _strnicmp(text, prefix, n) == 0;
}

size_t header_proc(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    const size_t length = size * count;
    const std::string line(data, length);
    if (StartsWithNoCase(data, length, "HTTP/")) {
        const size_t space = line.find(' ');
        state->httpStatus = space == std::string::npos ? 0 : std::strtol(line.c_str() + space + 1, nullptr, 10);
        state->rangeStart = -1;
        state->rangeTotal = -1;
    } else if (StartsWithNoCase(data, length, "Content-Range:")) {
        // "bytes S-E/T" or "bytes */T"
        const size_t unit = line.find("bytes");
        const size_t slash = line.find('/');
        if (unit != std::string::npos && slash != std::string::npos) {
            const char* range = line.c_str() + unit + 5;
            while (*range == ' ') ++range;
            if (*range != '*') state->rangeStart = std::strtoll(range, nullptr, 10);
            if (line[slash + 1] != '*') state->rangeTotal = std::strtoll(line.c_str() + slash + 1, nullptr, 10);
        }
    }
    return length;
}

size_t write_proc(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    const size_t length = size * count;
    // Only a 200 from the start or a 206 from exactly the resume offset may
    // reach the partial file; anything else (an error page, a misplaced range)
    // ends the transfer without touching it.
    const bool fromStart = state->httpStatus == 200 && state->offset == 0;
    const bool rangeFits = state->httpStatus == 206 && state->rangeStart == state->offset;
    if (!fromStart && !rangeFits) {
        state->bodyRefused = true;
        return 0;
    }
    if (!state->file->Append(data, length)) {
        state->writeFailed = true;
        return 0;
    }
    return length;
}

int progress_proc(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* state = static_cast<TransferState*>(user);
    IProgress* task = state->task;
    if (task == nullptr || task->status.load() != 0) return -1;
    if (state->stop != nullptr && state->stop->load()) return -1;
    if (dlnow == 0 || dltotal == 0) return 0;
    task->now = static_cast<double>(state->offset + dlnow);
    task->total = static_cast<double>(state->offset + dltotal);
    task->OnProgress();
    return 0;
}

bool Md5Matches(const std::string& path, const std::string& expected) {
    if (expected.empty()) return true;
    ZMD5 md5;
    std::string actual = md5.GetMD5OfFile(path.c_str());
    for (char& c : actual) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return actual == expected;
}

}  // namespace

int download_proc(IProgress* task, std::atomic<void*>* slot, const std::atomic<bool>* stop) {
    if (task == nullptr) return kDownloadOk;
    if (task->url.empty()) return kDownloadEmptyUrl;

    CreateFolderTree(AnsiToWide(task->folder));
    const std::string target = task->folder + "\\" + task->name + task->extension;
    const std::string skip = target + ".skip";
    const std::string partial = target + ".tmp";
    if (target.size() > 2047 || partial.size() > 259) {
        EngineLog("下载出错：\n 文件名： " + partial + "\n 地址： " + task->url);
        return kDownloadCannotOpen;
    }
    const std::wstring wideTarget = AnsiToWide(target);
    if (FileExists(wideTarget) || FileExists(AnsiToWide(skip))) {
        int expected = 0;
        task->status.compare_exchange_strong(expected, 3);
        return kDownloadOk;
    }

    PartialFile file;
    const std::wstring widePartial = AnsiToWide(partial);
    // A task paused and resumed at once may still have its previous transfer
    // winding down on another worker, holding the partial file: wait for it.
    for (int waits = 0; !file.Open(widePartial) && GetLastError() == ERROR_SHARING_VIOLATION && waits < 60; ++waits) {
        if (stop != nullptr && stop->load()) break;
        Sleep(50);
    }
    if (!file.IsOpen()) {
        EngineLog("下载出错：\n 文件名： " + partial + "\n 地址： " + task->url);
        return kDownloadCannotOpen;
    }
    TransferState state;
    state.task = task;
    state.stop = stop;
    state.file = &file;
    state.offset = file.Size();
    task->resumeOffset = state.offset;

    CURLcode result;
    {
        CurlEasy handle;
        if (!handle) return CURLE_FAILED_INIT;
        slot->store(handle.Get());
        CURL* curl = handle.Get();
        curl_easy_setopt(curl, CURLOPT_URL, task->url.c_str());
        ApplyTransferLimits(curl);
        curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(state.offset));
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, header_proc);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, write_proc);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress_proc);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
        result = curl_easy_perform(curl);
        slot->store(nullptr);
    }
    const bool flushed = file.Flush();

    if (result == CURLE_OK && state.httpStatus == 416 && state.rangeTotal == state.offset && state.offset > 0) {
        // The partial file already holds every byte (a run ended between the
        // last byte and the move): nothing to fetch, finish it below.
    } else if (result == CURLE_RANGE_ERROR || (state.offset > 0 && state.httpStatus == 416) ||
               (state.bodyRefused && (state.httpStatus == 200 || state.httpStatus == 206))) {
        // The server ignored the range, or the partial file is longer than
        // the resource: the bytes on disk cannot be trusted, start over.
        file.Truncate();
        return kDownloadRangeRestart;
    } else if (state.bodyRefused || (result == CURLE_OK && state.httpStatus >= 300)) {
        return kDownloadHttpError;
    } else if (state.writeFailed || !flushed) {
        return CURLE_WRITE_ERROR;
    } else if (result != CURLE_OK) {
        return result;
    }
    file.Close();

    if (task->status.load() == 2) return kDownloadOk;
    if (!Md5Matches(partial, task->expectedMd5)) {
        DeleteFileW(widePartial.c_str());
        return kDownloadChecksumMismatch;
    }
    Sleep(EngineTimings().beforeMoveMs);
    if (!MoveFileExW(widePartial.c_str(), wideTarget.c_str(), MOVEFILE_REPLACE_EXISTING)) return kDownloadMoveFailed;
    return kDownloadOk;
}
