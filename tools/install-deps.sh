#!/usr/bin/env bash
# Installs everything the suite needs to build and test on Debian 12, as root.
# Safe to run again: packages already present are not fetched, and the
# cross-built libraries live in a cache keyed by their versions, so a second
# run does nothing but check.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tools/paths.sh
. "$here/paths.sh"

log() { printf '[install-deps] %s\n' "$*"; }

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root (apt-get needs it)" >&2
    exit 1
fi

APT_PACKAGES=(
    # cross compiler, posix thread flavour so std::thread and std::mutex exist
    mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
    # the same sources as 64-bit programs, for testing where 32-bit code cannot run
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    # build tools, also for the native steps of the dependency builds
    cmake ninja-build make build-essential pkg-config dpkg-dev tcl python3
    # running and looking at Windows programs
    wine wine32 wine64 xvfb xauth x11-apps x11-utils imagemagick locales fonts-wqy-microhei
    # Direct3D 9 under Wine: wined3d draws through OpenGL on Mesa's software renderer
    # (the i386 set for the 32-bit Wine where the machine runs 32-bit code)
    libgl1 libglx-mesa0 libgl1-mesa-dri libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
    # peers and reference tools the tests compare against
    adb sqlite3 sqlcipher unzip zip iproute2 util-linux
    # header-only and prebuilt dependencies
    rapidjson-dev librapidxml-dev libstb-dev libeasyloggingpp-dev libz-mingw-w64-dev googletest
)

missing_packages() {
    local p
    for p in "${APT_PACKAGES[@]}"; do
        case "$p" in wine32) p="wine32:i386" ;; esac
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
    done
}

