#include "ScriptFiles.h"

#include <fstream>
#include <functional>

namespace scriptfiles {

namespace {

const char kDdCommand[] = "%adb% shell su -c \"dd if=%rec_sd% ";
const char kCommentedDd[] = "::%adb% shell su -c \"dd if=%rec_sd% ";
const char kSetTarget[] = "set sdZip=";
const char kCommentedSetTarget[] = "::set sdZip=";
const char kTargetEnd[] = "update.zip";

void EachLine(const std::wstring& script, const std::function<void(std::string&)>& visit) {
    std::ifstream in(script.c_str(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
        visit(line);
    }
}

bool Holds(const std::string& line, const char* text) { return line.find(text) != std::string::npos; }

}  // namespace

bool HasLiveDdLine(const std::wstring& script) {
    bool live = false;
    EachLine(script, [&](std::string& line) {
        if (Holds(line, kDdCommand) && !Holds(line, kCommentedDd)) live = true;
    });
    return live;
}

std::optional<std::string> FindPushTarget(const std::wstring& script) {
    std::optional<std::string> target;
    EachLine(script, [&](std::string& line) {
        if (!Holds(line, kSetTarget) || Holds(line, kCommentedSetTarget)) return;
        std::string value = line.substr(line.find(kSetTarget) + sizeof kSetTarget - 1);
        const size_t end = value.find(kTargetEnd);
        if (end != std::string::npos) value.resize(end + sizeof kTargetEnd - 1);
        target = value;
    });
    return target;
}

}  // namespace scriptfiles
