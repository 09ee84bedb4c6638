#include "core/PackageCheck.h"

#include "ZipReader.h"
#include "zip/ZipEntryName.h"

bool ReadPackageNames(const std::wstring& package, std::vector<std::wstring>& names) {
    ZipReaderHandle* zip = ZipArchiveOpen(package.c_str(), 0, ZIPKIND_FILENAME);
    if (!zip) return false;
    ZipItemInfo entry;
    bool readable = ZipReadEntry(zip, -1, &entry) == ZRC_OK;
    const int count = readable ? entry.index : 0;
    for (int index = 0; readable && index < count; ++index) {
        readable = ZipReadEntry(zip, index, &entry) == ZRC_OK && zipcore::IsContainedEntryName(entry.name);
        if (readable) names.emplace_back(entry.name);
    }
    ZipArchiveClose(zip);
    return readable;
}

bool PackageAcceptable(const std::wstring& package) {
    std::vector<std::wstring> names;
    return ReadPackageNames(package, names);
}
