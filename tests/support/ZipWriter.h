// Builds zip archives in memory for tests: stored or deflated entries with
// chosen names, attributes and times, so readers can be fed valid archives
// and precise variations of them.
#pragma once

#include <cstdint>
#include <string>
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
        bool unixModificationTime = false;             // adds a "UT" extra field
        uint32_t unixTime = 0;
    };

    // Adds a file entry; returns it so a test can adjust its fields (before
    // the next Add, which may move it).
    Entry& Add(const std::string& name, const std::string& data, bool deflate = true);
    // Adds a directory entry ("name/" with the directory attribute).
    Entry& AddDirectory(const std::string& name);

    // The whole archive: local headers and data, central directory, end record.
    std::string Build(const std::string& prefix = {}) const;

private:
    std::vector<Entry> entries_;
};

// Deflates text as a raw stream (no zlib header), as zip entries hold it.
std::string RawDeflate(const std::string& data);

}  // namespace testsupport
