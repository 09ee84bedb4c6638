#include "ZipEntryDescription.h"

#include "win32/TextConvert.h"

namespace zipcore {

DWORD WindowsAttributes(uint32_t external) {
    const DWORD dos = external & 0xFF;
    const bool hasUnixMode = (external >> 16) != 0;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if ((dos & 0x10) || (external & 0x40000000)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (dos & 0x20) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (dos & 0x02) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (dos & 0x04) attributes |= FILE_ATTRIBUTE_SYSTEM;
    if ((dos & 0x01) || (hasUnixMode && !(external & 0x800000))) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

LocateResult DescribeEntry(const ZipDirectory& zip, int index, EntryDescription* d) {
    ZipItemLocation location;
    std::string localExtra;
    const LocateResult located = zip.Locate(index, &location, &localExtra);
    if (located != LocateResult::Ok) return located;
    const CentralEntry& e = *zip.Entry(index);
    d->name = AnsiToWide(e.name);
    d->attributes = WindowsAttributes(e.externalAttributes);
    FILETIME stamp{};
    DosDateTimeToFileTime(e.dosDate, e.dosTime, &stamp);
    const ExtendedTimes times = ReadExtendedTimes(localExtra);
    d->modification = times.hasModification ? times.modification : stamp;
    d->access = times.hasAccess ? times.access : stamp;
    d->creation = times.hasCreation ? times.creation : stamp;
    d->compressedSize = e.compressedSize;
    d->uncompressedSize = e.uncompressedSize;
    return LocateResult::Ok;
}

}  // namespace zipcore