enable_sources() {
    # i386 for wine32, deb-src for the libraries we cross-build from Debian's sources.
    local changed=0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        changed=1
    fi
    local src=/etc/apt/sources.list.d/torvanik-deb-src.sources
    if [ ! -f "$src" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$src"
        changed=1
    elif [ ! -f "$src" ] && [ -f /etc/apt/sources.list ]; then
        grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' >/etc/apt/sources.list.d/torvanik-deb-src.list
        touch "$src"
        changed=1
    fi
    [ ! -d /var/lib/apt/lists ] || ls /var/lib/apt/lists/*Sources* >/dev/null 2>&1 || changed=1
    return $changed
}

install_packages() {
    local need_update=0
    enable_sources || need_update=1
    mapfile -t missing < <(missing_packages)
    if [ "${#missing[@]}" -eq 0 ] && [ "$need_update" -eq 0 ]; then
        log "packages: all present"
        return
    fi
    log "packages: installing ${missing[*]:-(source lists only)}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    if [ "${#missing[@]}" -gt 0 ]; then
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

ensure_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        log "locale: generating zh_CN.UTF-8"
        sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
        locale-gen >/dev/null
    fi
}

source_version() {
    apt-cache showsrc "$1" 2>/dev/null | awk '/^Version:/ {print $2; exit}'
}

# Unpacks a Debian source package into a fresh folder and prints its path.
fetch_source() {
    local pkg="$1" work="$2"
    rm -rf "$work" && mkdir -p "$work"
    (cd "$work" && apt-get source -qq "$pkg" >/dev/null 2>&1)
    find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# The builds below run once per target triplet ($TRIPLET) into $PREFIX.
cmake_cross() {
    local src="$1" build="$2"
    shift 2
    local toolchain=i686
    [ "$TRIPLET" = x86_64-w64-mingw32 ] && toolchain=x86_64
    cmake -S "$src" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TORVANIK_ROOT/cmake/mingw-$toolchain.cmake" \
        -DTORVANIK_DEPS_PREFIX="$PREFIX" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@" >/dev/null
    cmake --build "$build" >/dev/null
    cmake --install "$build" >/dev/null
}

build_curl() {
    local src
    src=$(fetch_source curl "$WORK/curl")
    (
        cd "$src"
        # Debian's patches may touch the autotools inputs; keep the shipped scripts authoritative.
        touch aclocal.m4 configure Makefile.in */Makefile.in */*/Makefile.in 2>/dev/null || true
        ./configure --host="$TRIPLET" --prefix="$PREFIX" CC="$TRIPLET-gcc-posix" \
            --disable-shared --enable-static --with-schannel \
            --without-libpsl --without-brotli --without-zstd --disable-ldap --disable-ldaps \
            --without-libidn2 --without-nghttp2 --without-librtmp --without-libssh2 \
            --disable-manual >/dev/null 2>&1
        make -j"$(nproc)" -C lib >/dev/null 2>&1
        make -C lib install >/dev/null
        make -C include install >/dev/null
    )
}

build_sqlite() {
    local src
    src=$(fetch_source sqlite3 "$WORK/sqlite3")
    (
        cd "$src"
        mkdir -p native && cd native
        # The amalgamation is generated by host tools; only its compile is cross.
        ../configure --disable-tcl >/dev/null
        make sqlite3.c >/dev/null
        "$TRIPLET-gcc-posix" -O2 -c sqlite3.c -o sqlite3.o \
            -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_JSON1
        mkdir -p "$PREFIX/lib" "$PREFIX/include"
        "$TRIPLET-ar" rcs "$PREFIX/lib/libsqlite3.a" sqlite3.o
        install -m 644 sqlite3.h sqlite3ext.h "$PREFIX/include/"
    )
}

build_jsoncpp() {
    local src
    src=$(fetch_source libjsoncpp "$WORK/jsoncpp")
    cmake_cross "$src" "$WORK/jsoncpp-build" \
        -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
        -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_CMAKE_PACKAGE=ON \
        -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF
}

build_log4cplus() {
    local src
    src=$(fetch_source log4cplus "$WORK/log4cplus")
    cmake_cross "$src" "$WORK/log4cplus-build" \
        -DBUILD_SHARED_LIBS=OFF -DLOG4CPLUS_BUILD_TESTING=OFF \
        -DLOG4CPLUS_BUILD_LOGGINGSERVER=OFF -DUNICODE=ON -DWITH_UNIT_TESTS=OFF
}

# Starts the four library builds for one triplet in the background and records
# them in JOBS as name:pid.
JOBS=()
build_for_triplet() {
    TRIPLET="$1" PREFIX="$2" WORK="$3"
    mkdir -p "$PREFIX" "$WORK"
    local lib
    for lib in curl sqlite jsoncpp log4cplus; do
        "build_$lib" >"$WORK/$lib.log" 2>&1 &
        JOBS+=("$lib-$TRIPLET:$!")
    done
}

build_dependencies() {
    local key="recipe2"
    local pkg
    for pkg in curl sqlite3 libjsoncpp log4cplus; do
        key="$key-$pkg$(source_version "$pkg")"
    done
    key=$(printf '%s' "$key" | sha1sum | cut -c1-12)
    local root="$DEPS_CACHE/$key"
    if [ -f "$root/.complete" ]; then
        log "libraries: cached in $root"
    else
        log "libraries: cross-building into $root"
        rm -rf "$root"
        local triplet
        for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
            build_for_triplet "$triplet" "$root/$triplet" "$root/work-$triplet"
        done
        local job failed=0
        for job in "${JOBS[@]}"; do
            wait "${job#*:}" || { log "${job%%:*} failed (log in $root/work-*)"; failed=1; }
        done
        [ "$failed" -eq 0 ] || exit 1
        rm -rf "$root"/work-*
        touch "$root/.complete"
    fi
    for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
        ln -sfn "$root/$triplet" "$DEPS_CACHE/current-$triplet"
    done
}

# SQLCipher as a DLL that programs load by name, over OpenSSL's libcrypto as its
# crypto provider: the same provider Debian's sqlcipher command line uses, with
# the processor's AES instructions. Both from Debian's sources, both statically
# inside the one DLL. Kept in a cache of its own so changing it leaves the other
# libraries' cache in place.

# Only what SQLCipher needs of libcrypto (AES, SHA, HMAC, PBKDF2, random bytes)
# is built: the rest would only lengthen the build.
LIBCRYPTO_OPTIONS=(
    no-shared no-pic no-module no-tests no-engine no-dso no-uplink no-legacy no-makedepend
    no-autoload-config no-bf no-camellia no-cast no-des no-idea no-md4 no-mdc2 no-rc2 no-rc4
    no-rc5 no-seed no-whirlpool no-sm2 no-sm3 no-sm4 no-cms no-ts no-ocsp no-srp no-ct no-cmp
    no-rfc3779
)

# How SQLite itself is compiled into the DLL. Pages are read and written at an
# explicit position through the file pointer rather than an OVERLAPPED record:
# Wine answers every OVERLAPPED read or write of a file with a round trip to
# its server (it posts the I/O completion), one per page, and keyed databases
# have 1 KiB pages. Memory statistics are off: nothing reads them, and keeping
# them takes a global lock around every allocation and release (some eight
# lock pairs per inserted row).
SQLCIPHER_FLAGS=(
    -O2 -DSQLITE_HAS_CODEC -DSQLCIPHER_CRYPTO_OPENSSL -DSQLITE_TEMP_STORE=2 -DSQLITE_THREADSAFE=1
    -DSQLITE_WIN32_NO_OVERLAPPED -DSQLITE_DEFAULT_MEMSTATUS=0
)

# Debian's patch that makes the 32-bit x86 assembler position-independent
# writes ELF-only code (GOT relocations, .hidden) that a Windows object file
# cannot hold; Windows images are relocated instead, so it is taken back.
unpatch_elf_pic() {
    local src="$1" patch="$1/debian/patches/pic.patch"
    if [ -f "$patch" ] && patch -R -p1 -s --dry-run -d "$src" <"$patch" >/dev/null 2>&1; then
        patch -R -p1 -s -d "$src" <"$patch"
    fi
}

# The random generator asks for the time on every request, and SQLCipher asks
# it for every page it writes. msvcrt's time() looks the time zone up on each
# call under Wine (tens of microseconds), so libcrypto's calls go to a time()
# read straight from the system clock instead.
write_clock_shim() {
    local dir="$1"
    mkdir -p "$dir"
    cat >"$dir/clock-time.h" <<'EOF'
#ifndef __ASSEMBLER__
#include <time.h>
time_t sqlcipher_clock_time(time_t *out);
#define time(out) sqlcipher_clock_time(out)
#endif
EOF
    cat >"$dir/clock-time.c" <<'EOF'
#include <windows.h>
#include <time.h>

/* Seconds since 1970 from the system clock, as time() gives them. */
time_t sqlcipher_clock_time(time_t *out)
{
    FILETIME now;
    ULARGE_INTEGER ticks;
    time_t seconds;
    GetSystemTimeAsFileTime(&now);
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    seconds = (time_t)((ticks.QuadPart - 116444736000000000ULL) / 10000000ULL);
    if (out)
        *out = seconds;
    return seconds;
}
EOF
}

build_libcrypto() {
    local src="$1" triplet="$2" out="$3" shim="$4" target=mingw
    [ "$triplet" = x86_64-w64-mingw32 ] && target=mingw64
    rm -rf "$out" && mkdir -p "$out"
    (
        cd "$out"
        "$src/Configure" "$target" --cross-compile-prefix="$triplet-" CC=gcc-posix \
            "${LIBCRYPTO_OPTIONS[@]}" "-include$shim/clock-time.h" >/dev/null
        make -j"$(nproc)" build_generated >/dev/null
        make -j"$(nproc)" libcrypto.a >/dev/null
    )
}

compile_sqlcipher_dll() {
    local amalgamation="$1" crypto_src="$2" crypto="$3" triplet="$4" out="$5" shim="$6"
    mkdir -p "$out/bin" "$out/include"
    # Only the SQLite interface is exported; the crypto provider stays inside.
    "$triplet-gcc-posix" "${SQLCIPHER_FLAGS[@]}" -shared -o "$out/bin/sqlcipher.dll" \
        "$amalgamation/sqlite3.c" "$shim/clock-time.c" -I"$crypto/include" -I"$crypto_src/include" \
        "-DSQLITE_API=__declspec(dllexport)" \
        "$crypto/libcrypto.a" -lws2_32 -lcrypt32 -ladvapi32 -luser32 -lbcrypt \
        -static -static-libgcc >/dev/null 2>&1
    install -m 644 "$amalgamation/sqlite3.h" "$out/include/sqlcipher.h"
}

build_sqlcipher() {
    local openssl_version
    openssl_version=$(source_version openssl)
    local key="sqlcipher3-$(source_version sqlcipher)-openssl$openssl_version-${LIBCRYPTO_OPTIONS[*]}"
    key="$key-${SQLCIPHER_FLAGS[*]}"
    key=$(printf '%s' "$key" | sha1sum | cut -c1-12)
    local root="$DEPS_CACHE/sqlcipher-$key" triplet
    if [ -f "$root/.complete" ]; then
        log "sqlcipher: cached in $root"
    else
        log "sqlcipher: cross-building into $root"
        local started=$SECONDS
        rm -rf "$root" && mkdir -p "$root/work"
        local cipher_src crypto_src pids=()
        cipher_src=$(fetch_source sqlcipher "$root/work/sqlcipher")
        # The version the key names: the newest listed may not be on the mirror yet.
        crypto_src=$(fetch_source "openssl=$openssl_version" "$root/work/openssl")
        [ -f "$crypto_src/Configure" ] || { log "openssl $openssl_version: no source"; exit 1; }
        unpatch_elf_pic "$crypto_src"
        write_clock_shim "$root/work/shim"
        for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
            build_libcrypto "$crypto_src" "$triplet" "$root/work/crypto-$triplet" "$root/work/shim" \
                >"$root/work/libcrypto-$triplet.log" 2>&1 &
            pids+=($!)
        done
        # The amalgamation is generated by host tools; no crypto library is
        # needed to generate it, only to link it.
        (
            mkdir -p "$cipher_src/native" && cd "$cipher_src/native"
            ../configure --with-crypto-lib=none --disable-tcl --enable-tempstore=yes \
                CFLAGS="-DSQLITE_HAS_CODEC" >/dev/null
            make sqlite3.c >/dev/null
        ) >"$root/work/amalgamation.log" 2>&1 || { log "sqlcipher amalgamation failed (log in $root/work)"; exit 1; }
        local pid failed=0
        for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
        [ "$failed" -eq 0 ] || { log "libcrypto failed (log in $root/work)"; exit 1; }
        pids=()
        for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
            compile_sqlcipher_dll "$cipher_src/native" "$crypto_src" "$root/work/crypto-$triplet" \
                "$triplet" "$root/$triplet" "$root/work/shim" &
            pids+=($!)
        done
        for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
        [ "$failed" -eq 0 ] || { log "sqlcipher.dll failed"; exit 1; }
        rm -rf "$root/work"
        touch "$root/.complete"
        log "sqlcipher: built in $((SECONDS - started)) s"
    fi
    for triplet in i686-w64-mingw32 x86_64-w64-mingw32; do
        ln -sfn "$root/$triplet" "$DEPS_CACHE/sqlcipher-current-$triplet"
    done
}

# Two checkouts building at once must not install or cross-build twice.
exec 9>/var/lock/torvanik-install-deps.lock
flock 9

install_packages
ensure_locale
build_dependencies
# SQLCipher's cache has a lock of its own: a checkout whose SQLCipher is
# already built does not wait while another builds a new one.
exec 8>/var/lock/torvanik-install-deps-sqlcipher.lock
flock 8
flock -u 9
build_sqlcipher
log "done"
