// APK metadata: the parse of aapt's badging output, the icon check against
// the APK's entries, the record's bounds, and whole calls through the batch
// file with the aapt stand-in, in the core and through Hemlar.dll.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "phone/ApkInfo.h"
#include "HemlarLibrary.h"
#include "TestPaths.h"
#include "ToolStandIns.h"
#include "win32/ProcessLauncher.h"
#include "ZipWriter.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ToAnsi;

// What the stand-in aapt prints for one APK, laid out as aapt does.
struct Badging {
    std::string package = "com.vandrell.mrtq";
    std::string versionCode = "27";
    std::string label = "Kovi Helper";
    std::string labelZhCn = "\xE5\x8A\xA9\xE6\x89\x8B";  // 助手 in UTF-8
    std::string icon240 = "res/drawable-hdpi/ic_launcher.png";
    std::string icon480 = "res/drawable-xxhdpi/ic_launcher.png";
    std::string icon = "res/drawable/ic_launcher.png";
    std::string activity = "com.vandrell.mrtq.StartActivity_";
};

std::string BadgingOutput(const Badging& b) {
    return "package: name='" + b.package + "' versionCode='" + b.versionCode +
           "' versionName='2.7.0' platformBuildVersionName='4.4.2-1456859'\r\n"
           "sdkVersion:'9'\r\n"
           "targetSdkVersion:'19'\r\n"
           "uses-permission: name='android.permission.INTERNET'\r\n"
           "application-label:'" + b.label + "'\r\n"
           "application-label-zh_CN:'" + b.labelZhCn + "'\r\n"
           "application-icon-160:'res/drawable/ic_launcher.png'\r\n"
           "application-icon-240:'" + b.icon240 + "'\r\n"
           "application-icon-480:'" + b.icon480 + "'\r\n"
           "application: label='" + b.label + "' icon='" + b.icon + "'\r\n"
           "launchable-activity: name='" + b.activity + "'  label='" + b.label + "' icon=''\r\n"
           "supports-screens: 'small' 'normal' 'large' 'xlarge'\r\n";
}

using testsupport::ReadFileBytes;

// An APK (a zip) holding the given entries.
void WriteApk(const std::wstring& path, const std::vector<std::string>& entries) {
    std::vector<testsupport::ZipItem> items;
    items.emplace_back("AndroidManifest.xml", std::string(64, 'm'));
    for (const std::string& name : entries) items.emplace_back(name, "\x89PNG icon");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, testsupport::BuildZip(items)));
}

bool IsEmptyRecord(const ApkInfoRecord& record) {
    const ApkInfoRecord empty = {};
    return std::memcmp(&record, &empty, sizeof record) == 0;
}

// ---- Parse ----

struct ParseCase {
    const char* what;
    std::string output;
    ApkBadging expected;
};

TEST(ApkBadgingParse, ReadsEachKeyUpToItsClosingApostrophe) {
    ApkBadging full;
    full.packageName = "com.vandrell.mrtq";
    full.versionCode = "27";
    full.versionName = "2.7.0";
    full.sdkVersion = "9";
    full.targetSdkVersion = "19";
    full.label = "KoviHelper";
    full.labelZhCn = "\xE5\x8A\xA9\xE6\x89\x8B";
    full.launchableActivity = "com.vandrell.mrtq.StartActivity_";
    full.icon480 = "res/drawable-xxhdpi/ic_launcher.png";
    full.icon240 = "res/drawable-hdpi/ic_launcher.png";
    full.icon = "res/drawable/ic_launcher.png";

    ApkBadging packageOnly;
    packageOnly.packageName = "a.b";
    ApkBadging labelCut = full;
    labelCut.label.clear();
    ApkBadging targetOnly;
    targetOnly.targetSdkVersion = "21";
    ApkBadging lastValueOpen;
    lastValueOpen.packageName = "a.b";

    std::string unclosedLabel = BadgingOutput({});
    unclosedLabel.replace(unclosedLabel.find("application-label:'Kovi Helper'"), 31, "application-label:'Kovi Helper");

    const ParseCase cases[] = {
        {"a whole output, CR LF lines, a label with a blank", BadgingOutput({}), full},
        {"LF lines give the same", [] {
             std::string text = BadgingOutput({});
             for (size_t at; (at = text.find('\r')) != std::string::npos;) text.erase(at, 1);
             return text;
         }(), full},
        {"missing keys are empty", "package: name='a.b'\n", packageOnly},
        {"a value without its closing apostrophe is empty", unclosedLabel, labelCut},
        {"targetSdkVersion is not sdkVersion", "targetSdkVersion:'21'\n", targetOnly},
        {"the output ends inside a value", "package: name='a.b'\nlaunchable-activity: name='a.b.Main", lastValueOpen},
        {"nothing printed", "", ApkBadging{}},
        {"an interpreter's error text", "'C:\\x\\aapt.exe' is not recognized as an internal or external command\r\n",
         ApkBadging{}},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ApkBadging got = ParseBadging(c.output);
        EXPECT_EQ(got.packageName, c.expected.packageName);
        EXPECT_EQ(got.versionCode, c.expected.versionCode);
        EXPECT_EQ(got.versionName, c.expected.versionName);
        EXPECT_EQ(got.sdkVersion, c.expected.sdkVersion);
        EXPECT_EQ(got.targetSdkVersion, c.expected.targetSdkVersion);
        EXPECT_EQ(got.label, c.expected.label);
        EXPECT_EQ(got.labelZhCn, c.expected.labelZhCn);
        EXPECT_EQ(got.launchableActivity, c.expected.launchableActivity);
        EXPECT_EQ(got.icon480, c.expected.icon480);
        EXPECT_EQ(got.icon240, c.expected.icon240);
        EXPECT_EQ(got.icon, c.expected.icon);
    }
}

