// GetStringMD5 and GetFileMD5: the digest exports over ZMD5.
#include <windows.h>

#include <cstring>

#include "exports/Hemlar.h"
#include "archive/ZMD5.h"

namespace {

void WriteDigest(const std::string& digest, char* out) {
    // A digest is 32 characters or empty; the caller's buffer holds 33 bytes.
    std::memcpy(out, digest.c_str(), digest.size() + 1);
}

}  // namespace

HEMLAR_EXPORT int HEMLAR_CALL GetStringMD5(const char* text, char* out) {
    ZMD5 md5;
    WriteDigest(md5.GetMD5OfString(text ? text : ""), out);
    return 1;
}

HEMLAR_EXPORT int HEMLAR_CALL GetFileMD5(const char* path, char* out) {
    ZMD5 md5;
    std::string digest = md5.GetMD5OfFile(path);
    if (md5.IsFileOpen()) md5.CloseFile();
    WriteDigest(digest, out);
    return 1;
}
