#include "PhoneServiceApp.h"

#include <windows.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace fs = std::filesystem;

namespace testpeers {

namespace {

const char kBackupFolder[] = "/storage/emulated/0/doruvadedi/";
const int kItemBits[] = {1, 2, 4};

std::string Stamp() {
    std::time_t now = std::time(nullptr);
    std::tm local = *std::localtime(&now);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d-%H-%M-%S", &local);
    return text;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool ReadBytes(const std::wstring& path, std::string& bytes) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

}  // namespace

const char PhoneServiceApp::kRestoreFolder[] = "/storage/emulated/0/doruvadedi/restore/";

PhoneServiceApp::PhoneServiceApp(std::wstring phoneFolder, PhoneData data, bool legacyStorage)
    : phoneFolder_(std::move(phoneFolder)), data_(std::move(data)), legacy_(legacyStorage) {}

PhoneServicePeer::Responder PhoneServiceApp::Responder() {
    return [this](const std::string& request) { return Answer(request); };
}

std::string PhoneServiceApp::StoragePath(const std::string& phonePath) const {
    if (!legacy_) return phonePath;
    return std::regex_replace(phonePath, std::regex("storage/emulated/0"), "storage/emulated/legacy");
}

std::wstring PhoneServiceApp::LocalPath(const std::string& phonePath) const {
    std::wstring path = phoneFolder_;
    for (char c : StoragePath(phonePath)) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

std::vector<std::string> PhoneServiceApp::Answer(const std::string& request) {
    std::smatch match;
    if (request == "queryData")
        return {"contact(" + std::to_string(data_.contacts) + ")_msg(" + std::to_string(data_.messages) +
                ")_calllog(" + std::to_string(data_.calls) + ")"};
    if (request == "getDir") {
        std::error_code ec;
        fs::remove_all(fs::path(LocalPath(kRestoreFolder)), ec);
        fs::create_directories(fs::path(LocalPath(kRestoreFolder)), ec);
        return {std::string("restoreDir_") + kRestoreFolder + "/"};
    }
    if (std::regex_match(request, match, std::regex(R"(backup_(\d+))"))) {
        int mask = std::stoi(match[1]);
        std::string stamp = Stamp();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lastStamp_ = stamp;
        }
        std::string replies;
        for (int bit : kItemBits) {
            if (!(mask & bit)) continue;
            std::string phonePath = kBackupFolder + stamp + "." + PhoneData::ExtensionOf(bit);
            WriteBytes(LocalPath(phonePath), data_.FileOf(bit));
            replies += "backup_" + std::to_string(bit) + "_" + phonePath;
        }
        return {replies};
    }
    if (std::regex_match(request, match, std::regex(R"(restore_(\d+)_(.{19})_(.{19}))"))) {
        int mask = std::stoi(match[1]);
        std::vector<std::string> replies;
        for (int bit : kItemBits) {
            if (!(mask & bit)) continue;
            std::string pushed;
            std::string file = kRestoreFolder + match[2].str() + "." + PhoneData::ExtensionOf(bit);
            bool same = ReadBytes(LocalPath(file), pushed) && pushed == data_.FileOf(bit);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                restoreResults_.push_back(std::to_string(bit) + (same ? ":ok" : ":differs"));
            }
            replies.push_back("restore_" + std::to_string(bit) + "_/" + (same ? "ok" : "differs"));
        }
        return replies;
    }
    return {};
}

std::vector<std::string> PhoneServiceApp::RestoreResults() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return restoreResults_;
}

std::string PhoneServiceApp::LastStamp() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastStamp_;
}

}  // namespace testpeers
