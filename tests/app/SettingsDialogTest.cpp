// The settings dialog in a real window: opening it makes the default folders
// and keys, saving creates a typed folder one level deep and tells the
// downloader, over-long and unreachable folders are refused whole, the
// folder browser fills the edits without saving, and closing saves nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "TestPaths.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "core/manager/UIManager.h"
#include "dialogs/DlgSettingPath.h"
#include "settings/SettingsFile.h"
#include "win32/FileUtil.h"

using namespace UiLib;

namespace {

// The dialog with its controls in reach of the test.
class TestDialog : public CDlgSettingPath {
public:
    using CDlgSettingPath::CDlgSettingPath;
    CPaintManagerUI& Manager() { return m_PaintManager; }
    CControlUI* Control(const wchar_t* name) { return m_PaintManager.FindControl(name); }
    std::wstring Text(const wchar_t* name) { return Control(name)->GetText().GetData(); }
};

std::wstring Key(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"", value, 1024, file.c_str());
    return value;
}

// Keeps the browser's title line when a child window shows it.
BOOL CALLBACK FindTitle(HWND child, LPARAM found) {
    wchar_t text[64] = {};
    GetWindowTextW(child, text, 64);
    if (wcscmp(text, L"备份到") == 0) *reinterpret_cast<std::wstring*>(found) = text;
    return TRUE;
}

