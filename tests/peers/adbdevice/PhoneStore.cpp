#include "PhoneStore.h"

namespace adbdevice {

std::optional<std::string> PhoneStore::LocalPath(const std::string& remote) const {
    if (remote.empty() || remote[0] != '/') return std::nullopt;
    size_t start = 0;
    while (start <= remote.size()) {
        size_t end = remote.find('/', start);
        if (end == std::string::npos) end = remote.size();
        if (remote.compare(start, end - start, "..") == 0) return std::nullopt;
        start = end + 1;
    }
    return root_ + remote;
}

void PhoneStore::SetProperty(const std::string& name, const std::string& value) {
    std::lock_guard<std::mutex> hold(lock_);
    properties_[name] = value;
}

std::string PhoneStore::Property(const std::string& name) const {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = properties_.find(name);
    return found == properties_.end() ? std::string() : found->second;
}

}  // namespace adbdevice
