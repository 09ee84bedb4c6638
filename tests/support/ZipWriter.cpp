#include "ZipWriter.h"

#include <zlib.h>

#include <stdexcept>

namespace testsupport {

namespace {

void Put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>((v >> 8) & 0xff));
}

void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

}  // namespace

std::string RawDeflate(const std::string& data) {
    z_stream stream = {};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate");
    return out;
}

ZipWriter::Entry& ZipWriter::Add(const std::string& name, const std::string& data, bool deflate) {
    Entry entry;
    entry.name = name;
    entry.data = data;
    entry.deflate = deflate;
    return Add(entry);
}

ZipWriter::Entry& ZipWriter::Add(const Entry& entry) {
    entries_.push_back(entry);
    return entries_.back();
}

ZipWriter::Entry& ZipWriter::AddDirectory(const std::string& name) {
    Entry& entry = Add(name.empty() || name.back() == '/' ? name : name + "/", {}, false);
    entry.externalAttributes = 0x10;
    return entry;
}

std::string ZipWriter::Build(const std::string& prefix) const {
    std::string out = prefix;
    std::string directory;
    for (const Entry& e : entries_) {
        const std::string stored = e.deflate ? RawDeflate(e.data) : e.data;
        const uint32_t crc =
            e.declaredCrc >= 0 ? static_cast<uint32_t>(e.declaredCrc)
                               : static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                                                             static_cast<uInt>(e.data.size())));
        const uint32_t size =
            e.declaredSize >= 0 ? static_cast<uint32_t>(e.declaredSize) : static_cast<uint32_t>(e.data.size());
        std::string extra;
        if (e.unixModificationTime) extra = UnixTimeExtra(1, {e.unixTime});
        const std::string localExtra = extra + e.localExtra;
        const uint32_t localOffset = static_cast<uint32_t>(out.size() - prefix.size());
        const uint16_t method = e.deflate ? 8 : 0;
        // Local and central headers repeat these fields in the same order.
        auto putSharedFields = [&](std::string& header, const std::string& headerExtra) {
            Put16(header, 20);  // version needed
            Put16(header, 0);   // flags
            Put16(header, method);
            Put16(header, e.dosTime);
            Put16(header, e.dosDate);
            Put32(header, crc);
            Put32(header, static_cast<uint32_t>(stored.size()));
            Put32(header, size);
            Put16(header, static_cast<uint32_t>(e.name.size()));
            Put16(header, static_cast<uint32_t>(headerExtra.size()));
        };

        Put32(out, 0x04034b50);
        putSharedFields(out, localExtra);
        out += e.name;
        out += localExtra;
        out += stored;

        Put32(directory, 0x02014b50);
        Put16(directory, e.versionMadeBy);
        putSharedFields(directory, extra);
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, e.externalAttributes);
        Put32(directory, localOffset);
        directory += e.name;
        directory += extra;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(out.size() - prefix.size());
    out += directory;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<uint32_t>(entries_.size()));
    Put16(out, static_cast<uint32_t>(entries_.size()));
    Put32(out, static_cast<uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, 0);
    return out;
}

std::string BuildZip(const std::vector<ZipItem>& items, const std::string& prefix) {
    ZipWriter writer;
    for (const ZipItem& item : items) writer.Add(item);
    return writer.Build(prefix);
}

std::string UnixTimeExtra(uint8_t flags, const std::vector<uint32_t>& times) {
    std::string block;
    Put16(block, 0x5455);
    Put16(block, static_cast<uint32_t>(1 + 4 * times.size()));
    block.push_back(static_cast<char>(flags));
    for (uint32_t t : times) Put32(block, t);
    return block;
}

}  // namespace testsupport
