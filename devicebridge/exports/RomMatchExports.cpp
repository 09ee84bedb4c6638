// IsRomMatchPhone: the ROM-to-phone match export over RomMatch.
#include "exports/Hemlar.h"
#include "phone/RomMatch.h"

HEMLAR_EXPORT int HEMLAR_CALL IsRomMatchPhone(int phoneTypeId, const wchar_t* romPath) {
    // Nothing may escape into the caller (a plug-in thread): any failure
    // inside means the match cannot tell.
    try {
        return RomMatchPhone(phoneTypeId, romPath);
    } catch (...) {
        return 0;
    }
}
