#include "BrevlinsUI.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "BackupFindSplash.h"
#include "BrushProgressUI.h"
#include "FlashSteps.h"
#include "PluginDialogs.h"
#include "PluginLog.h"
#include "PluginState.h"
#include "RecoveryPackage.h"
#include "ScriptRunner.h"
#include "UiThreadPost.h"
#include "controls/UILabel.h"
#include "controls/UIOption.h"
#include "controls/UITabLayout.h"
#include "core/manager/UIManager.h"
#include "web/WebHosts.h"
#include "web/WkeWebkitUI.h"
#include "win32/FileUtil.h"
#include "win32/ProcessKill.h"
#include "win32/TextConvert.h"

using namespace UiLib;

namespace {

struct BackupItem {
    const wchar_t* name;
    int bit;
    const wchar_t* caption;  // what the page calls the item
};
const BackupItem kBackupItems[] = {
    {L"BackupItemContacts", 1, L"联系人"}, {L"BackupItemSmses", 2, L"短信"},  {L"BackupItemCallhistorys", 4, L"通话记录"},
    {L"BackupItemApps", 8, L"应用"},       {L"BackupItemWifis", 16, L"WiFi"}, {L"BackupItemAlarmclocks", 32, L"闹钟"},
};
// An item's user data: done once its copy is on the PC, failed when the copy
// did not arrive, empty while it is awaited.
const wchar_t kItemDone[] = L"1";
const wchar_t kItemFailed[] = L"0";

bool IsType(const TNotifyUI& msg, const wchar_t* type) { return _wcsicmp(msg.sType, type) == 0; }

bool SenderIs(const TNotifyUI& msg, const wchar_t* name) {
    return msg.pSender && msg.pSender->GetName() == name;
}

CTabLayoutUI* AsTab(CControlUI* control) {
    return control ? static_cast<CTabLayoutUI*>(control->GetInterface(L"TabLayout")) : nullptr;
}

COptionUI* AsOption(CControlUI* control) {
    return control ? static_cast<COptionUI*>(control->GetInterface(L"Option")) : nullptr;
}

// The skin's fonts are added after the host's own: its font indexes count
// from there.
void RebaseFonts(CControlUI* control, int base) {
    if (auto* label = static_cast<CLabelUI*>(control->GetInterface(L"Label"))) {
        if (label->GetFont() >= 0) label->SetFont(base + label->GetFont());
    }
    if (auto* container = static_cast<CContainerUI*>(control->GetInterface(L"Container"))) {
        for (int i = 0; i < container->GetCount(); ++i) RebaseFonts(container->GetItemAt(i), base);
    }
}

void SetSkinResourcePath() {
    CPaintManagerUI::SetResourcePath((PluginState::Get().exeFolder + L"skin\\BrevlinsUI").c_str());
}

}  // namespace

LRESULT SendToMainWindow(UINT message, WPARAM wParam) {
    HWND main = plugindialogs::MainWindow();
    return main ? SendMessageW(main, message, wParam, 0) : 0;
}

CBrevlinsUI::CBrevlinsUI(CPaintManagerUI* host) : host_(host) {
    PluginState& state = PluginState::Get();
    post_ = UiThreadPost::Create();
    SetSkinResourcePath();
    const int fontBase = host_ ? host_->GetFontCount() : 0;
    CDialogBuilder builder;
    if (CControlUI* root = builder.Create(L"Brevlin.xml", nullptr, this, host)) {
        RebaseFonts(root, fontBase);
        Add(root);
    }
    if (host_) host_->AddNotifier(this);
    if (!state.hemlar) state.hemlar = HemlarEntries::Load(state.exeFolder);
    romPath_.clear();
    debug_ = FileExists(state.exeFolder + L"debug-selecttab");
    if (debug_) romPath_ = "C:\\abc.zip";
}

CBrevlinsUI::~CBrevlinsUI() {
    post_->Close();  // queued worker reports are dropped: the page is going
    if (host_) {
        host_->RemoveNotifier(this);
        if (progress_) host_->RemoveNotifier(progress_);
    }
}

LPVOID CBrevlinsUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"BrevlinsUI") == 0) return this;
    return CContainerUI::GetInterface(name);
}

CControlUI* CBrevlinsUI::CreateControl(const wchar_t* className) {
    if (wcscmp(className, L"SmoothProgress") == 0) return new CBrushProgressUI;
    if (wcscmp(className, L"WkeWebkit") == 0) return new CWkeWebkitUI;
    return nullptr;
}

CControlUI* CBrevlinsUI::Find(const wchar_t* name) const {
    return const_cast<CBrevlinsUI*>(this)->FindSubControl(name);
}

