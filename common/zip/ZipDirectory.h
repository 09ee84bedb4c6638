// The structure of a zip archive: its end record, central directory and local
// headers. Every length and offset read from the archive is checked against
// the source before use. Stored and deflated items are read through
// ZipItemStream; what an entry means to a caller (its name's encoding, its
// attributes and times) is left to each reader built on this one.
#pragma once

#include "ZipItemStream.h"
#include "ZipSource.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zipcore {

struct CentralEntry {
    uint16_t versionMadeBy = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
    uint32_t externalAttributes = 0;
    uint32_t localOffset = 0;
    std::string name;   // the stored bytes, encoding as the archive's maker chose
    std::string extra;  // the central header's extra field
};

enum class LocateResult { Ok, Corrupt, ReadFailed };

class ZipDirectory {
public:
    // Reads the end record and the central directory. Null when there is no
    // sound end record or the directory cannot be read. Entries are taken
    // while they lie wholly inside the directory; a damaged entry ends the walk.
    static std::unique_ptr<ZipDirectory> Open(std::unique_ptr<ZipSource> source);

    // The count the end record declares; the readable entries may be fewer.
    int DeclaredCount() const { return declaredCount_; }
    bool IsComplete() const { return entries_.size() == static_cast<size_t>(declaredCount_); }
    // Null for an index outside the readable entries.
    const CentralEntry* Entry(int index) const;
    const std::vector<CentralEntry>& Entries() const { return entries_; }

    // Checks an item's local header against its directory entry and finds its
    // data, which must lie before the central directory.
    LocateResult Locate(int index, ZipItemLocation* location, std::string* localExtra = nullptr) const;

    const ZipSource& Source() const { return *source_; }

private:
    bool ReadEndRecord();
    bool ReadEntries();

    std::unique_ptr<ZipSource> source_;
    uint64_t prefix_ = 0;          // bytes of other data in front of the archive
    uint64_t directoryStart_ = 0;  // where the central directory begins in the source
    uint32_t directorySize_ = 0;
    int declaredCount_ = 0;
    std::vector<CentralEntry> entries_;
};

// FILETIME of a Unix time (seconds since 1970, UTC).
FILETIME UnixTimeToFileTime(uint32_t seconds);

// The times of an extended timestamp ("UT") block in an extra field, each
// only when the block really carries it. Blocks are walked with their full
// 16-bit sizes and never past the field's end.
struct ExtendedTimes {
    bool hasModification = false, hasAccess = false, hasCreation = false;
    FILETIME modification{}, access{}, creation{};
};
ExtendedTimes ReadExtendedTimes(const std::string& extra);

}  // namespace zipcore
