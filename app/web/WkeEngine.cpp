#include "WkeEngine.h"

#include "util/ProcessUtil.h"

namespace {

template <class Fn>
bool Bind(HMODULE module, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return out != nullptr;
}

}  // namespace

WkeEngine& WkeEngine::Instance() {
    static WkeEngine engine;
    return engine;
}

bool WkeEngine::BindExports() {
    module_ = LoadLibraryW((GetModuleFolderW() + L"\\wke.dll").c_str());
    if (!module_) return false;
    ready_ = ::Bind(module_, "wkeInit", init_) && ::Bind(module_, "wkeShutdown", shutdown_) &&
             ::Bind(module_, "wkeCreateWebView", create_) && ::Bind(module_, "wkeDestroyWebView", destroy_) &&
             ::Bind(module_, "jsBindFunction", bind_) && ::Bind(module_, "jsArg", arg_) &&
             ::Bind(module_, "jsToString", toString_) && ::Bind(module_, "jsToStringW", toStringW_) &&
             ::Bind(module_, "jsUndefined", undefined_);
    if (!ready_) {
        FreeLibrary(module_);
        module_ = nullptr;
        return false;
    }
    return true;
}

bool WkeEngine::Init() {
    if (ready_) return true;
    if (!BindExports()) return false;
    init_();
    return true;
}

bool WkeEngine::Attach() { return ready_ || BindExports(); }

void WkeEngine::Shutdown() {
    if (!ready_) return;
    shutdown_();
    ready_ = false;  // the module stays loaded: views of closing windows may still call into it
}

wkeWebView WkeEngine::CreateWebView() const { return ready_ ? create_() : nullptr; }
void WkeEngine::DestroyWebView(wkeWebView view) const {
    if (ready_ && view) destroy_(view);
}
void WkeEngine::BindFunction(const char* name, jsNativeFunction function, unsigned int argCount) const {
    if (ready_) bind_(name, function, argCount);
}
jsValue WkeEngine::Arg(jsExecState es, int index) const { return ready_ ? arg_(es, index) : 0; }
const char* WkeEngine::ToString(jsExecState es, jsValue value) const { return ready_ ? toString_(es, value) : ""; }
const wchar_t* WkeEngine::ToStringW(jsExecState es, jsValue value) const {
    return ready_ ? toStringW_(es, value) : L"";
}
jsValue WkeEngine::Undefined() const { return ready_ ? undefined_() : 0; }
