#include "ZipItemStream.h"

#include <algorithm>

namespace zipcore {

namespace {
const size_t kFileChunk = 256 * 1024;
}

ZipItemStream::ZipItemStream(const ZipSource& source, const ZipItemLocation& item) : source_(source), item_(item) {
    crc_ = crc32(0, Z_NULL, 0);
    bool encrypted = (item_.flags & 1) != 0;
    if (encrypted || (item_.method != 0 && item_.method != 8) ||
        (item_.method == 0 && item_.compressedSize != item_.uncompressedSize)) {
        failed_ = true;
        return;
    }
    if (item_.method == 8) {
        inflating_ = inflateInit2(&zs_, -MAX_WBITS) == Z_OK;
        failed_ = !inflating_;
    }
}

ZipItemStream::~ZipItemStream() {
    if (inflating_) inflateEnd(&zs_);
}

// Hands the next piece of compressed data to zlib: the bytes themselves for a
// memory source, a bounded chunk read into our buffer for a file.
bool ZipItemStream::Refill() {
    uint64_t remaining = item_.compressedSize - inputConsumed_;
    if (remaining == 0) return false;
    if (const unsigned char* memory = source_.Memory()) {
        if (item_.dataOffset + item_.compressedSize > source_.Size()) return false;
        uInt piece = static_cast<uInt>(std::min<uint64_t>(remaining, 1u << 30));
        zs_.next_in = const_cast<Bytef*>(memory + item_.dataOffset + inputConsumed_);
        zs_.avail_in = piece;
        inputConsumed_ += piece;
        return true;
    }
    size_t piece = static_cast<size_t>(std::min<uint64_t>(remaining, kFileChunk));
    input_.resize(kFileChunk);
    if (!source_.ReadAt(item_.dataOffset + inputConsumed_, input_.data(), piece)) return false;
    zs_.next_in = input_.data();
    zs_.avail_in = static_cast<uInt>(piece);
    inputConsumed_ += piece;
    return true;
}

ZipItemStream::Status ZipItemStream::Read(unsigned char* out, size_t capacity, size_t* written) {
    *written = 0;
    if (failed_) return Failed;
    while (*written < capacity && produced_ < item_.uncompressedSize) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(capacity - *written, item_.uncompressedSize - produced_));
        want = std::min<size_t>(want, 1u << 30);
        unsigned char* at = out + *written;
        size_t got = 0;
        if (item_.method == 0) {
            if (!source_.ReadAt(item_.dataOffset + produced_, at, want)) break;
            got = want;
        } else {
            if (zs_.avail_in == 0 && !Refill()) break;  // compressed data ended early
            zs_.next_out = at;
            zs_.avail_out = static_cast<uInt>(want);
            int rc = inflate(&zs_, Z_NO_FLUSH);
            got = want - zs_.avail_out;
            if (rc == Z_STREAM_END) streamEnded_ = true;
            else if (rc != Z_OK && rc != Z_BUF_ERROR) break;
            if (streamEnded_ && produced_ + got < item_.uncompressedSize) {
                crc_ = crc32(crc_, at, static_cast<uInt>(got));
                produced_ += got;
                *written += got;
                break;  // the stream is shorter than the item claims
            }
        }
        crc_ = crc32(crc_, at, static_cast<uInt>(got));
        produced_ += got;
        *written += got;
    }
    if (produced_ == item_.uncompressedSize) return Finish();
    if (*written == capacity && !streamEnded_) return More;
    failed_ = true;
    return Failed;
}

// The declared size has come out: the deflate stream must end right here and
// the checksum must match.
ZipItemStream::Status ZipItemStream::Finish() {
    if (item_.method == 8 && !streamEnded_) {
        unsigned char spare;
        for (;;) {
            if (zs_.avail_in == 0 && !Refill()) break;
            zs_.next_out = &spare;
            zs_.avail_out = 1;
            int rc = inflate(&zs_, Z_NO_FLUSH);
            if (zs_.avail_out == 0) break;  // more data than declared
            if (rc == Z_STREAM_END) {
                streamEnded_ = true;
                break;
            }
            if (rc != Z_OK && rc != Z_BUF_ERROR) break;
        }
    }
    bool complete = (item_.method == 0 || streamEnded_) && crc_ == item_.crc;
    failed_ = !complete;
    return complete ? Done : Failed;
}

}  // namespace zipcore
