// Request paths of the maker's web service API, relative to the API host's
// root, with every caller-supplied value form-encoded. Narrow texts are in
// the system's ANSI code page, as the phone and form texts arrive.
#pragma once

#include <string>

// The getShuaji sign: MD5 of "vid=<VID>&pid=<PID>" followed by "tqhw", as 32
// lower-case hex digits. VID and PID as sent, in the case they were read.
std::string ShuajiSign(const std::string& vid, const std::string& pid);

std::string ShuajiPath(const std::string& vid, const std::string& pid, const std::string& phoneType);
std::string DriversPath(const std::string& vid, const std::string& pid);
std::string StartReportPath(const std::string& mac, const std::string& os, const std::string& version,
                            const std::string& channel);
std::string RomDownUrlPath(const std::string& id);
std::string RecommendNewsPath();
std::string RecommendAppsPath();
std::string ApplyModelPath(const std::string& vid, const std::string& pid, const std::string& phoneType);
std::string AppDownloadCountPath(const std::string& id);

struct FeedbackForm {
    std::string object, category, title, content, phone;
};
std::string FeedbackPath(const FeedbackForm& form);

// Full URLs of pages: on the page host (web panes) and on the API host's site.
std::wstring PageUrl(const std::string& path);
std::wstring ApiSiteUrl(const std::string& path);
