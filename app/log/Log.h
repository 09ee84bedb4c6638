// The main program's own diagnostic log: time-stamped lines in
// log\<Y>-<M>-<D>_<h>-<m>-<s>_qelt.log under the program's folder, a new
// file every 2000 lines, flushed every 5 lines. One instance per process.
#pragma once

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

class CLog {
public:
    static CLog& Instance();

    // printf-style (wvsprintfW) line, prefixed "CLog::AgentLog:      ";
    // output beyond 1024 characters is cut.
    static void AgentLog(const wchar_t* format, ...);

    void Write(std::wstring text);

    // The file lines currently go to; empty when none is open.
    std::wstring CurrentFile() const;

    // For tests: a log writing under another folder (no trailing backslash).
    explicit CLog(const std::wstring& folder);
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    static constexpr int kLinesPerFile = 2000;
    static constexpr int kLinesPerFlush = 5;

private:
    void OpenNewFile();

    mutable std::mutex lock_;
    FILE* stream_ = nullptr;
    int lineCount_ = 0;
    std::wstring folder_;
    std::wstring currentFile_;
};
