#include "backup/Databackup.h"

#include "backup/BackupReply.h"
#include "controls/UIGifAnim.h"
#include "controls/UILabel.h"
#include "controls/UIList.h"
#include "controls/UIListContainerElement.h"
#include "controls/UIOption.h"
#include "controls/UIText.h"
#include "controls/UIVerticalLayout.h"
#include "device/DeviceBridge.h"
#include "log/FrameLog.h"
#include "log/Log.h"
#include "messages/AppMessages.h"
#include "settings/SettingsFile.h"
#include "util/ProcessUtil.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>

using namespace UiLib;

namespace {

constexpr DWORD kWindowStyle = 0x90CF0000;  // WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW
constexpr UINT_PTR kLinkTimer = 0xB0;
constexpr DWORD kGrey = 0xFFDBDBDB;
constexpr DWORD kDoneCountColor = 0xFF333333;
// How long a transfer thread waits for the phone's restore folder.
constexpr std::chrono::milliseconds kFolderWait{5000};

const wchar_t* const kItemOptions[] = {L"OpContactores", L"OpMessage", L"OpCalllRecord",
                                       L"OpApp", L"OpWifi", L"OpClock"};

}  // namespace

struct CDatabackup::Item {
    int bit;
    const wchar_t* option;
    const wchar_t* caption;
    const wchar_t* count;
    const wchar_t* status;
    const wchar_t* gif;
    DWORD color;
    const wchar_t* countFormat;
    const wchar_t* backupFailed;  // debug text
    const wchar_t* userName;      // what the user reads in a failure text
};

static const CDatabackup::Item kItems[] = {
    {1, L"OpContactores", L"HoLabelContactores", L"ContactorsNum", L"LabelContactoring", L"Contactorgif", 0xFF00A115,
     L"%d 个联系人", L"备份联系人失败", L"联系人"},
    {2, L"OpMessage", L"HoLabelMessage", L"MessageNum", L"LabelMessageing", L"Messagegif", 0xFFEF294D, L"%d 条短信",
     L"备份短信失败", L"短信"},
    {4, L"OpCalllRecord", L"HoLabelCallRecord", L"CalllRecordNum", L"LabelCalllRecording", L"CalllRecordgif",
     0xFFF04E0E, L"%d 条通话记录", L"备份通话记录失败", L"通话记录"},
};

static const CDatabackup::Item* ItemOfBit(int bit) {
    for (const auto& item : kItems)
        if (item.bit == bit) return &item;
    return nullptr;
}

struct CDatabackup::RestoreShared {
    std::mutex mutex;  // guards all three
    std::condition_variable changed;
    bool folderReceived = false;
    bool cancelled = false;
    std::string folder;  // the phone's restore folder

    void Cancel() {
        std::lock_guard<std::mutex> lock(mutex);
        cancelled = true;
        changed.notify_all();
    }
    void SetFolder(const std::string& received) {
        std::lock_guard<std::mutex> lock(mutex);
        folder = received;
        folderReceived = true;
        changed.notify_all();
    }
    // The folder once it arrived; false when it did not in time or the
    // window is going away.
    bool WaitForFolder(std::string& received) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, kFolderWait, [this] { return folderReceived || cancelled; });
        if (!folderReceived || cancelled) return false;
        received = folder;
        return true;
    }
};

CDatabackup::CDatabackup(HWND owner, int mode)
    : owner_(owner), mode_(mode), shared_(std::make_shared<RestoreShared>()) {
    LOG4CPLUS_WARN(FrameLogger(), LOG4CPLUS_TEXT("This is a <Warn> log message... CDatabackup "));
}

CDatabackup::~CDatabackup() {
    JoinTransfers();
    pulls_.reset();  // the copies end before the device library may go
    if (hemlar_) ::FreeLibrary(hemlar_);
}

