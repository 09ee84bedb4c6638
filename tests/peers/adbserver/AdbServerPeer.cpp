// A stand-in adb server for tests: serves the adb host protocol on
// 127.0.0.1 (port 5037, or "--port N", or ADB_PEER_PORT) for one scripted
// phone whose files live in a folder. It starts the way the client starts
// a server ("adb fork-server server") and writes "OK\n" once it listens.
//
// Settings come from the environment so a server that the client under test
// starts inherits them:
//   ADB_PEER_PHONE     folder holding the phone's file tree
//   ADB_PEER_SCENARIO  key=value lines, read again for every request
//   ADB_PEER_LOG       every request received, one line each
// Scenario keys: state (none, device, offline, recovery, unauthorized),
// serial, prop.<name>, shell.<command> (exact reply), pm.install, root,
// framebuffer ("16 W H" or "1 32 W H"), send.fail (a SEND answers FAIL),
// pm.package (the package an installed APK provides, default
// com.vandrell.mrtq), screencap=denied (screencap cannot write until a
// "su ... chmod"), lineend=crlf (shell replies end lines in CR LF, as a
// phone's terminal does), reboots=yes (a "reboot:recovery" puts the phone in
// recovery mode and a plain "reboot:" back in normal mode, until the server
// ends). Values take \n, \t and \\ escapes.
//
// The phone keeps installed packages as data/app/<package>/base.apk in its
// folder; "am start" and "am startservice" work for those, and started apps
// show in "ps" until "am force-stop".
//
// "host:stray-pipes" answers how many pipe handles the server held
// besides its standard ones when it started.
//
// Run as "RirorivUvi devices" it is the server's own client: it starts a
// detached server when none answers and prints the device list.
#include "ShellWords.h"
#include "StrayPipes.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::wstring g_phoneFolder, g_scenarioPath, g_logPath;
int g_strayPipes = 0;  // counted first thing in main
std::mutex g_lock;  // guards the log, the forward list and the phone's app state
std::vector<std::pair<std::string, std::string>> g_forwards;
std::set<std::string> g_runningApps;
bool g_sdcardOpened = false;
std::string g_rebootedState;  // the state a reboot put the phone in, when the scenario lets it  // a "su ... chmod" made /sdcard writable for screencap

std::wstring Env(const wchar_t* name, const std::wstring& fallback) {
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n > 0 && n < 1024 ? std::wstring(buffer, n) : fallback;
}

std::wstring ExeFolder() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::string Unescape(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            char c = value[++i];
            out += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        } else {
            out += value[i];
        }
    }
    return out;
}

using Scenario = std::map<std::string, std::string>;

Scenario LoadScenario() {
    Scenario s = {{"state", "device"}, {"serial", "HEMLAR0001"}};
    std::ifstream in{fs::path(g_scenarioPath)};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos) continue;
        s[line.substr(0, eq)] = Unescape(line.substr(eq + 1));
    }
    std::lock_guard<std::mutex> hold(g_lock);
    if (s["reboots"] == "yes" && !g_rebootedState.empty()) s["state"] = g_rebootedState;
    return s;
}

std::string Get(const Scenario& s, const std::string& key, const std::string& fallback = {}) {
    auto it = s.find(key);
    return it == s.end() ? fallback : it->second;
}

void Log(const std::string& line) {
    std::lock_guard<std::mutex> hold(g_lock);
    std::ofstream out(fs::path(g_logPath), std::ios::app | std::ios::binary);
    out << line << "\n";
}

