#include "tools/HttpGetToString.h"

#include "web/HttpGet.h"
#include "web/WebHosts.h"

std::string HttpGetToString(const char* path) {
    const HttpReply reply = HttpGet(ApiHost(), path ? path : "");
    return reply.body.substr(0, reply.body.find('\0'));  // text: a NUL ends it
}