TEST(ApkBadgingParse, ValueEndsAtTheFirstApostropheAfterTheKey) {
    EXPECT_EQ(BadgingValue("application-label:''", "application-label:'"), "");
    EXPECT_EQ(BadgingValue("x='1'x='2'", "x='"), "1");
    EXPECT_EQ(BadgingValue("x='1", "x='"), "");
}

// ---- Record ----

TEST(ApkInfoRecordFields, LabelIsConvertedToAnsiAndTheChineseLabelKeptAsUtf8) {
    ApkBadging badging;
    badging.packageName = "com.vandrell.mrtq";
    badging.launchableActivity = "com.vandrell.mrtq.Main";
    badging.versionCode = "27";
    badging.label = "\xE5\x8A\xA9\xE6\x89\x8B" "Kovi";  // 助手Kovi
    badging.labelZhCn = "\xE5\x8A\xA9\xE6\x89\x8B";
    const ApkInfoRecord record = MakeApkInfoRecord(badging, "res/icon.png");
    EXPECT_STREQ(record.packageName, "com.vandrell.mrtq");
    EXPECT_STREQ(record.launchableActivity, "com.vandrell.mrtq.Main");
    EXPECT_STREQ(record.iconPath, "res/icon.png");
    EXPECT_STREQ(record.versionCode, "27");
    EXPECT_STREQ(record.labelZhCn, "\xE5\x8A\xA9\xE6\x89\x8B");
    EXPECT_EQ(std::string(record.label), ToAnsi(L"助手Kovi"));
}

TEST(ApkInfoRecordFields, OversizedValuesAreCutAtACharacterWithoutTouchingTheNextField) {
    std::string zhUtf8;
    std::wstring wide;
    for (int i = 0; i < 300; ++i) {
        zhUtf8 += "\xE5\x8A\xA9";  // 助
        wide += L"助";
    }
    ApkBadging badging;
    badging.packageName = std::string(1000, 'p');
    badging.launchableActivity = "a.Main";
    badging.icon = std::string(300, 'i');
    badging.versionCode = "12";
    badging.labelZhCn = zhUtf8;
    badging.label = zhUtf8;
    const ApkInfoRecord record = MakeApkInfoRecord(badging, std::string(400, 'i'));

    EXPECT_EQ(std::string(record.packageName), std::string(259, 'p'));
    EXPECT_STREQ(record.launchableActivity, "a.Main");
    EXPECT_EQ(std::string(record.iconPath), std::string(259, 'i'));
    EXPECT_STREQ(record.versionCode, "12");
    // 86 whole three-byte characters fit into 259 bytes.
    EXPECT_EQ(std::string(record.labelZhCn), zhUtf8.substr(0, 86 * 3));
    // The ANSI label holds as many whole characters as fit.
    size_t whole = 0;
    while (ToAnsi(wide.substr(0, whole + 1)).size() <= 259) ++whole;
    EXPECT_EQ(std::string(record.label), ToAnsi(wide.substr(0, whole)));
}

// ---- Icon check ----

