#include "PhoneExportsFixture.h"

#include <windows.h>

#include <filesystem>

void PhoneExportsTest::PutOnPhone(const std::wstring& phonePath, const std::string& bytes) {
    std::wstring file = peer_.PhoneFile(phonePath);
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    testsupport::WriteFileBytes(file, bytes);
}

std::vector<std::string> PhoneExportsTest::RequestsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& request : peer_.Requests())
        if (request.compare(0, prefix.size(), prefix) == 0) found.push_back(request);
    return found;
}

void PhoneExportsTest::ExpectForEachScenario(const std::vector<std::pair<std::string, int>>& cases,
                                             const std::function<int()>& call) {
    for (const auto& [scenario, result] : cases) {
        SCOPED_TRACE(scenario);
        Phone(scenario);
        EXPECT_EQ(call(), result);
    }
}

std::wstring ProgramFile(const std::wstring& name) { return testsupport::ProgramFolder() + name; }

std::string Last(const std::vector<std::string>& lines) { return lines.empty() ? std::string() : lines.back(); }