// ---- socket helpers ----
bool RecvAll(SOCKET s, void* buffer, size_t count) {
    char* p = static_cast<char*>(buffer);
    while (count > 0) {
        int n = recv(s, p, static_cast<int>(count), 0);
        if (n <= 0) return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}
bool SendAll(SOCKET s, const void* buffer, size_t count) {
    const char* p = static_cast<const char*>(buffer);
    while (count > 0) {
        int n = send(s, p, static_cast<int>(count), 0);
        if (n <= 0) return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}
bool SendText(SOCKET s, const std::string& text) { return SendAll(s, text.data(), text.size()); }
std::string Hex4(size_t n) {
    char b[8];
    snprintf(b, sizeof b, "%04x", static_cast<unsigned>(n));
    return b;
}
void Okay(SOCKET s) { SendText(s, "OKAY"); }
void Fail(SOCKET s, const std::string& message) { SendText(s, "FAIL" + Hex4(message.size()) + message); }
void OkayText(SOCKET s, const std::string& text) { SendText(s, "OKAY" + Hex4(text.size()) + text); }

bool ReadRequest(SOCKET s, std::string& service) {
    char digits[5] = {};
    if (!RecvAll(s, digits, 4)) return false;
    char* end = nullptr;
    unsigned long length = strtoul(digits, &end, 16);
    if (end != digits + 4 || length == 0 || length > 4096) return false;
    service.assign(length, '\0');
    return RecvAll(s, service.data(), length);
}

// ---- the phone ----
std::wstring Wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

// A phone path inside the phone folder; ".." never leaves it.
bool PhonePath(const std::string& remote, fs::path& out) {
    fs::path p(g_phoneFolder);
    std::stringstream parts(remote);
    std::string part;
    while (std::getline(parts, part, '/')) {
        if (part.empty() || part == ".") continue;
        if (part == "..") return false;
        p /= Wide(part);
    }
    out = p;
    return true;
}

uint32_t UnixTime(const fs::path& p) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data)) return 0;
    ULARGE_INTEGER t;
    t.LowPart = data.ftLastWriteTime.dwLowDateTime;
    t.HighPart = data.ftLastWriteTime.dwHighDateTime;
    return static_cast<uint32_t>(t.QuadPart / 10000000ULL - 11644473600ULL);
}

struct Stat {
    uint32_t mode = 0, size = 0, time = 0;
};
Stat StatPhone(const fs::path& p) {
    std::error_code ec;
    Stat st;
    if (fs::is_directory(p, ec)) {
        st.mode = 0x41F9;  // folder, rwxrwx--x
    } else if (fs::is_regular_file(p, ec)) {
        st.mode = 0x81B0;  // file, rw-rw----
        st.size = static_cast<uint32_t>(fs::file_size(p, ec));
    } else {
        return st;
    }
    st.time = UnixTime(p);
    return st;
}

fs::path InstalledApk(const std::string& package) {
    fs::path p;
    if (package.empty() || !PhonePath("/data/app/" + package + "/base.apk", p)) return fs::path(g_phoneFolder) / "none";
    return p;
}

// "am start|startservice --user 0 -n <package>/<class>" and "am force-stop <package>".
std::string RunActivityManager(const std::vector<std::string>& w) {
    std::error_code ec;
    if (w.size() == 3 && w[1] == "force-stop") {
        std::lock_guard<std::mutex> hold(g_lock);
        g_runningApps.erase(w[2]);
        return {};
    }
    if (w.size() != 6 || (w[1] != "start" && w[1] != "startservice") || w[4] != "-n") return "Error: bad arguments\n";
    const std::string& component = w[5];
    std::string package = component.substr(0, component.find('/'));
    bool installed = fs::is_regular_file(InstalledApk(package), ec);
    if (w[1] == "startservice") {
        std::string reply = "Starting service: Intent { cmp=" + component + " }\n";
        return installed ? reply : reply + "Error: Not found; no service started.\n";
    }
    std::string reply = "Starting: Intent { cmp=" + component + " }\n";
    if (!installed) return reply + "Error type 3\nError: Activity class {" + component + "} does not exist.\n";
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_runningApps.insert(package).second)
        reply += "Warning: Activity not started, its current task has been brought to the front\n";
    return reply;
}

