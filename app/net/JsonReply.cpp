#include "JsonReply.h"

#include <memory>

bool ParseJson(const std::string& text, Json::Value& root) {
    if (text.empty()) return false;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseJsonObject(const std::string& text, Json::Value& root) { return ParseJson(text, root) && root.isObject(); }

std::string JsonText(const Json::Value& object, const char* key) {
    if (!object.isObject()) return {};
    const Json::Value& value = object[key];
    if (value.isString()) return value.asString();
    if (value.isNumeric() || value.isBool()) return value.asString();
    return {};
}

bool JsonHas(const Json::Value& object, const char* key) {
    return object.isObject() && object.isMember(key) && !object[key].isNull();
}
