// HTTP GET of a path on the web service's API host, returning the reply text.
// The host is the suite's shared setting (common/web/WebHosts.h).
#pragma once

#include <string>

// Fetches path (with its query, e.g. "index.php?c=...") from the API host
// over plain HTTP and returns the reply body as text, ending at a NUL byte.
// The HTTP status is not looked at; any failure gives "".
std::string HttpGetToString(const char* path);
