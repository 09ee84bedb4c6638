#include "engine/SafeFileName.h"

#include "win32/TextConvert.h"

#include <cwctype>

namespace {

bool ForbiddenInName(wchar_t c) {
    return c < 0x20 || c == L'\\' || c == L'/' || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' ||
           c == L'>' || c == L'|' || c == 0x7F;
}

// A character that survives the trip to the ANSI code page and back; others
// would come back as '?' or a different character.
bool SurvivesAnsi(wchar_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) return false;
    const std::wstring one(1, c);
    return AnsiToWide(WideToAnsi(one)) == one;
}

bool IsDeviceName(const std::wstring& name) {
    // Windows reads the part before the first dot, blanks at its end
    // ignored, as a device: "CON", "con.txt" and "NUL .zip" all open one.
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
        base == L"CONOUT$")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t digit = base[3];
        return (digit >= L'1' && digit <= L'9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    }
    return false;
}

}  // namespace

std::optional<std::string> SafeFileName(const std::string& stem, const std::string& extension) {
    std::wstring name = AnsiToWide(stem + extension);
    for (wchar_t& c : name)
        if (ForbiddenInName(c) || !SurvivesAnsi(c)) c = L'_';
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
    if (name.empty()) return std::nullopt;
    if (IsDeviceName(name)) name.insert(name.begin(), L'_');
    return WideToAnsi(name);
}

bool IsPlainFileName(const std::string& name) {
    const std::optional<std::string> safe = SafeFileName(name, "");
    return safe && *safe == name;
}

std::optional<TaskFilePaths> FilePathsOf(const std::string& folder, const std::string& name,
                                         const std::string& extension) {
    const std::optional<std::string> file = SafeFileName(name, extension);
    if (!file) return std::nullopt;
    TaskFilePaths paths;
    paths.target = folder + "\\" + *file;
    paths.partial = paths.target + ".tmp";
    paths.skip = paths.target + ".skip";
    paths.validator = paths.partial + ".validator";
    if (paths.target.size() > 2047 || paths.validator.size() > 259) return std::nullopt;
    return paths;
}
