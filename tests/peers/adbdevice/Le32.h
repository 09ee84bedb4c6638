// Little-endian 32-bit words, as every adb header carries them.
#pragma once

#include <cstdint>

namespace adbdevice {

inline void PutLe32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

inline uint32_t GetLe32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

}  // namespace adbdevice
