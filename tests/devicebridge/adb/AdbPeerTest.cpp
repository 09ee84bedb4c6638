// The adb client against the stand-in adb server: server start, phone
// states, shell, sync round trips, install and the framebuffer BMP.
#include "AdbTestPeers.h"

#include "adb/AdbClient.h"
#include "adb/AdbCommandLine.h"
#include "adb/AdbShell.h"
#include "adb/sysdeps_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::wstring InQuotes(const std::wstring& path) { return L"\"" + path + L"\""; }

TEST(AdbServerStart, ClientStartsTheServerFromTheProgramFolderWhereverItStands) {
    AdbServerPeer peer(false);
    ASSERT_FALSE(AdbServerPeer::Running());
    testsupport::ScratchDir elsewhere;
    std::string output;
    {
        testsupport::ScopedCurrentFolder inElsewhere(elsewhere.Path());
        output = RunClientCommand(L"devices");
    }
    EXPECT_EQ(output, "HEMLAR0001\tdevice\n");
    EXPECT_TRUE(AdbServerPeer::Running());
    EXPECT_EQ(peer.Requests(), std::vector<std::string>{"host:devices"});

    RunClientCommand(L"kill-server");
    for (int i = 0; i < 100 && AdbServerPeer::Running(); ++i) Sleep(20);
    EXPECT_FALSE(AdbServerPeer::Running());
}

TEST(AdbPhoneStates, DeviceListAndShellFollowTheScenario) {
    AdbServerPeer peer;
    const struct {
        const char* state;
        std::string devices;
        std::string shell;
    } cases[] = {
        {"device", "HEMLAR0001\tdevice\n", "MI 3\n"},
        {"recovery", "HEMLAR0001\trecovery\n", "MI 3\n"},
        {"offline", "HEMLAR0001\toffline\n", "device offline"},
        {"unauthorized", "HEMLAR0001\tunauthorized\n", "device unauthorized."},
        {"none", "", "no devices/emulators found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        peer.SetScenario(std::string("state=") + c.state + "\nserial=HEMLAR0001\nprop.ro.product.model=MI 3\n");
        EXPECT_EQ(RunClientCommand(L"devices"), c.devices);
        std::string shell = RunClientCommand(L"shell getprop ro.product.model");
        EXPECT_EQ(shell.substr(0, c.shell.size()), c.shell);
    }
    peer.SetScenario("state=device\nserial=HEMLAR0001\n");
    EXPECT_EQ(RunClientCommand(L"-s OTHER shell getprop x"), "device 'OTHER' not found");
}

TEST(AdbShell, RepliesRootAndForwardsReachTheOutput) {
    AdbServerPeer peer;
    peer.SetScenario(
        "state=device\nserial=HEMLAR0001\nshell.ps=USER PID NAME\\nroot 1 /init\\nu0_a1 99 com.hemlar.app\\n\n"
        "root=restarting adbd as root\\n\n");
    EXPECT_EQ(RunClientCommand(L"shell ps"), "USER PID NAME\nroot 1 /init\nu0_a1 99 com.hemlar.app\n");
    EXPECT_EQ(RunClientCommand(L"root"), "restarting adbd as root\n");
    EXPECT_EQ(RunClientCommand(L"shell echo \"a b\" c"), "a b c\n");
    // A server-side failure replaces what earlier commands appended.
    std::string output;
    AdbRunCommandLine(L"shell echo one", output);
    peer.SetScenario("state=offline\n");
    AdbRunCommandLine(L"shell echo two", output);
    EXPECT_EQ(output, "device offline");

    peer.SetScenario("state=device\nserial=HEMLAR0001\n");
    EXPECT_EQ(RunClientCommand(L"forward tcp:10086 tcp:10086"), "");
    EXPECT_EQ(RunClientCommand(L"forward --no-rebind tcp:10086 tcp:1"), "cannot rebind existing socket");
    EXPECT_EQ(RunClientCommand(L"forward --remove tcp:10086"), "");
    EXPECT_EQ(RunClientCommand(L"forward --remove tcp:10086"), "listener 'tcp:10086' not found");
    std::vector<std::string> requests = peer.Requests();
    EXPECT_TRUE(Contains(requests, "host:forward:tcp:10086;tcp:10086"));
    EXPECT_TRUE(Contains(requests, "shell:echo \"a b\" c"));
}

TEST(AdbSync, FilesWithNamesOutsideTheAnsiCodePageRoundTrip) {
    AdbServerPeer peer;
    testsupport::ScratchDir dir;
    const std::wstring names[] = {L"plain.txt", L"\x4E2D\x6587.txt", L"\xD55C\xAE00 file.txt"};
    ASSERT_NE(testsupport::ToAnsi(names[2]).find('?'), std::string::npos) << "name must not fit the ANSI code page";
    std::string content(200000, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 31 + 7);
    for (const std::wstring& name : names) {
        SCOPED_TRACE(Utf8(name));
        std::wstring local = dir.File(name);
        ASSERT_TRUE(testsupport::WriteFileBytes(local, content));
        EXPECT_EQ(RunClientCommand(L"push " + InQuotes(local) + L" " + InQuotes(L"/sdcard/" + name)), "");
        EXPECT_EQ(ReadFileBytes(peer.PhoneFile(L"/sdcard/" + name)), content);
        EXPECT_TRUE(Contains(peer.Requests(), "sync STAT /sdcard/" + Utf8(name)));

        std::wstring back = dir.File(L"back-" + name);
        EXPECT_EQ(RunClientCommand(L"pull " + InQuotes(L"/sdcard/" + name) + L" " + InQuotes(back)), "");
        EXPECT_EQ(ReadFileBytes(back), content);
    }
    EXPECT_TRUE(Contains(peer.Requests(), "sync RECV /sdcard/" + Utf8(names[1])));
}

// A push reads the file straight into blocks of 4 DATA chunks (256 KiB), one
// socket call each: sizes at and around the chunk and block edges, and one
// of several blocks, must all arrive whole and in order.
TEST(AdbSync, PushesOfSizesAroundTheChunkAndBlockEdgesArriveWhole) {
    AdbServerPeer peer;
    testsupport::ScratchDir dir;
    constexpr size_t kChunk = 64 * 1024, kBlock = 4 * kChunk;
    const size_t sizes[] = {0, 1, kChunk, kChunk + 1, kBlock - 1, kBlock, kBlock + 1, 2 * kBlock, 2 * kBlock + kChunk + 3};
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        std::string content(size, '\0');
        for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 2654435761u) >> 13);
        const std::wstring local = dir.File(L"sized.bin");
        ASSERT_TRUE(testsupport::WriteFileBytes(local, content));
        EXPECT_EQ(RunClientCommand(L"push " + InQuotes(local) + L" /sdcard/sized.bin"), "");
        EXPECT_TRUE(ReadFileBytes(peer.PhoneFile(L"/sdcard/sized.bin")) == content);
    }
}

