#include "EngineTestSupport.h"

#include "archive/ZMD5.h"

namespace enginetest {

std::string SourceBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 12345u;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    return bytes;
}

int WaitForEnd(const IProgress& task, unsigned timeoutMs) {
    WaitUntil([&] { return task.status.load() >= 1; }, timeoutMs);
    return task.status.load();
}

std::string Url(const testpeers::WebServicePeer& peer, const std::string& path) {
    return "http://" + peer.HostAndPort() + "/" + path;
}

int GetCount(const testpeers::WebServicePeer& peer, const std::string& path) {
    int count = 0;
    for (const auto& request : peer.Requests())
        if (request.method == "GET" && request.path == path) ++count;
    return count;
}

std::string RangeOfGet(const testpeers::WebServicePeer& peer, const std::string& path, int n) {
    for (const auto& request : peer.Requests()) {
        if (request.method != "GET" || request.path != path) continue;
        if (n-- == 0) {
            auto range = request.headers.find("range");
            return range == request.headers.end() ? "" : range->second;
        }
    }
    return "(no such request)";
}

std::string Md5Hex(const std::string& bytes) {
    ZMD5 md5;
    md5.Reset();
    md5.Update(bytes.data(), bytes.size());
    std::string hex = md5.Final();
    for (char& c : hex) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return hex;
}

}  // namespace enginetest
