// Flash and web browser hosting against the COM stand-in module: the event
// sinks connected at creation, events turned into handler calls with their
// arguments checked, the browser's home page, the document's UI handler and
// its script-error answer, key messages routed by keyboard focus, and
// teardown with the sinks disconnected and every object gone.
#include "StandInClient.h"
#include "UiHarness.h"
#include "controls/UIFlash.h"
#include "controls/UIWebBrowser.h"
#include "core/window/UIDlgBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace UiLib;
using namespace uiharness;

namespace {

const DISPID kFSCommand = 150, kFlashCall = 197, kOnProgress = 1958, kReadyStateChange = -609;
const DISPID kCommandStateChange = 105, kBeforeNavigate2 = 250, kNavigateComplete2 = 252, kNavigateError = 271,
             kNewWindow3 = 273;

struct FlashRecorder : IFlashEventsUI {
    HRESULT STDMETHODCALLTYPE Release() override {
        ++releases;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddRef() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnReadyStateChange(long state) override {
        calls.push_back(L"ready " + std::to_wstring(state));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnProgress(long percent) override {
        calls.push_back(L"progress " + std::to_wstring(percent));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FSCommand(const wchar_t* command, const wchar_t* args) override {
        calls.push_back(std::wstring(L"fscommand ") + command + L" " + args);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FlashCall(const wchar_t* request) override {
        calls.push_back(std::wstring(L"flashcall ") + request);
        return S_OK;
    }
    std::vector<std::wstring> calls;
    int releases = 0;
};

// Builds the variants of one event; the entries go in reverse, as a caller
// of Invoke lays them out.
class Args {
public:
    Args() = default;
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;
    // Only the texts are owned; the pointers belong to the caller.
    ~Args() {
        for (VARIANT& v : values_)
            if (v.vt == VT_BSTR) ::VariantClear(&v);
    }
    Args& Text(const wchar_t* text) { return Push(VT_BSTR, [text](VARIANT& v) { v.bstrVal = ::SysAllocString(text); }); }
    Args& Long(long value) { return Push(VT_I4, [value](VARIANT& v) { v.lVal = value; }); }
    Args& LongRef(long* value) { return Push(VT_I4 | VT_BYREF, [value](VARIANT& v) { v.plVal = value; }); }
    Args& Bool(bool value) {
        return Push(VT_BOOL, [value](VARIANT& v) { v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; });
    }
    Args& BoolRef(VARIANT_BOOL* value) { return Push(VT_BOOL | VT_BYREF, [value](VARIANT& v) { v.pboolVal = value; }); }
    Args& VariantRef(VARIANT* value) { return Push(VT_VARIANT | VT_BYREF, [value](VARIANT& v) { v.pvarVal = value; }); }
    Args& Dispatch(IDispatch* value) { return Push(VT_DISPATCH, [value](VARIANT& v) { v.pdispVal = value; }); }
    Args& DispatchRef(IDispatch** value) {
        return Push(VT_DISPATCH | VT_BYREF, [value](VARIANT& v) { v.ppdispVal = value; });
    }
    DISPPARAMS* Params() {
        reversed_.assign(values_.rbegin(), values_.rend());
        params_.rgvarg = reversed_.empty() ? nullptr : reversed_.data();
        params_.cArgs = static_cast<UINT>(reversed_.size());
        return &params_;
    }

private:
    template <class Fill>
    Args& Push(VARTYPE type, Fill fill) {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = type;
        fill(v);
        values_.push_back(v);
        return *this;
    }

    std::vector<VARIANT> values_;
    std::vector<VARIANT> reversed_;
    DISPPARAMS params_ = {nullptr, nullptr, 0, 0};
};

// One event fired at the connected sink: what it answers and the one
// handler call it makes (null: none).
struct EventCase {
    const char* name;
    DISPID id;
    std::function<void(Args&)> build;
    HRESULT result;
    const wchar_t* call;
};

void RunEventCases(StandInClient& standIn, const std::vector<EventCase>& cases, std::vector<std::wstring>& calls) {
    for (const EventCase& c : cases) {
        SCOPED_TRACE(c.name);
        calls.clear();
        Args args;
        c.build(args);
        EXPECT_EQ(standIn.Fire(c.id, args.Params()), c.result);
        if (c.call) {
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(calls[0], c.call);
        } else {
            EXPECT_TRUE(calls.empty());
        }
    }
}

struct HostWindow {
    explicit HostWindow(const std::wstring& element) {
        window.reset(new HarnessWindow(200, 150));
        CDialogBuilder builder;
        const std::wstring skin = L"<Window><Container>" + element + L"</Container></Window>";
        CControlUI* root = builder.Create(STRINGorID(skin.c_str()), nullptr, nullptr, &window->Manager());
        if (root) shown = window->Show(root);
        control = window->Manager().FindControl(L"hosted");
    }
    void Close() { window.reset(); }

    std::unique_ptr<HarnessWindow> window;
    CControlUI* control = nullptr;
    bool shown = false;
};

const wchar_t kFlashElement[] =
    L"<Flash name=\"hosted\" float=\"true\" pos=\"10,10,110,70\" modulename=\"ComControlsStandIn.dll\" "
    L"homepage=\"ignored\"/>";

class FlashTest : public ComTest {};

TEST_F(FlashTest, EventsReachTheHandlerWithTheirArgumentsChecked) {
    StandInClient standIn;
    HostWindow host(kFlashElement);
    ASSERT_TRUE(host.shown);
    auto* flash = static_cast<CFlashUI*>(host.control->GetInterface(L"Flash"));
    ASSERT_NE(flash, nullptr);
    EXPECT_TRUE(standIn.Logged(L"flash events Advise"));
    ASSERT_NE(flash->GetFlashInterface(), nullptr);
    FlashRecorder recorder;
    flash->SetFlashEventHandler(&recorder);

    long progress = 75;
    const std::vector<EventCase> cases = {
        {"FSCommand in its natural order", kFSCommand, [](Args& a) { a.Text(L"quit").Text(L"now"); }, S_OK,
         L"fscommand quit now"},
        {"FSCommand with one argument", kFSCommand, [](Args& a) { a.Text(L"quit"); }, DISP_E_BADPARAMCOUNT, nullptr},
        {"FSCommand with a number", kFSCommand, [](Args& a) { a.Text(L"quit").Long(1); }, DISP_E_TYPEMISMATCH,
         nullptr},
        {"FlashCall", kFlashCall, [](Args& a) { a.Text(L"<invoke/>"); }, S_OK, L"flashcall <invoke/>"},
        {"FlashCall without its text", kFlashCall, [](Args&) {}, E_INVALIDARG, nullptr},
        {"progress by reference", kOnProgress, [&progress](Args& a) { a.LongRef(&progress); }, S_OK, L"progress 75"},
        {"progress by value", kOnProgress, [](Args& a) { a.Long(40); }, S_OK, L"progress 40"},
        {"progress without its value", kOnProgress, [](Args&) {}, DISP_E_BADPARAMCOUNT, nullptr},
        {"ready state", kReadyStateChange, [](Args& a) { a.Long(4); }, S_OK, L"ready 4"},
        {"any other event", 12345, [](Args& a) { a.Long(1); }, S_OK, nullptr},
    };
    RunEventCases(standIn, cases, recorder.calls);
}

TEST_F(FlashTest, TeardownReleasesTheHandlerOnceAndDisconnects) {
    StandInClient standIn;
    FlashRecorder recorder;
    {
        HostWindow host(kFlashElement);
        ASSERT_TRUE(host.shown);
        static_cast<CFlashUI*>(host.control->GetInterface(L"Flash"))->SetFlashEventHandler(&recorder);
        host.Close();
    }
    EXPECT_EQ(recorder.releases, 1);
    EXPECT_TRUE(standIn.Logged(L"flash events Unadvise"));
    EXPECT_TRUE(standIn.Logged(L"flash destroyed"));
    EXPECT_EQ(standIn.LiveObjects(), 0);
    Args args;
    args.Text(L"quit").Text(L"now");
    EXPECT_EQ(standIn.Fire(kFSCommand, args.Params()), E_UNEXPECTED);
}

TEST_F(FlashTest, KeysReachTheObjectOnlyWhileTheFocusIsInItsWindow) {
    StandInClient standIn;
    HostWindow host(kFlashElement);
    ASSERT_TRUE(host.shown);
    auto* flash = static_cast<CFlashUI*>(host.control->GetInterface(L"Flash"));
    HWND objectWindow = flash->GetHostWindow();
    ASSERT_NE(objectWindow, nullptr);
    ASSERT_NE(objectWindow, host.window->Hwnd());
    MSG key = {objectWindow, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};

    ::SetFocus(host.window->Hwnd());
    standIn.ClearLog();
    EXPECT_EQ(flash->TranslateAccelerator(&key), S_FALSE);
    EXPECT_FALSE(standIn.Logged(L"flash TranslateAccelerator 0x100"));

    ::SetFocus(objectWindow);
    if (::GetFocus() != objectWindow) GTEST_SKIP() << "the display gave the focus elsewhere";
    EXPECT_EQ(flash->TranslateAccelerator(&key), S_OK);
    EXPECT_TRUE(standIn.Logged(L"flash TranslateAccelerator 0x100"));
    MSG click = {objectWindow, WM_LBUTTONDOWN, 0, 0, 0, {0, 0}};
    EXPECT_EQ(flash->TranslateAccelerator(&click), S_FALSE);
    ::SetFocus(host.window->Hwnd());
}

// ---- the web browser ----

struct BrowserRecorder : IWebBrowserEventsUI {
    void STDMETHODCALLTYPE BeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                                           VARIANT_BOOL* cancel) override {
        calls.push_back(std::wstring(L"before ") + (url && url->vt == VT_BSTR ? url->bstrVal : L"?"));
        if (cancel) *cancel = VARIANT_TRUE;
    }
    void STDMETHODCALLTYPE NavigateError(IDispatch*, VARIANT* url, VARIANT*, VARIANT* status, VARIANT_BOOL*) override {
        calls.push_back(std::wstring(L"error ") + (url && url->vt == VT_BSTR ? url->bstrVal : L"?") + L" " +
                        std::to_wstring(status && status->vt == VT_I4 ? status->lVal : 0));
    }
    void STDMETHODCALLTYPE NavigateComplete2(IDispatch*, VARIANT* url) override {
        calls.push_back(std::wstring(L"complete ") + (url && url->vt == VT_BSTR ? url->bstrVal : L"?"));
    }
    void STDMETHODCALLTYPE ProgressChange(LONG, LONG) override { calls.push_back(L"progress"); }
    void STDMETHODCALLTYPE NewWindow3(IDispatch**, VARIANT_BOOL* cancel, DWORD flags, BSTR, BSTR url) override {
        calls.push_back(std::wstring(L"newwindow ") + url + L" " + std::to_wstring(flags));
        if (cancel) *cancel = VARIANT_TRUE;
    }
    void STDMETHODCALLTYPE CommandStateChange(long command, VARIANT_BOOL enable) override {
        calls.push_back(L"command " + std::to_wstring(command) + (enable ? L" on" : L" off"));
    }
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        calls.push_back(L"contextmenu");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget**) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch**) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, OLECHAR*, OLECHAR**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Download(IMoniker*, IBindCtx*, DWORD, LONG, BINDINFO*, LPCOLESTR, LPCOLESTR,
                                       UINT) override {
        return S_OK;
    }
    std::vector<std::wstring> calls;
};

std::wstring BrowserElement(const wchar_t* attributes) {
    return std::wstring(L"<WebBrowser name=\"hosted\" float=\"true\" pos=\"10,10,190,140\" "
                        L"modulename=\"ComControlsStandIn.dll\" ") +
           attributes + L"/>";
}

class BrowserTest : public ComTest {};

TEST_F(BrowserTest, HomePageIsOpenedOnlyWhenAskedAndSet) {
    StandInClient standIn;
    const struct {
        const char* name;
        const wchar_t* attributes;
        bool navigates;
    } cases[] = {
        {"automatic with a home page", L"homepage=\"http://127.0.0.1/start\" autonavi=\"true\"", true},
        {"automatic without a home page", L"autonavi=\"true\"", false},
        {"a home page without automatic", L"homepage=\"http://127.0.0.1/start\"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        standIn.ClearLog();
        HostWindow host(BrowserElement(c.attributes));
        ASSERT_TRUE(host.shown);
        EXPECT_TRUE(standIn.Logged(L"browser activated windowed ok"));
        EXPECT_TRUE(standIn.Logged(L"browser events Advise"));
        EXPECT_EQ(standIn.Logged(L"browser Navigate2 http://127.0.0.1/start"), c.navigates);
        auto* browser = static_cast<CWebBrowserUI*>(host.control->GetInterface(L"WebBrowser"));
        ASSERT_NE(browser->GetWebBrowser2(), nullptr);
        standIn.ClearLog();
        browser->Navigate(L"http://127.0.0.1/other");
        EXPECT_TRUE(standIn.Logged(L"browser Navigate2 http://127.0.0.1/other"));
    }
}

TEST_F(BrowserTest, EventsReachTheHandlerWithTheirArgumentsChecked) {
    StandInClient standIn;
    HostWindow host(BrowserElement(L""));
    ASSERT_TRUE(host.shown);
    auto* browser = static_cast<CWebBrowserUI*>(host.control->GetInterface(L"WebBrowser"));
    BrowserRecorder recorder;
    browser->SetWebBrowserEventHandler(&recorder);
    IDispatch* page = browser->GetWebBrowser2();

    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(L"http://127.0.0.1/page");
    VARIANT empty, status;
    ::VariantInit(&empty);
    ::VariantInit(&status);
    status.vt = VT_I4;
    status.lVal = 404;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = nullptr;

    const std::vector<EventCase> cases = {
        {"before navigating", kBeforeNavigate2,
         [&](Args& a) {
             a.Dispatch(page).VariantRef(&url).VariantRef(&empty).VariantRef(&empty).VariantRef(&empty)
                 .VariantRef(&empty).BoolRef(&cancel);
         },
         S_OK, L"before http://127.0.0.1/page"},
        {"before navigating, short of arguments", kBeforeNavigate2, [&](Args& a) { a.Dispatch(page).VariantRef(&url); },
         DISP_E_BADPARAMCOUNT, nullptr},
        {"before navigating, a cancel flag by value", kBeforeNavigate2,
         [&](Args& a) {
             a.Dispatch(page).VariantRef(&url).VariantRef(&empty).VariantRef(&empty).VariantRef(&empty)
                 .VariantRef(&empty).Bool(false);
         },
         DISP_E_TYPEMISMATCH, nullptr},
        {"navigation done", kNavigateComplete2, [&](Args& a) { a.Dispatch(page).VariantRef(&url); }, S_OK,
         L"complete http://127.0.0.1/page"},
        {"navigation failed", kNavigateError,
         [&](Args& a) { a.Dispatch(page).VariantRef(&url).VariantRef(&empty).VariantRef(&status).BoolRef(&cancel); },
         S_OK, L"error http://127.0.0.1/page 404"},
        {"a new window", kNewWindow3,
         [&](Args& a) {
             a.DispatchRef(&newWindow).BoolRef(&cancel).Long(6).Text(L"http://127.0.0.1/").Text(L"http://127.0.0.1/pop");
         },
         S_OK, L"newwindow http://127.0.0.1/pop 6"},
        {"a command state", kCommandStateChange, [](Args& a) { a.Long(2).Bool(true); }, S_OK, L"command 2 on"},
        {"a command state with its flag as a number", kCommandStateChange, [](Args& a) { a.Long(2).Long(1); },
         DISP_E_TYPEMISMATCH, nullptr},
        {"status text", 102, [](Args& a) { a.Text(L"busy"); }, S_OK, nullptr},
        {"an event not handled", 999, [](Args&) {}, DISP_E_MEMBERNOTFOUND, nullptr},
    };
    RunEventCases(standIn, cases, recorder.calls);
    // The cancel flags the handler set reached the browser's variables.
    EXPECT_EQ(cancel, VARIANT_TRUE);
    // An event interface other than none is refused.
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(static_cast<IDispatch*>(browser)->Invoke(kCommandStateChange, IID_IDispatch, 0, DISPATCH_METHOD, &none,
                                                       nullptr, nullptr, nullptr),
              E_INVALIDARG);
    ::VariantClear(&url);
}

TEST_F(BrowserTest, TheDocumentGetsTheControlAsUIHandlerAndScriptErrorsRaiseNoDialog) {
    StandInClient standIn;
    HostWindow host(BrowserElement(L""));
    ASSERT_TRUE(host.shown);
    auto* browser = static_cast<CWebBrowserUI*>(host.control->GetInterface(L"WebBrowser"));
    VARIANT url;
    ::VariantInit(&url);
    Args args;
    args.Dispatch(browser->GetWebBrowser2()).VariantRef(&url);
    ASSERT_EQ(standIn.Fire(kNavigateComplete2, args.Params()), S_OK);
    EXPECT_TRUE(standIn.Logged(L"document SetUIHandler"));
    IUnknown* handler = standIn.DocumentUIHandler();
    ASSERT_EQ(handler, static_cast<IDocHostUIHandler*>(browser));

    // What the browser asks its UI handler, answered without an application handler.
    IUnknown* identity = nullptr;
    EXPECT_EQ(handler->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    if (identity) identity->Release();
    IServiceProvider* services = nullptr;
    ASSERT_EQ(handler->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services)), S_OK);
    const GUID downloadManager = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};
    void* service = reinterpret_cast<void*>(1);
    EXPECT_EQ(services->QueryService(downloadManager, downloadManager, &service), E_NOINTERFACE);
    EXPECT_EQ(service, nullptr);
    services->Release();
    auto* ui = static_cast<IDocHostUIHandler*>(handler);
    POINT pt = {1, 1};
    EXPECT_EQ(ui->ShowContextMenu(0, &pt, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(ui->GetHostInfo(nullptr), E_NOTIMPL);
    LPWSTR translated = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(ui->TranslateUrl(0, const_cast<LPWSTR>(L"x"), &translated), E_NOTIMPL);
    EXPECT_EQ(translated, nullptr);

    IOleCommandTarget* commands = nullptr;
    ASSERT_EQ(handler->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&commands)), S_OK);
    const GUID hostCommands = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
    IDispatch* document = nullptr;
    ASSERT_EQ(browser->GetWebBrowser2()->get_Document(&document), S_OK);
    VARIANT in, out;
    ::VariantInit(&in);
    ::VariantInit(&out);
    in.vt = VT_UNKNOWN;
    in.punkVal = document;
    EXPECT_EQ(commands->Exec(&hostCommands, OLECMDID_SHOWSCRIPTERROR, 0, &in, &out), S_OK);
    EXPECT_EQ(out.vt, VT_BOOL);
    EXPECT_EQ(out.boolVal, VARIANT_TRUE);
    EXPECT_EQ(commands->Exec(nullptr, OLECMDID_SHOWSCRIPTERROR, 0, &in, &out), OLECMDERR_E_UNKNOWNGROUP);
    EXPECT_EQ(commands->Exec(&hostCommands, OLECMDID_PRINT, 0, &in, &out), OLECMDERR_E_NOTSUPPORTED);
    EXPECT_EQ(commands->QueryStatus(&hostCommands, 0, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
    commands->Release();
    document->Release();
}

TEST_F(BrowserTest, TeardownDisconnectsAndLeavesNothingAlive) {
    StandInClient standIn;
    {
        HostWindow host(BrowserElement(L"homepage=\"http://127.0.0.1/\" autonavi=\"true\""));
        ASSERT_TRUE(host.shown);
        auto* browser = static_cast<CWebBrowserUI*>(host.control->GetInterface(L"WebBrowser"));
        VARIANT url;
        ::VariantInit(&url);
        Args args;
        args.Dispatch(browser->GetWebBrowser2()).VariantRef(&url);
        ASSERT_EQ(standIn.Fire(kNavigateComplete2, args.Params()), S_OK);
        host.Close();
    }
    EXPECT_TRUE(standIn.Logged(L"browser events Unadvise"));
    EXPECT_TRUE(standIn.Logged(L"browser destroyed"));
    EXPECT_EQ(standIn.LiveObjects(), 0);
}

}  // namespace
