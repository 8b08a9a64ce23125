#!/usr/bin/env bash
# The release for Windows users. Builds KELVIX, PELITO and tempquery for x86_64 and for
# i686 (build/release-win64, build/release-win32; RelWithDebInfo, -O2 -g like the tested
# tree), splits off the debug information, strips them and writes to dist/:
#   kelvix-<version>-win64.zip        64-bit Windows: the three programs, HDDATA.CFG,
#   kelvix-<version>-win32.zip        7SEG_G.KVX, README-ja.txt, README-en.txt, LICENSE.txt
#   kelvix-<version>-win64-debug.zip  the programs' debug information (KELVIX.exe.debug ...),
#   kelvix-<version>-win32-debug.zip  found by gdb through each program's debug link
#   SHA256SUMS                        sums of the four zips
# The version is the CMake project version. Usage: package.sh
# KV_RELEASE_TREES=build/ makes the zips from build/win64 and build/win32 instead, the trees
# scripts/test.sh builds and tests with the same flags (each compiled once in a whole run).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${KV_JOBS:-$(nproc)}
started=$SECONDS

bash scripts/setup.sh

programs=(KELVIX.exe PELITO.exe tempquery.exe)
dist=$root/dist
rm -rf "$dist"
mkdir -p build "$dist"

# Every file of the zips carries the time of the last commit, so that the same sources
# give the same archive listing.
stamp=$(git log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)

# for_notepad SOURCE TARGET [bom]: CR LF line ends, a UTF-8 byte-order mark if asked, and
# the read-mes' @VERSION@, @PLATFORM@ and @PLATFORM_JA@ filled in.
for_notepad() {
    { [ "${3:-}" = bom ] && printf '\xef\xbb\xbf'
      sed -e "s/@VERSION@/$version/g" -e "s/@PLATFORM@/$platform/g" -e "s/@PLATFORM_JA@/$platform_ja/g" \
          -e 's/\r*$/\r/' "$1"; } > "$2"
}

# package NAME CPU PLATFORM PLATFORM_JA: one architecture's tree, zip and debug zip.
package() {
    local name=$1 cpu=$2 platform=$3 platform_ja=$4
    local triple=$cpu-w64-mingw32
    local tree=${KV_RELEASE_TREES:-build/release-}$name
    echo "=== build $tree"
    cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$cpu.cmake" >"$tree.configure.log" 2>&1 \
        || { cat "$tree.configure.log"; return 1; }
    cmake --build "$tree" -j "$jobs" --target KELVIX PELITO tempquery
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")

    local stage=$root/$tree/package files debug
    rm -rf "$stage"
    files=$stage/files
    debug=$stage/debug
    mkdir -p "$files" "$debug"
    cp "$tree/monitor/KELVIX.exe" "$tree/trayclient/PELITO.exe" "$tree/query/tempquery.exe" \
        "$tree/tools/7SEG_G.KVX" "$files/"
    local exe
    for exe in "${programs[@]}"; do
        # Debug information apart; the program keeps a link (name and checksum) to it.
        "$triple-objcopy" --only-keep-debug "$files/$exe" "$debug/$exe.debug"
        "$triple-objcopy" --strip-all "$files/$exe"
        (cd "$debug" && "$triple-objcopy" --add-gnu-debuglink="$exe.debug" "$files/$exe")
    done
    for_notepad monitor/HDDATA.CFG "$files/HDDATA.CFG"
    for_notepad packaging/README-ja.txt "$files/README-ja.txt" bom
    for_notepad packaging/README-en.txt "$files/README-en.txt" bom
    for_notepad LICENSE "$files/LICENSE.txt"
    touch -t "$stamp" "$files"/* "$debug"/*

    local zip=$dist/kelvix-$version-$name.zip
    (cd "$files" && zip -X -q "$zip" "${programs[@]}" HDDATA.CFG 7SEG_G.KVX \
        README-ja.txt README-en.txt LICENSE.txt)
    (cd "$debug" && zip -X -q "${zip%.zip}-debug.zip" ./*.debug)
}

package win64 x86_64 "64-bit Windows" "64 ビット版 Windows"
package win32 i686 "32-bit Windows (it runs on 64-bit Windows too)" \
    "32 ビット版 Windows (64 ビット版 Windows でも動きます)"
(cd "$dist" && sha256sum kelvix-*.zip > SHA256SUMS)

echo "=== dist/ ($((SECONDS - started)) s)"
for zip in "$dist"/kelvix-"$version"-win64.zip "$dist"/kelvix-"$version"-win32.zip; do
    echo "${zip#"$root"/}: $(stat -c %s "$zip") bytes"
    unzip -l "$zip" | sed -n '4,$p' | sed '/^-----/,$d'
done
ls -l "$dist"
