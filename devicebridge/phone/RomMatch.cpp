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

#include "tools/HttpGetToString.h"
#include "base/ProgramFolder.h"
#include "archive/ZipArchive.h"

namespace {

constexpr char kDeviceAssertMarker[] = "assert(getprop(\"ro.product.device\")";

// The extraction files have fixed names under the program folder, so calls
// that overlap take turns while they use them.
std::mutex g_extractionFiles;

void DeleteEvenIfReadOnly(const std::wstring& path) {
    // An entry marked read-only in the archive is extracted read-only.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

std::string ReadWholeFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Extracts entry from the ROM into scratch, returns its bytes and removes the
// file again; empty when the ROM or the entry cannot be read.
std::string ReadEntryThroughFile(const wchar_t* romPath, const wchar_t* entry, const std::wstring& scratch) {
    ZipArchivePtr zip(romPath ? OpenZipArchive(romPath) : nullptr);
    DeleteEvenIfReadOnly(scratch);
    std::string bytes;
    int index = -1;
    if (zip && FindZipItem(zip.get(), entry, &index, nullptr) == kZipOk &&
        UnzipItemToFile(zip.get(), index, scratch.c_str()) == kZipOk)
        bytes = ReadWholeFile(scratch);
    zip.reset();
    DeleteEvenIfReadOnly(scratch);
    return bytes;
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
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    const bool parsed = reader->parse(reply.data(), reply.data() + reply.size(), &root, &errors);
    if (parsed) {
        // A reply of another shape than expected tells nothing either way.
        if (!root.isObject() || !root["num"].isInt()) return 0;
        const int count = root["num"].asInt();
        for (int i = 0; i < count; ++i) {
            const Json::Value& member = root["typeName" + std::to_string(i)];
            if (!member.isString()) return 0;
            const std::string name = member.asString();
            OutputDebugStringA(name.c_str());
            if (name.empty()) continue;  // an empty name names no model
            // The assertion lost its blanks, so a name like "MI 4LTE" is looked for without them too.
            if (strict && assertion.find(WithoutBlanks(name)) != std::string::npos) {
                OutputDebugStringW(L"表示不能进行刷机");
                strict = false;
            }
            if (name == model) return 1;
        }
    }
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
