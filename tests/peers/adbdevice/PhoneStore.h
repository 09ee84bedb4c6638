// The phone's file system: remote paths map into a folder on this machine,
// and the phone's properties answer getprop and change by setprop (from any
// of the server's connections at once).
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace adbdevice {

class PhoneStore {
public:
    explicit PhoneStore(std::string root) : root_(std::move(root)) {}
    // The local path of an absolute remote path; none for a path that is
    // not absolute or climbs out with "..".
    std::optional<std::string> LocalPath(const std::string& remote) const;
    void SetProperty(const std::string& name, const std::string& value);
    std::string Property(const std::string& name) const;

private:
    std::string root_;
    mutable std::mutex lock_;
    std::map<std::string, std::string> properties_;
};

}  // namespace adbdevice
