#include "tools/ToolOutputParsers.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool IsMacAddress(const std::string& text) {
    if (text.size() != 17) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        bool ok = i % 3 == 2 ? text[i] == '-' : std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
        if (!ok) return false;
    }
    return true;
}

}  // namespace

std::vector<unsigned long> ProcessesOnLocalPort(const std::string& netstatOutput, const std::string& port) {
    std::vector<unsigned long> ids;
    std::istringstream lines(netstatOutput);
    std::string line;
    while (std::getline(lines, line)) {
        // Protocol, local address, foreign address, [state,] process id.
        std::istringstream fields(line);
        std::vector<std::string> field;
        for (std::string f; fields >> f;) field.push_back(f);
        if (field.size() < 4 || field[0] != "TCP") continue;
        const std::string& local = field[1];
        size_t colon = local.rfind(':');
        if (colon == std::string::npos || local.compare(colon + 1, std::string::npos, port) != 0) continue;
        const std::string& pid = field.back();
        if (!AllDigits(pid) || pid.size() > 9) continue;
        unsigned long id = std::stoul(pid);
        if (id > 0 && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    return ids;
}

bool FirstAdapterAddress(const std::string& getmacOutput, std::string& address) {
    size_t backslash = getmacOutput.find('\\');
    if (backslash == std::string::npos || backslash < 20) return false;
    size_t lineStart = getmacOutput.rfind('\n', backslash);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    size_t begin = backslash - 20;
    if (begin < lineStart) return false;
    std::string candidate = getmacOutput.substr(begin, 17);
    if (!IsMacAddress(candidate)) return false;
    address = candidate;
    return true;
}
