// Stand-in for the command-line tools the bridge runs (devcon, aapt, getmac,
// netstat, taskkill, findstr). One program, built under each tool's name.
//
// As findstr it is a filter, like the real one: it prints the lines of its
// input that hold its argument (given in double quotes).
//
// The test names a folder in TORVANIK_STANDIN_DIR. The stand-in appends
// "<name> <arguments>" to calls.log there and prints the reply of the first
// record in <name>.scenario whose pattern stands in its arguments. A record is
// "<pattern>\n<byte count>\n<bytes>"; an empty pattern matches every call.
//
// As Kovi_adb (the flashing scripts' adb) a "reboot <target>" call also asks
// the adb server on 127.0.0.1:5037 to reboot the phone, so a scripted phone
// that reboots changes its state.
//
// Called with the one argument "--stray-pipes" (under any name) it prints how
// many pipe handles it holds besides its standard ones.
#include "StrayPipes.h"

#include <winsock2.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::string ToUtf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// The command line after the program token, as the caller wrote it.
std::wstring Arguments() {
    std::wstring line = GetCommandLineW();
    size_t i = 0;
    if (i < line.size() && line[i] == L'"') {
        i = line.find(L'"', 1);
        i = i == std::wstring::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
    }
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    return line.substr(i);
}

std::wstring OwnName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name = name.substr(name.find_last_of(L'\\') + 1);
    return name.substr(0, name.rfind(L'.'));
}

std::string Reply(const std::string& scenario, const std::string& arguments) {
    size_t at = 0;
    while (at < scenario.size()) {
        size_t patternEnd = scenario.find('\n', at);
        if (patternEnd == std::string::npos) break;
        size_t countEnd = scenario.find('\n', patternEnd + 1);
        if (countEnd == std::string::npos) break;
        std::string pattern = scenario.substr(at, patternEnd - at);
        size_t count = std::strtoul(scenario.substr(patternEnd + 1, countEnd - patternEnd - 1).c_str(), nullptr, 10);
        std::string bytes = scenario.substr(countEnd + 1, count);
        if (arguments.find(pattern) != std::string::npos) return bytes;
        at = countEnd + 1 + count;
    }
    return {};
}

// Prints the lines of standard input that hold the quoted text.
int Filter(const std::string& arguments) {
    std::string needle = arguments;
    if (needle.size() >= 2 && needle.front() == '"' && needle.back() == '"') needle = needle.substr(1, needle.size() - 2);
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    size_t at = 0;
    while (at < input.size()) {
        size_t end = input.find('\n', at);
        end = end == std::string::npos ? input.size() : end + 1;
        std::string line = input.substr(at, end - at);
        if (line.find(needle) != std::string::npos) fwrite(line.data(), 1, line.size(), stdout);
        at = end;
    }
    return 0;
}

// One adb host request: a 4-digit hex length and the text; true on "OKAY".
bool AdbRequest(SOCKET s, const std::string& service) {
    char head[5];
    snprintf(head, sizeof head, "%04x", static_cast<unsigned>(service.size()));
    const std::string request = head + service;
    if (send(s, request.data(), static_cast<int>(request.size()), 0) != static_cast<int>(request.size())) return false;
    char status[4];
    int got = 0;
    while (got < 4) {
        const int n = recv(s, status + got, 4 - got, 0);
        if (n <= 0) return false;
        got += n;
    }
    return std::string(status, 4) == "OKAY";
}

void RebootThroughServer(const std::string& target) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    // A server that never answers must not hold the script that called us.
    const DWORD waitMs = 3000;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&waitMs), sizeof waitMs);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(5037);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        AdbRequest(s, "host:transport-any"))
        AdbRequest(s, "reboot:" + target);
    closesocket(s);
    WSACleanup();
}

}  // namespace

int main() {
    const int strayPipes = testsupport::CountStrayPipes();
    if (Arguments() == L"--stray-pipes") {
        printf("%d", strayPipes);
        return 0;
    }
    // "linger <ms>": stays alive a while, as a process a tool leaves running.
    if (OwnName() == L"linger") {
        Sleep(static_cast<DWORD>(std::strtoul(ToUtf8(Arguments()).c_str(), nullptr, 10)));
        return 0;
    }
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TORVANIK_STANDIN_DIR", folder, MAX_PATH)) return 0;
    std::wstring dir = folder;
    std::wstring name = OwnName();
    std::string arguments = ToUtf8(Arguments());
    if (name == L"findstr") return Filter(arguments);
    if (name == L"Kovi_adb" && arguments.compare(0, 7, "reboot ") == 0) RebootThroughServer(arguments.substr(7));

    std::ofstream((dir + L"\\calls.log").c_str(), std::ios::binary | std::ios::app) << ToUtf8(name) << ' ' << arguments << '\n';

    std::ifstream in((dir + L"\\" + name + L".scenario").c_str(), std::ios::binary);
    std::string scenario((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string reply = Reply(scenario, arguments);
    _setmode(_fileno(stdout), _O_BINARY);  // the reply's line ends exactly as given
    fwrite(reply.data(), 1, reply.size(), stdout);
    fflush(stdout);
    return 0;
}