TEST(AdbSync, PushIntoAFolderAndPullIntoAFolderUseTheBaseName) {
    AdbServerPeer peer;
    testsupport::ScratchDir dir;
    std::wstring local = dir.File(L"a.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(local, "alpha"));
    EXPECT_EQ(RunClientCommand(L"push " + InQuotes(local) + L" /sdcard/"), "");
    EXPECT_TRUE(Contains(peer.Requests(), "sync SEND /sdcard//a.txt,33206"));
    EXPECT_EQ(ReadFileBytes(peer.PhoneFile(L"/sdcard/a.txt")), "alpha");

    fs::create_directories(dir.File(L"into"));
    EXPECT_EQ(RunClientCommand(L"pull /sdcard/a.txt " + InQuotes(dir.File(L"into"))), "");
    EXPECT_EQ(ReadFileBytes(dir.File(L"into\\a.txt")), "alpha");
}

TEST(AdbSync, FolderTreesRoundTripWithoutMovingTheCurrentFolder) {
    AdbServerPeer peer;
    testsupport::ScratchDir dir;
    const std::pair<std::wstring, std::string> files[] = {
        {L"tree\\top.txt", "top"},
        {L"tree\\sub\\\x4E2D.txt", "chinese"},
        {L"tree\\sub\\deeper\\empty.bin", ""},
        {L"tree\\sub\\deeper\\big.bin", std::string(150000, 'b')},
    };
    for (const auto& [name, data] : files) {
        fs::create_directories(fs::path(dir.File(name)).parent_path());
        ASSERT_TRUE(testsupport::WriteFileBytes(dir.File(name), data));
    }
    wchar_t before[MAX_PATH], after[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    EXPECT_EQ(RunClientCommand(L"push " + InQuotes(dir.File(L"tree")) + L" /sdcard/backup"), "");
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);
    for (const auto& [name, data] : files)
        EXPECT_EQ(ReadFileBytes(peer.PhoneFile(L"/sdcard/backup/" + name.substr(5))), data) << Utf8(name);

    EXPECT_EQ(RunClientCommand(L"pull /sdcard/backup " + InQuotes(dir.File(L"copy"))), "");
    for (const auto& [name, data] : files) {
        std::wstring copy = dir.File(L"copy\\" + name.substr(5));
        EXPECT_TRUE(fs::exists(copy)) << Utf8(name);
        EXPECT_EQ(ReadFileBytes(copy), data) << Utf8(name);
    }
}

TEST(AdbSync, FailuresNeitherLoseLocalFilesNorReportSuccess) {
    AdbServerPeer peer;
    testsupport::ScratchDir dir;
    std::wstring existing = dir.File(L"existing.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(existing, "precious"));
    RunClientCommand(L"pull /sdcard/missing.txt " + InQuotes(existing));
    EXPECT_EQ(ReadFileBytes(existing), "precious");
    EXPECT_FALSE(fs::exists(existing + L".adbpart"));

    // A local file that cannot be read is not sent as an empty file.
    HANDLE locked = CreateFileW(existing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    std::string output = RunClientCommand(L"push " + InQuotes(existing) + L" /sdcard/existing.txt");
    CloseHandle(locked);
    EXPECT_NE(output.find("cannot open"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(peer.PhoneFile(L"/sdcard/existing.txt")));

    // The server's refusal of a SEND is the whole output.
    peer.SetScenario("state=device\nserial=HEMLAR0001\nsend.fail=secure storage is read-only\n");
    EXPECT_EQ(RunClientCommand(L"push " + InQuotes(existing) + L" /sdcard/existing.txt"), "secure storage is read-only");
}

TEST(AdbInstall, PushesRunsThePackageManagerAndRemovesThePhoneCopy) {
    AdbServerPeer peer;
    testsupport::ScratchDir dir;
    std::wstring apk = dir.File(L"app.apk");
    ASSERT_TRUE(testsupport::WriteFileBytes(apk, "PK fake apk"));
    EXPECT_EQ(RunClientCommand(L"install -r " + InQuotes(apk)), "Success\n");
    std::vector<std::string> requests = peer.Requests();
    auto pm = std::find(requests.begin(), requests.end(), "shell:pm install -r /data/local/tmp/app.apk");
    auto rm = std::find(requests.begin(), requests.end(), "shell:rm /data/local/tmp/app.apk");
    EXPECT_TRUE(pm != requests.end() && rm != requests.end() && pm < rm);
    EXPECT_FALSE(fs::exists(peer.PhoneFile(L"/data/local/tmp/app.apk")));

    peer.SetScenario("state=device\nserial=HEMLAR0001\npm.install=Failure [INSTALL_FAILED_ALREADY_EXISTS]\n");
    EXPECT_EQ(RunClientCommand(L"install " + InQuotes(apk)), "Failure [INSTALL_FAILED_ALREADY_EXISTS]\n");
    EXPECT_EQ(RunClientCommand(L"install " + InQuotes(dir.File(L"missing.apk"))), "can't find to install\n");
    EXPECT_EQ(RunClientCommand(L"install " + InQuotes(dir.Path().substr(0, dir.Path().size() - 1))), "can't install  because it's not a file\n");

    peer.ClearRequests();
    peer.SetScenario("state=device\nshell.pm uninstall com.example.app=Success\\n\n");
    EXPECT_EQ(RunClientCommand(L"uninstall com.example.app"), "Success\n");
    EXPECT_TRUE(Contains(peer.Requests(), "shell:pm uninstall com.example.app"));
}

TEST(AdbFramebuffer, SnapshotsBecomeUprightOrTurnedBmps) {
    AdbServerPeer peer;
    testsupport::ScratchDir dir;
    const struct {
        const char* layout;
        bool turned;
        uint32_t width, height, rowBytes;
    } cases[] = {
        {"16 480 800", false, 480, 800, 1440},
        {"16 481 3", false, 481, 3, 1444},
        {"1 32 5 4", false, 5, 4, 16},
        {"1 32 5 4", true, 5, 4, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.layout) + (c.turned ? " turned" : ""));
        peer.SetScenario(std::string("state=device\nframebuffer=") + c.layout + "\n");
        std::wstring bmp = dir.File(L"shot.bmp");
        RunClientCommand(std::wstring(L"shortcut ") + (c.turned ? L"-r " : L"") + InQuotes(bmp));
        std::string file = ReadFileBytes(bmp);
        ASSERT_EQ(file.size(), 54u + c.rowBytes * c.height);
        EXPECT_EQ(file.substr(0, 2), "BM");
        auto at = [&](size_t offset) {
            return static_cast<unsigned char>(file[offset]) | (static_cast<unsigned char>(file[offset + 1]) << 8);
        };
        EXPECT_EQ(at(18), c.width);
        EXPECT_EQ(at(22), c.height);
        EXPECT_EQ(at(28), 24u);
        bool sixteen = c.layout[0] == '1' && c.layout[1] == '6';
        // Check every pixel against the peer's pattern (red x, green y, blue x + y).
        for (uint32_t r = 0; r < c.height; ++r) {
            uint32_t y = c.turned ? r : c.height - 1 - r;
            for (uint32_t col = 0; col < c.width; ++col) {
                uint32_t x = c.turned ? c.width - 1 - col : col;
                const unsigned char* p = reinterpret_cast<const unsigned char*>(&file[54 + r * c.rowBytes + col * 3]);
                unsigned blue = sixteen ? ((x + y) & 31) << 3 : (x + y) & 255;
                unsigned green = sixteen ? (y & 63) << 2 : y & 255;
                unsigned red = sixteen ? (x & 31) << 3 : x & 255;
                ASSERT_EQ(p[0], blue) << x << "," << y;
                ASSERT_EQ(p[1], green) << x << "," << y;
                ASSERT_EQ(p[2], red) << x << "," << y;
            }
            for (uint32_t pad = c.width * 3; pad < c.rowBytes; ++pad) ASSERT_EQ(file[54 + r * c.rowBytes + pad], 0);
        }
        DeleteFileW(bmp.c_str());
    }
}

TEST(AdbFramebuffer, PureRedSixteenBitPixel) {
    FramebufferImage image;
    image.version = 16, image.bpp = 16, image.width = 1, image.height = 1, image.size = 2;
    image.redOffset = 11, image.redLength = 5, image.greenOffset = 5, image.greenLength = 6, image.blueLength = 5;
    image.pixels = {0x00, 0xF8};
    testsupport::ScratchDir dir;
    ASSERT_TRUE(WriteBmp(image, dir.File(L"red.bmp")));
    std::string file = ReadFileBytes(dir.File(L"red.bmp"));
    ASSERT_EQ(file.size(), 58u);
    EXPECT_EQ(file.substr(54, 4), std::string("\0\0\xF8\0", 4));
}

TEST(AdbShellEscape, TildeDotAtLineStartEndsTheSession) {
    const struct {
        const char* input;
        bool ends;
    } cases[] = {{"abc\n~.", true}, {"abc\r~.", true}, {"abc~.", false}, {"\n~x.", false}, {"\n~~.", true}, {"\n.", false}};
    for (const auto& c : cases) {
        ShellEscapeScanner scanner;
        bool ended = false;
        for (const char* p = c.input; *p && !ended; ++p) ended = scanner.Feed(*p);
        EXPECT_EQ(ended, c.ends) << c.input;
    }
}

// Set while an interactive shell runs in this program, which plays the host
// that loaded the client: an exit from inside the client would end it, and
// this hook turns such an exit into a failure.
std::atomic<bool> g_shellRunning{false};
void FailIfTheHostEndsDuringTheShell() {
    if (!g_shellRunning) return;
    fprintf(stderr, "the shell's escape ended the host program\n");
    _exit(3);
}

TEST(AdbShellEscape, EndsTheSessionAndTheHostGoesOn) {
    ScriptedServer server("OKAYOKAY");  // the phone takes the shell, then stays silent
    int input[2];
    ASSERT_EQ(_pipe(input, 256, _O_BINARY), 0);
    const int savedInput = _dup(0);
    ASSERT_EQ(_dup2(input[0], 0), 0);
    atexit(FailIfTheHostEndsDuringTheShell);
    g_shellRunning = true;

    std::string output;
    int result = -1;
    std::thread shell([&] { result = AdbInteractiveShell(AdbTarget{}, output); });
    ASSERT_EQ(_write(input[1], "\n~.", 3), 3);
    shell.join();
    g_shellRunning = false;
    _dup2(savedInput, 0);
    for (int fd : {savedInput, input[0], input[1]}) _close(fd);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(server.Received(), AdbRequestFrame("host:transport-any") + AdbRequestFrame("shell:"));
    // The client still works after the session ended.
    int fd = LoopbackConnect(kAdbServerPort);
    EXPECT_GE(fd, 0);
    HandleClose(fd);
}

}  // namespace