std::string WithLineEnds(const Scenario& s, std::string text) {
    if (Get(s, "lineend") != "crlf") return text;
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string RunShell(const Scenario& s, const std::string& command) {
    auto exact = s.find("shell." + command);
    if (exact != s.end()) return exact->second;
    std::vector<std::string> w = ShellWords(command);
    if (w.empty()) return {};
    if (w[0] == "getprop") {
        if (w.size() > 1) return Get(s, "prop." + w[1]) + "\n";
        std::string all;
        for (const auto& [key, value] : s)
            if (key.compare(0, 5, "prop.") == 0) all += "[" + key.substr(5) + "]: [" + value + "]\n";
        return all;
    }
    if (w[0] == "echo") {
        std::string out;
        for (size_t i = 1; i < w.size(); ++i) out += (i > 1 ? " " : "") + w[i];
        return out + "\n";
    }
    if (w[0] == "rm") {
        std::string out;
        for (size_t i = 1; i < w.size(); ++i) {
            if (w[i][0] == '-') continue;
            fs::path p;
            std::error_code ec;
            if (!PhonePath(w[i], p) || !fs::remove_all(p, ec)) out += "rm: " + w[i] + ": No such file or directory\n";
        }
        return out;
    }
    if (w[0] == "cat" && w.size() == 2) {
        fs::path p;
        if (!PhonePath(w[1], p)) return {};
        std::ifstream in(p, std::ios::binary);
        std::ostringstream data;
        data << in.rdbuf();
        return in ? data.str() : "cat: " + w[1] + ": No such file or directory\n";
    }
    if (w[0] == "pm" && w.size() > 1 && w[1] == "install") {
        // The package must be on the phone, as the real package manager needs.
        fs::path p;
        std::error_code ec;
        if (!PhonePath(w.back(), p) || !fs::is_regular_file(p, ec))
            return "Failure [INSTALL_FAILED_INVALID_URI]\n";
        std::string reply = Get(s, "pm.install", "Success");
        if (reply == "Success") {
            fs::path installed = InstalledApk(Get(s, "pm.package", "com.vandrell.mrtq"));
            fs::create_directories(installed.parent_path(), ec);
            fs::copy_file(p, installed, fs::copy_options::overwrite_existing, ec);
        }
        return reply + "\n";
    }
    if (w[0] == "pm" && w.size() == 3 && w[1] == "path") {
        std::error_code ec;
        return fs::is_regular_file(InstalledApk(w[2]), ec) ? "package:/data/app/" + w[2] + "/base.apk\n" : "";
    }
    if (w[0] == "am") return RunActivityManager(w);
    if (w[0] == "ps") {
        std::string list = "USER     PID   PPID  VSIZE  RSS     WCHAN    PC         NAME\n"
                           "root      1     0     8904   784   ffffffff 00000000 S /init\n"
                           "system    512   1     1024   512   ffffffff 00000000 S system_server\n";
        std::lock_guard<std::mutex> hold(g_lock);
        int pid = 2000;
        for (const std::string& app : g_runningApps)
            list += "u0_a10    " + std::to_string(pid++) + "  1     1024   512   ffffffff 00000000 S " + app + "\n";
        return list;
    }
    if (w[0] == "ls" && w.size() == 2) {
        fs::path p;
        std::error_code ec;
        if (!PhonePath(w[1], p) || !fs::is_directory(p, ec)) return "ls: " + w[1] + ": No such file or directory\n";
        std::string names;
        for (const auto& entry : fs::directory_iterator(p, ec)) names += entry.path().filename().u8string() + "\n";
        return names;
    }
    if (w[0] == "su") {
        std::lock_guard<std::mutex> hold(g_lock);
        if (command.find("chmod") != std::string::npos) g_sdcardOpened = true;
        return {};
    }
    if (w[0] == "/system/bin/screencap" && w.size() == 3 && w[1] == "-p") {
        bool denied;
        {
            std::lock_guard<std::mutex> hold(g_lock);
            denied = Get(s, "screencap") == "denied" && !g_sdcardOpened;
        }
        fs::path p;
        if (denied || !PhonePath(w[2], p)) return "Error opening file: " + w[2] + " (Permission denied)\n";
        std::ofstream(p, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n", 8) << "hemlar screen";
        return {};
    }
    return "/system/bin/sh: " + w[0] + ": not found\n";
}

// ---- sync ----
void PutLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
uint32_t Le32(const char* p) {
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<uint32_t>(u[3]) << 24);
}
std::string Message(const char* id, uint32_t value) {
    std::string m(id, 4);
    PutLe32(m, value);
    return m;
}
void SyncFail(SOCKET s, const std::string& message) { SendText(s, Message("FAIL", static_cast<uint32_t>(message.size())) + message); }

bool SyncReceive(SOCKET s, const Scenario& scenario, const std::string& pathAndMode) {
    size_t comma = pathAndMode.rfind(',');
    std::string remote = comma == std::string::npos ? pathAndMode : pathAndMode.substr(0, comma);
    fs::path target;
    bool allowed = PhonePath(remote, target);
    std::error_code ec;
    fs::path temporary = target;
    temporary += L".peerpart";
    if (allowed) fs::create_directories(target.parent_path(), ec);
    std::ofstream out;
    if (allowed && !fs::is_directory(target, ec)) out.open(temporary, std::ios::binary | std::ios::trunc);
    std::vector<char> chunk;
    for (;;) {
        char header[8];
        if (!RecvAll(s, header, 8)) {
            out.close();
            fs::remove(temporary, ec);  // a cut transfer leaves nothing behind
            return false;
        }
        uint32_t value = Le32(header + 4);
        if (memcmp(header, "DATA", 4) == 0) {
            if (value > 65536) return false;
            chunk.resize(value);
            if (!RecvAll(s, chunk.data(), value)) {
                out.close();
                fs::remove(temporary, ec);
                return false;
            }
            if (out) out.write(chunk.data(), value);
        } else if (memcmp(header, "DONE", 4) == 0) {
            bool written = out.is_open() && static_cast<bool>(out);
            out.close();
            std::string failure = Get(scenario, "send.fail");
            if (!failure.empty() || !written) {
                fs::remove(temporary, ec);
                SyncFail(s, failure.empty() ? "couldn't create file: Is a directory" : failure);
                return true;
            }
            fs::rename(temporary, target, ec);
            if (ec) {
                SyncFail(s, "couldn't create file: " + ec.message());
                return true;
            }
            return SendText(s, Message("OKAY", 0));
        } else {
            return false;
        }
    }
}

bool SyncSend(SOCKET s, const std::string& remote) {
    fs::path source;
    std::ifstream in;
    std::error_code ec;
    if (PhonePath(remote, source) && fs::is_regular_file(source, ec)) in.open(source, std::ios::binary);
    if (!in) {
        SyncFail(s, "No such file or directory");
        return true;
    }
    std::vector<char> buffer(8 + 65536);
    for (;;) {
        in.read(buffer.data() + 8, 65536);
        std::streamsize n = in.gcount();
        if (n <= 0) break;
        memcpy(buffer.data(), "DATA", 4);
        std::string size;
        PutLe32(size, static_cast<uint32_t>(n));
        memcpy(buffer.data() + 4, size.data(), 4);
        if (!SendAll(s, buffer.data(), 8 + static_cast<size_t>(n))) return false;
    }
    return SendText(s, Message("DONE", 0));
}

void ServeSync(SOCKET s) {
    for (;;) {
        char header[8];
        if (!RecvAll(s, header, 8)) return;
        std::string id(header, 4);
        uint32_t length = Le32(header + 4);
        if (id == "QUIT") {
            Log("sync QUIT");
            return;
        }
        if (length > 1024 + 16) return;
        std::string path(length, '\0');
        if (!RecvAll(s, path.data(), length)) return;
        Log("sync " + id + " " + path);
        Scenario scenario = LoadScenario();
        fs::path local;
        if (id == "STAT") {
            Stat st = PhonePath(path, local) ? StatPhone(local) : Stat{};
            std::string answer = Message("STAT", st.mode);
            PutLe32(answer, st.size);
            PutLe32(answer, st.time);
            if (!SendText(s, answer)) return;
        } else if (id == "LIST") {
            std::error_code ec;
            if (PhonePath(path, local) && fs::is_directory(local, ec)) {
                std::vector<std::pair<std::string, Stat>> entries = {{".", StatPhone(local)}, {"..", StatPhone(local)}};
                for (const auto& entry : fs::directory_iterator(local, ec)) {
                    std::string name = entry.path().filename().u8string();
                    if (name.size() > 9 && name.compare(name.size() - 9, 9, ".peerpart") == 0) continue;
                    entries.push_back({name, StatPhone(entry.path())});
                }
                for (const auto& [name, st] : entries) {
                    std::string dent = Message("DENT", st.mode);
                    PutLe32(dent, st.size);
                    PutLe32(dent, st.time);
                    PutLe32(dent, static_cast<uint32_t>(name.size()));
                    if (!SendText(s, dent + name)) return;
                }
            }
            std::string done = Message("DONE", 0);
            PutLe32(done, 0);
            PutLe32(done, 0);
            PutLe32(done, 0);
            if (!SendText(s, done)) return;
        } else if (id == "SEND") {
            if (!SyncReceive(s, scenario, path)) return;
        } else if (id == "RECV") {
            if (!SyncSend(s, path)) return;
        } else {
            SyncFail(s, "unknown sync request");
            return;
        }
    }
}

// ---- framebuffer ----
void ServeFramebuffer(SOCKET s, const Scenario& scenario) {
    std::istringstream layout(Get(scenario, "framebuffer", "16 480 800"));
    uint32_t version = 16, bpp = 16, width = 0, height = 0;
    layout >> version;
    if (version == 1) layout >> bpp;
    layout >> width >> height;
    uint32_t size = width * height * (bpp / 8);
    std::string out;
    PutLe32(out, version);
    if (version == 1) {
        for (uint32_t v : {bpp, size, width, height, 0u, 8u, 16u, 8u, 8u, 8u, 24u, 8u}) PutLe32(out, v);
    } else {
        for (uint32_t v : {size, width, height}) PutLe32(out, v);
    }
    // Pixel (x, y): red x, green y, blue x + y, cut to each channel's width.
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            if (bpp == 16) {
                uint16_t v = static_cast<uint16_t>(((x & 31) << 11) | ((y & 63) << 5) | ((x + y) & 31));
                out += static_cast<char>(v & 0xFF);
                out += static_cast<char>(v >> 8);
            } else {
                out += static_cast<char>(x & 0xFF);
                out += static_cast<char>(y & 0xFF);
                out += static_cast<char>((x + y) & 0xFF);
                out += static_cast<char>(0xFF);
            }
        }
    }
    SendText(s, out);
}

