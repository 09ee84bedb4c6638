// IsRomMatchPhone: the ROM-to-phone match export over RomMatch.
#include "exports/ExportGuard.h"
#include "exports/Hemlar.h"
#include "phone/RomMatch.h"

HEMLAR_EXPORT int HEMLAR_CALL IsRomMatchPhone(int phoneTypeId, const wchar_t* romPath) {
    // Any failure inside means the match cannot tell.
    return GuardExport(0, [&]() -> int { return RomMatchPhone(phoneTypeId, romPath); });
}
