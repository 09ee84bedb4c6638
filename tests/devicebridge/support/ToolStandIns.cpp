#include "ToolStandIns.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::wstring Environment(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

ToolStandIns::ToolStandIns() : oldPath_(Environment(L"PATH")) {
    std::wstring folder = dir_.Path().substr(0, dir_.Path().size() - 1);
    SetEnvironmentVariableW(L"TORVANIK_STANDIN_DIR", folder.c_str());
    std::wstring path = testsupport::ProgramFolder() + L"standin-tools;" + oldPath_;
    SetEnvironmentVariableW(L"PATH", path.c_str());
}

ToolStandIns::~ToolStandIns() {
    SetEnvironmentVariableW(L"TORVANIK_STANDIN_DIR", nullptr);
    SetEnvironmentVariableW(L"PATH", oldPath_.c_str());
}

void ToolStandIns::Reply(const std::string& tool, const std::string& pattern, const std::string& reply) {
    std::wstring file = dir_.File(std::wstring(tool.begin(), tool.end()) + L".scenario");
    std::ofstream(file.c_str(), std::ios::binary | std::ios::app) << pattern << '\n' << reply.size() << '\n' << reply;
}

std::vector<std::string> ToolStandIns::Calls() const {
    std::istringstream log(ReadAll(dir_.File(L"calls.log")));
    std::vector<std::string> calls;
    for (std::string line; std::getline(log, line);) calls.push_back(line);
    return calls;
}
