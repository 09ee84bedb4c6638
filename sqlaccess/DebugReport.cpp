#include "DebugReport.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

// Serialises report lines from several threads; created on the first report.
class CResGuard {
public:
    CResGuard() { InitializeCriticalSection(&section_); }
    ~CResGuard() { DeleteCriticalSection(&section_); }
    CResGuard(const CResGuard&) = delete;
    CResGuard& operator=(const CResGuard&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

std::string FormatMessageText(const char* format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

void DebugReport(const char* format, ...) {
    static CResGuard guard;
    guard.Enter();
    va_list args;
    va_start(args, format);
    std::string message = FormatMessageText(format, args);
    va_end(args);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond);
    std::string line = std::string(stamp) + "\t\t" + message + "\r\n";
    OutputDebugStringA(line.c_str());
    guard.Leave();
}
