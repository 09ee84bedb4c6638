#include "ApiRequests.h"

#include "archive/ZMD5.h"
#include "util/ProcessUtil.h"
#include "web/WebHosts.h"

namespace {

constexpr char kSignKey[] = "tqhw";

std::string Param(const char* name, const std::string& value) { return std::string("&") + name + "=" + UrlEncodeForm(value); }

}  // namespace

std::string ShuajiSign(const std::string& vid, const std::string& pid) {
    ZMD5 md5;
    return md5.GetMD5OfString("vid=" + UrlEncodeForm(vid) + "&pid=" + UrlEncodeForm(pid) + kSignKey);
}

std::string ShuajiPath(const std::string& vid, const std::string& pid, const std::string& phoneType) {
    return "index.php?c=api&a=getShuaji&vid=" + UrlEncodeForm(vid) + Param("pid", pid) + Param("phoneType", phoneType) +
           "&sign=" + ShuajiSign(vid, pid);
}

std::string DriversPath(const std::string& vid, const std::string& pid) {
    return "index.php?c=api&a=getDrivers&vid=" + UrlEncodeForm(vid) + Param("pid", pid) + "&os=3&bit=2";
}

std::string StartReportPath(const std::string& mac, const std::string& os, const std::string& version,
                            const std::string& channel) {
    return "index.php?c=feedback&a=pcActionLog&mac=" + UrlEncodeForm(mac) + Param("os", os) + "&type=3&state=1" +
           Param("version", version) + "&msg=Start" + Param("channel", channel);
}

std::string RomDownUrlPath(const std::string& id) { return "index.php?c=feedback&a=getRomDownUrl&id=" + UrlEncodeForm(id); }
std::string RecommendNewsPath() { return "api/getRecommendNews/"; }
std::string RecommendAppsPath() { return "api/getApp/"; }

std::string ApplyModelPath(const std::string& vid, const std::string& pid, const std::string& phoneType) {
    return "index.php?c=feedback&a=applyModel&vid=" + UrlEncodeForm(vid) + Param("pid", pid) +
           Param("phoneType", phoneType);
}

std::string AppDownloadCountPath(const std::string& id) {
    return "index.php?c=feedback&a=appDownloadCount&id=" + UrlEncodeForm(id);
}

std::string FeedbackPath(const FeedbackForm& form) {
    return "index.php?c=feedback&a=faq&object=" + UrlEncodeForm(form.object) + Param("class", form.category) +
           Param("title", form.title) + Param("content", form.content) + Param("phone", form.phone);
}

std::wstring PageUrl(const std::string& path) { return NarrowToWide(PageHost().BaseUrl() + path); }
std::wstring ApiSiteUrl(const std::string& path) { return NarrowToWide(ApiHost().BaseUrl() + path); }