CDatabackup* CDatabackup::Open(HWND owner, int mode, const PhoneCounts& counts, UINT linkCheckMs) {
    auto* window = new CDatabackup(owner, mode);
    window->counts_ = counts;
    window->linkCheckMs_ = linkCheckMs;
    if (!window->Create(owner, kTitle, kWindowStyle, 0, 0, 0, 0, 0)) {
        delete window;
        return nullptr;
    }
    window->CenterWindow();
    window->ShowWindow(true, true);
    return window;
}

void CDatabackup::JoinTransfers() {
    shared_->Cancel();
    for (std::thread& thread : transfers_)
        if (thread.joinable()) thread.join();
    transfers_.clear();
}

void CDatabackup::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

CControlUI* CDatabackup::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"GifAnim") == 0) return new CGifAnimUI;
    return nullptr;
}

CControlUI* CDatabackup::Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }

void CDatabackup::SetVisible(const wchar_t* name, bool visible) {
    if (CControlUI* control = Find(name)) control->SetVisible(visible);
}

void CDatabackup::SetText(const wchar_t* name, const wchar_t* text) {
    if (CControlUI* control = Find(name)) control->SetText(text);
}

std::wstring CDatabackup::PromptText() {
    CControlUI* prompt = Find(L"LabelChooseData");
    return prompt ? std::wstring(prompt->GetText().GetData()) : std::wstring();
}

LRESULT CDatabackup::SendToFrame(UINT message, const char* request) {
    HWND frame = ::FindWindowW(L"UIMainFrame", L"Kovi刷机");
    if (!frame) frame = owner_;
    return ::SendMessageW(frame, message, reinterpret_cast<WPARAM>(request), 0);
}

void CDatabackup::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") OnWindowInit();
    else if (msg.sType == L"click" && msg.pSender) OnClick(msg.pSender->GetName(), msg.wParam);
    WindowImplBase::Notify(msg);
}

void CDatabackup::OnWindowInit() {
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, ::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    for (const wchar_t* name : {L"HoLayHeader", L"HoLayIndex"}) SetVisible(name, true);
    for (const wchar_t* name : {L"HoLayBackupTitel", L"HoLayBackupBody", L"HoLayRestoreTitel", L"HoLayRestoreBody"})
        SetVisible(name, false);
    for (const wchar_t* name : kItemOptions)
        if (CControlUI* option = Find(name)) option->SetEnabled(false);
    if (counts_.contacts >= 0 && counts_.messages >= 0 && counts_.calls >= 0) {
        const int values[] = {counts_.contacts, counts_.messages, counts_.calls};
        for (int i = 0; i < 3; ++i) {
            wchar_t text[64];
            std::swprintf(text, 64, kItems[i].countFormat, values[i]);
            SetText(kItems[i].count, text);
            if (values[i] > 0)
                if (CControlUI* option = Find(kItems[i].option)) option->SetEnabled(true);
        }
    }
    if (mode_ == kModeBackup) {
        if (CControlUI* button = Find(L"BtnMainBk")) m_PaintManager.SendNotify(button, L"click", mode_, 0);
    } else if (mode_ == kModeRestore) {
        if (CControlUI* button = Find(L"BtnMainRes")) m_PaintManager.SendNotify(button, L"click", mode_, 0);
    }
    listFile_ = BackupListPath();
    if (!FileExists(listFile_)) CreateBackupList(listFile_);
    CShadowUI::Initialize(::GetModuleHandleW(nullptr));
    shadow_.Create(&m_PaintManager);
    shadow_.SetSize(4);
    shadow_.SetSharpness(5);
    shadow_.SetDarkness(150);
    shadow_.SetColor(0x666666);
    shadow_.SetPosition(0, 0);
}

