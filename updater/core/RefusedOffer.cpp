#include "core/RefusedOffer.h"

#include <json/json.h>

#include "core/VersionFiles.h"
#include "win32/FileUtil.h"
#include "win32/TextConvert.h"

namespace {

// The record is a JSON object like the version files beside it.
std::string RecordOf(const PackageOffer& offer) {
    Json::Value record(Json::objectValue);
    record["versionName"] = WideToUtf8(AnsiToWide(offer.version));
    record["packageUrl"] = WideToUtf8(AnsiToWide(offer.packageUrl));
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, record);
}

}  // namespace

PackageOffer CurrentOffer(const UpdatePaths& paths, const std::string& packageUrlKey) {
    PackageOffer offer;
    offer.version = ReadVersionMember(paths.newjson, "versionName").value_or(std::string());
    offer.packageUrl = ReadVersionMember(paths.newjson, packageUrlKey.c_str()).value_or(std::string());
    return offer;
}

void RememberRefusedOffer(const UpdatePaths& paths, const PackageOffer& offer) {
    const std::string bytes = RecordOf(offer);
    const std::wstring temporary = paths.refusedOffer + L".tmp";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    CloseHandle(file);
    if (!whole || !MoveFileExW(temporary.c_str(), paths.refusedOffer.c_str(), MOVEFILE_REPLACE_EXISTING))
        RemoveFileEvenIfReadOnly(temporary);
}

bool IsRefusedOffer(const UpdatePaths& paths, const PackageOffer& offer) {
    if (!FileExists(paths.refusedOffer)) return false;
    const auto version = ReadVersionMember(paths.refusedOffer, "versionName");
    const auto packageUrl = ReadVersionMember(paths.refusedOffer, "packageUrl");
    return version && packageUrl && *version == offer.version && *packageUrl == offer.packageUrl;
}
