// One transfer attempt of a task: the partial file is appended to from its
// current size, only a successful reply's body is written, and the finished
// file is checked and moved into place before the task counts as done.
// A resume asks for the rest only while the server's file is the one the
// partial file was fetched from (If-Range with the validator kept beside
// it); a file that changed, or that arrives shorter than announced, never
// counts as done.
#include "engine/Downloader.h"
#include "engine/EngineTimings.h"

#include "archive/ZMD5.h"
#include "curl/CurlEasy.h"
#include "engine/PartialFile.h"
#include "engine/ResumeRecord.h"
#include "engine/SafeFileName.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

struct TransferState {
    IProgress* task = nullptr;
    const std::atomic<bool>* stop = nullptr;
    PartialFile* file = nullptr;
    int64_t offset = 0;
    ResumeRecord kept;           // what the bytes on disk were fetched under
    std::wstring validatorPath;  // where a fresh download keeps its record
    // The latest response head (a redirect starts a new one):
    long httpStatus = 0;
    int64_t rangeStart = -1;     // from Content-Range of a 206
    int64_t rangeTotal = -1;     // "bytes */N" of a 416, or "/N" of a 206
    int64_t contentLength = -1;
    std::string etag;
    std::string lastModified;
    // What the body did:
    bool bodyStarted = false;
    bool bodyRefused = false;  // the body was not the expected bytes
    bool fileChanged = false;  // the server's file is not the one on disk
    bool writeFailed = false;
};

bool StartsWithNoCase(const char* text, size_t length, const char* prefix) {
    const size_t n = std::strlen(prefix);
    return length >= n && _strnicmp(text, prefix, n) == 0;
}

std::string HeaderValue(const std::string& line) {
    size_t start = line.find(':');
    start = start == std::string::npos ? line.size() : start + 1;
    size_t end = line.size();
    while (start < end && (line[start] == ' ' || line[start] == '\t')) ++start;
    while (end > start && (line[end - 1] == '\r' || line[end - 1] == '\n' || line[end - 1] == ' ')) --end;
    return line.substr(start, end - start);
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
        state->contentLength = -1;
        state->etag.clear();
        state->lastModified.clear();
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
    } else if (StartsWithNoCase(data, length, "Content-Length:")) {
        state->contentLength = std::strtoll(HeaderValue(line).c_str(), nullptr, 10);
    } else if (StartsWithNoCase(data, length, "ETag:")) {
        state->etag = HeaderValue(line);
    } else if (StartsWithNoCase(data, length, "Last-Modified:")) {
        state->lastModified = HeaderValue(line);
    }
    return length;
}

// What the current reply says about the whole file.
ResumeRecord ReplyRecord(const TransferState& state) {
    ResumeRecord reply;
    reply.total = state.httpStatus == 206 ? state.rangeTotal : state.contentLength;
    reply.etag = state.etag;
    reply.lastModified = state.lastModified;
    return reply;
}

// Decides, at the first body byte, whether the body may reach the partial
// file: a 200 from the start (its total and validator are kept for a later
// resume), or a 206 from exactly the resume offset of the same file.
bool AcceptBody(TransferState& state) {
    if (state.httpStatus == 200 && state.offset == 0) {
        if (!ReplyRecord(state).Save(state.validatorPath)) DeleteFileW(state.validatorPath.c_str());
        return true;
    }
    if (state.httpStatus == 206 && state.rangeStart == state.offset) {
        if (state.kept.ContradictedBy(ReplyRecord(state))) {
            state.fileChanged = true;
            return false;
        }
        return true;
    }
    state.bodyRefused = true;
    return false;
}