void CDatabackup::OnClick(const CUiString& name, WPARAM) {
    if (name == L"BtnClose" || name == L"DataBackupClose" || name == L"BtnRestoreCancel" ||
        name == L"BtnDatabackupCancel") {
        if (::IsWindow(m_hWnd)) ::PostMessageW(m_hWnd, WM_CLOSE, 1, 0);
    } else if (name == L"BtnMin" || name == L"DataBackupMin") {
        ::SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"BtnMainBk") {
        ShowBackupPage();
    } else if (name == L"BtnMainRes") {
        ShowRestorePage();
    } else if (name == L"BtnResEdit") {
        SetEditMode(true);
    } else if (name == L"BtnResRet") {
        SetEditMode(false);
    } else if (name == L"OptionSelNone" || name == L"BtnResSelAll") {
        auto* all = static_cast<COptionUI*>(Find(L"OptionSelNone"));
        const bool check = name == L"BtnResSelAll" || !(all && all->IsSelected());
        if (auto* list = static_cast<CListUI*>(Find(L"Restore_list_point")))
            for (int i = 0; i < list->GetCount(); ++i)
                if (auto* box = static_cast<COptionUI*>(
                        m_PaintManager.FindSubControlByName(list->GetItemAt(i), L"RecDelCheckbox")))
                    box->SetSelected(check);
    } else if (name == L"BtnResDel") {
        if (auto* list = static_cast<CListUI*>(Find(L"Restore_list_point"))) {
            for (int i = 0; i < list->GetCount(); ++i) {
                CControlUI* item = list->GetItemAt(i);
                auto* box = static_cast<COptionUI*>(m_PaintManager.FindSubControlByName(item, L"RecDelCheckbox"));
                CControlUI* print = m_PaintManager.FindSubControlByName(item, L"print");
                if (box && print && box->IsSelected())
                    DeleteBackupRecords(listFile_, WideToAnsi(print->GetText().GetData()));
            }
        }
        LoadList();
    } else if (name == L"BtnDatabackupRun") {
        StartBackup();
    } else if (name == L"BtnRestoerRun") {
        StartRestore();
    } else {
        for (const Item& item : kItems) {
            if (name != item.option) continue;
            auto* option = static_cast<COptionUI*>(Find(item.option));
            if (CControlUI* caption = Find(item.caption))
                caption->SetBkColor(option && option->IsSelected() ? kGrey : item.color);
        }
    }
}

void CDatabackup::ShowBackupPage() {
    for (const wchar_t* name : {L"HoLayHeader", L"HoLayIndex", L"HoLayRestoreTitel", L"HoLayRestoreBody"})
        SetVisible(name, false);
    for (const wchar_t* name : {L"HoLayBackupTitel", L"HoLayBackupBody"}) SetVisible(name, true);
}

void CDatabackup::ShowRestorePage() {
    for (const wchar_t* name : {L"HoLayHeader", L"HoLayIndex", L"HoLayBackupTitel", L"HoLayBackupBody"})
        SetVisible(name, false);
    for (const wchar_t* name : {L"HoLayRestoreTitel", L"HoLayRestoreBody"}) SetVisible(name, true);
    listFile_ = BackupListPath();
    if (!FileExists(listFile_)) CreateBackupList(listFile_);
    else LoadList();
}

void CDatabackup::LoadList() {
    auto* list = static_cast<CListUI*>(Find(L"Restore_list_point"));
    if (list) list->RemoveAll();
    backups_.clear();
    OutputDebugStringA("RaedkRapidXml___parse");
    LoadBackupList(listFile_, backups_);
    for (size_t i = 0; i < backups_.size(); ++i) {
        const int mask = BackupFileMask(backups_[i]);
        if (mask != 0) AddListItem(backups_[i], static_cast<int>(i), mask);
    }
    OutputDebugStringA("RaedkRapidXml___While___End");
}

