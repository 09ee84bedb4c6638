#include "adb/AdbCommandLine.h"

#include "adb/AdbClient.h"
#include "adb/AdbShell.h"
#include "adb/AdbSync.h"
#include "adb/sysdeps_win32.h"
#include "win32/TextConvert.h"

#include <windows.h>
#include <shellapi.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

namespace {

constexpr size_t kForwardPrefixBuffer = 64;
constexpr size_t kDeviceCommandBuffer = 100;
constexpr DWORD kPersistPauseMs = 1000;

AdbWord Word(const std::string& text) { return {text, AnsiToWide(text, kAdbWordCodePage)}; }

std::string Remote(const AdbWord& word) { return WideToUtf8(word.wide); }

// Runs a service and appends its whole stream; false when it did not open.
bool RunStream(const AdbTarget& target, const std::string& service, std::string& output) {
    int fd = AdbConnectService(target, service, output);
    if (fd < 0) return false;
    AdbReadToOutput(fd, output);
    HandleClose(fd);
    return true;
}

std::string ShellText(const std::vector<AdbWord>& args) {
    std::string text = "shell:" + args[0].text;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i].text;
        text += ' ';
        if (a.empty() || a.find(' ') != std::string::npos) {
            text += '"' + a + '"';
        } else {
            text += a;
        }
    }
    return text;
}

bool PortWordIsValid(const std::string& port) {
    if (port.empty()) {
        fprintf(stderr, "adb: port number must be a positive number less than 65536. Got empty string.\n");
        return false;
    }
    char* end = nullptr;
    long value = strtol(port.c_str(), &end, 0);
    if (*end != '\0' || value <= 0 || value > 65535) {
        fprintf(stderr, "adb: port number must be a positive number less than 65536. Got \"%s\"\n", port.c_str());
        return false;
    }
    return true;
}

int Forward(const AdbTarget& target, const std::string& prefix, const std::vector<AdbWord>& args, std::string& output) {
    std::string option;
    size_t i = 0;
    for (; i < args.size() && !args[i].text.empty() && args[i].text[0] == '-'; ++i) {
        const std::string& w = args[i].text;
        if ((w != "--list" && w != "--remove" && w != "--remove-all" && w != "--no-rebind") || !option.empty()) return 1;
        option = w;
    }
    size_t rest = args.size() - i;
    if (prefix.size() >= kForwardPrefixBuffer) {
        fprintf(stderr, "error: serial too long\n");
        return 1;
    }
    std::string service;
    if (option == "--list") {
        if (rest != 0) return 1;
        std::optional<std::string> list = AdbQueryText(target, prefix + ":list-forward", output);
        if (!list) return 1;
        printf("%s", list->c_str());
        return 0;
    }
    if (option == "--remove-all") {
        if (rest != 0) return 1;
        service = prefix + ":killforward-all";
    } else if (option == "--remove") {
        if (rest != 1) return 1;
        service = prefix + ":killforward:" + args[i].text;
    } else if (option == "--no-rebind") {
        if (rest != 2) return 1;
        service = prefix + ":forward:norebind:" + args[i].text + ";" + args[i + 1].text;
    } else {
        if (rest != 2) return 1;
        service = prefix + ":forward:" + args[i].text + ";" + args[i + 1].text;
    }
    return AdbServiceCommand(target, service, output) == 0 ? 0 : 1;
}

int Shell(const AdbTarget& target, bool persist, bool highlight, const std::vector<AdbWord>& args, std::string& output) {
    if (args.empty()) return AdbInteractiveShell(target, output);
    const std::string text = ShellText(args);
    for (;;) {
        if (highlight) printf("\x1b[41;33m");
        bool opened = RunStream(target, text, output);
        if (highlight) printf("\x1b[0m");
        if (!persist) return opened ? 0 : -1;
        // Persistent shells run again once the phone is back; they stop when
        // the server no longer answers.
        fprintf(stderr, "\n- waiting for device -\n");
        Sleep(kPersistPauseMs);
        std::string scratch;
        if (AdbDispatchWithSerial(scratch, target.serial, {Word("wait-for-device")}) != 0) return opened ? 0 : -1;
    }
}

