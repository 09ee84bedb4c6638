#include "engine/DownWrapper.h"

#include <shlwapi.h>

#include <string>

const char* const DownWrapper::kEntryNames[DownWrapper::kEntryCount] = {
    "XL_Init",          "XL_UnInit",           "XL_CreateTask",       "XL_DeleteTask",
    "XL_StartTask",     "XL_StopTask",         "XL_QueryTaskInfo",    "XL_QueryTaskInfoEx",
    "XL_SetSpeedLimit", "XL_SetUploadSpeedLimit", "XL_DelTempFile",   "XL_SetProxy",
    "XL_SetUserAgent",  "XL_GetFileSizeWithUrl", "XL_ParseThunderPrivateUrl", "XL_SetAdditionInfo",
    "XL_SetFileIdAndSize", "XL_CreateTaskByURL",
};

DownWrapper::DownWrapper(const std::wstring& libraryPath) {
    module_ = LoadLibraryW(libraryPath.c_str());
    if (module_ == nullptr) throw std::wstring(L"can not load xldl.dll");
    for (int i = 0; i < kEntryCount; ++i) entries_[i] = GetProcAddress(module_, kEntryNames[i]);
}

DownWrapper::~DownWrapper() {
    if (module_ != nullptr) FreeLibrary(module_);
}

BOOL DownWrapper::Init() {
    using InitFunction = BOOL(__stdcall*)();
    if (entries_[0] == nullptr) return FALSE;
    return reinterpret_cast<InitFunction>(reinterpret_cast<void*>(entries_[0]))();
}

std::unique_ptr<DownWrapper> CreateDownWrapper() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    PathRemoveFileSpecW(path);
    wchar_t library[MAX_PATH] = {};
    PathCombineW(library, path, L"xldl.dll");
    OutputDebugStringW(library);
    try {
        return std::make_unique<DownWrapper>(library);
    } catch (...) {
        return nullptr;
    }
}

std::unique_ptr<DownWrapper> BindDownloadEngine() {
    std::unique_ptr<DownWrapper> engine = CreateDownWrapper();
    if (engine && engine->Init()) return engine;
    return nullptr;
}
