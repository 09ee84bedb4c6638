#include "ProcessUtil.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cctype>
#include <vector>

#include "win32/ScopedHandle.h"

namespace {

template <class Char>
std::basic_string<Char> FolderOf(std::basic_string<Char> path) {
    const size_t slash = path.find_last_of(static_cast<Char>('\\'));
    path.resize(slash == std::basic_string<Char>::npos ? 0 : slash);
    return path;
}

// The executable named at the start of a command line: the quoted text, or
// the text up to the first blank.
std::string ProgramOfCommandLine(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        const size_t close = commandLine.find('"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return commandLine.substr(0, commandLine.find(' '));
}

}  // namespace

std::string GetModuleFolderA() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return FolderOf(std::string(path, length < MAX_PATH ? length : 0));
}

std::wstring GetModuleFolderW() {
    std::vector<wchar_t> path(32768);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return FolderOf(std::wstring(path.data(), length < path.size() ? length : 0));
}

const char* CTCharTranslate::ToNarrow(const wchar_t* text) {
    wide_.clear();
    narrow_ = text ? WideToAnsi(text) : std::string();
    return narrow_.c_str();
}

const wchar_t* CTCharTranslate::ToWide(const char* text) {
    narrow_.clear();
    wide_ = text ? AnsiToWide(text) : std::wstring();
    return wide_.c_str();
}

std::string WideToNarrowString(const wchar_t* text, CTCharTranslate& translate) { return translate.ToNarrow(text); }
std::wstring NarrowToWideString(const char* text, CTCharTranslate& translate) { return translate.ToWide(text); }

std::string UrlEncodeForm(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (unsigned char byte : text) {
        const bool asciiAlnum = byte < 0x80 && std::isalnum(byte);
        if (asciiAlnum || byte == '-' || byte == '_' || byte == '.' || byte == '~') {
            encoded += static_cast<char>(byte);
        } else if (byte == ' ') {
            encoded += '+';
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

bool StartProcess(const std::string& commandLine) {
    // The program itself is named explicitly, so a path with blanks cannot be
    // read as a shorter program plus arguments, and the child starts in the
    // program's own folder, where it finds its files.
    const std::string program = ProgramOfCommandLine(commandLine);
    const std::string folder = FolderOf(program);
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        OutputDebugStringA("PNT StartProcess Fail");
        return false;
    }
    ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    const bool ready = WaitForInputIdle(process.hProcess, 30000) == 0;
    OutputDebugStringA(ready ? "PNT StartProcess Success" : "PNT StartProcess Fail");
    return ready;
}

int KillPhoneServerProcess() {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 1;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        const wchar_t* slash = wcsrchr(entry.szExeFile, L'\\');
        const wchar_t* image = slash ? slash + 1 : entry.szExeFile;
        if (_wcsicmp(image, L"AndroidServer.exe") != 0) continue;
        ScopedHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID));
        if (process) TerminateProcess(process.Get(), 0);
    }
    return 1;
}
