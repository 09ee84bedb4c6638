#include "web/WebHosts.h"

#include <windows.h>

#include <cstdlib>

namespace {

// The maker's public names, used when no setting is present.
const WebEndpoint kDefaultApi{"api.torvanik.com", 80};
const WebEndpoint kDefaultPage{"www.torvanik.com", 80};
const WebEndpoint kDefaultProbe{"www.baidu.com", 80};

WebEndpoint FromEnvironment(const char* name, const WebEndpoint& fallback) {
    char value[256] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    if (length == 0 || length >= sizeof value) return fallback;
    return ParseWebEndpoint(std::string(value, length), fallback);
}

}  // namespace

std::string WebEndpoint::Authority() const {
    return port == 80 ? host : host + ":" + std::to_string(port);
}

std::string WebEndpoint::BaseUrl() const { return "http://" + Authority(); }

WebEndpoint ParseWebEndpoint(const std::string& setting, const WebEndpoint& fallback) {
    WebEndpoint endpoint = fallback;
    std::string host = setting;
    const size_t colon = setting.rfind(':');
    if (colon != std::string::npos) {
        const long port = std::strtol(setting.c_str() + colon + 1, nullptr, 10);
        if (port > 0 && port <= 65535) endpoint.port = static_cast<unsigned short>(port);
        host.resize(colon);
    }
    if (!host.empty()) endpoint.host = host;
    return endpoint;
}

WebEndpoint ApiHost() { return FromEnvironment("TORVANIK_API_HOST", kDefaultApi); }
WebEndpoint PageHost() { return FromEnvironment("TORVANIK_PAGE_HOST", kDefaultPage); }
WebEndpoint ProbeHost() { return FromEnvironment("TORVANIK_PROBE_HOST", kDefaultProbe); }
