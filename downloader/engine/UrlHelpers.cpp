#include "engine/UrlHelpers.h"

#include "curl/CurlEasy.h"
#include "engine/EngineTimings.h"
#include "win32/TextConvert.h"

#include <windows.h>

#include <cstring>

namespace {

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

// libcurl calls this while it resolves, connects and waits, at least about
// once a second: a non-zero result aborts the request.
int AbortWhenStopped(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return Stopped(static_cast<const std::atomic<bool>*>(stop)) ? 1 : 0;
}

}  // namespace

bool GetEffectiveUrl(const std::string& url, std::string& out, const std::atomic<bool>* stop) {
    CurlEasy handle;
    if (!handle) return false;
    curl_easy_setopt(handle.Get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle.Get(), CURLOPT_NOBODY, 1L);
    ApplyTransferLimits(handle.Get());
    if (stop != nullptr) {
        curl_easy_setopt(handle.Get(), CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle.Get(), CURLOPT_XFERINFOFUNCTION, AbortWhenStopped);
        curl_easy_setopt(handle.Get(), CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(stop));
    }
    for (int attempt = 0; attempt < 3 && !Stopped(stop); ++attempt) {
        if (curl_easy_perform(handle.Get()) == CURLE_OK) {
            const char* effective = nullptr;
            curl_easy_getinfo(handle.Get(), CURLINFO_EFFECTIVE_URL, &effective);
            out = effective != nullptr ? effective : url;
            return true;
        }
        for (DWORD slept = 0; slept < EngineTimings().probeRetryPauseMs && !Stopped(stop); slept += 10) Sleep(10);
    }
    return false;
}

void GetUrlExtension(const std::string& url, std::string& name, std::string& extension) {
    name.clear();
    extension.clear();
    std::string path = url.substr(0, url.find_first_of("?#"));
    const size_t slash = path.find_last_of("/\\");
    const std::string component = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = component.rfind('.');
    std::string stem = dot == std::string::npos ? component : component.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : component.substr(dot);
    if (stem.size() > 259 || ext.size() > 255) return;
    name = stem;
    extension = ext;
}

namespace {

int Convert(const char* source, char* destination, size_t capacity, bool fromUtf8) {
    if (source == nullptr || destination == nullptr || capacity == 0) return 0;
    const std::string_view text(source);
    const std::wstring wide = fromUtf8 ? Utf8ToWide(text) : AnsiToWide(text);
    const std::string converted = fromUtf8 ? WideToAnsi(wide) : WideToUtf8(wide);
    if (!text.empty() && converted.empty()) return 0;
    CopyToFixedBuffer(converted, destination, capacity, fromUtf8 ? CP_ACP : CP_UTF8);
    return static_cast<int>(std::strlen(destination) + 1);
}

}  // namespace

int Utf8ToAnsi(const char* source, char* destination, size_t capacity) {
    return Convert(source, destination, capacity, true);
}

int AnsiToUtf8(const char* source, char* destination, size_t capacity) {
    return Convert(source, destination, capacity, false);
}

bool StartsWithBrace(const char* text) { return text != nullptr && text[0] == '{'; }