void CDatabackup::AddListItem(const BackupRecord& record, int index, int fileMask) {
    auto* list = static_cast<CListUI*>(Find(L"Restore_list_point"));
    if (!list) return;
    const std::wstring time = AnsiToWide({record.time, BoundedLength(record.time, sizeof record.time)});
    const std::wstring phone = AnsiToWide({record.phoneName, BoundedLength(record.phoneName, sizeof record.phoneName)});
    const bool editing = Find(L"OptionSelNone") && Find(L"OptionSelNone")->IsVisible();

    auto* element = new CListContainerElementUI;
    element->ApplyAttributeList(L"height=\"51\"");
    element->SetText(time.c_str());
    element->SetUserData(std::to_wstring(index).c_str());
    auto* body = new CVerticalLayoutUI;
    body->ApplyAttributeList(L"height=\"51\" bkimage=\"file='DataBackup\\restoritembk.png' dest='30,0,693,51'\"");
    element->Add(body);

    auto addLabel = [&](const wchar_t* attributes) {
        auto* label = new CLabelUI;
        label->ApplyAttributeList(attributes);
        body->Add(label);
    };
    auto* contacts = new CLabelUI;
    if (fileMask & 1)
        contacts->ApplyAttributeList(L"name=\"contactors\" float=\"true\" pos=\"105,15,0,0\" width=\"30\" height=\"30\" "
                                     L"bkimage=\"file='DataBackup\\labelcontactors.png'\"");
    body->Add(contacts);
    addLabel(L"name=\"message\" float=\"true\" pos=\"142,15,0,0\" width=\"30\" height=\"30\" "
             L"bkimage=\"file='DataBackup\\restoremessage.png'\"");
    addLabel(L"name=\"callrecord\" float=\"true\" pos=\"182,15,0,0\" width=\"30\" height=\"30\" "
             L"bkimage=\"file='DataBackup\\restorecallrecord.png'\"");
    addLabel(L"name=\"apps\" float=\"true\" pos=\"215,15,0,0\" width=\"30\" height=\"30\" "
             L"bkimage=\"file='DataBackup\\restoreapps.png'\"");
    addLabel(L"name=\"wifi\" float=\"true\" pos=\"250,15,0,0\" width=\"30\" height=\"30\" "
             L"bkimage=\"file='DataBackup\\restorewifi.png'\"");
    addLabel(L"name=\"clock\" float=\"true\" pos=\"290,15,0,0\" width=\"30\" height=\"30\" "
             L"bkimage=\"file='DataBackup\\restoreclock.png'\"");

    auto addText = [&](const wchar_t* attributes, const std::wstring& text) {
        auto* label = new CTextUI;
        label->ApplyAttributeList(attributes);
        label->SetText(text.c_str());
        body->Add(label);
    };
    addText(L"name=\"file\" align=\"right\" float=\"true\" pos=\"362,10,0,0\" width=\"250\" height=\"20\" "
            L"tooltip=\"手机机型..\" font=\"0\" textcolor=\"#ff999999\"",
            phone);
    addText(L"name=\"print\" float=\"true\" pos=\"484,30,0,0\" width=\"300\" height=\"20\" text=\"2014-12-25 14:00\" "
            L"tooltip=\"备份时间\"  font=\"0\" textcolor=\"#ff999999\"",
            time);
    addText(L"name=\"month\" float=\"true\" pos=\"50,28,0,0\" width=\"300\" height=\"20\" text=\"XX\" tooltip=\"月\"  "
            L"font=\"0\" textcolor=\"#ffdffffff\"",
            (time.size() >= 7 ? time.substr(5, 2) : std::wstring()) + L"月");
    addText(L"name=\"day\" float=\"true\" pos=\"35,6,0,0\" width=\"300\" height=\"20\" text=\"XX\" tooltip=\"日\"  "
            L"font=\"0\" textcolor=\"#ffffffff\"",
            time.size() >= 10 ? time.substr(8, 2) : std::wstring());

    auto* point = new COptionUI;
    point->SetName(L"RecOption");
    point->ApplyAttributeList(L"name=\"PointOption\" float=\"true\" pos=\"634,22,0,0\" width=\"16\" height=\"16\" "
                              L"group=\"restorepoint\" selectedimage=\"file='DataBackup\\restoercheck.png'\" "
                              L"bkimage=\"file='DataBackup\\restoreuncheck.png'\"");
    point->SetText(time.c_str());
    body->Add(point);
    auto* remove = new COptionUI;
    remove->ApplyAttributeList(editing ? L"name=\"RecDelCheckbox\" visible=\"true\"" : L"name=\"RecDelCheckbox\" visible=\"false\"");
    remove->ApplyAttributeList(L"float=\"true\" pos=\"0,15,0,0\" width=\"20\" height=\"20\" "
                               L"selectedimage=\"file='DataBackup\\delCheckbox.png'\" "
                               L"bkimage=\"file='DataBackup\\delCheckboxU.png'\"");
    body->Add(remove);

    const bool selectNew = list->GetCount() == 1;
    list->Add(element);
    if (selectNew) point->SetSelected(true);
}

