#include "ScriptRunner.h"

#include <vector>

#include "win32/ProcessLauncher.h"
#include "win32/ScopedHandle.h"
#include "win32/TextConvert.h"

namespace scriptrunner {

namespace {

constexpr DWORD kPollMs = 20;

// Reads whatever the pipe holds now; false once the pipe is broken.
bool DrainAvailable(HANDLE pipe, std::vector<char>& buffer, const ChunkHandler& onChunk) {
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
        if (available == 0) return true;
        DWORD got = 0;
        if (!ReadFile(pipe, buffer.data(), static_cast<DWORD>(kChunkBytes), &got, nullptr)) return false;
        if (got > 0) onChunk(std::string_view(buffer.data(), got));
    }
}

}  // namespace

std::wstring QuoteBatchArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    for (wchar_t c : argument) {
        if (c == L'%') quoted += L'%';
        quoted += c;
    }
    return quoted + L"\"";
}

int RunCaptured(const wchar_t* application, const std::wstring& commandLine, const ChunkHandler& onChunk,
                DWORD limitMs) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, 0)) return kPipeFailed;
    ScopedHandle reader(readEnd), writer(writeEnd);

    ProcessLaunch launch;
    launch.application = application;
    launch.commandLine = commandLine;
    launch.output = writer.Get();
    launch.error = writer.Get();
    launch.hideWindow = true;
    ScopedHandle child = LaunchProcess(launch);
    writer.Reset();  // the child holds the only write end now
    if (!child) return kStartFailed;
    if (!onChunk) return kRunOk;

    std::vector<char> buffer(kChunkBytes);
    const ULONGLONG started = GetTickCount64();
    for (;;) {
        if (!DrainAvailable(reader.Get(), buffer, onChunk)) break;  // every writer has gone
        if (WaitForSingleObject(child.Get(), kPollMs) == WAIT_OBJECT_0) {
            DrainAvailable(reader.Get(), buffer, onChunk);
            break;
        }
        if (limitMs != INFINITE && GetTickCount64() - started >= limitMs) {
            TerminateProcess(child.Get(), 1);
            return kTimedOut;
        }
    }
    return kRunOk;
}

int RunBatch(const std::wstring& batch, const std::wstring& argument, const ChunkHandler& onChunk, DWORD limitMs) {
    std::wstring line = L"\"" + batch + L"\"";
    if (!argument.empty()) line += L" " + QuoteBatchArgument(argument);
    return RunCaptured(nullptr, line, onChunk, limitMs);
}

int RunPush(const std::wstring& adb, const std::wstring& rom, const std::string& target, const ChunkHandler& onChunk,
            DWORD limitMs) {
    const std::wstring line = L"\"" + adb + L"\" push \"" + rom + L"\" " + AnsiToWide(target);
    return RunCaptured(adb.c_str(), line, onChunk, limitMs);
}

}  // namespace scriptrunner
