// What the main program uses of the outside web engine wke.dll: its exported
// functions and the web view object's operations. The engine draws off-screen
// into its own device context and reports changed areas to a buffer handler.
#pragma once

#include <windows.h>

#define WKE_CALL __stdcall

typedef long long jsValue;
typedef struct jsExecStateRecord* jsExecState;
typedef jsValue(WKE_CALL* jsNativeFunction)(jsExecState es);

struct wkeRect {
    int x, y, w, h;
};

// Page events; a null callback is not called.
struct wkeClientHandler {
    void(WKE_CALL* onTitleChanged)(const wkeClientHandler* handler, const wchar_t* title);
    void(WKE_CALL* onURLChanged)(const wkeClientHandler* handler, const wchar_t* url);
};

// Told by the engine which area of its picture changed (view coordinates).
class _wkeBufHandler {
public:
    virtual void WKE_CALL OnBufUpdated(HDC hdc, int x, int y, int cx, int cy) = 0;

protected:
    ~_wkeBufHandler() = default;
};

namespace wke {

class IWebView {
public:
    virtual void WKE_CALL setBufHandler(_wkeBufHandler* handler) = 0;
    virtual void WKE_CALL resize(int width, int height) = 0;
    // Lays out, repaints and reports changed areas to the buffer handler.
    virtual void WKE_CALL update() = 0;
    virtual HDC WKE_CALL getViewDC() = 0;
    virtual void WKE_CALL focus() = 0;
    virtual void WKE_CALL unfocus() = 0;
    virtual wkeRect WKE_CALL getCaret() = 0;
    virtual bool WKE_CALL mouseEvent(unsigned int message, int x, int y, unsigned int flags) = 0;
    virtual bool WKE_CALL contextMenuEvent(int x, int y, unsigned int flags) = 0;
    virtual bool WKE_CALL mouseWheel(int x, int y, int delta, unsigned int flags) = 0;
    virtual bool WKE_CALL keyDown(unsigned int code, unsigned int flags, bool systemKey) = 0;
    virtual bool WKE_CALL keyUp(unsigned int code, unsigned int flags, bool systemKey) = 0;
    virtual bool WKE_CALL keyPress(unsigned int code, unsigned int flags, bool systemKey) = 0;
    virtual void WKE_CALL loadURL(const wchar_t* url) = 0;
    virtual void WKE_CALL reload() = 0;
    virtual bool WKE_CALL canGoBack() = 0;
    virtual bool WKE_CALL goBack() = 0;
    virtual bool WKE_CALL canGoForward() = 0;
    virtual bool WKE_CALL goForward() = 0;
    virtual bool WKE_CALL isLoadComplete() = 0;
    virtual void WKE_CALL setClientHandler(const wkeClientHandler* handler) = 0;
    virtual void WKE_CALL loadHTML(const wchar_t* html) = 0;
    // Runs a script in the page; its value, read in the page's global state.
    virtual jsValue WKE_CALL runJS(const wchar_t* script) = 0;
    virtual jsExecState WKE_CALL globalExec() = 0;

protected:
    ~IWebView() = default;
};

}  // namespace wke

typedef wke::IWebView* wkeWebView;

// Mouse and key flags the view's input operations take.
enum wkeInputFlags : unsigned int {
    WKE_LBUTTON = 0x01,
    WKE_RBUTTON = 0x02,
    WKE_SHIFT = 0x04,
    WKE_CONTROL = 0x08,
    WKE_MBUTTON = 0x10,
    WKE_EXTENDED = 0x0100,
    WKE_REPEAT = 0x4000,
};

// The exported functions, by the names the engine exports them under.
extern "C" {
typedef void(WKE_CALL* wkeInitFn)();
typedef void(WKE_CALL* wkeShutdownFn)();
typedef wkeWebView(WKE_CALL* wkeCreateWebViewFn)();
typedef void(WKE_CALL* wkeDestroyWebViewFn)(wkeWebView view);
typedef void(WKE_CALL* jsBindFunctionFn)(const char* name, jsNativeFunction function, unsigned int argCount);
typedef jsValue(WKE_CALL* jsArgFn)(jsExecState es, int index);
typedef const char*(WKE_CALL* jsToStringFn)(jsExecState es, jsValue value);
typedef const wchar_t*(WKE_CALL* jsToStringWFn)(jsExecState es, jsValue value);
typedef jsValue(WKE_CALL* jsUndefinedFn)();
}
