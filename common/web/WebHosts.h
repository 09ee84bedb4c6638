// Where the maker's web service lives. Three endpoints, each configurable by
// an environment variable holding "host" or "host:port" (port 80 when none):
//   TORVANIK_API_HOST    the JSON API ("index.php?c=...", "api/...") and the
//                        web site's "/shuaji/" and "/help/fankui/" pages
//   TORVANIK_PAGE_HOST   the pages shown in the programs' web panes
//   TORVANIK_PROBE_HOST  a large public site whose answer means "network up"
// The device bridge and the programs read them here and nowhere else.
#pragma once

#include <string>

struct WebEndpoint {
    std::string host;
    unsigned short port = 80;

    // "host" on port 80, else "host:port": the form URLs and the setting use.
    std::string Authority() const;
    // "http://" + Authority(), without a trailing slash.
    std::string BaseUrl() const;
};

// Parses "host" or "host:port"; a missing host or an unusable port keeps
// that part of `fallback`.
WebEndpoint ParseWebEndpoint(const std::string& setting, const WebEndpoint& fallback);

WebEndpoint ApiHost();
WebEndpoint PageHost();
WebEndpoint ProbeHost();
