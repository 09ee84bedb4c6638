// Package descriptions in JSON (from the web service, the web pane's
// "msgBox" and local clients) turned into the downloader's record.
#pragma once

#include <json/json.h>

#include "record/PackageRecord.h"

// A zero-filled record with the package's texts, converted from UTF-8 to
// the ANSI code page and cut to their fields. Type keeps at most three
// characters, so everything after its text is zero and a record built here
// can never carry the install mark.
PackageRecord PackageRecordFromJson(const Json::Value& package);

// The record from a JSON text; all empty when the text does not parse.
PackageRecord PackageRecordFromText(const char* text, size_t length);

// A record is a package only with an address to download it from; one
// without (from a text that did not parse, or that lacked "trueUrl") is
// never handed to the downloader.
bool IsDownloadablePackage(const PackageRecord& record);