TEST(ApkIconCheck, TakesTheLargestAnnouncedIconTheApkHolds) {
    testsupport::ScratchDir dir;
    const Badging b;
    ApkBadging announced;
    announced.icon480 = b.icon480;
    announced.icon240 = b.icon240;
    announced.icon = b.icon;
    ApkBadging no480 = announced;
    no480.icon480.clear();

    struct IconCase {
        const char* what;
        std::vector<std::string> entries;
        ApkBadging badging;
        std::string expected;
    };
    const IconCase cases[] = {
        {"480 present", {b.icon480, b.icon240, b.icon}, announced, b.icon480},
        {"only 240 present", {b.icon240, b.icon}, announced, b.icon240},
        {"neither present", {b.icon}, announced, b.icon},
        {"no 480 announced, 240 present", {b.icon240}, no480, b.icon240},
        {"entry names match without regard to case", {"RES/drawable-XXHDPI/ic_launcher.png"}, announced, b.icon480},
    };
    int n = 0;
    for (const IconCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring apk = dir.File(L"app" + std::to_wstring(n++) + L".apk");
        WriteApk(apk, c.entries);
        EXPECT_EQ(CheckedIcon(c.badging, ToAnsi(apk)), c.expected);
    }

    SCOPED_TRACE("not a zip: the 480 icon stays unchecked");
    const std::wstring notZip = dir.File(L"broken.apk");
    testsupport::WriteFileBytes(notZip, "not a zip at all");
    EXPECT_EQ(CheckedIcon(announced, ToAnsi(notZip)), b.icon480);
    EXPECT_EQ(CheckedIcon(announced, ToAnsi(dir.File(L"missing.apk"))), b.icon480);
}

// ---- Batch line and tool choice ----

TEST(ApkBadgingBatch, LineQuotesBothPathsAndKeepsPercentSignsLiteral) {
    EXPECT_EQ(BadgingBatchLine("C:\\Kovi\\Rirorivuvi\\aapt.exe", "D:\\my apps\\a.apk"),
              "\"C:\\Kovi\\Rirorivuvi\\aapt.exe\" d badging \"D:\\my apps\\a.apk\"");
    EXPECT_EQ(BadgingBatchLine("C:\\100%\\aapt.exe", "D:\\50%PATH% & co.apk"),
              "\"C:\\100%%\\aapt.exe\" d badging \"D:\\50%%PATH%% & co.apk\"");
}

// Every program started while the batch file is open gets each handle the
// process lets children inherit, and keeps it as long as it runs; the system
// then refuses to start the batch file. Programs are started here without a
// pause while the file is written again and again: none may keep it.
TEST(ApkBadgingBatch, WrittenThroughAHandleNoStartedProgramKeeps) {
    testsupport::ScratchDir dir;
    const std::wstring batchFile = dir.File(L"AppInfo.bat");
    std::atomic<bool> stop{false};
    std::thread starter([&] {
        ProcessLaunch linger;
        linger.commandLine = L"\"" + testsupport::ProgramFolder() + L"standin-tools\\linger.exe\" 800";
        while (!stop) LaunchProcess(linger);
    });
    int writes = 0, held = 0;
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
         std::chrono::steady_clock::now() < end; ++writes) {
        ASSERT_EQ(WriteBatchFile(ToAnsi(batchFile), "\"aapt.exe\" d badging \"a.apk\""), 0u);
        // Opened as the system opens a program it is asked to start.
        HANDLE file = CreateFileW(batchFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            continue;
        }
        ++held;
        Sleep(900);  // until the program that kept it has ended
    }
    stop = true;
    starter.join();
    EXPECT_EQ(held, 0) << "of " << writes << " writes";
    EXPECT_EQ(ReadFileBytes(batchFile), "\"aapt.exe\" d badging \"a.apk\"");
}

// ---- Whole calls with the aapt stand-in ----