size_t write_proc(char* data, size_t size, size_t count, void* user) {
    auto* state = static_cast<TransferState*>(user);
    const size_t length = size * count;
    if (!state->bodyStarted) {
        if (!AcceptBody(*state)) return 0;
        state->bodyStarted = true;
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

// The transfer handle stays published in the task's slot until the attempt
// has let go of its files, so a resumed task is handed to a worker only
// once its partial file is free.
struct SlotGuard {
    std::atomic<void*>* slot;
    ~SlotGuard() { slot->store(nullptr); }
};

// The result of a finished transfer, from what its replies said.
int Outcome(CURLcode result, TransferState& state, bool flushed) {
    PartialFile& file = *state.file;
    if (result == CURLE_OK && state.httpStatus == 416 && state.offset > 0 && state.rangeTotal == state.offset &&
        (state.kept.total < 0 || state.kept.total == state.offset)) {
        // The partial file already holds every byte (a run ended between the
        // last byte and the move): nothing to fetch.
        return kDownloadOk;
    }
    if (state.fileChanged || result == CURLE_RANGE_ERROR || (state.offset > 0 && state.httpStatus == 416) ||
        (state.bodyRefused && (state.httpStatus == 200 || state.httpStatus == 206))) {
        // The server's file changed (If-Range answered with the whole file,
        // or another total or validator), ignored the range, or is shorter
        // than the partial file: the bytes on disk cannot be trusted.
        file.Truncate();
        return kDownloadRangeRestart;
    }
    if (state.bodyRefused || (result == CURLE_OK && state.httpStatus >= 300)) return kDownloadHttpError;
    if (state.writeFailed || !flushed) return CURLE_WRITE_ERROR;
    if (result != CURLE_OK) return result;
    // A clean end is complete only when the file holds what was announced:
    // the reply's total, and the total of the download's first reply.
    const int64_t size = file.Size();
    const int64_t announced = ReplyRecord(state).total;
    const int64_t first = state.offset > 0 ? state.kept.total : announced;
    const int64_t expected = announced >= 0 ? announced : first;
    if ((first >= 0 && announced >= 0 && first != announced) || (expected >= 0 && size > expected)) {
        file.Truncate();
        return kDownloadRangeRestart;
    }
    if (expected >= 0 && size < expected) return kDownloadShort;
    return kDownloadOk;
}

}  // namespace

int download_proc(IProgress* task, std::atomic<void*>* slot, const std::atomic<bool>* stop) {
    if (task == nullptr) return kDownloadOk;
    if (task->url.empty()) return kDownloadEmptyUrl;

    CreateFolderTree(AnsiToWide(task->folder));
    const std::optional<TaskFilePaths> paths = FilePathsOf(task->folder, task->name, task->extension);
    if (!paths) {
        EngineLog("下载出错：\n 文件名： " + task->folder + "\\" + task->name + task->extension + ".tmp\n 地址： " +
                  task->url);
        return kDownloadCannotOpen;
    }
    const std::wstring wideTarget = AnsiToWide(paths->target);
    if (FileExists(wideTarget) || FileExists(AnsiToWide(paths->skip))) {
        int expected = 0;
        task->status.compare_exchange_strong(expected, 3);
        return kDownloadOk;
    }

    PartialFile file;
    const std::wstring widePartial = AnsiToWide(paths->partial);
    // A task paused and resumed at once may still have its previous transfer
    // winding down on another worker, holding the partial file: wait for it.
    for (int waits = 0; !file.Open(widePartial) && GetLastError() == ERROR_SHARING_VIOLATION && waits < 60; ++waits) {
        if (stop != nullptr && stop->load()) break;
        Sleep(50);
    }
    if (!file.IsOpen()) {
        EngineLog("下载出错：\n 文件名： " + paths->partial + "\n 地址： " + task->url);
        return kDownloadCannotOpen;
    }
    TransferState state;
    state.task = task;
    state.stop = stop;
    state.file = &file;
    state.offset = file.Size();
    state.validatorPath = AnsiToWide(paths->validator);
    if (state.offset > 0) state.kept.Load(state.validatorPath);
    task->resumeOffset = state.offset;

    CurlEasy handle;
    if (!handle) return CURLE_FAILED_INIT;
    SlotGuard published{slot};
    slot->store(handle.Get());
    CURL* curl = handle.Get();
    curl_easy_setopt(curl, CURLOPT_URL, task->url.c_str());
    ApplyTransferLimits(curl);
    ApplyBulkReceive(curl);
    curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(state.offset));
    CurlHeaders ifRange;
    if (state.offset > 0 && !state.kept.IfRangeValue().empty()) {
        ifRange.Append(("If-Range: " + state.kept.IfRangeValue()).c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, ifRange.Get());
    }
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, header_proc);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, write_proc);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, progress_proc);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
    const CURLcode result = curl_easy_perform(curl);
    const bool flushed = file.Flush();

    const int outcome = Outcome(result, state, flushed);
    if (outcome != kDownloadOk) {
        // Nothing fetched (an error page, a refused or aborted reply): leave
        // no empty partial file, nor its record, behind.
        if (file.Size() == 0) {
            file.Close();
            DeleteFileW(widePartial.c_str());
            DeleteFileW(state.validatorPath.c_str());
        }
        return outcome;
    }
    file.Close();

    if (task->status.load() == 2) return kDownloadOk;
    if (!Md5Matches(paths->partial, task->expectedMd5)) {
        DeleteFileW(widePartial.c_str());
        DeleteFileW(state.validatorPath.c_str());
        return kDownloadChecksumMismatch;
    }
    Sleep(EngineTimings().beforeMoveMs);
    if (!MoveFileExW(widePartial.c_str(), wideTarget.c_str(), MOVEFILE_REPLACE_EXISTING)) return kDownloadMoveFailed;
    DeleteFileW(state.validatorPath.c_str());
    return kDownloadOk;
}
