# Third-party libraries: Debian's mingw zlib and header-only packages, plus the
# libraries tools/install-deps.sh cross-builds into its cache prefix.
find_library(ZLIB_STATIC NAMES libz.a z REQUIRED)
find_path(ZLIB_INCLUDE zlib.h REQUIRED)
add_library(dep_zlib INTERFACE)
target_link_libraries(dep_zlib INTERFACE ${ZLIB_STATIC})
target_include_directories(dep_zlib INTERFACE ${ZLIB_INCLUDE})

# Header-only libraries are installed for the host; only their headers are used.
add_library(dep_headers INTERFACE)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host-headers)
target_include_directories(dep_headers SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/host-headers)
foreach(hdr_dir rapidjson rapidxml stb)
  if(EXISTS /usr/include/${hdr_dir})
    file(CREATE_LINK /usr/include/${hdr_dir} ${CMAKE_BINARY_DIR}/host-headers/${hdr_dir} SYMBOLIC)
  endif()
endforeach()
if(EXISTS /usr/include/easylogging++.h)
  file(CREATE_LINK /usr/include/easylogging++.h ${CMAKE_BINARY_DIR}/host-headers/easylogging++.h SYMBOLIC)
endif()

# The compiler's runtime (libgcc, libstdc++, winpthread) goes statically into
# every program and DLL, so no runtime DLL has to sit beside them. A module
# whose C++ exceptions reach its caller, and the callers that catch them,
# share the runtime DLLs instead (torvanik_shared_runtime): in the 32-bit
# build a statically linked module carries a DWARF unwinder of its own that
# knows only its own frames, so an exception could not leave it.
add_link_options("$<$<NOT:$<BOOL:$<TARGET_PROPERTY:TORVANIK_SHARED_RUNTIME>>>:-static;-static-libgcc;-static-libstdc++>")
# Build folders configured when the toolchain file set these flags for every
# target keep them in their cache; taken out there, the choice above holds.
foreach(_kind EXE SHARED MODULE)
  if(CMAKE_${_kind}_LINKER_FLAGS MATCHES "-static -static-libgcc -static-libstdc\\+\\+")
    string(REPLACE "-static -static-libgcc -static-libstdc++" "" _flags "${CMAKE_${_kind}_LINKER_FLAGS}")
    string(STRIP "${_flags}" _flags)
    set(CMAKE_${_kind}_LINKER_FLAGS "${_flags}" CACHE STRING "Flags used by the linker" FORCE)
  endif()
endforeach()

# The runtime DLLs of this compiler, copied into the bin folder.
set(TORVANIK_RUNTIME_DLLS)
foreach(_dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_dll}
    OUTPUT_VARIABLE _path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${_path}" AND EXISTS "${_path}")
    file(REAL_PATH "${_path}" _path)
    list(APPEND TORVANIK_RUNTIME_DLLS ${_path})
  endif()
endforeach()
set(_runtime_in_bin)
foreach(_dll IN LISTS TORVANIK_RUNTIME_DLLS)
  get_filename_component(_name ${_dll} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/bin/${_name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_dll} ${CMAKE_BINARY_DIR}/bin/${_name}
    DEPENDS ${_dll})
  list(APPEND _runtime_in_bin ${CMAKE_BINARY_DIR}/bin/${_name})
endforeach()
add_custom_target(runtime_dlls DEPENDS ${_runtime_in_bin})

# torvanik_shared_runtime(<target>...): links the targets against the runtime
# DLLs, which lie beside them in the bin folder.
function(torvanik_shared_runtime)
  foreach(target IN LISTS ARGN)
    set_target_properties(${target} PROPERTIES TORVANIK_SHARED_RUNTIME ON)
    add_dependencies(${target} runtime_dlls)
  endforeach()
endfunction()

set(TORVANIK_DEPS_PREFIX "${TORVANIK_DEPS_PREFIX}" CACHE PATH "Cross-built third-party libraries")

add_library(dep_sqlite3 INTERFACE)
target_include_directories(dep_sqlite3 INTERFACE ${TORVANIK_DEPS_PREFIX}/include)
target_link_libraries(dep_sqlite3 INTERFACE ${TORVANIK_DEPS_PREFIX}/lib/libsqlite3.a)

add_library(dep_curl INTERFACE)
target_include_directories(dep_curl INTERFACE ${TORVANIK_DEPS_PREFIX}/include)
target_compile_definitions(dep_curl INTERFACE CURL_STATICLIB)
target_link_libraries(dep_curl INTERFACE ${TORVANIK_DEPS_PREFIX}/lib/libcurl.a ${ZLIB_STATIC} ws2_32 wldap32 crypt32 secur32 bcrypt advapi32 normaliz)

add_library(dep_jsoncpp INTERFACE)
target_include_directories(dep_jsoncpp INTERFACE ${TORVANIK_DEPS_PREFIX}/include)
target_link_libraries(dep_jsoncpp INTERFACE ${TORVANIK_DEPS_PREFIX}/lib/libjsoncpp.a)

add_library(dep_log4cplus INTERFACE)
target_include_directories(dep_log4cplus INTERFACE ${TORVANIK_DEPS_PREFIX}/include)
target_compile_definitions(dep_log4cplus INTERFACE UNICODE _UNICODE)
file(GLOB _log4cplus_lib ${TORVANIK_DEPS_PREFIX}/lib/liblog4cplus*.a)
target_link_libraries(dep_log4cplus INTERFACE ${_log4cplus_lib} ws2_32 advapi32)

# The encryption-capable SQLite that Ostrune binds by name; programs and tests
# load it from their own folder.
set(TORVANIK_SQLCIPHER_PREFIX "${TORVANIK_SQLCIPHER_PREFIX}" CACHE PATH "Cross-built SQLCipher DLL")
set(TORVANIK_SQLCIPHER_DLL ${TORVANIK_SQLCIPHER_PREFIX}/bin/sqlcipher.dll)
