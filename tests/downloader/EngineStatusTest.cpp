// The download engine against the web-service peer over loopback: which
// status each server behaviour and each state of the folder leads to, and
// which bytes end up on disk.
#include "EngineTestSupport.h"
#include "TestPaths.h"
#include "win32/FileUtil.h"
#include "win32/ScopedHandle.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <vector>

using namespace enginetest;

namespace {

constexpr size_t kSourceSize = 3 * 1024 * 1024 + 123;

struct StatusCase {
    const char* what;
    // Prepares the peer and the folder; returns the URL path to download.
    std::function<std::string(WebServicePeer&, const ScratchDir&, RecordingTask&)> setUp;
    int expectedStatus;
    bool expectFileEqualsSource;      // the target holds exactly the source bytes
    int expectedGets;                 // -1: not checked
    const char* expectedSecondRange;  // Range header of the second GET, or nullptr
};

std::string Serve(WebServicePeer& peer, const ScratchDir& dir, const std::string& path,
                  WebServicePeer::Reply reply = {}) {
    WriteFileBytes(dir.File(L"source.bin"), SourceBytes(kSourceSize));
    reply.contentType = "application/octet-stream";
    reply.file = dir.File(L"source.bin");
    peer.SetReply(path, reply);
    return path;
}

std::wstring Target(const ScratchDir& dir) { return dir.File(L"out\\package.bin"); }

// A table of cases run with the engine's short pauses.
template <class Case>
class ShortTimingsTable : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { UseShortTimings(); }
};

// A case's test name: its description with every other character as '_'.
template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

using EngineStatusTest = ShortTimingsTable<StatusCase>;

TEST_P(EngineStatusTest, EndsInExpectedStatus) {
    const StatusCase& c = GetParam();
    WebServicePeer peer;
    ScratchDir dir;
    CreateFolderTree(dir.File(L"out"));
    RecordingTask task(ToAnsi(dir.File(L"out")));
    const std::string path = c.setUp(peer, dir, task);
    task.url = path.rfind("http", 0) == 0 ? path : Url(peer, path);

    {
        DownloadPool pool(1, true);
        pool.Hand(&task);
        EXPECT_EQ(c.expectedStatus, WaitForEnd(task, 60000)) << c.what;
    }
    // A failed first request leaves no empty partial file behind.
    if (FileExists(Target(dir) + L".tmp")) {
        EXPECT_FALSE(ReadFileBytes(Target(dir) + L".tmp").empty()) << c.what;
    }
    if (c.expectedStatus == 3) {
        EXPECT_EQ(1, task.doneReports.load()) << c.what;
    } else {
        EXPECT_EQ(1, task.failedReports.load()) << c.what;
        EXPECT_FALSE(FileExists(Target(dir))) << c.what << ": nothing may be moved into place";
    }
    if (c.expectFileEqualsSource) {
        EXPECT_TRUE(ReadFileBytes(Target(dir)) == SourceBytes(kSourceSize)) << c.what;
    }
    if (c.expectedGets >= 0) {
        EXPECT_EQ(c.expectedGets, GetCount(peer, "package.bin")) << c.what;
    }
    if (c.expectedSecondRange) {
        EXPECT_EQ(c.expectedSecondRange, RangeOfGet(peer, "package.bin", 1)) << c.what;
    }
}

