#include "log/ProgramLog.h"

#include <windows.h>

#include <mutex>

#include "easylogging++.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

INITIALIZE_EASYLOGGINGPP

namespace programlog {

namespace {

const char kFormat[] = "%datetime %level [%logger] %msg";

std::mutex& OpenLock() {
    static std::mutex lock;
    return lock;
}

bool& FileOpen() {
    static bool open = false;
    return open;
}

// Both loggers write to the same file, nothing to the console (the programs
// have none).
void Configure(el::Logger* logger, const std::string& file) {
    el::Configurations settings;
    settings.setToDefault();
    settings.setGlobally(el::ConfigurationType::Enabled, "true");
    settings.setGlobally(el::ConfigurationType::ToFile, "true");
    settings.setGlobally(el::ConfigurationType::ToStandardOutput, "false");
    settings.setGlobally(el::ConfigurationType::Filename, file);
    settings.setGlobally(el::ConfigurationType::Format, kFormat);
    settings.setGlobally(el::ConfigurationType::MaxLogFileSize, "0");
    logger->configure(settings);
}

// A line that is valid UTF-8 is kept; anything else is taken as ANSI text,
// which is how older callers hand their paths over.
std::string AsUtf8(std::string_view text) {
    if (text.empty()) return std::string();
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0) > 0)
        return std::string(text);
    return WideToUtf8(AnsiToWide(text));
}

void Write(const char* loggerName, const std::string& utf8) {
    OutputDebugStringW((Utf8ToWide(utf8) + L"\n").c_str());
    {
        std::lock_guard<std::mutex> lock(OpenLock());
        if (!FileOpen()) return;
    }
    if (el::Loggers::getLogger(loggerName, false)) CLOG(DEBUG, loggerName) << utf8;
}

}  // namespace

std::wstring LogFileIn(const std::wstring& folder) { return folder + L"logs\\myeasylog.log"; }

void Open(const std::wstring& folder) {
    std::lock_guard<std::mutex> lock(OpenLock());
    CreateFolderTree(folder + L"logs");
    // easyloggingpp opens files by narrow name, in the ANSI code page.
    const std::string file = WideToAnsi(LogFileIn(folder));
    el::Loggers::addFlag(el::LoggingFlag::ImmediateFlush);
    el::Loggers::addFlag(el::LoggingFlag::DisableApplicationAbortOnFatalLog);
    for (const char* name : {"default", "trivial"}) Configure(el::Loggers::getLogger(name), file);
    FileOpen() = true;
}

void Line(std::string_view utf8) { Write("default", AsUtf8(utf8)); }

void Line(std::wstring_view text) { Write("default", WideToUtf8(std::wstring(text))); }

void AnsiLine(std::string_view ansi) { Write("default", WideToUtf8(AnsiToWide(ansi))); }

void LineOf(const char* logger, std::string_view utf8) { Write(logger, AsUtf8(utf8)); }

}  // namespace programlog
