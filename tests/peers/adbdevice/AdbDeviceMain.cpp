// A scripted Android device for tests and benchmarks, run natively: it
// listens on a loopback port and speaks the device side of the adb
// transport protocol, so a real adb server attaches it with
// "adb connect 127.0.0.1:PORT". Files live in a folder; see ShellService.h
// for the shell commands it answers.
//   adb_device --store DIR [--port N] [--prop NAME=VALUE]...
// Port 0 (the default) takes a free port; "listening on PORT" is printed
// once it accepts connections.
#include "DeviceTransport.h"
#include "PhoneStore.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <vector>
#include <unistd.h>

namespace {

int Listen(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0) return -1;
    return fd;
}

int BoundPort(int fd) {
    sockaddr_in address = {};
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);
    std::string store;
    int port = 0;
    std::vector<std::pair<std::string, std::string>> properties = {
        {"ro.product.name", "scripted"}, {"ro.product.model", "Scripted Phone"}, {"ro.product.device", "scripted"}};
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i], value = argv[i + 1];
        if (option == "--store") {
            store = value;
        } else if (option == "--port") {
            port = atoi(value.c_str());
        } else if (option == "--prop" && value.find('=') != std::string::npos) {
            properties.emplace_back(value.substr(0, value.find('=')), value.substr(value.find('=') + 1));
        } else {
            fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (store.empty()) {
        fprintf(stderr, "usage: adb_device --store DIR [--port N] [--prop NAME=VALUE]...\n");
        return 2;
    }
    // Lives as long as the process: transport threads are never joined.
    auto* phone = new adbdevice::PhoneStore(store);
    std::string banner = "device::";
    for (const auto& [name, value] : properties) {
        phone->SetProperty(name, value);
        if (name == "ro.product.name" || name == "ro.product.model" || name == "ro.product.device")
            banner += name + "=" + value + ";";
    }
    int listener = Listen(port);
    if (listener < 0) {
        perror("listen");
        return 1;
    }
    printf("listening on %d\n", BoundPort(listener));
    fflush(stdout);
    for (;;) {
        int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        std::thread([fd, phone, banner] {
            adbdevice::ServeTransport(fd, *phone, banner);
            close(fd);
        }).detach();
    }
}
