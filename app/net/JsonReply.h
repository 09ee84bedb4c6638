// Reading the web service's and the local clients' JSON texts: a parse that
// never throws, and the text of a member whatever scalar type it arrived as.
#pragma once

#include <json/json.h>

#include <string>

// Parses `text` (UTF-8); false for anything that is not JSON.
bool ParseJson(const std::string& text, Json::Value& root);
// True when `text` parses as a JSON object.
bool ParseJsonObject(const std::string& text, Json::Value& root);

// A string member as it is, a number or boolean as its text; "" otherwise.
std::string JsonText(const Json::Value& object, const char* key);

// True when the member is present and not null.
bool JsonHas(const Json::Value& object, const char* key);
