#include "ShellService.h"

#include "PhoneStore.h"
#include "ShellWords.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace adbdevice {
namespace {

std::string ReadFile(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An APK is a zip archive: the package manager refuses anything else.
std::string InstallPackage(const std::vector<std::string>& words, PhoneStore& store) {
    std::string apk;
    for (size_t i = 2; i < words.size(); ++i)
        if (words[i][0] != '-') apk = words[i];
    auto local = store.LocalPath(apk);
    bool ok = false;
    std::string content = local ? ReadFile(*local, ok) : std::string();
    if (!ok) return "Failure [INSTALL_FAILED_INVALID_URI]\n";
    if (content.compare(0, 4, "PK\x03\x04") != 0) return "Failure [INSTALL_FAILED_INVALID_APK]\n";
    return "Success\n";
}

std::string Run(const std::vector<std::string>& words, PhoneStore& store) {
    if (words.empty()) return "";
    const std::string& name = words[0];
    if (name == "getprop") return words.size() > 1 ? store.Property(words[1]) + "\n" : "";
    if (name == "setprop") {
        if (words.size() != 3) return "usage: setprop NAME VALUE\n";
        store.SetProperty(words[1], words[2]);
        return "";
    }
    if (name == "echo") {
        std::string line;
        for (size_t i = 1; i < words.size(); ++i) line += (i > 1 ? " " : "") + words[i];
        return line + "\n";
    }
    if (name == "cat" || name == "rm") {
        bool force = std::find(words.begin(), words.end(), "-f") != words.end();
        std::string out;
        for (size_t i = 1; i < words.size(); ++i) {
            // Options and redirections ("</dev/null") are not files.
            if (words[i][0] == '-' || words[i][0] == '<' || words[i][0] == '>') continue;
            auto local = store.LocalPath(words[i]);
            bool ok = false;
            if (name == "cat") {
                std::string content = local ? ReadFile(*local, ok) : std::string();
                out += ok ? content : name + ": " + words[i] + ": No such file or directory\n";
            } else if ((!local || unlink(local->c_str()) != 0) && !force) {
                out += name + ": " + words[i] + ": No such file or directory\n";
            }
        }
        return out;
    }
    if (name == "pm" && words.size() > 2 && words[1] == "install") return InstallPackage(words, store);
    if (name == "pm" && words.size() > 2 && words[1] == "uninstall") return "Success\n";
    return "/system/bin/sh: " + name + ": not found\n";
}

// How long "pm install" keeps the phone silent before it answers.
std::chrono::milliseconds InstallDelay(const std::vector<std::string>& words, const PhoneStore& store) {
    if (words.size() < 2 || words[0] != "pm" || words[1] != "install") return {};
    return std::chrono::milliseconds(atol(store.Property("test.pm.install_delay_ms").c_str()));
}

}  // namespace

ShellService::ShellService(const std::string& command, PhoneStore& store) {
    const std::vector<std::string> words = ShellWords(command);
    output_ = Run(words, store);
    readyAt_ = std::chrono::steady_clock::now() + InstallDelay(words, store);
}

int ShellService::WakeInMs() const {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(readyAt_ - std::chrono::steady_clock::now());
    return left.count() >= 0 ? static_cast<int>(left.count()) + 1 : -1;
}

size_t ShellService::Produce(char* out, size_t room) {
    if (!Ready()) return 0;
    size_t take = output_.size() - sent_ < room ? output_.size() - sent_ : room;
    memcpy(out, output_.data() + sent_, take);
    sent_ += take;
    return take;
}

}  // namespace adbdevice
