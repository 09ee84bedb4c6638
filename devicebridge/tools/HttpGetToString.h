// HTTP GET of a path on the web service's API host, returning the reply text.
#pragma once

#include <string>

// Where the web service's API answers. A deployment sets the environment
// variable TORVANIK_API_HOST to "host" or "host:port" (for example in the
// machine's environment, or in the launcher that starts the programs);
// without it the maker's public host on port 80 is used.
struct ApiEndpoint {
    std::string host;
    unsigned short port;
};
ApiEndpoint ApiEndpointFromSettings();

// Fetches path (with its query, e.g. "index.php?c=...") from the API host
// over plain HTTP and returns the reply body as text, cut at a NUL byte in
// any piece. The HTTP status is not looked at; any failure gives "".
std::string HttpGetToString(const char* path);