// ---- the services ----
std::string DeviceProblem(const Scenario& s, const std::string& wantedSerial) {
    std::string state = Get(s, "state");
    if (state == "none") return "no devices/emulators found";
    if (!wantedSerial.empty() && wantedSerial != Get(s, "serial")) return "device '" + wantedSerial + "' not found";
    if (state == "offline") return "device offline";
    if (state == "unauthorized")
        return "device unauthorized.\nThis adb server's $ADB_VENDOR_KEYS is not set\n"
               "Try 'adb kill-server' if that seems wrong.\nOtherwise check for a confirmation dialog on your device.";
    return {};
}

void ServeDevice(SOCKET s, const std::string& service) {
    Scenario scenario = LoadScenario();
    if (service.compare(0, 6, "shell:") == 0 || service.compare(0, 5, "exec:") == 0) {
        Okay(s);
        std::string command = service.substr(service.find(':') + 1);
        if (!command.empty()) {
            SendText(s, WithLineEnds(scenario, RunShell(scenario, command)));
            return;
        }
        // Interactive: each line the client types runs as a command.
        std::string line;
        char c;
        SendText(s, "$ ");
        while (recv(s, &c, 1, 0) == 1) {
            if (c != '\n') {
                if (c != '\r') line += c;
                continue;
            }
            if (line == "exit") return;
            SendText(s, RunShell(LoadScenario(), line) + "$ ");
            line.clear();
        }
    } else if (service == "sync:") {
        Okay(s);
        ServeSync(s);
    } else if (service == "framebuffer:") {
        Okay(s);
        ServeFramebuffer(s, scenario);
    } else if (service.compare(0, 5, "root:") == 0) {
        Okay(s);
        SendText(s, Get(scenario, "root", "adbd cannot run as root in production builds\n"));
    } else if (service.compare(0, 8, "remount:") == 0) {
        Okay(s);
        SendText(s, "remount succeeded\n");
    } else if (service.compare(0, 7, "reboot:") == 0 || service == "jdwp") {
        Okay(s);
        if (service.compare(0, 7, "reboot:") == 0 && Get(scenario, "reboots") == "yes") {
            std::lock_guard<std::mutex> hold(g_lock);
            g_rebootedState = service == "reboot:recovery" ? "recovery" : "device";
        }
    } else if (service.compare(0, 4, "usb:") == 0) {
        Okay(s);
        SendText(s, "restarting in USB mode\n");
    } else if (service.compare(0, 6, "tcpip:") == 0) {
        Okay(s);
        SendText(s, "restarting in TCP mode port: " + service.substr(6) + "\n");
    } else {
        Fail(s, "closed");
    }
}

