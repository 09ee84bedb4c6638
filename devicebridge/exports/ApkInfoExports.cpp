// GetDumpApkInfo: the APK metadata export over ApkInfo.
#include <cstring>

#include "phone/ApkInfo.h"
#include "exports/Hemlar.h"
#include "base/ProgramFolder.h"

HEMLAR_EXPORT ApkInfoRecord HEMLAR_CALL HEMLAR_STRUCT_RETURN GetDumpApkInfo(const char* apkPath, char* scratch) {
    ApkInfoRecord record = {};
    // Nothing may escape into the caller's thread: a failure inside leaves
    // every field empty.
    try {
        record = DumpApkInfo(ProgramFolderA(), apkPath ? apkPath : "");
    } catch (...) {
    }
    if (scratch) std::memcpy(scratch, &record, sizeof record);
    return record;
}
