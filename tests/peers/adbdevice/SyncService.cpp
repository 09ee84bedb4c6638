#include "SyncService.h"

#include "Le32.h"
#include "PhoneStore.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace adbdevice {
namespace {

constexpr uint32_t kMaxPath = 1024;
constexpr uint32_t kMaxChunk = 65536;

std::string Le32(uint32_t v) {
    char raw[4];
    PutLe32(raw, v);
    return std::string(raw, 4);
}

bool CarriesPath(const char id[4]) {
    return memcmp(id, "STAT", 4) == 0 || memcmp(id, "LIST", 4) == 0 || memcmp(id, "SEND", 4) == 0 ||
           memcmp(id, "RECV", 4) == 0;
}

// Creates each missing folder above a local file.
void CreateParents(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
}

}  // namespace

SyncService::~SyncService() {
    if (recvFd_ >= 0) close(recvFd_);
    // A host that went away in the middle of a SEND leaves no partial file.
    if (sendFd_ >= 0) {
        close(sendFd_);
        unlink(sendPath_.c_str());
    }
}

void SyncService::Receive(const char* data, size_t size) {
    if (recvFd_ >= 0 || finished_) {
        stash_.append(data, size);
        return;
    }
    Consume(data, size);
}

void SyncService::Consume(const char* data, size_t size) {
    while (size > 0) {
        if (dataLeft_ > 0) {
            size_t take = size < dataLeft_ ? size : dataLeft_;
            WriteData(data, take);
            data += take;
            size -= take;
            dataLeft_ -= static_cast<uint32_t>(take);
            continue;
        }
        if (recvFd_ >= 0 || finished_) {
            stash_.append(data, size);
            return;
        }
        size_t need = 8;
        if (request_.size() >= 8 && CarriesPath(request_.data())) need += GetLe32(request_.data() + 4);
        size_t take = need - request_.size() < size ? need - request_.size() : size;
        request_.append(data, take);
        data += take;
        size -= take;
        if (request_.size() < 8) continue;
        uint32_t value = GetLe32(request_.data() + 4);
        if (CarriesPath(request_.data()) && value > kMaxPath) {
            Fail("path too long");
            finished_ = true;
            continue;
        }
        if (request_.size() < 8 + (CarriesPath(request_.data()) ? value : 0)) continue;
        std::string request;
        request.swap(request_);
        Handle(request.data(), value, request.substr(8));
    }
}

void SyncService::Handle(const char id[4], uint32_t value, const std::string& body) {
    if (memcmp(id, "STAT", 4) == 0) {
        Stat(body);
    } else if (memcmp(id, "LIST", 4) == 0) {
        List(body);
    } else if (memcmp(id, "SEND", 4) == 0) {
        BeginSend(body);
    } else if (memcmp(id, "DATA", 4) == 0 && sendPath_.size() > 0 && value <= kMaxChunk) {
        dataLeft_ = value;
    } else if (memcmp(id, "DONE", 4) == 0 && sendPath_.size() > 0) {
        EndSend(value);
    } else if (memcmp(id, "RECV", 4) == 0) {
        BeginReceive(body);
    } else if (memcmp(id, "QUIT", 4) == 0) {
        finished_ = true;
    } else {
        Fail("unknown or misplaced sync request '" + std::string(id, 4) + "'");
        finished_ = true;
    }
}

void SyncService::Answer(const char id[4], uint32_t value, const std::string& body) {
    outbox_.append(id, 4);
    outbox_ += Le32(value);
    outbox_ += body;
}

void SyncService::Stat(const std::string& remote) {
    auto local = store_.LocalPath(remote);
    struct stat info = {};
    if (!local || lstat(local->c_str(), &info) != 0) info = {};
    Answer("STAT", info.st_mode, Le32(static_cast<uint32_t>(info.st_size)) + Le32(static_cast<uint32_t>(info.st_mtime)));
}