// Host services with an optional "host-serial:<serial>:" prefix.
bool ServeHostDeviceQuery(SOCKET s, const Scenario& scenario, const std::string& serial, const std::string& query) {
    std::string problem = DeviceProblem(scenario, serial);
    auto forwardEnd = [&](bool ok, const std::string& message) {
        Okay(s);
        ok ? Okay(s) : Fail(s, message);
    };
    if (query == "get-state") {
        problem.empty() ? OkayText(s, Get(scenario, "state")) : Fail(s, problem);
    } else if (query == "get-serialno") {
        problem.empty() ? OkayText(s, Get(scenario, "serial")) : Fail(s, problem);
    } else if (query == "get-devpath") {
        problem.empty() ? OkayText(s, "usb:1-1") : Fail(s, problem);
    } else if (query == "features") {
        OkayText(s, "");
    } else if (query.compare(0, 8, "forward:") == 0) {
        if (!problem.empty()) return Fail(s, problem), true;
        std::string request = query.substr(8);
        bool norebind = request.compare(0, 9, "norebind:") == 0;
        if (norebind) request = request.substr(9);
        size_t semi = request.find(';');
        if (semi == std::string::npos) return Fail(s, "malformed forward request"), true;
        std::string local = request.substr(0, semi), remote = request.substr(semi + 1);
        std::lock_guard<std::mutex> hold(g_lock);
        for (auto& f : g_forwards) {
            if (f.first == local) {
                if (norebind) return forwardEnd(false, "cannot rebind existing socket"), true;
                f.second = remote;
                return forwardEnd(true, ""), true;
            }
        }
        g_forwards.push_back({local, remote});
        forwardEnd(true, "");
    } else if (query.compare(0, 12, "killforward:") == 0) {
        std::string local = query.substr(12);
        std::lock_guard<std::mutex> hold(g_lock);
        for (auto it = g_forwards.begin(); it != g_forwards.end(); ++it) {
            if (it->first == local) {
                g_forwards.erase(it);
                return forwardEnd(true, ""), true;
            }
        }
        forwardEnd(false, "listener '" + local + "' not found");
    } else if (query == "killforward-all") {
        std::lock_guard<std::mutex> hold(g_lock);
        g_forwards.clear();
        forwardEnd(true, "");
    } else if (query == "list-forward") {
        std::lock_guard<std::mutex> hold(g_lock);
        std::string list;
        for (const auto& f : g_forwards) list += Get(scenario, "serial") + " " + f.first + " " + f.second + "\n";
        OkayText(s, list);
    } else if (query.compare(0, 9, "wait-for-") == 0) {
        Okay(s);
        for (int i = 0; i < 600 && DeviceProblem(LoadScenario(), serial) != ""; ++i) Sleep(100);
        DeviceProblem(LoadScenario(), serial).empty() ? Okay(s) : Fail(s, "timed out waiting for device");
    } else {
        return false;
    }
    return true;
}

