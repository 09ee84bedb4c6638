// Builds zip archives in memory for tests: stored or deflated entries with
// chosen names, attributes, times and extra fields, optional bytes in front,
// and declared CRCs or sizes that differ from the data, so readers can be fed
// valid archives and precise variations of them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class ZipWriter {
public:
    struct Entry {
        std::string name;  // stored as given (UTF-8)
        std::string data;
        bool deflate = true;
        uint16_t versionMadeBy = 0x0014;  // high byte: host (0 MS-DOS, 3 Unix)
        uint32_t externalAttributes = 0x20;
        uint16_t dosDate = (44 << 9) | (3 << 5) | 14;  // 2024-03-14
        uint16_t dosTime = (12 << 11) | (30 << 5);     // 12:30:00
        bool unixModificationTime = false;             // adds a "UT" extra field to both headers
        uint32_t unixTime = 0;
        std::string localExtra;  // raw extra field of the local header only
        // Overrides for damaged archives: the CRC and size the headers declare.
        int64_t declaredCrc = -1;
        int64_t declaredSize = -1;
    };

    // Adds a file entry; returns it so a test can adjust its fields (before
    // the next Add, which may move it).
    Entry& Add(const std::string& name, const std::string& data, bool deflate = true);
    Entry& Add(const Entry& entry);
    // Adds a directory entry ("name/" with the directory attribute).
    Entry& AddDirectory(const std::string& name);

    // The whole archive: local headers and data, central directory, end record.
    std::string Build(const std::string& prefix = {}) const;

private:
    std::vector<Entry> entries_;
};

// Deflates text as a raw stream (no zlib header), as zip entries hold it.
std::string RawDeflate(const std::string& data);

// An item as a Unix zip tool writes it: Unix host, a regular rw-r--r-- file,
// 2025-01-01 12:00:00.
struct ZipItem : ZipWriter::Entry {
    ZipItem(std::string itemName, std::string itemData, bool deflated = true) {
        name = std::move(itemName);
        data = std::move(itemData);
        deflate = deflated;
        versionMadeBy = 0x031E;
        externalAttributes = 0x81A40000;
        dosTime = 0x6000;
        dosDate = 0x5A21;
    }
};

// The whole archive of these items as bytes; `prefix` is placed in front of it.
std::string BuildZip(const std::vector<ZipItem>& items, const std::string& prefix = std::string());

// An extended timestamp ("UT") extra block with the given flags and times.
std::string UnixTimeExtra(uint8_t flags, const std::vector<uint32_t>& times);

}  // namespace testsupport