void CDatabackup::SetEditMode(bool editing) {
    for (const wchar_t* name : {L"BtnResEdit", L"BtnRestoerRun", L"BtnRestoreCancel"}) SetVisible(name, !editing);
    for (const wchar_t* name : {L"OptionSelNone", L"BtnResDel", L"BtnResRet", L"BtnResSelAll"}) SetVisible(name, editing);
    auto* list = static_cast<CListUI*>(Find(L"Restore_list_point"));
    if (!list) return;
    for (int i = 0; i < list->GetCount(); ++i)
        if (CControlUI* box = m_PaintManager.FindSubControlByName(list->GetItemAt(i), L"RecDelCheckbox"))
            box->SetVisible(editing);
    RECT pos = list->GetPos();
    pos.left += editing ? 30 : -30;
    list->SetPos(pos);
}

// While a backup or restore runs, the link to the phone service is checked
// now and then; nothing else ends the wait but the user.
void CDatabackup::WatchLink() {
    if (busy_) ::SetTimer(m_hWnd, kLinkTimer, linkCheckMs_, nullptr);
    else ::KillTimer(m_hWnd, kLinkTimer);
}

void CDatabackup::CheckLink() {
    if (!busy_) {
        WatchLink();
        return;
    }
    if (SendToFrame(appmsg::kPhoneLinkState, nullptr) != appmsg::kPhoneLinkLost) return;
    CLog::AgentLog(L"CDatabackup_PhoneLinkLost");
    Fail(restoring_ ? L"与手机的连接已断开，还原未完成，请检查手机连接后重试"
                    : L"与手机的连接已断开，备份未完成，请检查手机连接后重试");
}

void CDatabackup::Fail(const wchar_t* text) {
    busy_ = false;
    WatchLink();
    for (const Item& item : kItems) SetVisible(item.gif, false);
    SetVisible(L"LabelChooseData", true);
    SetText(L"LabelChooseData", text);
    SetVisible(L"BtnDatabackupCancel", true);
}

void CDatabackup::StartBackup() {
    if (busy_) return;
    int mask = 0;
    for (const Item& item : kItems) {
        auto* option = static_cast<COptionUI*>(Find(item.option));
        if (option && option->IsEnabled() && option->IsSelected()) mask |= item.bit;
    }
    // Nothing chosen: nothing to ask the phone for.
    if (mask == 0) {
        SetText(L"LabelChooseData", L"请先选择要备份的数据");
        return;
    }
    busy_ = true;
    restoring_ = false;
    if (CControlUI* strip = Find(L"HoLayTileprocessbk")) strip->SetBkImage(L"DataBackup\\backprocess2.png");
    for (const wchar_t* name : kItemOptions) SetVisible(name, false);
    if (CControlUI* run = Find(L"BtnDatabackupRun")) run->SetEnabled(false);
    SetText(L"LabelChooseData", L"正在备份数据，请稍等...");
    for (const Item& item : kItems) {
        if (!(mask & item.bit)) continue;
        SetVisible(item.gif, true);
        SetVisible(item.status, true);
    }
    pendingBackup_ = mask;
    copying_ = 0;
    staleCopies_ = copiesRunning_;
    CLog::AgentLog(L"CDatabackup_Backup_Type: %d", mask);
    char request[16];
    std::snprintf(request, sizeof request, "backup_%d", mask);
    WatchLink();
    SendToFrame(appmsg::kSendPhoneRequest, request);
    // The copy threads start while the phone writes the files.
    if (!hemlar_) hemlar_ = ::LoadLibraryW(L"Hemlar.dll");
    pulls_->Prepare(m_hWnd, hemlar_);
}

