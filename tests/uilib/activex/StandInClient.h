// The tests' view of the COM stand-in module: its call log, its count of
// live objects and its event trigger, plus COM set up for each test.
#pragma once
#include "ComControlsStandIn.h"

#include <gtest/gtest.h>

#include <string>

class StandInClient {
public:
    StandInClient() : module_(::LoadLibraryW(L"ComControlsStandIn.dll")) {
        callLog_ = Find<StandInCallLogFn>("StandInCallLog");
        clearLog_ = Find<StandInClearLogFn>("StandInClearLog");
        live_ = Find<StandInLiveObjectsFn>("StandInLiveObjects");
        fire_ = Find<StandInFireEventFn>("StandInFireEvent");
        uiHandler_ = Find<StandInDocumentUIHandlerFn>("StandInDocumentUIHandler");
        if (clearLog_) clearLog_();
    }
    ~StandInClient() {
        if (module_) ::FreeLibrary(module_);
    }
    StandInClient(const StandInClient&) = delete;
    StandInClient& operator=(const StandInClient&) = delete;

    bool Loaded() const { return callLog_ && clearLog_ && live_ && fire_ && uiHandler_; }
    std::wstring Log() const { return callLog_(); }
    void ClearLog() { clearLog_(); }
    long LiveObjects() const { return live_(); }
    HRESULT Fire(DISPID id, DISPPARAMS* params) { return fire_(id, params); }
    IUnknown* DocumentUIHandler() { return uiHandler_(); }
    // Whether the log holds this exact line.
    bool Logged(const std::wstring& line) const { return (L"\n" + Log()).find(L"\n" + line + L"\n") != std::wstring::npos; }
    int Count(const std::wstring& line) const {
        int count = 0;
        const std::wstring log = L"\n" + Log();
        for (size_t at = log.find(L"\n" + line + L"\n"); at != std::wstring::npos;
             at = log.find(L"\n" + line + L"\n", at + 1))
            ++count;
        return count;
    }

private:
    template <class Fn>
    Fn Find(const char* name) {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_, name))) : nullptr;
    }

    HMODULE module_;
    StandInCallLogFn callLog_ = nullptr;
    StandInClearLogFn clearLog_ = nullptr;
    StandInLiveObjectsFn live_ = nullptr;
    StandInFireEventFn fire_ = nullptr;
    StandInDocumentUIHandlerFn uiHandler_ = nullptr;
};

// COM on the test's thread, as a program initialises it before hosting controls.
class ComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr))); }
    void TearDown() override { ::OleUninitialize(); }
};
