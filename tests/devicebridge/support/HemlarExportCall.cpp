// Calls one phone export of Hemlar.dll, loaded by name as the suite's programs
// load it, and writes its result and the text it wrote (as UTF-8) into a
// file, so the scripts that run Debian's adb server can check the exports end
// to end. (Standard output is the adb client's: it prints its own lines there.)
//   hemlar_export_call <result file> GetPhoneVersion | GetPhoneBrand
//   hemlar_export_call <result file> InstallAndroidApp <APK path>
#include "HemlarLibrary.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "TestPaths.h"
#include "win32/TextConvert.h"

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    HemlarLibrary hemlar;
    if (!argv || !hemlar.Loaded() || argc < 3) {
        fprintf(stderr, "usage: hemlar_export_call <result file> GetPhoneVersion | GetPhoneBrand | InstallAndroidApp <apk>\n");
        return 2;
    }
    const std::wstring resultFile = argv[1];
    const std::string name = WideToUtf8(argv[2]);
    std::string result;
    if ((name == "GetPhoneVersion" || name == "GetPhoneBrand") && argc == 3) {
        auto call = hemlar.Get<int(__cdecl*)(wchar_t*)>(name.c_str());
        wchar_t text[260] = {};
        const int code = call(text);
        result = std::to_string(code) + "\n" + WideToUtf8(text);
    } else if (name == "InstallAndroidApp" && argc == 4) {
        auto call = hemlar.Get<int(__cdecl*)(const char*)>(name.c_str());
        result = std::to_string(call(WideToAnsi(argv[3]).c_str()));
    } else {
        fprintf(stderr, "unknown call %s\n", name.c_str());
        return 2;
    }
    LocalFree(argv);
    return testsupport::WriteFileBytes(resultFile, result) ? 0 : 1;
}
