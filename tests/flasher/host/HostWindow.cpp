#include "HostWindow.h"

#include "controls/UITabLayout.h"
#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"
#include "plugin/BrevlinExport.h"

using namespace UiLib;

namespace {

const wchar_t kMainClass[] = L"UIMainFrame";
const wchar_t kMainTitle[] = L"Kovi刷机";

}  // namespace

MainFrameRecorder::MainFrameRecorder() {
    static const bool registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &MainFrameRecorder::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kMainClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    hwnd_ = CreateWindowExW(0, kMainClass, kMainTitle, WS_POPUP, 0, 0, 820, 600, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MainFrameRecorder::~MainFrameRecorder() { DestroyWindow(hwnd_); }

LRESULT CALLBACK MainFrameRecorder::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainFrameRecorder*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message >= WM_USER + 501 && message <= WM_USER + 506) {
        {
            std::lock_guard<std::mutex> hold(self->lock_);
            self->messages_.push_back({message, wParam});
        }
        if (self->onMessage) self->onMessage(message, wParam);
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::vector<RecordedMessage> MainFrameRecorder::Messages() {
    std::lock_guard<std::mutex> hold(lock_);
    return messages_;
}

int MainFrameRecorder::Count(UINT message) {
    int count = 0;
    for (const RecordedMessage& m : Messages())
        if (m.message == message) ++count;
    return count;
}

void MainFrameRecorder::Clear() {
    std::lock_guard<std::mutex> hold(lock_);
    messages_.clear();
}

DialogCloser::DialogCloser(UINT answer) : answer_(answer) { thread_ = std::thread([this] { Watch(); }); }

DialogCloser::~DialogCloser() {
    stop_ = true;
    thread_.join();
}

// A top-level window of this process with that class, or null: other test
// programs on the same display have dialogs of their own.
struct WindowSearch {
    const wchar_t* name;
    HWND found;
};

static BOOL CALLBACK MatchOwnWindow(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (process != GetCurrentProcessId() || wcscmp(name, search->name) != 0) return TRUE;
    search->found = hwnd;
    return FALSE;
}

static HWND OwnWindow(const wchar_t* className) {
    WindowSearch search = {className, nullptr};
    EnumWindows(&MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void DialogCloser::Watch() {
    static const wchar_t* const kClasses[] = {L"CBasicDialog", L"CMsgBox", L"CBallonTip", L"BackupFindSplash"};
    while (!stop_) {
        for (const wchar_t* name : kClasses) {
            HWND dialog = OwnWindow(name);
            if (!dialog || !IsWindowVisible(dialog)) continue;
            {
                std::lock_guard<std::mutex> hold(lock_);
                seen_.push_back(name);
            }
            // The splash closes itself; the others get the user's answer.
            if (wcscmp(name, L"BackupFindSplash") != 0) PostMessageW(dialog, WM_CLOSE, answer_, 0);
            for (int i = 0; i < 300 && IsWindow(dialog) && !stop_; ++i) Sleep(20);
        }
        Sleep(20);
    }
}

std::vector<std::wstring> DialogCloser::Seen() {
    std::lock_guard<std::mutex> hold(lock_);
    return seen_;
}

int DialogCloser::Count(const wchar_t* className) {
    int count = 0;
    for (const std::wstring& name : Seen())
        if (name == className) ++count;
    return count;
}

BrevlinHost::BrevlinHost() : window_(800, 470) {
    plugin_ = LoadLibraryW(L"Brevlin.dll");
    auto create = plugin_ ? reinterpret_cast<NewBrevlinsUIFn>(
                                reinterpret_cast<void*>(GetProcAddress(plugin_, "new_CBrevlinsUI")))
                          : nullptr;
    if (!create) return;
    auto* tabs = new CTabLayoutUI;
    tabs->SetName(L"TabSwitch");
    tabs->Add(new CControlUI);
    page_ = create(&window_.Manager());
    tabs->Add(page_);
    tabs->SelectItem(1);
    window_.Show(tabs);
    window_.Settle();
}

BrevlinHost::~BrevlinHost() {
    // The window's tree (and the page in it) goes with the harness window.
}

CControlUI* BrevlinHost::Find(const wchar_t* name) { return Manager().FindControl(name); }

void BrevlinHost::Send(const wchar_t* type, WPARAM wParam, LPARAM lParam) {
    Manager().SendNotify(page_, type, wParam, lParam);
}

void BrevlinHost::Click(const wchar_t* name) {
    if (CControlUI* control = Find(name)) Manager().SendNotify(control, L"click");
}

int BrevlinHost::CurrentPage() {
    CControlUI* tab = Find(L"StepContentsTab");
    return tab ? static_cast<CTabLayoutUI*>(tab->GetInterface(L"TabLayout"))->GetCurSel() : -1;
}

std::wstring BrevlinHost::TextOf(const wchar_t* name) {
    CControlUI* control = Find(name);
    return control ? std::wstring(control->GetText().GetData()) : std::wstring(L"<missing>");
}

bool BrevlinHost::WaitForPage(int page, DWORD timeoutMs) {
    return uiharness::PumpUntil([&] { return CurrentPage() == page; }, timeoutMs);
}
