// wke.dll bound at run time: the program runs (without web panes) when the
// engine is absent. Init before the first window, Shutdown after the loop.
#pragma once

#include "web/WkeApi.h"

class WkeEngine {
public:
    static WkeEngine& Instance();

    // Loads the engine beside the program and calls wkeInit; false when the
    // engine or one of its exports is missing.
    bool Init();
    // Binds the engine a host program already started, without starting it
    // again: for the flashing plug-in inside the main program.
    bool Attach();
    void Shutdown();
    bool Ready() const { return ready_; }

    wkeWebView CreateWebView() const;
    void DestroyWebView(wkeWebView view) const;
    void BindFunction(const char* name, jsNativeFunction function, unsigned int argCount) const;
    jsValue Arg(jsExecState es, int index) const;
    const char* ToString(jsExecState es, jsValue value) const;
    const wchar_t* ToStringW(jsExecState es, jsValue value) const;
    jsValue Undefined() const;

private:
    WkeEngine() = default;
    bool BindExports();

    HMODULE module_ = nullptr;
    bool ready_ = false;
    wkeInitFn init_ = nullptr;
    wkeShutdownFn shutdown_ = nullptr;
    wkeCreateWebViewFn create_ = nullptr;
    wkeDestroyWebViewFn destroy_ = nullptr;
    jsBindFunctionFn bind_ = nullptr;
    jsArgFn arg_ = nullptr;
    jsToStringFn toString_ = nullptr;
    jsToStringWFn toStringW_ = nullptr;
    jsUndefinedFn undefined_ = nullptr;
};