void CBrevlinsUI::SetTextOf(const wchar_t* name, const std::wstring& text) {
    if (CControlUI* control = Find(name)) control->SetText(text.c_str());
}

void CBrevlinsUI::SetAnimation(const std::wstring& file) {
    if (CControlUI* gif = Find(L"FlashingGif")) gif->SetBkImage(file.c_str());
}

int CBrevlinsUI::CurrentPage() const {
    CTabLayoutUI* contents = AsTab(Find(L"StepContentsTab"));
    return contents ? contents->GetCurSel() : -1;
}

void CBrevlinsUI::SelectStep(int page) {
    CTabLayoutUI* index = AsTab(Find(L"StepIndexTab"));
    CTabLayoutUI* contents = AsTab(Find(L"StepContentsTab"));
    if (index) index->SelectItem(std::min(std::max(page, 0), 2));
    if (contents) contents->SelectItem(page);
    if (!index) return;
    if (CurrentPage() == kPageResult) {
        index->SetVisible(false);
        return;
    }
    if (FileExists(PluginState::Get().exeFolder + L"debug-msgbox")) {
        plugindialogs::InfoBox(plugindialogs::MainWindow(), L"错误甲乙丙丁！");
        plugindialogs::ConfirmUnfinishedBackup(plugindialogs::MainWindow());
    }
    index->SetVisible(true);
}

int CBrevlinsUI::BackupMask() const {
    int mask = 0;
    for (const BackupItem& item : kBackupItems) {
        COptionUI* box = AsOption(Find(item.name));
        if (box && box->IsSelected()) mask |= item.bit;
    }
    return mask;
}

int CBrevlinsUI::BackupCount(int mask) {
    int count = 0;
    for (const BackupItem& item : kBackupItems)
        if (mask & item.bit) ++count;
    return count;
}

int CBrevlinsUI::BackupItemsMarked(const wchar_t* mark) const {
    int marked = 0;
    for (const BackupItem& item : kBackupItems) {
        COptionUI* box = AsOption(Find(item.name));
        if (box && box->IsSelected() && box->GetUserData() == mark) ++marked;
    }
    return marked;
}

int CBrevlinsUI::BackupDoneCount() const { return BackupItemsMarked(kItemDone); }

int CBrevlinsUI::BackupFailedCount() const { return BackupItemsMarked(kItemFailed); }

bool CBrevlinsUI::BackupFinished() const { return BackupDoneCount() == BackupCount(BackupMask()); }

void CBrevlinsUI::SetItemCounts(int contacts, int messages, int calls, int apps, int wifis, int alarms) {
    const int counts[] = {contacts, messages, calls, apps, wifis, alarms};
    for (size_t i = 0; i < 6; ++i) {
        COptionUI* box = AsOption(Find(kBackupItems[i].name));
        if (!box) continue;
        wchar_t text[16];
        swprintf(text, 16, L"%d", counts[i]);
        box->SetText(text);
        box->SetMouseEnabled(counts[i] != 0);
        box->SetSelected(counts[i] > 0);
    }
}

void CBrevlinsUI::ShowDebugArrows() {
    if (!debug_) return;
    if (CControlUI* back = Find(L"Backward")) back->SetVisible(true);
    if (CControlUI* forward = Find(L"Forward")) forward->SetVisible(true);
}

void CBrevlinsUI::Notify(TNotifyUI& msg) {
    if (IsType(msg, L"windowinit")) OnWindowInit();
    else if (IsType(msg, L"tabselect") && SenderIs(msg, L"StepContentsTab")) OnTabSelect(static_cast<int>(msg.wParam));
    else if (IsType(msg, L"click")) OnClick(msg);
    else if (IsType(msg, L"romflash_connect")) OnConnect(msg);
    else if (IsType(msg, L"romflash_Disconnect")) OnDisconnect();
    else if (IsType(msg, L"romflash_update_downloader")) OnDownloaderRecord(msg);
    else if (IsType(msg, L"romflash_update_runcmd")) RefreshFlashingTexts();
    else if (IsType(msg, L"romflash_runcmd_done") || IsType(msg, L"romflash_runcmd_error")) SelectStep(kPageResult);
    else if (IsType(msg, L"romflash_phonedata_status")) OnPhoneDataStatus(msg);
    else if (IsType(msg, L"romflash_backup_recevie")) OnBackupReceived(msg);
}