const StatusCase kCases[] = {
    {"plain download", [](auto& peer, auto& dir, auto&) { return Serve(peer, dir, "package.bin"); }, 3, true, 1,
     nullptr},
    {"target already present",
     [](auto& peer, auto& dir, auto&) {
         WriteFileBytes(Target(dir), SourceBytes(kSourceSize));
         return Serve(peer, dir, "package.bin");
     },
     3, true, 0, nullptr},
    {"skip marker present",
     [](auto& peer, auto& dir, auto&) {
         WriteFileBytes(Target(dir) + L".skip", "");
         return Serve(peer, dir, "package.bin");
     },
     3, false, 0, nullptr},
    {"connection dropped, then resumed with a range",
     [](auto& peer, auto& dir, auto&) {
         WebServicePeer::Reply reply;
         reply.dropAfterBytes = 1000000;
         return Serve(peer, dir, "package.bin", reply);
     },
     3, true, 2, "bytes=1000000-"},
    {"Content-Length larger than the body is never done",
     [](auto& peer, auto& dir, auto&) {
         WebServicePeer::Reply reply;
         reply.lieExtraLength = 5000;
         return Serve(peer, dir, "package.bin", reply);
     },
     4, false, 3, nullptr},
    {"a 206 shorter than its range is never done",
     [](auto& peer, auto& dir, auto&) {
         WriteFileBytes(Target(dir) + L".tmp", SourceBytes(kSourceSize).substr(0, 1000000));
         WebServicePeer::Reply reply;
         reply.dropAfterBytes = 1000;  // then a clean close ending the body, far short of its range
         reply.dropTimes = 100;
         reply.sendLength = false;
         return Serve(peer, dir, "package.bin", reply);
     },
     4, false, 3, "bytes=1001000-"},
    {"server ignores Range: the partial file starts over",
     [](auto& peer, auto& dir, auto&) {
         WriteFileBytes(Target(dir) + L".tmp", std::string(5000, 'x'));
         WebServicePeer::Reply reply;
         reply.honourRanges = false;
         return Serve(peer, dir, "package.bin", reply);
     },
     3, true, 2, ""},
    {"partial file longer than the resource starts over",
     [](auto& peer, auto& dir, auto&) {
         WriteFileBytes(Target(dir) + L".tmp", std::string(kSourceSize + 10, 'x'));
         return Serve(peer, dir, "package.bin");
     },
     3, true, 2, ""},
    {"MD5 from the record matches", [](auto& peer, auto& dir, auto& task) {
         task.expectedMd5 = Md5Hex(SourceBytes(kSourceSize));
         return Serve(peer, dir, "package.bin");
     },
     3, true, 1, nullptr},
    {"MD5 from the record differs", [](auto& peer, auto& dir, auto& task) {
         task.expectedMd5 = Md5Hex("something else");
         return Serve(peer, dir, "package.bin");
     },
     4, false, 3, ""},
    {"404 page", [](auto& peer, auto& dir, auto&) { return std::string("package.bin"); }, 4, false, 3, nullptr},
    {"500 page",
     [](auto& peer, auto& dir, auto&) {
         WebServicePeer::Reply reply;
         reply.status = 500;
         reply.body = "<html>oops</html>";
         peer.SetReply("package.bin", reply);
         return std::string("package.bin");
     },
     4, false, 3, nullptr},
    {"server stalls after the headers",
     [](auto& peer, auto& dir, auto&) {
         WebServicePeer::Reply reply;
         reply.stallAfterHeadersMs = 60000;
         return Serve(peer, dir, "package.bin", reply);
     },
     4, false, 3, nullptr},
    {"unreachable server",
     [](auto&, auto&, auto&) { return std::string("http://127.0.0.1:1/package.bin"); }, 4, false, -1, nullptr},
    {"empty URL", [](auto&, auto&, auto&) { return std::string("http://"); }, 4, false, 0, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Cases, EngineStatusTest, ::testing::ValuesIn(kCases), CaseName<StatusCase>);

// A download cut off (here by the pool's shutdown, as by a kill) whose file
// changes on the server before the resume: the resume asks with If-Range and
// a changed file starts again from 0; an unchanged one is resumed.
struct ChangeCase {
    const char* what;
    WebServicePeer::Reply before;
    WebServicePeer::Reply after;
    size_t sizeAfter;
    bool changed;
    const char* ifRange;  // the If-Range header of the resume
};

WebServicePeer::Reply Validators(const char* etag, const char* lastModified, bool honourIfRange = true) {
    WebServicePeer::Reply reply;
    reply.etag = etag;
    reply.lastModified = lastModified;
    reply.honourIfRange = honourIfRange;
    return reply;
}

const char kMonday[] = "Mon, 07 Dec 2026 10:00:00 GMT";
const char kTuesday[] = "Tue, 08 Dec 2026 10:00:00 GMT";

const ChangeCase kChangeCases[] = {
    {"ETag changed", Validators("\"v1\"", ""), Validators("\"v2\"", ""), kSourceSize, true, "\"v1\""},
    {"Last-Modified changed", Validators("", kMonday), Validators("", kTuesday), kSourceSize, true, kMonday},
    {"server ignores If-Range but names the new ETag", Validators("\"v1\"", "", false),
     Validators("\"v2\"", "", false), kSourceSize, true, "\"v1\""},
    {"no validator, another size", Validators("", ""), Validators("", ""), kSourceSize + 4096, true, ""},
    {"ETag unchanged", Validators("\"v1\"", kMonday), Validators("\"v1\"", kMonday), kSourceSize, false, "\"v1\""},
    {"weak ETag: Last-Modified is asked for", Validators("W/\"v1\"", kMonday), Validators("W/\"v1\"", kMonday),
     kSourceSize, false, kMonday},
};

using EngineChangedFile = ShortTimingsTable<ChangeCase>;

TEST_P(EngineChangedFile, IsFetchedAgainNotStitched) {
    const ChangeCase& c = GetParam();
    WebServicePeer peer;
    ScratchDir dir;
    CreateFolderTree(dir.File(L"out"));
    const std::string first = SourceBytes(kSourceSize, 1);
    const std::string second = c.changed ? SourceBytes(c.sizeAfter, 2) : first;
    WriteFileBytes(dir.File(L"v1.bin"), first);
    WriteFileBytes(dir.File(L"v2.bin"), second);
    WebServicePeer::Reply before = c.before;
    before.contentType = "application/octet-stream";
    before.file = dir.File(L"v1.bin");
    before.pausePerBlockMs = 100;
    peer.SetReply("package.bin", before);

    RecordingTask cut(ToAnsi(dir.File(L"out")));
    cut.url = Url(peer, "package.bin");
    {
        DownloadPool pool(1, true);
        pool.Hand(&cut);
        ASSERT_TRUE(WaitUntil([&] { return ReadFileBytes(Target(dir) + L".tmp").size() >= 1024 * 1024; }, 30000));
    }
    const size_t kept = ReadFileBytes(Target(dir) + L".tmp").size();
    ASSERT_LT(kept, kSourceSize);

    WebServicePeer::Reply after = c.after;
    after.contentType = "application/octet-stream";
    after.file = dir.File(L"v2.bin");
    peer.SetReply("package.bin", after);
    RecordingTask resumed(ToAnsi(dir.File(L"out")));
    resumed.url = Url(peer, "package.bin");
    {
        DownloadPool pool(1, true);
        pool.Hand(&resumed);
        ASSERT_EQ(3, WaitForEnd(resumed, 60000)) << c.what;
    }
    EXPECT_TRUE(ReadFileBytes(Target(dir)) == second) << c.what << ": the file on the server now";
    EXPECT_FALSE(FileExists(Target(dir) + L".tmp.validator")) << c.what;
    std::vector<WebServicePeer::Request> gets;
    for (const auto& request : peer.Requests())
        if (request.method == "GET") gets.push_back(request);
    ASSERT_GE(gets.size(), 2u);
    EXPECT_EQ("bytes=" + std::to_string(kept) + "-", gets[1].headers["range"]) << c.what;
    EXPECT_EQ(c.ifRange, gets[1].headers["if-range"]) << c.what;
    EXPECT_EQ(c.changed ? 3u : 2u, gets.size()) << c.what;
    if (c.changed) {
        EXPECT_EQ(0u, gets[2].headers.count("range")) << c.what << ": started again from 0";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineChangedFile, ::testing::ValuesIn(kChangeCases), CaseName<ChangeCase>);

TEST(EngineResume, PartialFileIsResumedFromItsSize) {
    UseShortTimings();
    WebServicePeer peer;
    ScratchDir dir;
    CreateFolderTree(dir.File(L"out"));
    const std::string source = SourceBytes(kSourceSize);
    WriteFileBytes(dir.File(L"source.bin"), source);
    peer.ServeFile("package.bin", dir.File(L"source.bin"));
    WriteFileBytes(Target(dir) + L".tmp", source.substr(0, 700000));

    RecordingTask task(ToAnsi(dir.File(L"out")));
    task.url = Url(peer, "package.bin");
    DownloadPool pool(1, true);
    pool.Hand(&task);
    ASSERT_EQ(3, WaitForEnd(task, 30000));
    EXPECT_EQ("bytes=700000-", RangeOfGet(peer, "package.bin", 0));
    EXPECT_EQ(700000, task.resumeOffset.load());
    EXPECT_EQ(static_cast<double>(kSourceSize), task.total.load()) << "total counts the bytes already on disk";
    EXPECT_TRUE(ReadFileBytes(Target(dir)) == source);
    EXPECT_FALSE(FileExists(Target(dir) + L".tmp"));
}

TEST(EngineRedirects, FinalUrlAndItsExtensionAreTaken) {
    UseShortTimings();
    WebServicePeer peer;
    ScratchDir dir;
    WriteFileBytes(dir.File(L"source.bin"), "apk bytes");
    peer.ServeFile("files/real.apk", dir.File(L"source.bin"));
    WebServicePeer::Reply hop;
    hop.status = 302;
    hop.location = Url(peer, "files/real.apk");
    peer.SetReply("hop2", hop);
    hop.location = Url(peer, "hop2");
    peer.SetReply("get?id=7", hop);

    RecordingTask task(ToAnsi(dir.File(L"out")), "game");
    task.url = Url(peer, "get?id=7");
    DownloadPool pool(1, true);
    pool.Hand(&task);
    ASSERT_EQ(3, WaitForEnd(task, 30000));
    EXPECT_EQ(Url(peer, "files/real.apk"), task.url);
    EXPECT_STREQ(".apk", task.extension);
    EXPECT_EQ("apk bytes", ReadFileBytes(dir.File(L"out\\game.apk")));
}

TEST(EngineRedirects, EndlessRedirectLoopFails) {
    UseShortTimings();
    WebServicePeer peer;
    ScratchDir dir;
    WebServicePeer::Reply loop;
    loop.status = 302;
    loop.location = Url(peer, "loop");
    peer.SetReply("loop", loop);
    RecordingTask task(ToAnsi(dir.File(L"out")));
    task.url = Url(peer, "loop");
    DownloadPool pool(1, true);
    pool.Hand(&task);
    EXPECT_EQ(4, WaitForEnd(task, 60000));
}

}  // namespace

namespace {

// A file of `size` bytes, sparse up to `tailOffset`, then `tail`.
bool WriteSparse(const std::wstring& path, long long size, long long tailOffset, const std::string& tail) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file) return false;
    LARGE_INTEGER at;
    at.QuadPart = size;
    if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) return false;
    at.QuadPart = tailOffset;
    DWORD written = 0;
    return tail.empty() || (SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) &&
                            WriteFile(file.Get(), tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr));
}

