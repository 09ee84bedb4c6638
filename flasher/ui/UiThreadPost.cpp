#include "UiThreadPost.h"

namespace {

constexpr UINT kRunPosted = WM_APP + 1;
constexpr UINT kRunSent = WM_APP + 2;
const wchar_t kClassName[] = L"BrevlinUiThreadPost";

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace

std::shared_ptr<UiThreadPost> UiThreadPost::Create() {
    static const ATOM registered = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &UiThreadPost::WindowProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc);
    }();
    (void)registered;
    std::shared_ptr<UiThreadPost> post(new UiThreadPost);
    post->uiThread_ = GetCurrentThreadId();
    post->hwnd_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
    return post;
}

UiThreadPost::~UiThreadPost() { Close(); }

HWND UiThreadPost::Window() {
    std::lock_guard<std::mutex> hold(lock_);
    return hwnd_;
}

void UiThreadPost::Close() {
    HWND hwnd;
    {
        std::lock_guard<std::mutex> hold(lock_);
        hwnd = hwnd_;
        hwnd_ = nullptr;
    }
    if (!hwnd) return;
    // Jobs still queued would reach a page that is gone: free them unrun.
    MSG message;
    while (PeekMessageW(&message, hwnd, kRunPosted, kRunPosted, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
    DestroyWindow(hwnd);
}

bool UiThreadPost::Post(std::function<void()> job) {
    HWND hwnd = Window();
    if (!hwnd) return false;
    auto* heap = new std::function<void()>(std::move(job));
    if (PostMessageW(hwnd, kRunPosted, 0, reinterpret_cast<LPARAM>(heap))) return true;
    delete heap;
    return false;
}

bool UiThreadPost::Call(const std::function<void()>& job) {
    if (GetCurrentThreadId() == uiThread_) {
        job();
        return true;
    }
    HWND hwnd = Window();
    if (!hwnd) return false;
    return SendMessageW(hwnd, kRunSent, 0, reinterpret_cast<LPARAM>(&job)) == 1;
}

LRESULT CALLBACK UiThreadPost::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunPosted) {
        std::unique_ptr<std::function<void()>> job(reinterpret_cast<std::function<void()>*>(lParam));
        (*job)();
        return 1;
    }
    if (message == kRunSent) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