int Framebuffer(const AdbTarget& target, const std::vector<AdbWord>& args, std::string& output) {
    if (args.empty()) return 1;
    bool turned = args.size() == 2 && args[0].text == "-r";
    return AdbFramebufferShot(target, args.back().wide, turned, output);
}

int StatusWindow(const AdbTarget& target, const std::string& prefix) {
    // Prints the phone's state whenever it changes, until the server is gone.
    std::string last;
    for (;;) {
        std::string scratch;
        std::optional<std::string> state = AdbQueryText(target, prefix + ":get-state", scratch);
        if (!state) return 0;
        if (*state != last) printf("State: %s\n", state->c_str());
        last = *state;
        Sleep(250);
    }
}

}  // namespace

int AdbDispatchWithSerial(std::string& output, const std::optional<std::string>& serial,
                          const std::vector<AdbWord>& words) {
    std::vector<AdbWord> all;
    if (serial) {
        all.push_back(Word("-s"));
        all.push_back(Word(*serial));
    }
    all.insert(all.end(), words.begin(), words.end());
    return AdbDispatch(output, all);
}

int AdbDispatch(std::string& output, const std::vector<AdbWord>& words) {
    AdbTarget target;
    bool persist = false;
    size_t i = 0;
    for (; i < words.size(); ++i) {
        const std::string& w = words[i].text;
        if (w == "nodaemon" || w == "fork-server") continue;
        if (w == "persist") {
            persist = true;
        } else if (w.compare(0, 2, "-s") == 0) {
            if (w.size() > 2 && w[2] >= '0' && w[2] <= '9') {
                target.serial = w.substr(2);
            } else if (w.size() == 2 && i + 1 < words.size()) {
                target.serial = words[++i].text;
            } else {
                return 1;
            }
        } else if (w.compare(0, 2, "-H") == 0) {
            if (w.size() > 2) {
                target.host = w.substr(2);
            } else if (i + 1 < words.size()) {
                target.host = words[++i].text;
            } else {
                return 1;
            }
        } else if (w.compare(0, 2, "-P") == 0) {
            std::string port = w.size() > 2 ? w.substr(2) : i + 1 < words.size() ? words[++i].text : std::string();
            if (!PortWordIsValid(port)) return 1;
        } else {
            break;
        }
    }
    if (i >= words.size()) return 1;
    const std::string command = words[i].text;
    const std::vector<AdbWord> args(words.begin() + static_cast<std::ptrdiff_t>(i) + 1, words.end());
    const std::string prefix = target.serial ? "host-serial:" + *target.serial : "host";

    if (command == "devices") {
        if (args.size() > 1 || (args.size() == 1 && args[0].text != "-l")) {
            fprintf(stderr, "Usage: adb devices [-l]\n");
            return 1;
        }
        std::optional<std::string> list =
            AdbQueryText(target, "host:" + command + (args.empty() ? "" : args[0].text), output);
        if (!list) return 1;
        printf("List of devices attached \n");
        output += *list;
        return 0;
    }
    if (command == "connect" || command == "disconnect") {
        bool connect = command == "connect";
        if (connect ? args.size() != 1 : args.size() > 1) {
            fprintf(stderr, connect ? "Usage: adb connect <host>[:<port>]\n"
                                    : "Usage: adb disconnect [<host>[:<port>]]\n");
            return 1;
        }
        std::optional<std::string> reply =
            AdbQueryText(target, "host:" + command + ":" + (args.empty() ? "" : args[0].text), output);
        if (!reply) return 1;
        output += *reply;
        return 0;
    }
    if (command == "shell" || command == "hell") return Shell(target, persist, command == "hell", args, output);
    if (command == "kill-server") {
        int fd = target.host ? NetworkConnect(target.host->c_str(), kAdbServerPort) : LoopbackConnect(kAdbServerPort);
        if (fd < 0) return 0;
        std::string frame = AdbRequestFrame("host:kill");
        int result = WriteExactly(fd, frame.data(), frame.size());
        HandleClose(fd);
        return result == 0 ? 0 : 1;
    }
    if (command == "remount" || command == "reboot" || command == "tcpip" || command == "usb" || command == "root") {
        if (args.size() > 1) return 1;
        std::string service = command + ":" + (args.empty() ? "" : args[0].text);
        if (service.size() >= kDeviceCommandBuffer) {
            fprintf(stderr, "error: command too long\n");
            return 1;
        }
        return RunStream(target, service, output) ? 0 : 1;
    }
    if (command == "reboot-bootloader") {
        if (!args.empty()) return 1;
        return RunStream(target, "reboot:bootloader", output) ? 0 : 1;
    }
    if (command == "bugreport") {
        if (!args.empty()) return 1;
        return AdbDispatchWithSerial(output, target.serial, {Word("shell"), Word("bugreport")});
    }
    if (command.compare(0, 9, "wait-for-") == 0) {
        std::string word = command.compare(0, 15, "wait-for-device") == 0 ? "wait-for-any" : command;
        // The second answer comes when the phone does.
        if (AdbServiceCommand(target, prefix + ":" + word, output, AdbReplyWait::Unbounded) != 0) return 1;
        return args.empty() ? 0 : AdbDispatchWithSerial(output, target.serial, args);
    }
    if (command == "shortcut") return Framebuffer(target, args, output);
    if (command == "forward") return Forward(target, prefix, args, output);
    if (command == "ls") {
        if (args.size() != 1) return 1;
        return AdbListRemote(target, Remote(args[0]), output);
    }
    if (command == "push") {
        if (args.size() != 2) return 1;
        return AdbPush(target, args[0].wide, Remote(args[1]), output);
    }
    if (command == "pull") {
        if (args.empty() || args.size() > 2) return 1;
        return AdbPull(target, Remote(args[0]), args.size() == 2 ? args[1].wide : L".", output);
    }
    if (command == "install" || command == "uninstall") {
        std::vector<AdbWord> own(words.begin() + static_cast<std::ptrdiff_t>(i), words.end());
        return command == "install" ? AdbInstallApk(target, own, output) : AdbUninstall(target, own, output);
    }
    if (command == "get-state" || command == "get-serialno" || command == "get-devpath") {
        if (!args.empty()) return 1;
        std::optional<std::string> answer = AdbQueryText(target, prefix + ":" + command, output);
        if (!answer) return 1;
        printf("%s\n", answer->c_str());
        return 0;
    }
    if (command == "status-window") return StatusWindow(target, prefix);
    if (command == "ppp") {
        fprintf(stderr, "error: adb %s not implemented on Win32\n", command.c_str());
        return -1;
    }
    if (command == "start-server") return AdbConnectService(target, "host:start-server", output) == 0 ? 0 : 1;
    if (command == "jdwp") return RunStream(target, "jdwp", output) ? 0 : 1;
    if (command == "help" || command == "/?") return 0;
    if (command == "version") {
        printf("Android Debug Bridge version %d.%d.%d\n", 1, 0, 31);
        return 0;
    }
    return 1;
}

int AdbRunCommandLine(const wchar_t* commandLine, std::string& output) {
    // An empty line would give the program's own path as its one word.
    if (!commandLine || !commandLine[wcsspn(commandLine, L" \t")]) return AdbDispatch(output, {});
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &count);
    if (!argv) return 1;
    std::vector<AdbWord> words;
    bool fits = count >= 0 && static_cast<size_t>(count) <= kAdbMaxWords;
    for (int i = 0; fits && i < count; ++i) {
        AdbWord word{WideToAnsi(argv[i], kAdbWordCodePage), argv[i]};
        if (word.text.size() > kAdbMaxWordBytes) fits = false;
        words.push_back(std::move(word));
    }
    LocalFree(argv);
    return fits ? AdbDispatch(output, words) : 1;
}
