// The adb client's connection to the adb server: opening services (with the
// transport switch that picks the phone), status and text answers, reading a
// service's stream, and starting the server when none answers.
#pragma once

#include <optional>
#include <string>

constexpr int kAdbServerPort = 5037;
constexpr size_t kAdbMaxServiceLength = 1024;

// Which phone and which server a command addresses ("-s" and "-H").
struct AdbTarget {
    std::optional<std::string> serial;
    std::optional<std::string> host;
};

// The request frame: four lower-case hex digits of length, then the text.
std::string AdbRequestFrame(const std::string& service);

// Connection number, -1 for a failure the server or protocol reported, -2 when
// the server could not be reached. Does not start a server. The connection
// and the server's status answers are bounded by the socket time-out; the
// stream of a device service that opened is not.
int AdbOpenService(const AdbTarget& target, const std::string& service, std::string& output);
// As AdbOpenService, but starts the server when it does not answer; gives 0
// for "host:start-server" once a server runs.
int AdbConnectService(const AdbTarget& target, const std::string& service, std::string& output);
// Whether the second status of a host command is the server's own reply
// (bounded by the socket time-out) or waits on the phone ("wait-for-").
enum class AdbReplyWait { Bounded, Unbounded };
// A host command answered by two statuses; 0 after the second "OKAY".
int AdbServiceCommand(const AdbTarget& target, const std::string& service, std::string& output,
                      AdbReplyWait wait = AdbReplyWait::Bounded);
// A length-prefixed text answer, or none.
std::optional<std::string> AdbQueryText(const AdbTarget& target, const std::string& service, std::string& output);
// 0 on "OKAY"; on "FAIL" the output becomes the server's message; -1 otherwise.
int AdbReadStatus(int fd, std::string& output);
// Appends everything the service sends until it closes the stream.
void AdbReadToOutput(int fd, std::string& output);
// Starts RirorivUvi.exe and waits for its "OK\n"; 0 on success, -1 otherwise.
int AdbLaunchServer();