void ServeRequest(SOCKET s, std::string service) {
    {
        Log(service);
        Scenario scenario = LoadScenario();
        if (service == "host:version") {
            OkayText(s, "0029");
        } else if (service == "host:stray-pipes") {
            OkayText(s, std::to_string(g_strayPipes));
        } else if (service == "host:kill") {
            Okay(s);
            closesocket(s);
            // Ends at once: ExitProcess would run the runtime's teardown while
            // a connection just accepted may be starting its thread, which
            // then runs without its state and faults.
            TerminateProcess(GetCurrentProcess(), 0);
        } else if (service == "host:start-server" || service == "host:host-features") {
            service == "host:start-server" ? Okay(s) : OkayText(s, "");
        } else if (service == "host:devices" || service == "host:devices-l") {
            std::string state = Get(scenario, "state"), list;
            if (state != "none") {
                list = Get(scenario, "serial") + "\t" + state;
                if (service == "host:devices-l") list += " usb:1-1 product:hemlar model:Hemlar_Phone device:hemlar transport_id:1";
                list += "\n";
            }
            OkayText(s, list);
        } else if (service.compare(0, 13, "host:connect:") == 0) {
            OkayText(s, "unable to connect to " + service.substr(13));
        } else if (service.compare(0, 16, "host:disconnect:") == 0) {
            OkayText(s, "disconnected everything");
        } else if (service.compare(0, 14, "host:transport") == 0 || service.compare(0, 10, "host:tport") == 0) {
            std::string serial;
            if (service.compare(0, 15, "host:transport:") == 0) serial = service.substr(15);
            if (service.compare(0, 18, "host:tport:serial:") == 0) serial = service.substr(18);
            std::string problem = DeviceProblem(scenario, serial);
            if (!problem.empty()) {
                Fail(s, problem);
            } else {
                Okay(s);
                if (service.compare(0, 10, "host:tport") == 0) SendText(s, std::string("\x01\0\0\0\0\0\0\0", 8));
                // After the switch come device services, or host services
                // about the chosen phone (a forward, for one).
                if (ReadRequest(s, service)) {
                    if (service.compare(0, 4, "host") == 0) {
                        ServeRequest(s, service);
                    } else {
                        Log(service);
                        ServeDevice(s, service);
                    }
                }
            }
        } else if (service.compare(0, 5, "host:") == 0 && ServeHostDeviceQuery(s, scenario, "", service.substr(5))) {
        } else if (service.compare(0, 12, "host-serial:") == 0) {
            // host-serial:<serial>:<query>; the serial may itself hold a colon (host:port).
            std::string rest = service.substr(12);
            static const char* queries[] = {":get-state", ":get-serialno", ":get-devpath", ":features", ":forward:",
                                            ":killforward", ":list-forward", ":wait-for-"};
            size_t at = std::string::npos;
            for (const char* q : queries) at = std::min(at, rest.find(q));
            if (at == std::string::npos || !ServeHostDeviceQuery(s, scenario, rest.substr(0, at), rest.substr(at + 1)))
                Fail(s, "unknown host service");
        } else {
            Fail(s, "unknown host service");
        }
    }
}

