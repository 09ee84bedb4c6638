# Shared part of the mingw-w64 cross toolchains; TOOLCHAIN_PREFIX is set by the
# arch-specific file that includes this one.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR           ${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "")

# Libraries cross-built by tools/install-deps.sh, one prefix per architecture;
# SQLCipher, a DLL loaded by name at run time, has a cache of its own.
if(DEFINED ENV{TORVANIK_DEPS_CACHE})
  set(_torvanik_cache "$ENV{TORVANIK_DEPS_CACHE}")
else()
  set(_torvanik_cache "/opt/torvanik-deps")
endif()
if(NOT DEFINED TORVANIK_DEPS_PREFIX)
  set(TORVANIK_DEPS_PREFIX "${_torvanik_cache}/current-${TOOLCHAIN_PREFIX}")
endif()
if(NOT DEFINED TORVANIK_SQLCIPHER_PREFIX)
  set(TORVANIK_SQLCIPHER_PREFIX "${_torvanik_cache}/sqlcipher-current-${TOOLCHAIN_PREFIX}")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX} ${TORVANIK_DEPS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# How the compiler's runtime is linked is chosen per target (Dependencies.cmake).
