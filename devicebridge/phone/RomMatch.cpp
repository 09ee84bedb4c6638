#include "phone/RomMatch.h"

#include <windows.h>

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "tools/HttpGetToString.h"
#include "base/ProgramFolder.h"
#include "archive/ZipArchive.h"
#include "win32/FileUtil.h"

namespace {

constexpr char kDeviceAssertMarker[] = "assert(getprop(\"ro.product.device\")";

// The extraction files have fixed names under the program folder, so calls
// that overlap take turns while they use them.
std::mutex g_extractionFiles;

std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Extracts entry from the ROM into scratch, returns its bytes and removes the
// file again; empty when the ROM or the entry cannot be read.
std::string ReadEntryThroughFile(const wchar_t* romPath, const wchar_t* entry, const std::wstring& scratch) {
    ZipArchivePtr zip(romPath ? OpenZipArchive(romPath) : nullptr);
    RemoveFileEvenIfReadOnly(scratch);  // entries marked read-only extract read-only
    std::string bytes;
    int index = -1;
    if (zip && FindZipItem(zip.get(), entry, &index, nullptr) == kZipOk &&
        UnzipItemToFile(zip.get(), index, scratch.c_str()) == kZipOk)
        bytes = ReadWholeFile(scratch);
    zip.reset();
    RemoveFileEvenIfReadOnly(scratch);
    return bytes;
}

// The index of a "typeName<i>" member name: decimal digits without a
// leading zero; -1 for any other name.
long long TypeNameIndex(const std::string& member) {
    static const std::string kPrefix = "typeName";
    if (member.compare(0, kPrefix.size(), kPrefix) != 0) return -1;
    const std::string digits = member.substr(kPrefix.size());
    if (digits.empty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == '0')) return -1;
    if (digits.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoll(digits);
}

// The reply's names "typeName0" to "typeName<num - 1>" in that order, where
// "num" is an integer member; a name that is missing or not a string names
// nothing. Empty for a reply that is no JSON object with such a "num". The
// members are walked rather than counted up to "num", so a huge count costs
// nothing.
std::vector<std::string> TypeNames(const std::string& reply) {
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    if (!reader->parse(reply.data(), reply.data() + reply.size(), &root, &errors) || !root.isObject() ||
        !root["num"].isInt())
        return {};
    const long long count = root["num"].asInt();
    std::vector<std::pair<long long, std::string>> named;
    for (const std::string& member : root.getMemberNames()) {
        const long long index = TypeNameIndex(member);
        if (index >= 0 && index < count && root[member].isString()) named.emplace_back(index, root[member].asString());
    }
    std::sort(named.begin(), named.end());
    std::vector<std::string> names;
    for (auto& entry : named) names.push_back(std::move(entry.second));
    return names;
}

}  // namespace

std::string PropertyValue(const std::string& text, const std::string& key) {
    const size_t at = text.find(key);
    if (at == std::string::npos) return {};
    const size_t start = at + key.size();
    const size_t end = text.find('\n', start);
    std::string value = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!value.empty() && value.back() == '\r') value.pop_back();
    return value;
}

std::string WithoutBlanks(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; }), text.end());
    return text;
}

std::string DeviceAssertion(std::string script) {
    script = WithoutBlanks(std::move(script));
    const size_t at = script.find(kDeviceAssertMarker);
    if (at == std::string::npos) return {};
    const size_t start = at + sizeof kDeviceAssertMarker - 1;
    const size_t end = script.find(';', start);
    return script.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int MatchTypeList(const std::string& model, const std::string& assertion, const std::string& reply) {
    bool strict = !assertion.empty();
    for (const std::string& name : TypeNames(reply)) {
        OutputDebugStringA(name.c_str());
        if (name.empty()) continue;  // an empty name names no model and stands in every assertion
        // The assertion lost its blanks, so a name like "MI 4LTE" is looked for without them too.
        if (strict && assertion.find(WithoutBlanks(name)) != std::string::npos) {
            OutputDebugStringW(L"表示不能进行刷机");
            strict = false;
        }
        if (name == model) return 1;
    }
    // No name matched, or the reply listed none (not JSON, no integer "num",
    // another shape): a ROM that asserts other devices stays refused.
    if (strict) return -1;
    OutputDebugStringA("IsRomMatchPhone___End");
    return 0;
}

int RomMatchPhone(int phoneTypeId, const wchar_t* romPath) {
    OutputDebugStringW((L"PhoneID: " + std::to_wstring(phoneTypeId) + L"___RomPath: " + (romPath ? romPath : L""))
                           .c_str());
    const std::wstring dataFolder = ProgramFolderW() + L"data\\";
    std::string model, assertion;
    {
        std::lock_guard<std::mutex> lock(g_extractionFiles);
        const std::string buildProp =
            ReadEntryThroughFile(romPath, L"system/build.prop", dataFolder + L"buildTmp.prop");
        model = PropertyValue(buildProp, "ro.product.model=");
        OutputDebugStringA("IsRomMatchPhone___Begin");
        OutputDebugStringA(model.c_str());
        OutputDebugStringA("IsRomMatchPhone___Mid");

        const std::string script = ReadEntryThroughFile(romPath, L"META-INF/com/google/android/updater-script",
                                                        dataFolder + L"SysbuildTmp.prop");
        assertion = DeviceAssertion(script);
        if (!assertion.empty()) {
            OutputDebugStringW(L"需要进行强匹配");
            OutputDebugStringA(assertion.c_str());
        }
    }
    char query[260];
    std::snprintf(query, sizeof query, "index.php?c=feedback&a=getTypeList&id=%d", phoneTypeId);
    return MatchTypeList(model, assertion, HttpGetToString(query));
}