void CBrevlinsUI::OnWindowInit() {
    SelectStep(kPageWaitPhone);
    CControlUI* slider = Find(L"FlashingProgressSlider");
    progress_ = slider ? static_cast<CBrushProgressUI*>(slider->GetInterface(L"BrushProgress")) : nullptr;
    if (progress_) {
        if (host_) host_->AddNotifier(progress_);
        progress_->SetOwner(this);
    }
    ShowDebugArrows();
}

void CBrevlinsUI::OnTabSelect(int page) {
    const std::wstring& folder = PluginState::Get().exeFolder;
    scriptrunner::RunBatch(folder + L"BrushClear.cmd", L"", nullptr);
    KillProcessesByImageName(L"Kovi_adb.exe", 0);
    CControlUI* back = Find(L"Backward");
    switch (page) {
        case kPageChooseRom:
            if (back) back->SetVisible(false);
            if (CControlUI* preview = Find(L"WkeRomPreview")) {
                if (auto* web = static_cast<CWkeWebkitUI*>(preview->GetInterface(L"WbkWebkit"))) {
                    wchar_t path[64];
                    swprintf(path, 64, L"/svexe/recommend/typeId/%d", PluginState::Get().phoneTypeId);
                    web->Navigate(Utf8ToWide(PageHost().BaseUrl()) + path);
                }
            }
            break;
        case kPageBackup: {
            const std::wstring rom = AnsiToWide(romPath_);
            if (!FileExists(recoverypackage::LocalPackageFor(rom))) {
                SendToMainWindow(WM_ROMFLASH_PREPARE_HELPER, 0);
                ShowBackupFindSplash(plugindialogs::MainWindow());
            }
            const std::wstring name = rom.substr(rom.find_last_of(L'\\') + 1);
            if (CControlUI* title = Find(L"TitleSelectedRom")) {
                title->SetText(name.c_str());
                title->SetToolTip(name.c_str());
            }
            if (back) back->SetVisible(true);
            break;
        }
        case kPageFlashing:
            if (back) back->SetVisible(false);
            break;
        case kPageResult:
            if (progress_) {
                SetTextOf(L"DonePageInfo", progress_->ResultText());
                const bool succeeded = !flashsteps::IsFailure(progress_->CurrentStep());
                if (CControlUI* icon = Find(L"DonePageIcon"))
                    icon->SetBkImage(succeeded ? L"result_icon.png" : L"result_error.png");
            }
            break;
        default:
            break;
    }
    ShowDebugArrows();
}

void CBrevlinsUI::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const CUiString name = msg.pSender->GetName();
    CTabLayoutUI* contents = AsTab(Find(L"StepContentsTab"));
    if (name == L"Backward") {
        SelectStep(std::max(CurrentPage() - 1, 0));
    } else if (name == L"Forward") {
        const int last = contents ? contents->GetCount() - 1 : 0;
        SelectStep(std::min(CurrentPage() + 1, last));
    } else if (name == L"Connect") {
        SendToMainWindow(WM_ROMFLASH_CONNECT, 0);
    } else if (name == L"Return") {
        if (CTabLayoutUI* mainTabs = AsTab(host_ ? host_->FindControl(L"TabSwitch") : nullptr)) mainTabs->SelectItem(0);
        SelectStep(PluginState::Get().connected ? kPageChooseRom : kPageWaitPhone);
    } else if (name == L"SelectLocalRoms") {
        OnSelectLocalRom();
    } else if (name == L"FlashDecided") {
        OnFlashDecided();
    } else if (name == L"RestoreUsersData") {
        SendToMainWindow(WM_ROMFLASH_RESTORE, 0);
    } else if (name == L"RecommendGames") {
        SendToMainWindow(WM_ROMFLASH_GAMES, 0);
    } else if (name == L"RecommendApps") {
        SendToMainWindow(WM_ROMFLASH_APPS, 0);
    }
}

void CBrevlinsUI::OnConnect(TNotifyUI& msg) {
    PluginState& state = PluginState::Get();
    state.connected = true;
    if (msg.wParam) {
        const char* url = reinterpret_cast<const char*>(msg.wParam);
        const size_t length = BoundedLength(url, 260);
        if (length < 6) return;
        state.recoveryUrl.assign(url, std::min<size_t>(length, 259));
    }
    if (msg.lParam) {
        int typeId = 0, sid = 0;
        if (std::sscanf(reinterpret_cast<const char*>(msg.lParam), "%d,%d", &typeId, &sid) >= 1) {
            state.phoneTypeId = typeId;
            state.sid = sid;
        }
    }
    if (CurrentPage() == kPageWaitPhone) SelectStep(kPageChooseRom);
}

void CBrevlinsUI::OnDisconnect() {
    PluginState::Get().connected = false;
    const int page = CurrentPage();
    if (page != kPageFlashing && page != kPageResult) SelectStep(kPageWaitPhone);
}

