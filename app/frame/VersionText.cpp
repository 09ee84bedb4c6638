#include "VersionText.h"

#include <json/json.h>

#include <memory>
#include <sstream>

#include "net/JsonReply.h"
#include "win32/TextConvert.h"

namespace {

std::wstring VersionOf(const Json::Value& root) {
    const Json::Value& value = root["versionName"];
    return value.isString() ? Utf8ToWide(value.asString()) : std::wstring();
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string content;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return content;
    char block[65536];
    for (size_t got; (got = fread(block, 1, sizeof block, file)) > 0;) content.append(block, got);
    fclose(file);
    return content;
}

}  // namespace

std::wstring ReadInstalledVersion(const std::wstring& curjsonPath) {
    const std::string content = ReadWholeFile(curjsonPath);
    Json::Value root;
    if (ParseJsonObject(content, root)) return VersionOf(root);
    std::istringstream lines(content);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("versionName") == std::string::npos) continue;
        if (ParseJsonObject(line, root)) return VersionOf(root);
    }
    return {};
}

std::wstring VersionCaption(const std::wstring& version) {
    if (version.empty()) return {};
    std::wstring caption = L"版本号: V" + version;
    if (caption.size() > 29) caption.resize(29);
    return caption;
}