TEST(EngineResume, PartialFilePastTwoGibibytesResumes) {
    UseShortTimings();
    WebServicePeer peer;
    ScratchDir dir;
    CreateFolderTree(dir.File(L"out"));
    const long long resumeAt = (2LL << 30) + 4096;
    const std::string tail = SourceBytes(1 << 20, 9);
    ASSERT_TRUE(WriteSparse(dir.File(L"source.bin"), resumeAt + static_cast<long long>(tail.size()), resumeAt, tail));
    ASSERT_TRUE(WriteSparse(Target(dir) + L".tmp", resumeAt, 0, ""));
    peer.ServeFile("package.bin", dir.File(L"source.bin"));

    RecordingTask task(ToAnsi(dir.File(L"out")));
    task.url = Url(peer, "package.bin");
    DownloadPool pool(1, true);
    pool.Hand(&task);
    ASSERT_EQ(3, WaitForEnd(task, 60000));
    EXPECT_EQ("bytes=" + std::to_string(resumeAt) + "-", RangeOfGet(peer, "package.bin", 0));
    EXPECT_EQ(resumeAt, task.resumeOffset.load());
    ScopedHandle done(CreateFileW(Target(dir).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(done);
    LARGE_INTEGER size = {};
    GetFileSizeEx(done.Get(), &size);
    EXPECT_EQ(resumeAt + static_cast<long long>(tail.size()), size.QuadPart);
    LARGE_INTEGER at;
    at.QuadPart = resumeAt;
    std::string read(tail.size(), '\0');
    DWORD got = 0;
    SetFilePointerEx(done.Get(), at, nullptr, FILE_BEGIN);
    ReadFile(done.Get(), read.data(), static_cast<DWORD>(read.size()), &got, nullptr);
    EXPECT_TRUE(read == tail) << "the bytes after 2 GiB landed at their offset";
}

}  // namespace
