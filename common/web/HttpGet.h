// One HTTP GET of a path on one of the web service's hosts, as the bridge and
// the programs send it: agent "User-Agent", HTTP/1.1, no cache. The callers
// decide what a status other than 200 means.
#pragma once

#include <string>

#include "web/WebHosts.h"

struct HttpReply {
    bool received = false;    // a reply head arrived
    unsigned long status = 0;  // its HTTP status
    std::string body;          // the bytes that arrived, NULs included
};

// `path` carries the query ("index.php?c=..."); empty asks for the root.
HttpReply HttpGet(const WebEndpoint& host, const std::string& path);
