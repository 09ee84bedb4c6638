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