// A program folder of its own (with a blank in its name) holding the aapt
// stand-in, so calls can run without a "data" folder or with "SarvelAdb".
class ApkInfoCall : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = apps_.File(L"Kovi Suite\\");
        fs::create_directories(folder_ + L"Rirorivuvi");
        ASSERT_TRUE(InstallAapt(L"Rirorivuvi"));
    }

    bool InstallAapt(const std::wstring& toolFolder) {
        fs::create_directories(folder_ + toolFolder);
        return CopyFileW((testsupport::ProgramFolder() + L"Rirorivuvi\\aapt.exe").c_str(),
                         (folder_ + toolFolder + L"\\aapt.exe").c_str(), FALSE);
    }

    // An APK under the scratch folder whose stand-in reply is b's badging.
    std::string Apk(const std::wstring& name, const Badging& b = {}) {
        const std::wstring path = apps_.File(name);
        fs::create_directories(fs::path(path).parent_path());
        WriteApk(path, {b.icon240, b.icon});
        tools_.Reply("aapt", ToAnsi(name), BadgingOutput(b));
        return ToAnsi(path);
    }

    ApkInfoRecord Dump(const std::string& apk) { return DumpApkInfo(ToAnsi(folder_), apk); }
    std::wstring BatchFile() const { return folder_ + L"data\\AppInfo.bat"; }
    std::string Aapt(const wchar_t* toolFolder = L"Rirorivuvi") const {
        return ToAnsi(folder_ + toolFolder + L"\\aapt.exe");
    }

    ToolStandIns tools_;
    testsupport::ScratchDir apps_;
    std::wstring folder_;
};

TEST_F(ApkInfoCall, RunsAaptThroughTheBatchFileAndFillsTheRecord) {
    ASSERT_FALSE(fs::exists(folder_ + L"data"));
    const std::string apk = Apk(L"my apps\\Kovi Helper.apk");
    const ApkInfoRecord record = Dump(apk);

    EXPECT_STREQ(record.packageName, "com.vandrell.mrtq");
    EXPECT_STREQ(record.launchableActivity, "com.vandrell.mrtq.StartActivity_");
    EXPECT_STREQ(record.iconPath, Badging().icon240.c_str());  // the APK holds no 480 icon
    EXPECT_STREQ(record.versionCode, "27");
    EXPECT_STREQ(record.labelZhCn, "\xE5\x8A\xA9\xE6\x89\x8B");
    EXPECT_STREQ(record.label, "KoviHelper");

    // The missing data folder was made; the batch file holds exactly one line.
    EXPECT_EQ(ReadFileBytes(BatchFile()), "\"" + Aapt() + "\" d badging \"" + apk + "\"");
    EXPECT_EQ(tools_.Calls(), std::vector<std::string>{"aapt d badging \"" + apk + "\""});
    // Nothing keeps the batch file open afterwards.
    EXPECT_TRUE(DeleteFileW(BatchFile().c_str()));
}

TEST_F(ApkInfoCall, SecondCallOverwritesTheBatchFile) {
    Badging first, second;
    first.package = "com.example.first";
    second.package = "com.example.second";
    const std::string longApk = Apk(L"a folder with a rather long name\\first.apk", first);
    const std::string shortApk = Apk(L"s.apk", second);

    EXPECT_STREQ(Dump(longApk).packageName, "com.example.first");
    EXPECT_STREQ(Dump(shortApk).packageName, "com.example.second");
    EXPECT_EQ(ReadFileBytes(BatchFile()), "\"" + Aapt() + "\" d badging \"" + shortApk + "\"");
}

TEST_F(ApkInfoCall, PathWithPercentSignsAmpersandAndBlanksReachesAaptUnchanged) {
    Badging b;
    b.package = "com.example.sale";
    const std::string apk = Apk(L"50%PATH%off & more.apk", b);
    EXPECT_STREQ(Dump(apk).packageName, "com.example.sale");
    EXPECT_EQ(tools_.Calls(), std::vector<std::string>{"aapt d badging \"" + apk + "\""});
}

TEST_F(ApkInfoCall, AaptFromSarvelAdbWhenThatFolderExists) {
    ASSERT_TRUE(InstallAapt(L"SarvelAdb"));
    const std::string apk = Apk(L"a.apk");
    EXPECT_STREQ(Dump(apk).versionCode, "27");
    EXPECT_EQ(ReadFileBytes(BatchFile()), "\"" + Aapt(L"SarvelAdb") + "\" d badging \"" + apk + "\"");
}

TEST_F(ApkInfoCall, MissingAaptLeavesEveryFieldEmpty) {
    fs::remove_all(folder_ + L"Rirorivuvi");
    EXPECT_TRUE(IsEmptyRecord(Dump(Apk(L"a.apk"))));
    EXPECT_TRUE(tools_.Calls().empty());
}

