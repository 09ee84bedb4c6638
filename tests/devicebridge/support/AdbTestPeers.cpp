#include "AdbTestPeers.h"

#include "adb/AdbClient.h"
#include "adb/AdbCommandLine.h"
#include "adb/sysdeps_win32.h"

#include <winsock2.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

std::string RunClientCommand(const std::wstring& commandLine) {
    std::string output;
    AdbRunCommandLine(commandLine.c_str(), output);
    return output;
}

std::string Utf8(const std::wstring& text) { return fs::path(text).u8string(); }

AdbServerPeer::AdbServerPeer(bool started) {
    Stop();
    std::wstring folder = testsupport::ProgramFolder() + L"Rirorivuvi\\";
    fs::create_directories(folder);
    CopyFileW((testsupport::ProgramFolder() + L"adb_server_peer.exe").c_str(), (folder + L"RirorivUvi.exe").c_str(),
              FALSE);
    fs::create_directories(dir_.File(L"phone\\sdcard"));
    fs::create_directories(dir_.File(L"phone\\data\\local\\tmp"));
    SetEnvironmentVariableW(L"ADB_PEER_PHONE", dir_.File(L"phone").c_str());
    SetEnvironmentVariableW(L"ADB_PEER_SCENARIO", dir_.File(L"scenario.txt").c_str());
    SetEnvironmentVariableW(L"ADB_PEER_LOG", dir_.File(L"requests.log").c_str());
    SetScenario("state=device\nserial=HEMLAR0001\n");
    if (started) AdbLaunchServer();
}

AdbServerPeer::~AdbServerPeer() { Stop(); }

void AdbServerPeer::SetScenario(const std::string& text) { testsupport::WriteFileBytes(dir_.File(L"scenario.txt"), text); }

std::wstring AdbServerPeer::PhoneFile(const std::wstring& phonePath) const {
    std::wstring path = phonePath;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return dir_.File(L"phone") + path;
}

std::vector<std::string> AdbServerPeer::Requests() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFileBytes(dir_.File(L"requests.log")));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

void AdbServerPeer::ClearRequests() {
    // The server may still be writing the last line of a finished command.
    const std::wstring log = dir_.File(L"requests.log");
    Sleep(50);
    for (int i = 0; i < 50 && !DeleteFileW(log.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND; ++i) Sleep(20);
}

bool AdbServerPeer::Running() {
    int fd = LoopbackConnect(kAdbServerPort);
    if (fd < 0) return false;
    HandleClose(fd);
    return true;
}

void AdbServerPeer::Stop() {
    RunClientCommand(L"kill-server");
    for (int i = 0; i < 100 && Running(); ++i) Sleep(20);
}

ScriptedServer::ScriptedServer(std::string reply, std::string later, unsigned laterAfterMs)
    : reply_(std::move(reply)), silent_(false), later_(std::move(later)), laterAfterMs_(laterAfterMs), hangUp_(true) {
    Start();
}

ScriptedServer::ScriptedServer(std::string reply, bool silent)
    : reply_(std::move(reply)), silent_(silent), hangUp_(!silent) {
    Start();
}

void ScriptedServer::Start() {
    AdbServerPeer::Stop();
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    BOOL yes = TRUE;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(kAdbServerPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(s, 8);
    listener_ = s;
    thread_ = std::thread([this] { Serve(); });
}

ScriptedServer::~ScriptedServer() {
    stop_ = true;
    thread_.join();
    closesocket(static_cast<SOCKET>(listener_));
}

void ScriptedServer::Serve() {
    SOCKET listener = static_cast<SOCKET>(listener_);
    while (!stop_) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listener, &set);
        timeval wait = {0, 20000};
        if (select(0, &set, nullptr, nullptr, &wait) != 1) continue;
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        bool first = connections_++ == 0;
        if (!silent_) send(client, reply_.data(), static_cast<int>(reply_.size()), 0);
        const DWORD accepted = GetTickCount();
        bool hungUp = false;
        std::string got;
        char buffer[4096];
        for (;;) {
            if (hangUp_ && !hungUp && GetTickCount() - accepted >= laterAfterMs_) {
                send(client, later_.data(), static_cast<int>(later_.size()), 0);
                shutdown(client, SD_SEND);
                hungUp = true;
            }
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(client, &readable);
            timeval tick = {0, 20000};
            int ready = select(0, &readable, nullptr, nullptr, &tick);
            if (stop_) break;
            if (ready != 1) continue;
            int n = recv(client, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            got.append(buffer, static_cast<size_t>(n));
        }
        closesocket(client);
        if (first) {
            received_ = got;
            done_ = true;
        }
    }
}

std::string ScriptedServer::Received() {
    for (int i = 0; i < 250 && !done_; ++i) Sleep(20);
    return received_;
}
