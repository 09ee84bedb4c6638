// GetDumpApkInfo: the APK metadata export over ApkInfo.
#include <cstring>

#include "phone/ApkInfo.h"
#include "exports/ExportGuard.h"
#include "exports/Hemlar.h"
#include "base/ProgramFolder.h"

HEMLAR_EXPORT ApkInfoRecord HEMLAR_CALL HEMLAR_STRUCT_RETURN GetDumpApkInfo(const char* apkPath, char* scratch) {
    // A failure inside leaves every field empty, in the result and in scratch.
    const ApkInfoRecord record = GuardExport(ApkInfoRecord{}, [&]() -> ApkInfoRecord {
        return DumpApkInfo(ProgramFolderA(), apkPath ? apkPath : "");
    });
    if (scratch) std::memcpy(scratch, &record, sizeof record);
    return record;
}