TEST_F(ApkInfoCall, BatchFileHeldByAnotherProgramRunsNothing) {
    Badging first;
    first.package = "com.example.first";
    ASSERT_STREQ(Dump(Apk(L"first.apk", first)).packageName, "com.example.first");

    // A reader that shares nothing stops the writing; a writer (as a tool
    // that inherited a writing handle would be) stops the start of the batch
    // file. Neither may run a stale or half-written line.
    struct Holder {
        const char* what;
        DWORD access;
        DWORD sharing;
    };
    const Holder holders[] = {
        {"a reader sharing nothing", GENERIC_READ, 0},
        {"a writer sharing reading and writing", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE},
    };
    const std::string apk = Apk(L"second.apk");
    for (const Holder& holder : holders) {
        SCOPED_TRACE(holder.what);
        HANDLE held = CreateFileW(BatchFile().c_str(), holder.access, holder.sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        const ApkInfoRecord record = Dump(apk);
        const BadgingRun run = RunBadging(ToAnsi(folder_), apk);
        CloseHandle(held);
        EXPECT_TRUE(IsEmptyRecord(record));
        EXPECT_EQ(run.output, "");
        EXPECT_NE(run.writeError + run.launchError, 0u);
        EXPECT_EQ(tools_.Calls().size(), 1u);
    }
}

// What a run that printed no package shows, for the failure message.
std::string Explained(const BadgingRun& run) {
    return "output [" + run.output + "], write error " + std::to_string(run.writeError) + ", launch error " +
           std::to_string(run.launchError) + ", exit code " + std::to_string(run.exitCode) + ", batch file [" +
           run.batchFile + "]";
}

TEST_F(ApkInfoCall, OverlappingCallsEachGetTheirOwnApk) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 3;
    std::vector<std::string> apks;
    for (int t = 0; t < kThreads; ++t) {
        Badging b;
        b.package = "com.example.app" + std::to_string(t);
        apks.push_back(Apk(L"app" + std::to_wstring(t) + L".apk", b));
    }
    std::vector<BadgingRun> runs(kThreads * kRounds);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < kRounds; ++round) runs[t * kRounds + round] = RunBadging(ToAnsi(folder_), apks[t]);
        });
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t)
        for (int round = 0; round < kRounds; ++round) {
            const BadgingRun& run = runs[t * kRounds + round];
            EXPECT_EQ(ParseBadging(run.output).packageName, "com.example.app" + std::to_string(t))
                << t << "/" << round << ": " << Explained(run);
        }
    const std::vector<std::string> calls = tools_.Calls();
    EXPECT_EQ(calls.size(), static_cast<size_t>(kThreads * kRounds)) << ::testing::PrintToString(calls);
}

// ---- Through Hemlar.dll ----

using GetDumpApkInfoFn = ApkInfoRecord(__cdecl*)(const char*, char*);

TEST(GetDumpApkInfoExport, ReturnsTheRecordAndLeavesItInTheScratchBuffer) {
    HemlarLibrary hemlar;
    ASSERT_TRUE(hemlar.Loaded());
    auto getDumpApkInfo = hemlar.Get<GetDumpApkInfoFn>("GetDumpApkInfo");
    ASSERT_NE(getDumpApkInfo, nullptr);

    ToolStandIns tools;
    testsupport::ScratchDir dir;
    const Badging b;
    const std::wstring apk = dir.File(L"gov.apk");
    WriteApk(apk, {b.icon480, b.icon240});
    tools.Reply("aapt", "gov.apk", BadgingOutput(b));

    std::vector<char> scratch(1560 + 16, '\x5A');
    const ApkInfoRecord record = getDumpApkInfo(ToAnsi(apk).c_str(), scratch.data());
    EXPECT_STREQ(record.packageName, "com.vandrell.mrtq");
    EXPECT_STREQ(record.iconPath, b.icon480.c_str());
    EXPECT_EQ(atoi(record.versionCode), 27);
    EXPECT_EQ(std::memcmp(scratch.data(), &record, sizeof record), 0);
    EXPECT_EQ(std::string(scratch.data() + 1560, 16), std::string(16, '\x5A'));
    // The program folder's batch file ran the program folder's aapt.
    EXPECT_EQ(ReadFileBytes(testsupport::ProgramFolder() + L"data\\AppInfo.bat"),
              "\"" + ToAnsi(testsupport::ProgramFolder()) + "Rirorivuvi\\aapt.exe\" d badging \"" + ToAnsi(apk) + "\"");

    // A file aapt cannot read: every field empty, version code 0 for atoi.
    std::vector<char> second(1560, '\x5A');
    const ApkInfoRecord none = getDumpApkInfo(ToAnsi(dir.File(L"missing.apk")).c_str(), second.data());
    EXPECT_TRUE(IsEmptyRecord(none));
    EXPECT_EQ(std::memcmp(second.data(), &none, sizeof none), 0);
}

}  // namespace
