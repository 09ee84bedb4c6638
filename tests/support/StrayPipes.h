// What a child process can tell about handles it inherited by accident: the
// pipe handles it holds besides its standard ones. Wine gives each process a
// few of its own, so tests compare with a child started alone. Child peers
// call it first thing in main, before they open sockets (pipes too).
#pragma once

#include <windows.h>

#include <cstdint>

namespace testsupport {

inline int CountStrayPipes() {
    const HANDLE own[] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                          GetStdHandle(STD_ERROR_HANDLE)};
    int count = 0;
    // Handle values are multiples of four and small in a fresh process.
    for (uintptr_t value = 4; value < 0x4000; value += 4) {
        HANDLE handle = reinterpret_cast<HANDLE>(value);
        if (handle == own[0] || handle == own[1] || handle == own[2]) continue;
        if (GetFileType(handle) == FILE_TYPE_PIPE) ++count;
    }
    return count;
}

}  // namespace testsupport