// The folder browser the dialog opened: a dialog-class window of the
// dialog's own thread that the dialog owns. Looked for only among that
// thread's windows: a search of the whole desktop by class finds the first
// dialog of any program (other tests run beside this one) and may never
// reach the browser.
struct BrowserSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchBrowser(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<BrowserSearch*>(param);
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (wcscmp(cls, L"#32770") != 0 || GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindOwnedBrowser(HWND owner) {
    BrowserSearch search = {owner, nullptr};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), &MatchBrowser, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of the item selected in the folder browser's tree, or empty.
std::wstring SelectedFolderName(HWND browser) {
    HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
    if (!tree) return L"";
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return L"";
    wchar_t text[MAX_PATH] = {};
    TVITEMW tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return text;
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourcePath((apptest::InstallationFolder() + L"skin").c_str());
        CPaintManagerUI::SetResourceZip(L"Torvanik.zip", false);
        WindowImplBase::SetSkinFailureHandler([](WindowImplBase*) {});
        program_ = scratch_.Path();
        program_.pop_back();
        settingsFile_ = program_ + L"\\data\\BrushConfig.dat";
    }
    void TearDown() override {
        if (dialog_ && IsWindow(dialog_->GetHWND())) DestroyWindow(dialog_->GetHWND());
        CoUninitialize();
    }

    // Opens the dialog (not modally, so the test can reach into it) and
    // waits for "windowinit" to fill the edits.
    TestDialog& Open() {
        dialog_ = std::make_unique<TestDialog>(program_);
        dialog_->Create(nullptr, L"SettingPath", 0x90CF0000, 0, 0, 0, 0, 0);
        dialog_->CenterWindow();
        EXPECT_TRUE(uiharness::PumpUntil([this] {
            CControlUI* edit = dialog_->Control(L"DownLoadDirEdit");
            return edit && !edit->GetText().IsEmpty() && !dialog_->Manager().IsUpdateNeeded();
        }));
        return *dialog_;
    }

    void Click(const wchar_t* button) {
        CControlUI* control = dialog_->Control(button);
        ASSERT_NE(nullptr, control) << button;
        const RECT& rc = control->GetPos();
        const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SendMessageW(dialog_->GetHWND(), WM_MOUSEMOVE, 0, at);
        SendMessageW(dialog_->GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(dialog_->GetHWND(), WM_LBUTTONUP, 0, at);
    }

    bool Closed() {
        return uiharness::PumpUntil([this] { return !IsWindow(dialog_->GetHWND()); });
    }

    testsupport::ScratchDir scratch_;
    std::wstring program_;
    std::wstring settingsFile_;
    std::unique_ptr<TestDialog> dialog_;
};

}  // namespace

TEST_F(SettingsDialog, OpeningMakesTheDefaultFoldersAndKeysAndShowsThem) {
    const std::wstring root = SettingsFile::DefaultRoot();
    TestDialog& dialog = Open();
    EXPECT_EQ(root + L"\\DownLoad", dialog.Text(L"DownLoadDirEdit"));
    EXPECT_EQ(root + L"\\Backup", dialog.Text(L"BackupDirEdit"));
    EXPECT_TRUE(FolderExists(root + L"\\DownLoad"));
    EXPECT_TRUE(FolderExists(root + L"\\Backup"));
    EXPECT_EQ(root + L"\\DownLoad", Key(settingsFile_, L"DownLoadDir", L"DownLoadPath"));
    EXPECT_EQ(root + L"\\Backup", Key(settingsFile_, L"BackupDir", L"BackupPath"));
    EXPECT_EQ(0, GetWindowLongPtrW(dialog.GetHWND(), GWL_STYLE) & WS_MAXIMIZEBOX);
    RECT rc;
    GetWindowRect(dialog.GetHWND(), &rc);
    EXPECT_EQ(460, rc.right - rc.left);
    EXPECT_EQ(250, rc.bottom - rc.top);
    // For looking at: bin\screenshots\settings-dialog.png.
    const uiharness::Snapshot shot = uiharness::CaptureWindow(dialog.GetHWND());
    apptest::SaveScreenshot(L"settings-dialog.png", shot.width, shot.height, shot.pixels);
    EXPECT_EQ(0x1E6FD9u, shot.At(10, 10));  // the blue title bar
}

TEST_F(SettingsDialog, SavingStoresEachFolderThatExistsOrCanBeMadeAndRefusesTheRest) {
    std::wstring longFolder = scratch_.File(L"long-");
    while (longFolder.size() <= kMaxSettingsPath) longFolder += L"x";
    std::wstring wideFolder = scratch_.File(L"wide-");  // longer than the old 100-character block
    while (wideFolder.size() < 150) wideFolder += L"y";
    struct Case {
        const char* what;
        std::wstring download, backup;
        bool downloadSaved, backupSaved;
    } cases[] = {
        {"one new level each", scratch_.File(L"pkgs"), scratch_.File(L"bak"), true, true},
        {"two missing levels", scratch_.File(L"a\\b"), scratch_.File(L"bak2"), false, true},
        {"over-long folder", longFolder, scratch_.File(L"bak3"), false, true},
        {"long but fitting folder", wideFolder, scratch_.File(L"c\\d"), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(settingsFile_.c_str());
        TestDialog& dialog = Open();
        const std::wstring defaultDownload = dialog.Text(L"DownLoadDirEdit");
        const std::wstring defaultBackup = dialog.Text(L"BackupDirEdit");
        apptest::DownloaderWindow downloader;
        dialog.Control(L"DownLoadDirEdit")->SetText(c.download.c_str());
        dialog.Control(L"BackupDirEdit")->SetText(c.backup.c_str());
        Click(L"BtnSvaeConfig");
        ASSERT_TRUE(Closed());

        EXPECT_EQ(c.downloadSaved ? c.download : defaultDownload, Key(settingsFile_, L"DownLoadDir", L"DownLoadPath"));
        EXPECT_EQ(c.backupSaved ? c.backup : defaultBackup, Key(settingsFile_, L"BackupDir", L"BackupPath"));
        EXPECT_EQ(c.downloadSaved, FolderExists(c.download));
        EXPECT_EQ(c.backupSaved, FolderExists(c.backup));
        // Nothing is ever made under a cut name.
        if (c.download.size() > 99) {
            EXPECT_FALSE(FolderExists(c.download.substr(0, 99)));
        }
        if (c.downloadSaved) {
            ASSERT_EQ(1u, downloader.Copies().size());
            const auto& copy = downloader.Copies()[0];
            EXPECT_EQ(2u, copy.wParam);
            EXPECT_EQ(std::max<size_t>(200, (c.download.size() + 1) * 2), copy.bytes.size());
            const auto* text = reinterpret_cast<const wchar_t*>(copy.bytes.data());
            EXPECT_EQ(c.download, std::wstring(text));
        } else {
            EXPECT_TRUE(downloader.Copies().empty());
        }
    }
}

TEST_F(SettingsDialog, TheCloseButtonSavesNothing) {
    TestDialog& dialog = Open();
    const std::wstring stored = Key(settingsFile_, L"DownLoadDir", L"DownLoadPath");
    dialog.Control(L"DownLoadDirEdit")->SetText(scratch_.File(L"unsaved").c_str());
    Click(L"BtnClose");
    ASSERT_TRUE(Closed());
    EXPECT_EQ(stored, Key(settingsFile_, L"DownLoadDir", L"DownLoadPath"));
    EXPECT_FALSE(FolderExists(scratch_.File(L"unsaved")));
}

TEST_F(SettingsDialog, TheFolderBrowserFillsItsEditAndSavesNothingYet) {
    const std::wstring chosen = scratch_.File(L"chosen");
    ASSERT_TRUE(CreateDirectoryW(chosen.c_str(), nullptr));
    TestDialog& dialog = Open();
    const std::wstring stored = Key(settingsFile_, L"BackupDir", L"BackupPath");
    struct Case {
        const char* what;
        UINT answer;
        std::wstring expected;
    } cases[] = {{"cancelled", IDCANCEL, dialog.Text(L"BackupDirEdit")}, {"chosen", IDOK, chosen}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The shell's browser runs modally inside the click: another thread
        // picks the folder in it and answers.
        std::atomic<bool> answered{false};
        std::wstring title;
        std::thread driver([&] {
            HWND browser = nullptr;
            for (int i = 0; i < 500 && !browser; ++i, Sleep(20)) browser = FindOwnedBrowser(dialog.GetHWND());
            if (!browser) return;
            Sleep(1000);
            EnumChildWindows(browser, &FindTitle, reinterpret_cast<LPARAM>(&title));
            // The browser fills its tree as it goes: the choice is made
            // again until the tree shows it selected.
            for (int i = 0; i < 40 && SelectedFolderName(browser) != L"chosen"; ++i, Sleep(250))
                SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(chosen.c_str()));
            PostMessageW(browser, WM_COMMAND, c.answer, 0);
            answered = true;
        });
        Click(L"BtnBackupDir");
        driver.join();
        ASSERT_TRUE(answered);
        EXPECT_EQ(L"备份到", title);
        EXPECT_EQ(c.expected, dialog.Text(L"BackupDirEdit"));
        EXPECT_EQ(stored, Key(settingsFile_, L"BackupDir", L"BackupPath"));
    }
}