// One request per connection (plus its transport switch): the server closes
// after its answer, which clients wait for.
void ServeConnection(SOCKET s) {
    std::string service;
    if (ReadRequest(s, service)) ServeRequest(s, service);
    closesocket(s);
}

SOCKET ConnectLoopback(int port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return s;
    closesocket(s);
    return INVALID_SOCKET;
}

// The server's own "devices" client: a server it starts shares no handle
// with it, so whoever reads this client's output sees its end.
int ListDevicesAsClient(int port) {
    SOCKET s = ConnectLoopback(port);
    // A client left running by a test that has ended (its scenario is gone)
    // must not start a server behind the next test's back.
    if (s == INVALID_SOCKET && GetFileAttributesW(g_scenarioPath.c_str()) == INVALID_FILE_ATTRIBUTES) return 1;
    if (s == INVALID_SOCKET) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        wchar_t commandLine[] = L"adb fork-server server";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (CreateProcessW(self, commandLine, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                           &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        for (int i = 0; i < 250 && s == INVALID_SOCKET; ++i) {
            Sleep(20);
            s = ConnectLoopback(port);
        }
        if (s == INVALID_SOCKET) return 1;
    }
    std::string list;
    char status[4], digits[5] = {};
    if (SendText(s, "000chost:devices") && RecvAll(s, status, 4) && memcmp(status, "OKAY", 4) == 0 &&
        RecvAll(s, digits, 4)) {
        list.assign(strtoul(digits, nullptr, 16), '\0');
        if (!RecvAll(s, list.data(), list.size())) list.clear();
    }
    closesocket(s);
    std::string text = "List of devices attached\n" + list + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    g_strayPipes = testsupport::CountStrayPipes();
    int port = 5037;
    std::wstring portEnv = Env(L"ADB_PEER_PORT", L"");
    if (!portEnv.empty()) port = _wtoi(portEnv.c_str());
    for (int i = 1; i + 1 < argc; ++i)
        if (strcmp(argv[i], "--port") == 0) port = atoi(argv[i + 1]);
    g_phoneFolder = Env(L"ADB_PEER_PHONE", ExeFolder() + L"phone");
    g_scenarioPath = Env(L"ADB_PEER_SCENARIO", ExeFolder() + L"scenario.txt");
    g_logPath = Env(L"ADB_PEER_LOG", ExeFolder() + L"requests.log");
    std::error_code ec;
    fs::create_directories(fs::path(g_phoneFolder), ec);

    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    if (argc >= 2 && strcmp(argv[1], "devices") == 0) return ListDevicesAsClient(port);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 64) != 0) {
        fprintf(stderr, "adb peer: cannot listen on port %d\n", port);
        return 1;
    }
    // Exactly these three bytes: the C runtime's text mode would add a "\r".
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "OK\n", 3, &written, nullptr);
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        std::thread(ServeConnection, client).detach();
    }
}
