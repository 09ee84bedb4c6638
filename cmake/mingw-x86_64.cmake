# 64-bit Windows (PE32+): the same sources, for running the tests under Wine on
# machines that cannot execute 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
