// Runs the flashing scripts and the adb push hidden, handing their output to
// the caller in chunks as it comes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace scriptrunner {

// Called with each piece of output (at most kChunkBytes).
using ChunkHandler = std::function<void(std::string_view chunk)>;
constexpr size_t kChunkBytes = 4096;

enum RunResult : int {
    kRunOk = 0,
    kPipeFailed = -1,
    kStartFailed = -2,
    kTimedOut = -3,  // the child was still running at the limit and was ended
};

// One argument for a batch script: quoted, with "%" doubled so the command
// interpreter passes it on unexpanded.
std::wstring QuoteBatchArgument(const std::wstring& argument);

// Runs `commandLine` (the program named by `application`, or by the line's
// first token when null) with its output and errors in one pipe. With a
// handler the output is read until the child has ended (a grandchild that
// keeps the pipe open does not hold the reader) or `limitMs` passes; without
// one the pipe is closed at once and nothing is waited for.
int RunCaptured(const wchar_t* application, const std::wstring& commandLine, const ChunkHandler& onChunk,
                DWORD limitMs = INFINITE);

// A batch script with an optional argument (empty: none).
int RunBatch(const std::wstring& batch, const std::wstring& argument, const ChunkHandler& onChunk,
             DWORD limitMs = INFINITE);

// "<adb> push "<rom>" <target>" with the plug-in's adb.
int RunPush(const std::wstring& adb, const std::wstring& rom, const std::string& target, const ChunkHandler& onChunk,
            DWORD limitMs);

}  // namespace scriptrunner
