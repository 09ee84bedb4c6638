#include "HemlarEntries.h"

namespace {

template <class Fn>
void Bind(HMODULE module, const char* name, Fn& out) {
    out = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

std::shared_ptr<const HemlarEntries> HemlarEntries::Load(const std::wstring& folder) {
    auto entries = std::make_shared<HemlarEntries>();
    HMODULE module = LoadLibraryW((folder + L"Hemlar.dll").c_str());
    Bind(module, "InstallAndroidApp", entries->installAndroidApp);
    Bind(module, "AdbPushFile", entries->adbPushFile);
    Bind(module, "IsConnectPhone", entries->isConnectPhone);
    Bind(module, "IsPhoneRoot", entries->isPhoneRoot);
    Bind(module, "IsRomMatchPhone", entries->isRomMatchPhone);
    return entries;
}
