// DownloadToFile over loopback: fresh and resumed downloads, error pages,
// unwritable targets and the progress object's abort.
#include "download/DownloadToFile.h"

#include "EngineTestSupport.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

class DownloadToFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseShortTimings();
        source_ = SourceBytes(2 * 1024 * 1024 + 5, 3);
        WriteFileBytes(dir_.File(L"source.bin"), source_);
        peer_.ServeFile("recovery.zip", dir_.File(L"source.bin"));
    }
    WebServicePeer peer_;
    ScratchDir dir_;
    std::string source_;
};

TEST_F(DownloadToFileTest, FreshDownloadReplacesTheFileAndCreatesFolders) {
    const std::wstring target = dir_.File(L"a\\b\\recovery.zip");
    CreateDirectoryW(dir_.File(L"a").c_str(), nullptr);
    CreateDirectoryW(dir_.File(L"a\\b").c_str(), nullptr);
    WriteFileBytes(target, "old content");
    EXPECT_EQ(0, DownloadToFile(Url(peer_, "recovery.zip").c_str(), ToAnsi(target).c_str(), true, nullptr));
    EXPECT_TRUE(ReadFileBytes(target) == source_);
    EXPECT_EQ(0, DownloadToFile(Url(peer_, "recovery.zip").c_str(), ToAnsi(dir_.File(L"new\\deep\\r.zip")).c_str(),
                                true, nullptr));
    EXPECT_TRUE(ReadFileBytes(dir_.File(L"new\\deep\\r.zip")) == source_);
}

TEST_F(DownloadToFileTest, AppendResumesFromTheFileSize) {
    const std::wstring target = dir_.File(L"recovery.zip");
    WriteFileBytes(target, source_.substr(0, 123456));
    EXPECT_EQ(0, DownloadToFile(Url(peer_, "recovery.zip").c_str(), ToAnsi(target).c_str(), false, nullptr));
    EXPECT_EQ("bytes=123456-", RangeOfGet(peer_, "recovery.zip", 0));
    EXPECT_TRUE(ReadFileBytes(target) == source_);
    // Already complete: the server answers 416, which is success.
    EXPECT_EQ(0, DownloadToFile(Url(peer_, "recovery.zip").c_str(), ToAnsi(target).c_str(), false, nullptr));
    EXPECT_TRUE(ReadFileBytes(target) == source_);
}

TEST_F(DownloadToFileTest, ErrorPagesAndUnwritableTargetsFail) {
    const std::wstring target = dir_.File(L"missing.zip");
    EXPECT_EQ(22, DownloadToFile(Url(peer_, "missing.zip").c_str(), ToAnsi(target).c_str(), true, nullptr));
    EXPECT_EQ("", ReadFileBytes(target)) << "the error page is not stored";
    CreateDirectoryW(dir_.File(L"folder.zip").c_str(), nullptr);
    EXPECT_EQ(37, DownloadToFile(Url(peer_, "recovery.zip").c_str(), ToAnsi(dir_.File(L"folder.zip")).c_str(), true,
                                 nullptr));
}

TEST_F(DownloadToFileTest, ProgressObjectSeesTheTotalAndCanAbort) {
    struct Abort : IDownloadProgress {
        int OnDownloadProgress(double total, double now, double, double) override {
            if (total > 0) lastTotal = total;
            return now > 0 ? 1 : 0;
        }
        double lastTotal = 0;
    } abort;
    EXPECT_EQ(42, DownloadToFile(Url(peer_, "recovery.zip").c_str(), ToAnsi(dir_.File(L"r.zip")).c_str(), true,
                                 &abort));
    EXPECT_EQ(static_cast<double>(source_.size()), abort.lastTotal);
}

}  // namespace
