// Builds small zip archives in memory for tests: stored or deflated items,
// chosen attributes, times and extra fields, and optional bytes in front.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct ZipItem {
    ZipItem(std::string itemName, std::string itemData, bool deflated = true)
        : name(std::move(itemName)), data(std::move(itemData)), deflate(deflated) {}

    std::string name;
    std::string data;
    bool deflate = true;
    uint16_t versionMadeBy = 0x031E;      // Unix host
    uint32_t externalAttributes = 0x81A40000;  // regular file, rw-r--r--
    uint16_t dosTime = 0x6000;            // 12:00:00
    uint16_t dosDate = 0x5A21;            // 2025-01-01
    std::string localExtra;               // raw extra field of the local header
    // Overrides for damaged archives: declared sizes and CRC (when set).
    int64_t declaredCrc = -1;
    int64_t declaredSize = -1;
};

// The whole archive as bytes; `prefix` is placed in front of it.
std::string BuildZip(const std::vector<ZipItem>& items, const std::string& prefix = std::string());

// An extended timestamp ("UT") extra block with the given times.
std::string UnixTimeExtra(uint8_t flags, const std::vector<uint32_t>& times);

}  // namespace testsupport
