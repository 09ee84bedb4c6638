// The page's worker threads: the ROM check, the flash and app installs. Each
// gets its own copy of its request, and reaches the page only through the
// UI thread.
#include <windows.h>
#include <commdlg.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "BrevlinsUI.h"
#include "BrushProgressUI.h"
#include "FlashSteps.h"
#include "NotifyRecord.h"
#include "PluginDialogs.h"
#include "PluginState.h"
#include "PreFlash.h"
#include "UiThreadPost.h"
#include "controls/UITabLayout.h"
#include "core/manager/UIManager.h"
#include "record/PackageRecord.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

// Balloons point a little above and left of the spot they are about.
constexpr int kTipLeft = 30;
constexpr int kTipUp = 52;

class RomCheckBridge final : public IRomCheckPage {
public:
    RomCheckBridge(std::shared_ptr<UiThreadPost> post, CBrevlinsUI* page, POINT tipAt, bool fromDownloader)
        : post_(std::move(post)), page_(page), tipAt_(tipAt), fromDownloader_(fromDownloader) {}

    void ShowChosenRom(const std::wstring& romPath) override {
        post_->Call([&] { page_->ShowChosenRom(romPath); });
    }
    void TipRomDamaged() override {
        post_->Call([&] {
            plugindialogs::Balloon(DialogWindow(), tipAt_.x - kTipLeft, tipAt_.y - kTipUp, L"ROM包已损坏");
        });
    }
    void BringUpRomPage() override {
        post_->Call([&] {
            if (fromDownloader_) {
                if (HWND downloader = plugindialogs::DownloaderWindow()) ShowWindow(downloader, SW_HIDE);
            }
            if (HWND main = plugindialogs::MainWindow()) ShowWindow(main, SW_SHOW);
            CPaintManagerUI* host = page_->GetManager();
            CControlUI* tabs = host ? host->FindControl(L"TabSwitch") : nullptr;
            if (tabs) static_cast<CTabLayoutUI*>(tabs->GetInterface(L"TabLayout"))->SelectItem(1);
        });
    }
    void SayRomMismatch() override {
        post_->Call([&] {
            plugindialogs::InfoBox(DialogWindow(), L"ROM包与机型不匹配，无法刷机，请选择其他机型推荐ROM包！");
        });
    }
    bool ConfirmUncertainMatch() override {
        bool yes = false;
        post_->Call([&] { yes = plugindialogs::ConfirmUncertainRomMatch(DialogWindow()); });
        return yes;
    }
    void SayBridgeMissing() override {
        post_->Call([&] { plugindialogs::InfoBox(DialogWindow(), flashsteps::StepText(flashsteps::kBridgeMissing)); });
    }
    void AcceptRom() override {
        post_->Call([&] {
            page_->SelectStep(kPageBackup);
            if (!fromDownloader_) return;
            // A downloaded ROM goes straight on to flashing.
            TNotifyUI click = MakeNotify(L"click", page_->FindSubControl(L"FlashDecided"));
            if (click.pSender) page_->Notify(click);
        });
    }

private:
    HWND DialogWindow() const {
        return fromDownloader_ ? plugindialogs::DownloaderWindow() : plugindialogs::MainWindow();
    }

    std::shared_ptr<UiThreadPost> post_;
    CBrevlinsUI* page_;  // used only inside jobs that run on the UI thread
    POINT tipAt_;
    bool fromDownloader_;
};

class FlashBridge final : public IFlashPage {
public:
    FlashBridge(std::shared_ptr<UiThreadPost> post, CBrevlinsUI* page, std::shared_ptr<ProgressMirror> mirror)
        : post_(std::move(post)), page_(page), mirror_(std::move(mirror)) {}

    void StepRaised(int previous, int current, bool pushBegun) override {
        post_->Post([page = page_, previous, current, pushBegun] {
            if (CBrushProgressUI* bar = page->Progress()) bar->ShowStep(previous, current, pushBegun);
        });
    }
    void PushPercentage(const std::string& text) override {
        post_->Post([page = page_, text] { page->ShowPushPercentage(text); });
    }
    int ProgressValue() override { return mirror_->value; }
    int ProgressMaximum() override { return mirror_->maximum; }
    void ProgressStepToward(int target) override {
        post_->Post([page = page_, target] {
            if (CBrushProgressUI* bar = page->Progress()) bar->StepToward(target);
        });
    }
    void SetCreepPeriod(UINT milliseconds) override {
        post_->Post([page = page_, milliseconds] {
            if (CBrushProgressUI* bar = page->Progress()) bar->SetCreepPeriod(milliseconds);
        });
    }
    bool BackupFinished() override {
        bool finished = false;
        post_->Call([&] { finished = page_->BackupFinished(); });
        return finished;
    }
    void PauseCreep() override {
        post_->Post([page = page_] {
            if (CBrushProgressUI* bar = page->Progress()) bar->StopCreep();
        });
    }
    bool ConfirmUnfinishedBackup() override {
        bool yes = false;
        post_->Call([&] { yes = plugindialogs::ConfirmUnfinishedBackup(plugindialogs::MainWindow()); });
        return yes;
    }
    void ReturnToBackupPage() override {
        post_->Post([page = page_] { page->SelectStep(kPageBackup); });
    }
    void ShowCloudCheck() override {
        post_->Post([page = page_] { page->ShowCloudCheck(); });
    }

private:
    std::shared_ptr<UiThreadPost> post_;
    CBrevlinsUI* page_;  // used only inside jobs that run on the UI thread
    std::shared_ptr<ProgressMirror> mirror_;
};

