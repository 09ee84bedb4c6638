// Calls one phone export of Hemlar.dll, loaded by name as the suite's programs
// load it, and prints its result and the text it wrote (as UTF-8), so the
// scripts that run Debian's adb server can check the exports end to end.
//   hemlar_export_call GetPhoneVersion | GetPhoneBrand
//   hemlar_export_call InstallAndroidApp <APK path>
#include "HemlarLibrary.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "win32/TextConvert.h"

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // the text goes out exactly as the export wrote it
    HemlarLibrary hemlar;
    if (!hemlar.Loaded() || argc < 2) {
        fprintf(stderr, "usage: hemlar_export_call GetPhoneVersion | GetPhoneBrand | InstallAndroidApp <apk>\n");
        return 2;
    }
    const std::string name = argv[1];
    if ((name == "GetPhoneVersion" || name == "GetPhoneBrand") && argc == 2) {
        auto call = hemlar.Get<int(__cdecl*)(wchar_t*)>(name.c_str());
        wchar_t text[260] = {};
        const int result = call(text);
        const std::string utf8 = WideToUtf8(text);
        printf("%d\n", result);
        fwrite(utf8.data(), 1, utf8.size(), stdout);
        return 0;
    }
    if (name == "InstallAndroidApp" && argc == 3) {
        auto call = hemlar.Get<int(__cdecl*)(const char*)>(name.c_str());
        printf("%d\n", call(argv[2]));
        return 0;
    }
    fprintf(stderr, "unknown call %s\n", name.c_str());
    return 2;
}