void CDatabackup::MarkItemDone(const Item& item) {
    if (CControlUI* caption = Find(item.caption)) caption->SetBkColor(item.color);
    SetVisible(item.gif, false);
    if (CControlUI* status = Find(item.status)) {
        status->SetVisible(true);
        status->SetText(L"完成");
        RECT pos = status->GetPos();
        pos.left += 60;
        pos.right += 60;
        status->SetPos(pos);
    }
    if (auto* count = static_cast<CLabelUI*>(Find(item.count))) count->SetTextColor(kDoneCountColor);
}

void CDatabackup::ShowCompletion(const wchar_t* completeText) {
    if (CControlUI* container = Find(L"HorizontalLayoutContainer")) {
        RECT pos = container->GetPos();
        pos.bottom += 230;
        pos.top = 230;
        container->SetPos(pos);
    }
    SetVisible(L"LabelChooseData", false);
    SetVisible(L"OptionComplete", true);
    if (completeText) SetText(L"LabelComplete", completeText);
    SetVisible(L"LabelComplete", true);
}

void CDatabackup::OnBackupReply(const char* text, const char* phoneName) {
    if (!busy_ || restoring_) return;
    BackupReply reply;
    if (!ParseBackupReply(text ? text : "", reply)) return;
    const Item* item = ItemOfBit(reply.bit);
    // A reply for an item not (or no longer) awaited, or already being
    // copied, changes nothing.
    if (!item || !(pendingBackup_ & reply.bit) || (copying_ & reply.bit)) return;
    copying_ |= reply.bit;
    phoneName_ = phoneName ? phoneName : "";
    // The files are copied side by side; each ended copy is taken in the
    // order the phone named the files.
    if (!hemlar_) hemlar_ = ::LoadLibraryW(L"Hemlar.dll");
    pulls_->Start(m_hWnd, hemlar_, GetModuleFolderW(), reply);
    ++copiesRunning_;
}

void CDatabackup::OnBackupCopied() {
    for (const BackupPulls::Ended& copy : pulls_->TakeEnded()) {
        --copiesRunning_;
        // After a failure (or a lost link) the backup is over: its later
        // copies change nothing, in this backup or a later one.
        if (staleCopies_ > 0) {
            --staleCopies_;
            continue;
        }
        if (!busy_ || restoring_) continue;
        const Item* item = ItemOfBit(copy.reply.bit);
        if (!item) continue;
        copying_ &= ~item->bit;
        if (!copy.pulled) {
            OutputDebugStringW(item->backupFailed);
            Fail((std::wstring(item->userName) + L"未能复制到电脑，备份失败，请检查手机连接后重试").c_str());
            continue;
        }
        MarkItemDone(*item);
        pendingBackup_ &= ~item->bit;
        lastBackupFile_ = copy.localFile;
        if (pendingBackup_ == 0) ShowBackupDone();
    }
}

