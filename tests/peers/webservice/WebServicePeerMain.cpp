// The web service stand-in as a program, for running the suite by hand:
//   web_service_peer --port N --site <folder> [--log <file>]
// The site folder's "routes.txt" maps request paths to files of the folder,
// one route a line: <path> <file> [<content type>] (a path of "/" is the root).
// It serves until the process is ended.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "WebServicePeer.h"

int main(int argc, char** argv) {
    unsigned short port = 0;
    std::filesystem::path site, log;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--port") == 0) port = static_cast<unsigned short>(atoi(argv[i + 1]));
        else if (strcmp(argv[i], "--site") == 0) site = argv[i + 1];
        else if (strcmp(argv[i], "--log") == 0) log = argv[i + 1];
    }
    testpeers::WebServicePeer peer(port);
    if (!log.empty()) peer.SetRequestLog(log.wstring());
    std::ifstream routes(site / "routes.txt");
    int count = 0;
    for (std::string line; std::getline(routes, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::string path, file, type;
        if (!(fields >> path >> file) || path[0] == '#') continue;
        testpeers::WebServicePeer::Reply reply;
        reply.file = (site / file).wstring();
        reply.contentType = (fields >> type) ? type : "application/json; charset=utf-8";
        peer.SetReply(path == "/" ? "" : path, reply);
        ++count;
    }
    std::printf("web service stand-in on 127.0.0.1:%u with %d routes\n", peer.Port(), count);
    std::fflush(stdout);
    Sleep(INFINITE);
    return 0;
}
