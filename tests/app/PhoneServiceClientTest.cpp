// The phone-service client against the stand-in service over real loopback
// sockets: replies cut at their boundaries, requests made before the link
// waiting for it, a refused or dropped link, a second link replacing the
// first, and Stop while a reply waits for the very thread that stops.
#include "PhoneServiceApp.h"
#include "PhoneServicePeer.h"
#include "TestPaths.h"
#include "phonelink/PhoneCounts.h"
#include "phonelink/PhoneReplySplitter.h"
#include "phonelink/PhoneServiceClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using testpeers::PhoneServiceApp;
using testpeers::PhoneServicePeer;

namespace {

const std::string kStamp = "2026-12-10-20-31-07";
std::string BackupReply(int bit, const std::string& folder, const char* extension) {
    return "backup_" + std::to_string(bit) + "_/" + folder + "doruvadedi/" + kStamp + "." + extension;
}

struct SplitCase {
    const char* label;
    std::vector<std::string> received;  // one entry per receive
    std::vector<std::string> replies;
};

TEST(PhoneReplySplitter, CutsRepliesAtTheirBoundaries) {
    const std::string contacts = BackupReply(1, "storage/emulated/0/", "vcf");
    const std::string calls = BackupReply(4, "storage/emulated/0/", "vcl");
    const std::string dotted = BackupReply(2, "storage/emulated/0/my.files/", "xml");
    const std::string underscored = BackupReply(1, "storage/emulated/0/my_backup_files/", "vcf");
    const std::string counts = "contact(312)_msg(1200)_calllog(87)";
    const std::string restored = "restore_1_/storage/emulated/0/doruvadedi/";
    const std::string longText(8196, 'x');
    const SplitCase cases[] = {
        {"two backups in one receive", {contacts + calls}, {contacts, calls}},
        {"a folder with a dot", {dotted}, {dotted}},
        {"a folder named like a head", {underscored + counts}, {underscored, counts}},
        {"counts whole", {counts}, {counts}},
        {"a reply after the backups is kept", {contacts + restored}, {contacts, restored}},
        {"a backup cut between receives", {contacts.substr(0, 30), contacts.substr(30) + calls}, {contacts, calls}},
        {"counts cut between receives", {"contact(3)_msg(", "4)_calllog(5)"}, {"contact(3)_msg(4)_calllog(5)"}},
        {"a malformed backup ends where the next reply begins", {"backup_1_/oops" + counts}, {"backup_1_/oops", counts}},
        {"an unknown text whole", {"restoreDir_/sdcard/doruvadedi//"}, {"restoreDir_/sdcard/doruvadedi//"}},
        {"a full buffer of other text", {longText}, {longText}},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.label);
        PhoneReplySplitter splitter;
        std::vector<std::string> replies;
        for (const std::string& part : c.received)
            for (const std::string& reply : splitter.Feed(part)) replies.push_back(reply);
        EXPECT_EQ(replies, c.replies);
        EXPECT_TRUE(splitter.Flush().empty());
    }
}

TEST(PhoneReplySplitter, AnIncompleteReplyIsHandedOutWhenTheLinkEnds) {
    PhoneReplySplitter splitter;
    EXPECT_TRUE(splitter.Feed("backup_1_/storage/emulated/0/doruvadedi/2026").empty());
    EXPECT_EQ(splitter.Flush(), std::vector<std::string>{"backup_1_/storage/emulated/0/doruvadedi/2026"});
}

// A message-only window that keeps every reply it is sent.
class ReplyWindow {
public:
    ReplyWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PhoneReplyWindow";
        ::RegisterClassW(&wc);
        hwnd_ = ::CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ReplyWindow() { ::DestroyWindow(hwnd_); }
    HWND Hwnd() const { return hwnd_; }

    // Handles sent and posted messages until `count` replies came or the time is up.
    bool WaitFor(size_t count, DWORD timeoutMs = 5000) {
        DWORD start = ::GetTickCount();
        while (replies.size() < count && ::GetTickCount() - start < timeoutMs) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        }
        return replies.size() >= count;
    }
    void Settle(DWORD milliseconds) {
        WaitFor(static_cast<size_t>(-1), milliseconds);
    }

    std::vector<std::string> replies;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_ANDROID_MSG) {
            auto* self = reinterpret_cast<ReplyWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            self->replies.push_back(reinterpret_cast<const char*>(wp));
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND hwnd_ = nullptr;
};

