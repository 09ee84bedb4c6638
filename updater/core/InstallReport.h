// The install report sent to the web service once an update is applied.
#pragma once

#include <string>
#include <vector>

// Letters, digits and "-_.~" stay; a blank becomes "%20", every other byte
// "%XX" (upper-case hexadecimal).
std::string UrlEncode(const std::string& text);

struct InstallReportValues {
    std::string mac;             // disk MAC, "-" when unknown
    std::string os;              // the Windows product name, not yet encoded
    std::string installedVersion;
    std::string offeredVersion;
    std::string channel;
};

// The template's five "%s" filled in order with the encoded MAC, OS name,
// installed version, "UpTo<offered>" and channel.
std::string FillReportUrl(const std::string& urlTemplate, const InstallReportValues& values);

// How long one report request may take, from connecting to the last byte:
// the updater waits for the report before it ends, hidden once "完成" shows.
constexpr long kReportTimeLimitMs = 10000;

// GETs each filled URL in order until one is answered with a status below
// 400; the reply is not read. Each request ends after `timeLimitMs` at the
// latest. True when one was answered.
bool SendInstallReport(const std::vector<std::string>& templates, const InstallReportValues& values,
                       long timeLimitMs = kReportTimeLimitMs);