void CBrevlinsUI::OnPhoneDataStatus(TNotifyUI& msg) {
    if (!msg.wParam) return;
    int contacts = 0, messages = 0, calls = 0;
    std::sscanf(reinterpret_cast<const char*>(msg.wParam), "contact(%d)_msg(%d)_calllog(%d)", &contacts, &messages,
                &calls);
    SetItemCounts(contacts, messages, calls, 0, 0, 0);
}

// The main program reports each backup item once its copy is on this PC
// (lParam 1) or has failed (lParam 0). A failed item is not done: the page
// says so and the flash thread's check finds the backup unfinished and asks
// the user before flashing without that data.
void CBrevlinsUI::OnBackupReceived(TNotifyUI& msg) {
    const BackupItem* item = nullptr;
    for (const BackupItem& candidate : kBackupItems)
        if (candidate.bit <= 4 && static_cast<WPARAM>(candidate.bit) == msg.wParam) item = &candidate;
    if (!item) return;
    const bool copied = msg.lParam != 0;
    SetTextOf(L"FlashingsText-OkSomething", std::wstring(item->caption) + (copied ? L"备份完成" : L"备份失败"));
    if (CControlUI* box = Find(item->name)) box->SetUserData(copied ? kItemDone : kItemFailed);
    if (!copied) PluginLog(WideToUtf8(item->caption) + " backup failed");
    wchar_t progress[64];
    const int failed = BackupFailedCount();
    if (failed > 0)
        swprintf(progress, 64, L"备份 (%d/%d)，%d 项失败", BackupDoneCount(), BackupCount(BackupMask()), failed);
    else
        swprintf(progress, 64, L"备份 (%d/%d)", BackupDoneCount(), BackupCount(BackupMask()));
    SetTextOf(L"FlashingsText-CheckingSomething", progress);
}

void CBrevlinsUI::RefreshFlashingTexts() {
    if (!progress_) return;
    const int current = progress_->CurrentStep();
    SetTextOf(L"FlashingsText-OkSomething", flashsteps::StepText(progress_->PreviousStep()));
    SetTextOf(L"FlashingProgressTitle", flashsteps::Title(current));
    SetTextOf(L"FlashingsText-CheckingSomething", flashsteps::StepText(current));
    if (!(current == 5 && !progress_->PushBegun())) SetAnimation(flashsteps::Animation(current));
}

void CBrevlinsUI::ShowPushPercentage(const std::string& text) {
    float percent = 0;
    if (std::sscanf(text.c_str(), "%f", &percent) != 1) return;
    percent = std::min(std::max(percent, 0.0f), 100.0f);  // the text is the tool's, the label is ours
    wchar_t line[32];
    swprintf(line, 32, L"刷机：推送ROM包到刷机环境 %3.2f%%", percent);
    SetTextOf(L"FlashingsText-CheckingSomething", line);
}

void CBrevlinsUI::ShowCloudCheck() {
    if (progress_) progress_->StartCreep();
    SetTextOf(L"FlashingsText-OkSomething", L"");
    SetTextOf(L"FlashingsText-CheckingSomething", L"云端检测：刷机方案");
    SetAnimation(L"images/FlashingGif.gif");
}

void CBrevlinsUI::ShowChosenRom(const std::wstring& romPath) {
    if (CControlUI* path = Find(L"LocalRomsPath")) {
        path->SetText(romPath.c_str());
        path->SetToolTip(romPath.c_str());
    }
    romPath_ = WideToAnsi(romPath);
}

void CBrevlinsUI::OnFlashDecided() {
    CControlUI* button = Find(L"FlashDecided");
    if (button) button->SetEnabled(false);
    SelectStep(kPageFlashing);
    if (progress_) progress_->ResetForRun();
    RefreshFlashingTexts();
    const int mask = BackupMask();
    // Each flash backs up anew: what an earlier backup copied counts for nothing.
    for (const BackupItem& item : kBackupItems)
        if (CControlUI* box = Find(item.name)) box->SetUserData(L"");
    if (mask != 0) {
        SetAnimation(L"./images/备份配图.gif");
        SetTextOf(L"FlashingProgressTitle", L"正在备份");
        wchar_t text[32];
        swprintf(text, 32, L"备份 (0/%d)", BackupCount(mask));
        SetTextOf(L"FlashingsText-CheckingSomething", text);
        SendToMainWindow(WM_ROMFLASH_BACKUP, static_cast<WPARAM>(mask));
    }
    StartFlash();
    if (button) button->SetEnabled(true);
}
