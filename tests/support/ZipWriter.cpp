#include "ZipWriter.h"

#include <zlib.h>

namespace testsupport {

namespace {
void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::string RawDeflate(const std::string& data) {
    z_stream zs{};
    deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, static_cast<uLong>(data.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}
}  // namespace

std::string BuildZip(const std::vector<ZipItem>& items, const std::string& prefix) {
    std::string body, directory;
    for (const ZipItem& item : items) {
        std::string stored = item.deflate ? RawDeflate(item.data) : item.data;
        uint32_t crc = item.declaredCrc >= 0 ? static_cast<uint32_t>(item.declaredCrc)
                                             : static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(item.data.data()),
                                                                           static_cast<uInt>(item.data.size())));
        uint32_t size = item.declaredSize >= 0 ? static_cast<uint32_t>(item.declaredSize) : static_cast<uint32_t>(item.data.size());
        uint16_t method = item.deflate ? 8 : 0;
        uint32_t offset = static_cast<uint32_t>(body.size());
        // From "version needed" to the name length, both headers agree.
        auto putShared = [&](std::string& out) {
            Put16(out, 20);
            Put16(out, 0);
            Put16(out, method);
            Put16(out, item.dosTime);
            Put16(out, item.dosDate);
            Put32(out, crc);
            Put32(out, static_cast<uint32_t>(stored.size()));
            Put32(out, size);
            Put16(out, static_cast<uint32_t>(item.name.size()));
        };

        Put32(body, 0x04034b50);
        putShared(body);
        Put16(body, static_cast<uint32_t>(item.localExtra.size()));
        body += item.name;
        body += item.localExtra;
        body += stored;

        Put32(directory, 0x02014b50);
        Put16(directory, item.versionMadeBy);
        putShared(directory);
        Put16(directory, 0);  // extra field
        Put16(directory, 0);  // comment
        Put16(directory, 0);  // disk
        Put16(directory, 0);  // internal attributes
        Put32(directory, item.externalAttributes);
        Put32(directory, offset);
        directory += item.name;
    }
    std::string zip = prefix + body + directory;
    Put32(zip, 0x06054b50);
    Put16(zip, 0);
    Put16(zip, 0);
    Put16(zip, static_cast<uint32_t>(items.size()));
    Put16(zip, static_cast<uint32_t>(items.size()));
    Put32(zip, static_cast<uint32_t>(directory.size()));
    Put32(zip, static_cast<uint32_t>(body.size()));
    Put16(zip, 0);
    return zip;
}

std::string UnixTimeExtra(uint8_t flags, const std::vector<uint32_t>& times) {
    std::string block;
    Put16(block, 0x5455);
    Put16(block, static_cast<uint32_t>(1 + 4 * times.size()));
    block += static_cast<char>(flags);
    for (uint32_t t : times) Put32(block, t);
    return block;
}

}  // namespace testsupport
