#include "core/InstallReport.h"

#include "curl/CurlEasy.h"

std::string UrlEncode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            encoded += static_cast<char>(c);
        } else if (c == ' ') {
            encoded += "%20";
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

std::string FillReportUrl(const std::string& urlTemplate, const InstallReportValues& values) {
    // Every value is encoded: none may add a parameter or cut the query.
    const std::string fill[] = {UrlEncode(values.mac), UrlEncode(values.os), UrlEncode(values.installedVersion),
                                UrlEncode("UpTo" + values.offeredVersion), UrlEncode(values.channel)};
    std::string url;
    size_t next = 0;
    for (size_t i = 0; i < urlTemplate.size(); ++i) {
        if (urlTemplate.compare(i, 2, "%s") == 0 && next < 5) {
            url += fill[next++];
            ++i;
        } else {
            url += urlTemplate[i];
        }
    }
    return url;
}

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*) { return size * count; }

bool SendOne(const std::string& url, long timeLimitMs) {
    CurlEasy handle;
    if (!handle) return false;
    CURL* curl = handle.Get();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    ApplyTransferLimits(curl);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeLimitMs);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardBody);
    return curl_easy_perform(curl) == CURLE_OK;
}

}  // namespace

bool SendInstallReport(const std::vector<std::string>& templates, const InstallReportValues& values,
                       long timeLimitMs) {
    for (const std::string& urlTemplate : templates)
        if (SendOne(FillReportUrl(urlTemplate, values), timeLimitMs)) return true;
    return false;
}