PhoneServicePeer::Responder Answers() {
    return [](const std::string& request) -> std::vector<std::string> {
        if (request == "queryData") return {"contact(3)_msg(4)_calllog(5)"};
        if (request == "backup_5")
            return {BackupReply(1, "storage/emulated/0/", "vcf") + BackupReply(4, "storage/emulated/0/", "vcl")};
        if (request == "getDir") return {"restoreDir_/storage/emulated/0/doruvadedi//"};
        return {};
    };
}

TEST(PhoneServiceClient, RequestsMadeBeforeTheLinkReachTheServiceOnceItConnects) {
    PhoneServicePeer peer(Answers());
    ReplyWindow window;
    CClient client;
    ASSERT_TRUE(client.Send("queryData"));  // before any link
    client.Start(window.Hwnd(), L"127.0.0.1", peer.Port());
    ASSERT_TRUE(client.Send("backup_5"));  // before the connection is made, most likely
    ASSERT_TRUE(window.WaitFor(3));
    EXPECT_EQ(peer.Requests(), (std::vector<std::string>{"queryData", "backup_5"}));
    EXPECT_EQ(window.replies[0], "contact(3)_msg(4)_calllog(5)");
    EXPECT_EQ(window.replies[1], BackupReply(1, "storage/emulated/0/", "vcf"));
    EXPECT_EQ(window.replies[2], BackupReply(4, "storage/emulated/0/", "vcl"));
    ASSERT_TRUE(client.Send("getDir"));
    ASSERT_TRUE(window.WaitFor(4));
    EXPECT_EQ(window.replies[3], "restoreDir_/storage/emulated/0/doruvadedi//");
}

TEST(PhoneServiceClient, ARefusedLinkReportsOnceAndLeavesNothingRunning) {
    unsigned short closedPort;
    {
        PhoneServicePeer gone(Answers());
        closedPort = gone.Port();
    }
    ReplyWindow window;
    CClient client;
    client.Start(window.Hwnd(), L"127.0.0.1", closedPort);
    ASSERT_TRUE(window.WaitFor(1));
    window.Settle(300);
    EXPECT_EQ(window.replies, std::vector<std::string>{CClient::kConnectFailText});
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(client.LinkLost());
    client.Stop();
    client.Stop();
    EXPECT_FALSE(client.LinkLost());
}

TEST(PhoneServiceClient, APhoneThatClosesTheLinkEndsTheReceiveWithoutAMessageAndTheLinkIsLost) {
    PhoneServicePeer peer(Answers());
    ReplyWindow window;
    CClient client;
    client.Start(window.Hwnd(), L"127.0.0.1", peer.Port());
    for (int i = 0; i < 200 && !client.IsConnected(); ++i) window.Settle(10);
    ASSERT_TRUE(client.IsConnected());
    EXPECT_FALSE(client.LinkLost());
    peer.CloseClients();
    for (int i = 0; i < 200 && !client.LinkLost(); ++i) window.Settle(10);
    EXPECT_TRUE(client.LinkLost());  // what the backup window asks about
    EXPECT_FALSE(client.IsConnected());
    EXPECT_TRUE(window.replies.empty());
    DWORD start = ::GetTickCount();
    client.Stop();
    EXPECT_LT(::GetTickCount() - start, 1000u);
}

TEST(PhoneServiceClient, ASecondLinkReplacesTheFirst) {
    PhoneServicePeer peer(Answers());
    ReplyWindow window;
    CClient client;
    client.Start(window.Hwnd(), L"127.0.0.1", peer.Port());
    for (int i = 0; i < 200 && !client.IsConnected(); ++i) window.Settle(10);
    client.Start(window.Hwnd(), L"127.0.0.1", peer.Port());
    ASSERT_TRUE(client.Send("queryData"));
    ASSERT_TRUE(window.WaitFor(1));
    window.Settle(300);
    EXPECT_EQ(peer.Connections(), 2);
    EXPECT_EQ(peer.Disconnections(), 1);  // the first link is gone
    EXPECT_EQ(window.replies.size(), 1u);  // one answer, from one link
    EXPECT_FALSE(client.LinkLost());       // stopped on purpose, not lost
}

TEST(PhoneServiceClient, StopReturnsWhileAReplyWaitsForTheStoppingThread) {
    PhoneServicePeer peer(Answers());
    ReplyWindow window;
    CClient client;
    client.Start(window.Hwnd(), L"127.0.0.1", peer.Port());
    for (int i = 0; i < 200 && !client.IsConnected(); ++i) window.Settle(10);
    ASSERT_TRUE(client.Send("queryData"));
    ASSERT_TRUE(peer.WaitForRequests(1));
    ::Sleep(300);  // the receive thread is now inside SendMessage to this thread
    DWORD start = ::GetTickCount();
    client.Stop();
    EXPECT_LT(::GetTickCount() - start, 2000u);
    EXPECT_LE(window.replies.size(), 1u);
}

