// An entry as the suite's Windows programs see it: the name in the ANSI code
// page, Windows attributes, and times from the DOS stamp or a "UT" block of
// the local header.
#pragma once

#include "ZipDirectory.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace zipcore {

struct EntryDescription {
    std::wstring name;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    FILETIME access{}, creation{}, modification{};
    uint32_t compressedSize = 0;
    uint32_t uncompressedSize = 0;
};

// FILE_ATTRIBUTE_NORMAL plus: directory (bit 4, or the Unix directory bit),
// archive, hidden, system, and read-only for the DOS bit or, when the entry
// carries a Unix mode, a clear owner-write bit. DOS-made archives leave the
// Unix bits zero, so their files are not read-only for that.
DWORD WindowsAttributes(uint32_t externalAttributes);

// Describes readable entry `index`; its local header is checked on the way.
LocateResult DescribeEntry(const ZipDirectory& zip, int index, EntryDescription* description);

}  // namespace zipcore
