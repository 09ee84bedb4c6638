#include "tools/DeviceConsole.h"

#include <windows.h>

#include "base/BridgeUtil.h"
#include "base/ProgramFolder.h"
#include "tools/ToolRunner.h"

bool IsSystem64() {
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    auto getNativeSystemInfo = reinterpret_cast<NativeInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"KERNEL32.dll"), "GetNativeSystemInfo")));
    if (!getNativeSystemInfo) {
        DebugLine(std::string("PNT IsVersion32"));
        return false;
    }
    SYSTEM_INFO info = {};
    getNativeSystemInfo(&info);
    if (info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
        info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64) {
        DebugLine(std::string("PNT IsVersion64"));
        return true;
    }
    return false;
}

std::wstring AndroidToolFolder() {
    return ProgramFolderW() + L"AndroidTool";
}

std::wstring DevconLine(bool x64, const std::wstring& arguments) {
    return ToolLineInFolder(AndroidToolFolder(), (x64 ? L"devcon_x64 " : L"devcon_x86 ") + arguments);
}

std::string RunDevcon(const std::wstring& arguments) {
    return RunToolCommand(DevconLine(IsSystem64(), arguments));
}

std::wstring Quoted(const wchar_t* text) {
    return L"\"" + std::wstring(text ? text : L"") + L"\"";
}

std::wstring InstallDriverArguments(bool x64, const wchar_t* infPath, const wchar_t* hardwareId) {
    return (x64 ? L"-r install  " : L"update ") + Quoted(infPath) + L" " + Quoted(hardwareId);
}
