// The stand-in phone service as a program, for the demo run and the
// benchmarks: phone_service_peer.exe --port 10086 --phone <folder>
//   [--data <contacts> <messages> <calls>] [--legacy]
// Runs until it is killed.
#include "PhoneServiceApp.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    unsigned short port = 10086;
    std::wstring phone = L".\\phone\\";
    int counts[3] = {300, 800, 120};
    bool legacy = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--port" && i + 1 < argc) port = static_cast<unsigned short>(_wtoi(argv[++i]));
        else if (arg == L"--phone" && i + 1 < argc) phone = argv[++i];
        else if (arg == L"--data" && i + 3 < argc)
            for (int& count : counts) count = _wtoi(argv[++i]);
        else if (arg == L"--legacy") legacy = true;
    }
    if (!phone.empty() && phone.back() != L'\\') phone += L'\\';
    testpeers::PhoneServiceApp app(phone, testpeers::MakePhoneData(counts[0], counts[1], counts[2]), legacy);
    testpeers::PhoneServicePeer peer(app.Responder(), port);
    std::printf("phone service on 127.0.0.1:%u\n", peer.Port());
    std::fflush(stdout);
    for (;;) ::Sleep(1000);
}