std::string FieldText(const char* field, size_t capacity) { return std::string(field, BoundedLength(field, capacity)); }

}  // namespace

void CBrevlinsUI::StartRomCheck(const std::wstring& romPath, POINT tipAt, bool fromDownloader) {
    const PluginState& state = PluginState::Get();
    RomCheckJob job{state.exeFolder, romPath, state.phoneTypeId, state.hemlar};
    std::thread([job, post = post_, page = this, tipAt, fromDownloader] {
        RomCheckBridge bridge(post, page, tipAt, fromDownloader);
        RunRomCheck(job, bridge);
    }).detach();
}

void CBrevlinsUI::StartFlash() {
    PluginState& state = PluginState::Get();
    if (!progress_ || state.flashing->exchange(true)) return;  // one flash at a time
    FlashJob job;
    job.brush.exeFolder = state.exeFolder;
    job.brush.romPath = AnsiToWide(romPath_);
    job.brush.recoveryUrl = state.recoveryUrl;
    job.brush.hemlar = state.hemlar;
    std::thread([job, post = post_, page = this, mirror = progress_->Mirror(), flashing = state.flashing] {
        FlashBridge bridge(post, page, mirror);
        RunFlash(job, bridge);
        *flashing = false;
    }).detach();
}

void CBrevlinsUI::StartInstall(const std::string& apkPath, POINT tipAt) {
    PluginState& state = PluginState::Get();
    if (state.installing->exchange(true)) {
        plugindialogs::Balloon(plugindialogs::DownloaderWindow(), tipAt.x - kTipLeft, tipAt.y - kTipUp,
                               L"正在安装其他APP ... ");
        return;
    }
    std::thread([apkPath, hemlar = state.hemlar, installing = state.installing, post = post_, tipAt] {
        const bool installed = hemlar && hemlar->installAndroidApp && hemlar->installAndroidApp(apkPath.c_str()) != 0;
        *installing = false;
        post->Post([installed, tipAt] {
            plugindialogs::Balloon(plugindialogs::DownloaderWindow(), tipAt.x - kTipLeft, tipAt.y - kTipUp,
                                   installed ? L"应用安装成功" : L"应用安装失败");
        });
    }).detach();
}

void CBrevlinsUI::OnDownloaderRecord(TNotifyUI& msg) {
    const auto* record = reinterpret_cast<const PackageRecord*>(msg.wParam);
    if (!record || record->Type[4] != kPackageInstallMarker) return;
    const std::string path = FieldText(record->ObjectUrl, 260).substr(0, 259);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    auto tip = [&](const wchar_t* text) {
        plugindialogs::Balloon(plugindialogs::DownloaderWindow(), cursor.x - kTipLeft, cursor.y - kTipUp, text);
    };
    if (!PluginState::Get().connected) {
        tip(L"请先连接手机 ... ");
        return;
    }
    const int type = std::atoi(FieldText(record->Type, 4).c_str());
    if (type == 1 || type == 2) {
        StartInstall(path, cursor);
    } else if (type == 0) {
        if (CurrentPage() == kPageFlashing) tip(L"当前正在刷机 ... ");
        else StartRomCheck(AnsiToWide(path), cursor, true);
    }
}

void CBrevlinsUI::OnSelectLocalRom() {
    CControlUI* button = FindSubControl(L"SelectLocalRoms");
    if (button) button->SetEnabled(false);
    std::vector<wchar_t> file(260, L'\0');
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = plugindialogs::MainWindow();
    dialog.lpstrFilter = L"Rom Files (*.zip;*.rar)\0*.zip;*.rar\0All Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&dialog)) {
        CPaintManagerUI::SetResourcePath((PluginState::Get().exeFolder + L"skin\\BrevlinsUI").c_str());
        POINT tipAt = {0, 0};
        if (CControlUI* path = FindSubControl(L"LocalRomsPath")) {
            const RECT& rc = path->GetPos();
            tipAt = {rc.right, (rc.top + rc.bottom) / 2};
            if (HWND main = plugindialogs::MainWindow()) ClientToScreen(main, &tipAt);
        }
        StartRomCheck(file.data(), tipAt, false);
    }
    if (button) button->SetEnabled(true);
}
