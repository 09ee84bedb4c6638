#include "PackageJson.h"

#include <cstring>

#include "net/JsonReply.h"
#include "util/Helpers.h"
#include "win32/TextConvert.h"

namespace {

constexpr size_t kTypeCharacters = 3;

template <size_t N>
void Fill(char (&field)[N], const Json::Value& package, const char* key) {
    CopyToFixedBuffer(Utf8ToAnsiString(JsonText(package, key).c_str()), field, N);
}

}  // namespace

PackageRecord PackageRecordFromJson(const Json::Value& package) {
    PackageRecord record;
    std::memset(&record, 0, sizeof record);
    if (!package.isObject()) return record;
    Fill(record.Id, package, "id");
    Fill(record.Name, package, "name");
    Fill(record.ObjectUrl, package, "trueUrl");
    Fill(record.PngUrl, package, "img");
    Fill(record.Size, package, "size");
    Fill(record.Hash, package, "hash");
    Fill(record.PromptMsg, package, "msg");
    Fill(record.Err, package, "error");
    CopyToFixedBuffer(JsonText(package, "type").substr(0, kTypeCharacters), record.Type, sizeof record.Type);
    return record;
}

PackageRecord PackageRecordFromText(const char* text, size_t length) {
    Json::Value root;
    if (!text || !ParseJsonObject(std::string(text, length), root)) root = Json::Value();
    return PackageRecordFromJson(root);
}

bool IsDownloadablePackage(const PackageRecord& record) { return record.ObjectUrl[0] != '\0'; }
