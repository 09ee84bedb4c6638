// The optional outside download engine xldl.dll: loaded when it lies beside
// the executable, its entry points bound by name, and initialised. No task
// is ever handed to it; transfers run over libcurl.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class DownWrapper {
public:
    using Entry = FARPROC;
    // Loads the library; throws the wide text "can not load xldl.dll" when
    // it cannot. Names the library lacks stay null.
    explicit DownWrapper(const std::wstring& libraryPath);
    virtual ~DownWrapper();
    DownWrapper(const DownWrapper&) = delete;
    DownWrapper& operator=(const DownWrapper&) = delete;

    // XL_Init(); 0 without calling when the library has no XL_Init.
    BOOL Init();

    static constexpr int kEntryCount = 18;
    static const char* const kEntryNames[kEntryCount];
    Entry EntryAt(int index) const { return entries_[index]; }

private:
    HMODULE module_ = nullptr;
    Entry entries_[kEntryCount] = {};
};

// "xldl.dll" beside the executable, the path written to the debug output;
// null when it cannot be loaded.
std::unique_ptr<DownWrapper> CreateDownWrapper();

// The wrapper worth keeping: one whose Init() succeeded, else null (the
// library is then unloaded again).
std::unique_ptr<DownWrapper> BindDownloadEngine();
