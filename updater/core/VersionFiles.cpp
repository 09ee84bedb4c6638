#include "core/VersionFiles.h"

#include <json/json.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "core/VersionName.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace {

constexpr size_t kMostBytesRead = 262144;
constexpr size_t kMemberCapacity = 260;

std::optional<Json::Value> LoadObject(const std::wstring& file) {
    struct Closer {
        void operator()(FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, Closer> in(_wfopen(file.c_str(), L"rb"));
    if (!in) return std::nullopt;
    std::string text(kMostBytesRead, '\0');
    text.resize(std::fread(&text[0], 1, text.size(), in.get()));
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) || !root.isObject())
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return root;
}

}  // namespace

std::optional<std::string> ReadVersionMember(const std::wstring& file, const char* member) {
    const std::optional<Json::Value> root = LoadObject(file);
    if (!root) return std::nullopt;
    const Json::Value& value = (*root)[member];
    if (!value.isString()) return std::nullopt;
    std::string ansi = WideToAnsi(Utf8ToWide(value.asString()));
    if (ansi.size() >= kMemberCapacity) return std::nullopt;
    return ansi;
}

std::string InstalledVersionName(const std::wstring& curjson) {
    if (!FileExists(curjson)) return "0.0.0";
    return ReadVersionMember(curjson, "versionName").value_or(std::string());
}

int UpdateClassAgainstInstalled(const std::wstring& curjson, const std::string& offeredVersion) {
    if (!FileExists(curjson)) return 2;
    const std::string installed = ReadVersionMember(curjson, "versionName").value_or(std::string());
    return UpdateClass(ParseVersionName(installed), ParseVersionName(offeredVersion));
}
