// The log file: line format, a new file after 2000 lines with a unique name,
// cutting of over-long lines, and a log folder that cannot be made.
#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <thread>
#include <vector>

#include "TestPaths.h"
#include "log/Log.h"

namespace {

std::vector<std::string> Lines(const std::wstring& file) {
    const std::string bytes = testsupport::ReadFileBytes(file);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    return lines;
}

}  // namespace

TEST(Log, RotatesAfter2000LinesIntoAFileOfItsOwn) {
    testsupport::ScratchDir dir;
    std::wstring folder = dir.Path();
    folder.pop_back();
    CLog log(folder);
    const std::wstring first = log.CurrentFile();
    ASSERT_FALSE(first.empty());
    EXPECT_TRUE(std::regex_match(testsupport::ToAnsi(first.substr(dir.Path().size())),
                                 std::regex(R"(log\\\d{4}-\d{1,2}-\d{1,2}_\d{1,2}-\d{1,2}-\d{1,2}_qelt\.log)")));
    // Two threads write the 2000 lines of the first file; the 2001st starts the second.
    auto writeLines = [&log](int from) {
        for (int i = from; i < from + 1000; ++i) log.Write(L"line " + std::to_wstring(i));
    };
    std::thread a(writeLines, 0), b(writeLines, 1000);
    a.join();
    b.join();
    const std::wstring second = log.CurrentFile();
    EXPECT_NE(first, second);  // opened within the same second, still a file of its own
    log.Write(L"the 2001st");
    log.Write(L"中文");
    for (int i = 0; i < 3; ++i) log.Write(L"pad");  // the fifth line flushes

    const auto firstLines = Lines(first);
    ASSERT_EQ(2000u, firstLines.size());
    EXPECT_TRUE(std::regex_match(firstLines[0], std::regex(R"(\d{1,2}:\d{1,2}:\d{1,2} -- line \d+)"))) << firstLines[0];
    const auto secondLines = Lines(second);
    ASSERT_EQ(5u, secondLines.size());
    EXPECT_NE(std::string::npos, secondLines[0].find(" -- the 2001st"));
    EXPECT_NE(std::string::npos, secondLines[1].find(" -- \xD6\xD0\xCE\xC4"));  // code page 936
}

TEST(Log, AgentLogPrefixesAndCutsAt1024Characters) {
    CLog::AgentLog(L"value %d and %s", 42, L"text");
    CLog::AgentLog(L"%s", std::wstring(3000, L'y').c_str());
    for (int i = 0; i < 3; ++i) CLog::AgentLog(L"pad");
    const auto lines = Lines(CLog::Instance().CurrentFile());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(std::string::npos, lines[0].find(" -- CLog::AgentLog:      value 42 and text"));
    const std::string& cut = lines[1];
    const size_t text = cut.find("CLog::AgentLog:");
    ASSERT_NE(std::string::npos, text);
    EXPECT_EQ(1023u, cut.size() - text);
}

TEST(Log, AFolderThatCannotBeMadeGivesSilentNoOps) {
    testsupport::ScratchDir dir;
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(L"blocked"), "a file, not a folder"));
    CLog log(dir.File(L"blocked"));
    EXPECT_EQ(L"", log.CurrentFile());
    log.Write(L"nothing happens");
}
