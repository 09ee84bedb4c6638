// Reads one item's data out of an archive, inflating deflated items, and
// checks at the end that exactly the declared size came out with the declared
// CRC-32. Output may be taken in any number of pieces.
#pragma once
#include "ZipSource.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

namespace zipcore {

struct ZipItemLocation {
    uint64_t dataOffset;   // first byte of the item's data in the source
    uint16_t method;       // 0 stored, 8 deflated
    uint16_t flags;
    uint32_t crc;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
};

class ZipItemStream {
public:
    enum Status { Done, More, Failed };

    ZipItemStream(const ZipSource& source, const ZipItemLocation& item);
    ~ZipItemStream();
    ZipItemStream(const ZipItemStream&) = delete;
    ZipItemStream& operator=(const ZipItemStream&) = delete;

    // Fills up to `capacity` bytes; `written` tells how many. Done once the
    // whole item has come out and checked, More while data remains.
    Status Read(unsigned char* out, size_t capacity, size_t* written);

private:
    bool Refill();
    Status Finish();

    const ZipSource& source_;
    ZipItemLocation item_;
    z_stream zs_{};
    bool inflating_ = false;
    bool streamEnded_ = false;
    bool failed_ = false;
    uint64_t inputConsumed_ = 0;   // compressed bytes handed to the reader so far
    uint64_t produced_ = 0;
    uLong crc_ = 0;
    std::vector<unsigned char> input_;
};

}  // namespace zipcore