void CDatabackup::ShowBackupDone() {
    busy_ = false;
    WatchLink();
    ShowCompletion(nullptr);
    if (CControlUI* strip = Find(L"HoLayTileprocessbk")) strip->SetBkImage(L"DataBackup\\backprocess3.png");
    for (const wchar_t* name : {L"Appcationsgif", L"Wifigif", L"Clockgif", L"BtnDatabackupRun", L"BtnDatabackupCancel"})
        SetVisible(name, false);
    // The list gains the backup once all of its files are here; its time and
    // path come from the file name's last ".", so folders with dots work.
    const std::string path = WideToAnsi(lastBackupFile_);
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('\\');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return;
    const std::string base = path.substr(0, dot);
    const std::string stamp = slash == std::string::npos ? base : base.substr(slash + 1);
    OutputDebugStringA("InsertXmlItem_begin");
    if (!FileExists(listFile_)) CreateBackupList(listFile_);
    AppendBackupRecord(listFile_, MakeBackupRecord(stamp, phoneName_, base));
    OutputDebugStringA("InsertXmlItem_End");
}

void CDatabackup::StartRestore() {
    if (busy_) return;
    // The chosen backup: the first list item whose point is selected.
    chosen_ = -1;
    if (auto* list = static_cast<CListUI*>(Find(L"Restore_list_point"))) {
        for (int i = 0; i < list->GetCount() && chosen_ < 0; ++i) {
            CControlUI* item = list->GetItemAt(i);
            auto* point = static_cast<COptionUI*>(m_PaintManager.FindSubControlByName(item, L"PointOption"));
            if (point && point->IsSelected()) chosen_ = _wtoi(item->GetUserData().GetData());
        }
    }
    if (chosen_ < 0 || chosen_ >= static_cast<int>(backups_.size())) {
        SetText(L"LabelChooseData", L"请先选择要还原的备份");
        return;
    }
    const BackupRecord& record = backups_[chosen_];
    const std::wstring base = AnsiToWide({record.path, BoundedLength(record.path, sizeof record.path)});
    int mask = 0;
    for (const Item& item : kItems)
        if (FileExists(base + BackupExtension(item.bit))) mask |= item.bit;
    if (mask == 0) {
        SetText(L"LabelChooseData", L"这个备份的文件已不在电脑上");
        return;
    }
    JoinTransfers();
    shared_ = std::make_shared<RestoreShared>();
    pushesLeft_ = 0;
    busy_ = true;
    restoring_ = true;
    if (CControlUI* strip = Find(L"HoLayTileprocessbk")) strip->SetBkImage(L"DataBackup\\backprocess2.png");
    SetText(L"LabelChooseData", L"正在还原数据，请稍等...");
    WatchLink();
    SendToFrame(appmsg::kSendPhoneRequest2, "getDir");
    CLog::AgentLog(L"CDatabackup_Bggin_Restore");
    if (CControlUI* strip = Find(L"HoLayRestoreTileprocessbk")) strip->SetBkImage(L"DataBackup\\backprocess2.png");
    SetVisible(L"Restore_list_point", false);
    SetVisible(L"HoLayBackupBody", true);
    std::vector<std::pair<int, std::wstring>> counted;  // item bit, file
    for (const Item& item : kItems) {
        if (!(mask & item.bit)) continue;
        const std::wstring file = base + BackupExtension(item.bit);
        SetVisible(item.status, true);
        SetText(item.status, L"还原中...");
        SetVisible(item.gif, true);
        ++pushesLeft_;
        const std::wstring name = file.substr(file.find_last_of(L'\\') + 1);
        std::shared_ptr<RestoreShared> shared = shared_;
        HWND window = m_hWnd;
        const int bit = item.bit;
        counted.emplace_back(bit, file);
        transfers_.emplace_back([shared, window, file, name, bit] {
            bool pushed = false;
            std::string folder;
            if (shared->WaitForFolder(folder)) {
                HMODULE hemlar = ::LoadLibraryW(L"Hemlar.dll");
                pushed = PushRestoreFile(DeviceBridge(hemlar), file, folder, name);
                if (hemlar) ::FreeLibrary(hemlar);
            }
            ::PostMessageW(window, appmsg::kBackupPulled, static_cast<WPARAM>(bit), pushed ? 1 : 0);
        });
    }
    // The counts are read from the files beside the pushes: counted here, a
    // large file would hold the phone's "getDir" answer, and with it every
    // push, until all were counted.
    transfers_.emplace_back([window = m_hWnd, counted] {
        for (const auto& [bit, file] : counted)
            ::PostMessageW(window, appmsg::kBackupCounted, static_cast<WPARAM>(bit), CountBackupItems(file, bit));
    });
    pendingRestore_ = mask;
    for (const wchar_t* name : kItemOptions) SetVisible(name, false);
    SetVisible(L"BtnDatabackupRun", false);
    SetVisible(L"BtnDatabackupCancel", false);
}

