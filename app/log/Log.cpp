#include "Log.h"

#include <share.h>

#include <cstdarg>

#include "util/ProcessUtil.h"
#include "win32/TextConvert.h"

CLog& CLog::Instance() {
    // Made exactly once, also when two threads log for the first time together;
    // never destroyed, so workers may log until the process ends.
    static CLog* instance = new CLog(GetModuleFolderW());
    return *instance;
}

CLog::CLog(const std::wstring& folder) : folder_(folder) {
    CreateDirectoryW((folder_ + L"\\log").c_str(), nullptr);
    OpenNewFile();
}

CLog::~CLog() {
    if (stream_) fclose(stream_);
}

void CLog::AgentLog(const wchar_t* format, ...) {
    wchar_t pattern[1024] = L"CLog::AgentLog:      ";
    wcsncat(pattern, format, 1023 - wcslen(pattern));
    wchar_t text[1024] = {};
    va_list args;
    va_start(args, format);
    wvsprintfW(text, pattern, args);  // wvsprintfW stops at 1024 characters
    va_end(args);
    Instance().Write(text);
}

std::wstring CLog::CurrentFile() const {
    std::lock_guard<std::mutex> hold(lock_);
    return currentFile_;
}

void CLog::OpenNewFile() {
    if (stream_) {
        fclose(stream_);
        stream_ = nullptr;
    }
    lineCount_ = 0;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t name[64];
    swprintf(name, 64, L"%d-%d-%d_%d-%d-%d", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    // A second file opened within the same second gets a numbered name rather
    // than replacing the file just finished.
    const std::wstring base = folder_ + L"\\log\\" + name;
    std::wstring path = base + L"_qelt.log";
    for (int n = 2; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && n < 1000; ++n)
        path = base + L"_" + std::to_wstring(n) + L"_qelt.log";
    stream_ = _wfsopen(path.c_str(), L"wb", _SH_DENYNO);
    currentFile_ = stream_ ? path : std::wstring();
}

void CLog::Write(std::wstring text) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!stream_) return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char prefix[32];
    snprintf(prefix, sizeof prefix, "%d:%d:%d -- ", now.wHour, now.wMinute, now.wSecond);
    // Lines are stored in the ANSI code page, converted explicitly: the
    // process-wide locale is never switched for this.
    const std::string line = prefix + WideToAnsi(text) + "\r\n";
    fwrite(line.data(), 1, line.size(), stream_);
    ++lineCount_;
    if (lineCount_ % kLinesPerFlush == 0) fflush(stream_);
    if (lineCount_ % kLinesPerFile == 0) OpenNewFile();
}
