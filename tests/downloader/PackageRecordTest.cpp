// The package record as a wire format: its layout, what a receiver makes of
// short, long and unterminated blocks coming from another process, status
// texts, and the install request.
#include "record/PackageRecord.h"

#include "ChildProcess.h"
#include "TestPaths.h"
#include "win32/TextConvert.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(PackageRecordLayout, FieldsLieAtTheirWireOffsets) {
    struct Field {
        size_t offset, size, expectedOffset, expectedSize;
    };
    const Field fields[] = {
        {offsetof(PackageRecord, Id), sizeof(PackageRecord::Id), 0, 12},
        {offsetof(PackageRecord, Name), sizeof(PackageRecord::Name), 12, 260},
        {offsetof(PackageRecord, ObjectUrl), sizeof(PackageRecord::ObjectUrl), 272, 260},
        {offsetof(PackageRecord, PngUrl), sizeof(PackageRecord::PngUrl), 532, 260},
        {offsetof(PackageRecord, Size), sizeof(PackageRecord::Size), 792, 260},
        {offsetof(PackageRecord, Type), sizeof(PackageRecord::Type), 1052, 260},
        {offsetof(PackageRecord, Hash), sizeof(PackageRecord::Hash), 1312, 260},
        {offsetof(PackageRecord, PromptMsg), sizeof(PackageRecord::PromptMsg), 1572, 260},
        {offsetof(PackageRecord, Err), sizeof(PackageRecord::Err), 1832, 260},
    };
    for (const Field& f : fields) {
        EXPECT_EQ(f.expectedOffset, f.offset);
        EXPECT_EQ(f.expectedSize, f.size);
    }
    EXPECT_EQ(2092u, sizeof(PackageRecord));
}

TEST(PackageRecordStatus, ReceivedErrTextGivesTheStartingStatus) {
    const struct {
        const char* err;
        int status;
    } cases[] = {{"-1", -1}, {"0", -1}, {"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}, {"5", -1},
                 {"7", -1},  {"", -1},  {"abc", -1}, {"3x", -1}, {"99999999999999", -1}};
    for (const auto& c : cases) {
        PackageRecord record{};
        std::strcpy(record.Err, c.err);
        EXPECT_EQ(c.status, InitialTaskStatus(record)) << "Err \"" << c.err << "\"";
    }
}

TEST(PackageRecordInstall, RequestCarriesOnlyTypeMarkPathAndSize) {
    PackageRecord done;
    std::memset(&done, 'z', sizeof done);
    std::strcpy(done.Id, "12");
    std::strcpy(done.Type, "2");
    std::strcpy(done.ObjectUrl, "D:\\down\\game.apk");
    std::strcpy(done.Size, "12.50M");
    const PackageRecord request = MakeInstallRequest(done);
    EXPECT_TRUE(HasInstallMarker(request));
    EXPECT_STREQ("2", request.Type);
    EXPECT_STREQ("D:\\down\\game.apk", request.ObjectUrl);
    EXPECT_STREQ("12.50M", request.Size);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&request);
    for (size_t i = 0; i < sizeof request; ++i) {
        const bool inCopiedField =
            (i >= offsetof(PackageRecord, Type) && i < offsetof(PackageRecord, Type) + 2) ||
            (i >= offsetof(PackageRecord, ObjectUrl) && i < offsetof(PackageRecord, ObjectUrl) + 18) ||
            (i >= offsetof(PackageRecord, Size) && i < offsetof(PackageRecord, Size) + 7) || i == kPackageInstallMarkerOffset;
        if (!inCopiedField) {
            ASSERT_EQ(0, bytes[i]) << "byte " << i;
        }
    }
}

// A window in this process that takes copy-data blocks from another process.
class ReceiverWindow {
public:
    ReceiverWindow() {
        WNDCLASSW cls = {};
        cls.lpfnWndProc = Proc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"PackageRecordReceiverTest";
        RegisterClassW(&cls);
        window_ = CreateWindowW(cls.lpszClassName, L"Downloader", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                cls.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ReceiverWindow() { DestroyWindow(window_); }

    // Runs the sender program with the kinds of block to send and pumps
    // messages until it has ended; `records` then holds one entry a block.
    bool Receive(const std::wstring& kinds) {
        wchar_t handle[32];
        swprintf(handle, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window_)));
        std::wstring command = L"\"" + testsupport::ProgramFolder() + L"record_sender.exe\" " + handle + L" " + kinds;
        testsupport::ChildProcess sender(command, L"", DETACHED_PROCESS);
        if (!sender.Started()) return false;
        HANDLE process = sender.Handle();
        for (;;) {
            const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, 20000, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (woke != WAIT_OBJECT_0 + 1) break;
        }
        return sender.WaitForExit(0) == 0;
    }

    struct Received {
        WPARAM wParam;
        PackageRecord record;
        std::string folder;
    };
    std::vector<Received> records;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COPYDATA) {
            auto* self = reinterpret_cast<ReceiverWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            Received received{wParam, {}, {}};
            if (wParam == kDownloadDirMessage) {
                received.folder = ReceiveDownloadFolder(data);
            } else {
                ReceivePackageRecord(data, received.record);
            }
            self->records.push_back(received);
            return TRUE;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

template <size_t N>
void ExpectTerminated(const char (&field)[N], const char* name) {
    EXPECT_EQ('\0', field[N - 1]) << name;
}

TEST(PackageRecordCopyData, BlocksFromAnotherProcessArriveSafe) {
    ReceiverWindow window;
    ASSERT_TRUE(window.Receive(L"short full long folder"));
    ASSERT_EQ(4u, window.records.size());

    // A short block: what came is kept, the rest is zero.
    const PackageRecord& small = window.records[0].record;
    EXPECT_STREQ("77", small.Id);
    EXPECT_STREQ("short one", small.Name);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&small);
    for (size_t i = 100; i < sizeof small; ++i) ASSERT_EQ(0, bytes[i]) << "byte " << i;

    // Unterminated fields, exactly 2092 bytes and more: every field is cut
    // to end in a NUL, and Type cannot carry an install mark.
    for (size_t n : {1, 2}) {
        const PackageRecord& r = window.records[n].record;
        ExpectTerminated(r.Id, "Id");
        ExpectTerminated(r.Name, "Name");
        ExpectTerminated(r.ObjectUrl, "ObjectUrl");
        ExpectTerminated(r.PngUrl, "PngUrl");
        ExpectTerminated(r.Size, "Size");
        ExpectTerminated(r.Type, "Type");
        ExpectTerminated(r.Hash, "Hash");
        ExpectTerminated(r.PromptMsg, "PromptMsg");
        EXPECT_EQ(std::string(11, 'A'), r.Id);
        EXPECT_EQ(std::string(259, 'A'), r.Name);
        EXPECT_STREQ("0000", r.Type) << "cut before the mark's byte";
        EXPECT_FALSE(HasInstallMarker(r)) << "a web request's Type never turns into an install request";
        EXPECT_STREQ("3", r.Err);
    }

    // A download folder longer than the ANSI buffer is cut at 259 bytes.
    EXPECT_EQ(kDownloadDirMessage, window.records[3].wParam);
    ASSERT_EQ(259u, window.records[3].folder.size());
    EXPECT_EQ(0u, window.records[3].folder.rfind(WideToAnsi(L"D:\\下载\\"), 0));
}

}  // namespace