void CDatabackup::ShowCount(int bit, int count) {
    const Item* item = ItemOfBit(bit);
    if (!item) return;
    wchar_t text[64];
    std::swprintf(text, 64, item->countFormat, count);
    SetText(item->count, text);
}

void CDatabackup::OnRestoreFolder(const char* text) {
    std::string folder;
    if (!text || !ParseRestoreDirReply(text, folder)) return;
    shared_->SetFolder(folder);
}

void CDatabackup::OnTransferEnded(int bit, bool pushed) {
    if (!restoring_ || pushesLeft_ <= 0) return;
    --pushesLeft_;
    if (!pushed) {
        // Not on the phone: that item cannot be restored.
        pendingRestore_ &= ~bit;
        if (const Item* item = ItemOfBit(bit)) {
            SetVisible(item->gif, false);
            SetText(item->status, L"失败");
        }
    }
    if (pushesLeft_ > 0 || !busy_) return;
    if (pendingRestore_ == 0) {
        Fail(L"备份文件未能复制到手机，还原失败，请检查手机连接后重试");
        return;
    }
    const std::string stamp(backups_[chosen_].time, BoundedLength(backups_[chosen_].time, sizeof backups_[chosen_].time));
    char request[128];
    std::snprintf(request, sizeof request, "restore_%d_%s_%s", pendingRestore_, stamp.c_str(), stamp.c_str());
    SendToFrame(appmsg::kSendPhoneRequest2, request);
}

void CDatabackup::OnRestoreReply(const char* text) {
    if (!busy_ || !restoring_ || pushesLeft_ > 0) return;
    const int bit = ParseRestoreReplyBit(text ? text : "");
    const Item* item = ItemOfBit(bit);
    if (!item || !(pendingRestore_ & bit)) return;
    MarkItemDone(*item);
    pendingRestore_ &= ~bit;
    if (pendingRestore_ != 0) return;
    busy_ = false;
    WatchLink();
    if (CControlUI* strip = Find(L"HoLayRestoreTileprocessbk")) strip->SetBkImage(L"DataBackup\\backprocess3.png");
    ShowCompletion(L"恭喜，还原成功！");
}

LRESULT CDatabackup::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
        case appmsg::kAndroidMsg: {
            const char* text = reinterpret_cast<const char*>(wParam);
            if (text && std::strstr(text, "restore")) OnRestoreReply(text);
            else OnBackupReply(text, reinterpret_cast<const char*>(lParam));
            break;
        }
        case appmsg::kAndroidMsgOther:
            OnRestoreFolder(reinterpret_cast<const char*>(wParam));
            break;
        case appmsg::kBackupPulled:
            OnTransferEnded(static_cast<int>(wParam), lParam != 0);
            break;
        case appmsg::kBackupFileCopied:
            OnBackupCopied();
            break;
        case appmsg::kBackupCounted:
            ShowCount(static_cast<int>(wParam), static_cast<int>(lParam));
            break;
        case WM_TIMER:
            if (wParam == kLinkTimer) {
                CheckLink();
                return 0;
            }
            break;
        case WM_DESTROY:
            ::KillTimer(m_hWnd, kLinkTimer);
            shared_->Cancel();
            break;
        default:
            break;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}