// The client against the stand-in app over a phone folder: a backup of all
// three items arrives as three replies naming files that hold the phone's
// data; a restore of pushed copies is confirmed byte for byte.
TEST(PhoneServiceClient, BackupRepliesNameTheFilesAndARestoreOfTheirCopiesIsConfirmed) {
    for (bool legacy : {false, true}) {
        SCOPED_TRACE(legacy ? "legacy storage" : "storage/emulated/0");
        testsupport::ScratchDir phone;
        testpeers::PhoneData data = testpeers::MakePhoneData(40, 90, 25);
        PhoneServiceApp app(phone.Path(), data, legacy);
        PhoneServicePeer peer(app.Responder());
        ReplyWindow window;
        CClient client;
        client.Start(window.Hwnd(), L"127.0.0.1", peer.Port());
        client.Send("queryData");
        ASSERT_TRUE(window.WaitFor(1));
        EXPECT_EQ(window.replies[0], "contact(40)_msg(90)_calllog(25)");
        client.Send("backup_7");
        ASSERT_TRUE(window.WaitFor(4));
        const std::string stamp = app.LastStamp();
        const char* storage = legacy ? "legacy" : "0";
        for (int i = 0; i < 3; ++i) {
            int bit = 1 << i;
            std::string name = stamp + "." + testpeers::PhoneData::ExtensionOf(bit);
            EXPECT_EQ(window.replies[1 + i], "backup_" + std::to_string(bit) + "_/storage/emulated/0/doruvadedi/" + name);
            std::wstring onPhone = phone.Path() + L"storage\\emulated\\" + std::wstring(storage, storage + std::strlen(storage)) +
                                   L"\\doruvadedi\\" + std::wstring(name.begin(), name.end());
            EXPECT_EQ(testsupport::ReadFileBytes(onPhone), data.FileOf(bit));
        }
        client.Send("getDir");
        ASSERT_TRUE(window.WaitFor(5));
        EXPECT_EQ(window.replies[4], std::string("restoreDir_") + PhoneServiceApp::kRestoreFolder + "/");
        // Push copies: contacts intact, messages changed by one byte.
        std::wstring restoreFolder = phone.Path() + L"storage\\emulated\\" +
                                     std::wstring(storage, storage + std::strlen(storage)) + L"\\doruvadedi\\restore\\";
        std::wstring wideStamp(stamp.begin(), stamp.end());
        ASSERT_TRUE(testsupport::WriteFileBytes(restoreFolder + wideStamp + L".vcf", data.vcf));
        std::string changed = data.xml;
        changed[changed.size() / 2] ^= 1;
        ASSERT_TRUE(testsupport::WriteFileBytes(restoreFolder + wideStamp + L".xml", changed));
        client.Send("restore_3_" + stamp + "_" + stamp);
        ASSERT_TRUE(window.WaitFor(7));
        EXPECT_EQ(window.replies[5], "restore_1_/ok");
        EXPECT_EQ(window.replies[6], "restore_2_/differs");
        EXPECT_EQ(app.RestoreResults(), (std::vector<std::string>{"1:ok", "2:differs"}));
    }
}

}  // namespace

namespace {

TEST(PhoneCounts, EachNumberIsReadAfterItsOwnLabel) {
    const struct {
        const char* reply;
        bool found;
        int contacts, messages, calls;
    } cases[] = {
        {"contact(12)_msg(3)_calllog(40)", true, 12, 3, 40},
        {"calllog(40)_contact(12)_msg(3)", true, 12, 3, 40},
        {"contact(0)_msg(0)_calllog(0)", true, 0, 0, 0},
        {"contact(7)", true, 7, -1, -1},
        {"contact(x)_msg()_calllog(99999999999)", false, -1, -1, -1},
        {"restoreDir_/sdcard/", false, -1, -1, -1},
        {"contact(5", false, -1, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply);
        PhoneCounts counts;
        EXPECT_EQ(ParsePhoneCounts(c.reply, counts), c.found);
        EXPECT_EQ(counts.contacts, c.contacts);
        EXPECT_EQ(counts.messages, c.messages);
        EXPECT_EQ(counts.calls, c.calls);
    }
}

}  // namespace
