// A stand-in for the outside web engine wke.dll, for running and testing the
// programs here. It fetches the page it is asked for over HTTP and draws it in
// a simple form: the address in a bar at the top, the page's title large, and
// the page's text below. A page that contains msgBox('first','second') calls
// the function bound under that name once it has loaded, as the real pages'
// scripts do. Each view also keeps a log of the input it was given, which
// tests read through wkeStandInEventLog.
#include <windows.h>
#include <wininet.h>

#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "web/WkeApi.h"
#include "win32/TextConvert.h"

#define STANDIN_EXPORT extern "C" __declspec(dllexport)

struct jsExecStateRecord {
    std::vector<std::string> utf8;
    std::vector<std::wstring> wide;
};

namespace {

struct BoundFunction {
    jsNativeFunction function;
    unsigned int argCount;
};
std::mutex g_bindingsLock;
std::map<std::string, BoundFunction> g_bindings;

struct FetchedPage {
    bool ok = false;
    std::wstring title;
    std::wstring text;
    std::vector<std::pair<std::string, std::string>> scriptCalls;  // msgBox arguments, UTF-8
};

std::string Fetch(const std::wstring& url, bool& ok) {
    std::string body;
    ok = false;
    HINTERNET session = InternetOpenW(L"wke", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (!session) return body;
    HINTERNET request = InternetOpenUrlW(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    if (request) {
        DWORD status = 0, size = sizeof status;
        HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
        ok = status == 200;
        char block[65536];
        for (DWORD got = 0; InternetReadFile(request, block, sizeof block, &got) && got > 0;) body.append(block, got);
        InternetCloseHandle(request);
    }
    InternetCloseHandle(session);
    return body;
}

std::wstring Collapse(std::wstring text) {
    std::wstring out;
    bool blank = true;
    for (wchar_t c : text) {
        const bool space = c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
        if (space && blank) continue;
        out += space ? L' ' : c;
        blank = space;
    }
    while (!out.empty() && out.back() == L' ') out.pop_back();
    return out;
}

FetchedPage Parse(const std::string& body, bool ok) {
    FetchedPage page;
    page.ok = ok;
    std::smatch match;
    if (std::regex_search(body, match, std::regex("<title>([^<]*)</title>", std::regex::icase)))
        page.title = Collapse(Utf8ToWide(match[1].str()));
    // Each argument is quoted with ' or " and may hold the other quote.
    const std::regex call(R"(msgBox\(\s*(['"])(.*?)\1\s*,\s*(['"])(.*?)\3\s*\))");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), call); it != std::sregex_iterator(); ++it)
        page.scriptCalls.emplace_back((*it)[2].str(), (*it)[4].str());
    // The visible text: the body without its scripts, styles, title and tags.
    std::string visible = std::regex_replace(body, std::regex("<(script|style|title)[^>]*>[\\s\\S]*?</\\1>", std::regex::icase), " ");
    visible = std::regex_replace(visible, std::regex("<br\\s*/?>|</p>|</div>|</li>|</h\\d>", std::regex::icase), "\n");
    visible = std::regex_replace(visible, std::regex("<[^>]*>"), " ");
    std::wstring text;
    std::wstring line;
    for (wchar_t c : Utf8ToWide(visible)) {
        if (c == L'\n') {
            line = Collapse(line);
            if (!line.empty()) text += line + L"\n";
            line.clear();
        } else {
            line += c;
        }
    }
    line = Collapse(line);
    if (!line.empty()) text += line;
    page.text = text;
    return page;
}

class StandInView final : public wke::IWebView {
public:
    StandInView() { memoryDc_ = CreateCompatibleDC(nullptr); }
    ~StandInView() {
        if (fetcher_.joinable()) fetcher_.join();
        if (bitmap_) DeleteObject(SelectObject(memoryDc_, oldBitmap_));
        DeleteDC(memoryDc_);
    }

    void WKE_CALL setBufHandler(_wkeBufHandler* handler) override { bufHandler_ = handler; }

    void WKE_CALL resize(int width, int height) override {
        if (width == width_ && height == height_) return;
        width_ = width > 0 ? width : 1;
        height_ = height > 0 ? height : 1;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP fresh = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap_) DeleteObject(SelectObject(memoryDc_, fresh));
        else oldBitmap_ = static_cast<HBITMAP>(SelectObject(memoryDc_, fresh));
        bitmap_ = fresh;
        dirty_ = true;
    }

    void WKE_CALL update() override {
        std::unique_ptr<FetchedPage> arrived;
        {
            std::lock_guard<std::mutex> hold(lock_);
            arrived = std::move(arrived_);
        }
        if (arrived) {
            if (fetcher_.joinable()) fetcher_.join();
            page_ = *arrived;
            loaded_ = true;
            dirty_ = true;
            if (client_ && client_->onTitleChanged) client_->onTitleChanged(client_, page_.title.c_str());
            if (client_ && client_->onURLChanged) client_->onURLChanged(client_, CurrentUrl().c_str());
        }
        if (dirty_ && bitmap_) {
            Render();
            dirty_ = false;
            if (bufHandler_) bufHandler_->OnBufUpdated(memoryDc_, 0, 0, width_, height_);
        }
        if (arrived) RunScriptCalls(arrived->scriptCalls);
    }

    HDC WKE_CALL getViewDC() override { return memoryDc_; }
    void WKE_CALL focus() override { Log(L"focus"); }
    void WKE_CALL unfocus() override { Log(L"unfocus"); }
    wkeRect WKE_CALL getCaret() override { return {20, 40, 2, 16}; }

    bool WKE_CALL mouseEvent(unsigned int message, int x, int y, unsigned int flags) override {
        if (message != WM_MOUSEMOVE) Log(L"mouse " + std::to_wstring(message) + L" " + Point(x, y) + L" " + std::to_wstring(flags));
        return true;
    }
    bool WKE_CALL contextMenuEvent(int x, int y, unsigned int flags) override {
        Log(L"contextmenu " + Point(x, y) + L" " + std::to_wstring(flags));
        return true;
    }
    bool WKE_CALL mouseWheel(int x, int y, int delta, unsigned int flags) override {
        Log(L"wheel " + Point(x, y) + L" " + std::to_wstring(delta) + L" " + std::to_wstring(flags));
        return true;
    }
    bool WKE_CALL keyDown(unsigned int code, unsigned int flags, bool) override { return Key(L"keydown", code, flags); }
    bool WKE_CALL keyUp(unsigned int code, unsigned int flags, bool) override { return Key(L"keyup", code, flags); }
    bool WKE_CALL keyPress(unsigned int code, unsigned int flags, bool) override { return Key(L"keypress", code, flags); }

    void WKE_CALL loadURL(const wchar_t* url) override {
        history_.resize(position_ + 1 > 0 ? position_ + 1 : 0);
        history_.push_back(url ? url : L"");
        position_ = static_cast<int>(history_.size()) - 1;
        StartFetch();
    }
    void WKE_CALL reload() override {
        if (position_ >= 0) StartFetch();
    }
    bool WKE_CALL canGoBack() override { return position_ > 0; }
    bool WKE_CALL goBack() override {
        if (!canGoBack()) return false;
        --position_;
        StartFetch();
        return true;
    }
    bool WKE_CALL canGoForward() override { return position_ + 1 < static_cast<int>(history_.size()); }
    bool WKE_CALL goForward() override {
        if (!canGoForward()) return false;
        ++position_;
        StartFetch();
        return true;
    }
    bool WKE_CALL isLoadComplete() override { return loaded_; }
    void WKE_CALL setClientHandler(const wkeClientHandler* handler) override { client_ = handler; }
    // HTML text is shown as if a page with that body had arrived.
    void WKE_CALL loadHTML(const wchar_t* html) override {
        if (fetcher_.joinable()) fetcher_.join();
        loaded_ = false;
        auto page = std::make_unique<FetchedPage>(Parse(WideToUtf8(html ? html : L""), true));
        std::lock_guard<std::mutex> hold(lock_);
        arrived_ = std::move(page);
    }
    // Knows one expression, "document.title"; any other script is its own value.
    jsValue WKE_CALL runJS(const wchar_t* script) override {
        const std::wstring text = script ? script : L"";
        const std::wstring value = text == L"document.title" ? page_.title : text;
        global_.wide = {value};
        global_.utf8 = {WideToUtf8(value)};
        Log(L"runjs " + text);
        return 0;
    }
    jsExecState WKE_CALL globalExec() override { return &global_; }

    const std::wstring& EventLog() const { return events_; }

private:
    static std::wstring Point(int x, int y) { return std::to_wstring(x) + L"," + std::to_wstring(y); }
    void Log(const std::wstring& line) { events_ += line + L"\n"; }
    bool Key(const wchar_t* kind, unsigned int code, unsigned int flags) {
        Log(std::wstring(kind) + L" " + std::to_wstring(code) + L" " + std::to_wstring(flags));
        return true;
    }
    std::wstring CurrentUrl() const { return position_ >= 0 ? history_[position_] : std::wstring(); }

    void StartFetch() {
        if (fetcher_.joinable()) fetcher_.join();
        loaded_ = false;
        page_ = FetchedPage();
        dirty_ = true;
        const std::wstring url = CurrentUrl();
        fetcher_ = std::thread([this, url] {
            bool ok = false;
            const std::string body = Fetch(url, ok);
            auto page = std::make_unique<FetchedPage>(Parse(body, ok));
            std::lock_guard<std::mutex> hold(lock_);
            arrived_ = std::move(page);
        });
    }

    void RunScriptCalls(const std::vector<std::pair<std::string, std::string>>& calls) {
        for (const auto& call : calls) {
            BoundFunction bound{};
            {
                std::lock_guard<std::mutex> hold(g_bindingsLock);
                auto it = g_bindings.find("msgBox");
                if (it == g_bindings.end()) continue;
                bound = it->second;
            }
            jsExecStateRecord state;
            state.utf8 = {call.first, call.second};
            state.wide = {Utf8ToWide(call.first), Utf8ToWide(call.second)};
            bound.function(&state);
        }
    }

    void Render() {
        RECT all = {0, 0, width_, height_};
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(memoryDc_, &all, white);
        DeleteObject(white);
        RECT bar = {0, 0, width_, 26};
        HBRUSH grey = CreateSolidBrush(RGB(236, 239, 243));
        FillRect(memoryDc_, &bar, grey);
        DeleteObject(grey);
        SetBkMode(memoryDc_, TRANSPARENT);
        HFONT small = CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Microsoft YaHei");
        HFONT large = CreateFontW(-22, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, L"Microsoft YaHei");
        HGDIOBJ old = SelectObject(memoryDc_, small);
        SetTextColor(memoryDc_, RGB(96, 104, 116));
        RECT urlRect = {10, 5, width_ - 10, 24};
        const std::wstring url = CurrentUrl();
        DrawTextW(memoryDc_, url.c_str(), -1, &urlRect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(memoryDc_, large);
        SetTextColor(memoryDc_, RGB(32, 40, 52));
        RECT titleRect = {16, 40, width_ - 16, 72};
        const std::wstring title = !loaded_ ? L"…" : !page_.ok ? L"无法打开此页面" : page_.title;
        DrawTextW(memoryDc_, title.c_str(), -1, &titleRect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        SelectObject(memoryDc_, small);
        SetTextColor(memoryDc_, RGB(70, 78, 90));
        RECT textRect = {16, 82, width_ - 16, height_ - 8};
        DrawTextW(memoryDc_, page_.text.c_str(), -1, &textRect, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(memoryDc_, old);
        DeleteObject(small);
        DeleteObject(large);
        GdiFlush();
    }

    HDC memoryDc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HBITMAP oldBitmap_ = nullptr;
    int width_ = 0, height_ = 0;
    bool dirty_ = false;
    bool loaded_ = false;
    _wkeBufHandler* bufHandler_ = nullptr;
    const wkeClientHandler* client_ = nullptr;
    std::vector<std::wstring> history_;
    int position_ = -1;
    FetchedPage page_;
    std::mutex lock_;
    std::unique_ptr<FetchedPage> arrived_;
    std::thread fetcher_;
    std::wstring events_;
    jsExecStateRecord global_;
};

}  // namespace

STANDIN_EXPORT void WKE_CALL wkeInit() {}
STANDIN_EXPORT void WKE_CALL wkeShutdown() {
    {
        std::lock_guard<std::mutex> hold(g_bindingsLock);
        g_bindings.clear();
    }
    // The variable TORVANIK_WKE_SHUTDOWN_MARK names a file the engine writes
    // when it is shut down, so tests can tell an orderly end of a program.
    wchar_t mark[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TORVANIK_WKE_SHUTDOWN_MARK", mark, MAX_PATH) > 0) {
        HANDLE file = CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, "wkeShutdown", 11, &written, nullptr);
            CloseHandle(file);
        }
    }
}
STANDIN_EXPORT wkeWebView WKE_CALL wkeCreateWebView() {
    // The variable TORVANIK_WKE_REFUSE makes the engine refuse views, as an
    // engine that cannot start does.
    if (GetEnvironmentVariableW(L"TORVANIK_WKE_REFUSE", nullptr, 0) > 0) return nullptr;
    return new StandInView();
}
STANDIN_EXPORT void WKE_CALL wkeDestroyWebView(wkeWebView view) { delete static_cast<StandInView*>(view); }
STANDIN_EXPORT void WKE_CALL jsBindFunction(const char* name, jsNativeFunction function, unsigned int argCount) {
    std::lock_guard<std::mutex> hold(g_bindingsLock);
    g_bindings[name] = {function, argCount};
}
STANDIN_EXPORT jsValue WKE_CALL jsArg(jsExecState, int index) { return index; }
STANDIN_EXPORT const char* WKE_CALL jsToString(jsExecState es, jsValue value) {
    return es && value >= 0 && value < static_cast<jsValue>(es->utf8.size()) ? es->utf8[value].c_str() : "";
}
STANDIN_EXPORT const wchar_t* WKE_CALL jsToStringW(jsExecState es, jsValue value) {
    return es && value >= 0 && value < static_cast<jsValue>(es->wide.size()) ? es->wide[value].c_str() : L"";
}
STANDIN_EXPORT jsValue WKE_CALL jsUndefined() { return -1; }
STANDIN_EXPORT const wchar_t* WKE_CALL wkeStandInEventLog(wkeWebView view) {
    return static_cast<StandInView*>(view)->EventLog().c_str();
}