void SyncService::List(const std::string& remote) {
    auto local = store_.LocalPath(remote);
    DIR* folder = local ? opendir(local->c_str()) : nullptr;
    while (dirent* entry = folder ? readdir(folder) : nullptr) {
        struct stat info = {};
        std::string name = entry->d_name;
        if (lstat((*local + "/" + name).c_str(), &info) != 0) continue;
        Answer("DENT", info.st_mode,
               Le32(static_cast<uint32_t>(info.st_size)) + Le32(static_cast<uint32_t>(info.st_mtime)) +
                   Le32(static_cast<uint32_t>(name.size())) + name);
    }
    if (folder) closedir(folder);
    Answer("DONE", 0, std::string(12, '\0'));
}

void SyncService::BeginSend(const std::string& pathAndMode) {
    size_t comma = pathAndMode.rfind(',');
    std::string remote = pathAndMode.substr(0, comma);
    mode_t mode = comma == std::string::npos ? 0644 : static_cast<mode_t>(strtoul(pathAndMode.c_str() + comma + 1, nullptr, 10));
    auto local = store_.LocalPath(remote);
    sendPath_ = local ? *local : "/";
    sendError_.clear();
    if (!local) {
        sendError_ = "invalid path '" + remote + "'";
        return;
    }
    CreateParents(sendPath_);
    sendFd_ = open(sendPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, (mode & 0777) | 0600);
    if (sendFd_ < 0) sendError_ = "couldn't create file: " + std::string(strerror(errno));
}

void SyncService::WriteData(const char* data, size_t size) {
    while (sendFd_ >= 0 && size > 0) {
        ssize_t put = write(sendFd_, data, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            sendError_ = "write failed: " + std::string(strerror(errno));
            close(sendFd_);
            sendFd_ = -1;
            return;
        }
        data += put;
        size -= static_cast<size_t>(put);
    }
}

void SyncService::EndSend(uint32_t time) {
    if (sendFd_ >= 0) {
        struct timespec times[2] = {{static_cast<time_t>(time), 0}, {static_cast<time_t>(time), 0}};
        futimens(sendFd_, times);
        close(sendFd_);
        sendFd_ = -1;
    }
    if (sendError_.empty()) {
        Answer("OKAY", 0);
    } else {
        if (sendPath_ != "/") unlink(sendPath_.c_str());
        Fail(sendError_);
    }
    sendPath_.clear();
}

void SyncService::BeginReceive(const std::string& remote) {
    auto local = store_.LocalPath(remote);
    recvFd_ = local ? open(local->c_str(), O_RDONLY) : -1;
    if (recvFd_ < 0) Fail(local ? strerror(errno) : "invalid path");
}

size_t SyncService::TakeOutbox(char* out, size_t room) {
    size_t take = outbox_.size() - outboxSent_ < room ? outbox_.size() - outboxSent_ : room;
    memcpy(out, outbox_.data() + outboxSent_, take);
    outboxSent_ += take;
    if (outboxSent_ == outbox_.size()) {
        outbox_.clear();
        outboxSent_ = 0;
    }
    return take;
}

size_t SyncService::Produce(char* out, size_t room) {
    size_t used = 0;
    for (;;) {
        used += TakeOutbox(out + used, room - used);
        if (!outbox_.empty() || recvFd_ < 0 || room - used <= 8) return used;
        // The file goes out as DATA chunks packed back to back, read
        // straight into the packet.
        size_t chunk = room - used - 8 < kMaxChunk ? room - used - 8 : kMaxChunk;
        ssize_t got = read(recvFd_, out + used + 8, chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got > 0) {
            memcpy(out + used, "DATA", 4);
            PutLe32(out + used + 4, static_cast<uint32_t>(got));
            used += 8 + static_cast<size_t>(got);
            continue;
        }
        int error = errno;
        close(recvFd_);
        recvFd_ = -1;
        if (got == 0) {
            Answer("DONE", 0);
        } else {
            Fail(strerror(error));
        }
        Resume();
    }
}

void SyncService::Resume() {
    std::string held;
    held.swap(stash_);
    Consume(held.data(), held.size());
}

}  // namespace adbdevice
