#!/usr/bin/env bash
# The release package as a user gets it (scripts/package.sh writes it; this test only
# reads it). The win64 zip, unpacked into a fresh folder, runs: KELVIX.exe without drives,
# PELITO.exe and tempquery.exe against a simulated monitor. Both zips hold exactly the
# release files; their programs are stripped PE files of the right machine and subsystem
# that import only Windows' own DLLs.
#   package_smoke.sh <build-dir> <dist-dir> <version>
# Without the zips it reports itself skipped (exit code 77).
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" package_smoke
dist=$2
version=$3
win64_zip=$dist/kelvix-$version-win64.zip
win32_zip=$dist/kelvix-$version-win32.zip
if [ ! -f "$win64_zip" ] || [ ! -f "$win32_zip" ]; then
    e2e_skip "no zips of version $version in $dist (scripts/package.sh writes them)"
fi

# --- what the zips hold
release_files="7SEG_G.KVX HDDATA.CFG KELVIX.exe LICENSE.txt PELITO.exe README-en.txt README-ja.txt tempquery.exe"
listing() { unzip -Z1 "$1" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'; }
check_eq "win64 zip holds exactly the release files" "$release_files" "$(listing "$win64_zip")"
check_eq "win32 zip holds exactly the release files" "$release_files" "$(listing "$win32_zip")"
check_eq "win64 debug zip" "KELVIX.exe.debug PELITO.exe.debug tempquery.exe.debug" \
    "$(listing "${win64_zip%.zip}-debug.zip")"
check "SHA256SUMS matches every zip" bash -c "cd '$dist' && sha256sum --quiet -c SHA256SUMS"

# bare_line_ends FILE: lines that do not end in CR LF.
bare_line_ends() { LC_ALL=C grep -cE $'(^|[^\r])$' "$1"; }
# inspect NAME ZIP TRIPLE MACHINE MAGIC: unpacks the zip and checks its files.
inspect() {
    local name=$1 triple=$3 machine=$4 magic=$5 dir=$E2E_WORK/$1
    mkdir -p "$dir"
    unzip -q "$2" -d "$dir"
    local readme
    for readme in README-ja.txt README-en.txt; do
        check_eq "$name $readme starts with a UTF-8 byte-order mark" "efbbbf" "$(head -c 3 "$dir/$readme" | od -An -tx1 | tr -d ' ')"
        check_eq "$name $readme has CR LF line ends only" 0 "$(bare_line_ends "$dir/$readme")"
        check "$name $readme names the version" grep -q "KELVIX $version" "$dir/$readme"
        check_eq "$name $readme has every placeholder filled" 0 "$(grep -c '@[A-Z_]*@' "$dir/$readme")"
    done
    check_eq "$name LICENSE.txt has CR LF line ends only" 0 "$(bare_line_ends "$dir/LICENSE.txt")"
    check_eq "$name HDDATA.CFG has CR LF line ends only" 0 "$(bare_line_ends "$dir/HDDATA.CFG")"

    local exe subsystem header offset dll
    for exe in KELVIX.exe PELITO.exe tempquery.exe; do
        subsystem=2
        [ "$exe" = tempquery.exe ] && subsystem=3
        offset=$(od -An -tu4 -j60 -N4 "$dir/$exe" | tr -d ' ')
        check_eq "$name $exe machine" "$machine" "$(od -An -tx2 -j$((offset + 4)) -N2 "$dir/$exe" | tr -d ' ')"
        header=$("$triple-objdump" -p "$dir/$exe")
        check_eq "$name $exe optional header" "$magic" "$(sed -n 's/^Magic[[:space:]]*\([0-9a-f]*\).*/\1/p' <<<"$header")"
        check_eq "$name $exe subsystem" "$subsystem" \
            "$(sed -n 's/^Subsystem[[:space:]]*0*\([0-9]*\).*/\1/p' <<<"$header")"
        while read -r dll; do
            case "${dll,,}" in
                kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll|advapi32.dll|\
                version.dll|msvcrt.dll|wsock32.dll|ws2_32.dll|winhttp.dll|secur32.dll|crypt32.dll|\
                ole32.dll|oleaut32.dll) ;;
                *) fail "$name $exe imports only system DLLs" "imports $dll" ;;
            esac
        done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$header")
        check "$name $exe imports the Windows API" grep -qi "DLL Name: KERNEL32.dll" <<<"$header"
        check_eq "$name $exe is stripped" 0 "$("$triple-objdump" -h "$dir/$exe" | grep -c '\.debug_')"
        check "$name $exe links its debug file" grep -qx "$exe.debug" < <(strings -a "$dir/$exe")
    done
}
inspect win32 "$win32_zip" i686-w64-mingw32 014c 010b
inspect win64 "$win64_zip" x86_64-w64-mingw32 8664 020b

# --- the unpacked win64 programs under Wine
app=$E2E_WORK/win64
contents_before=$(ls -A "$app")
tray_colours() { convert "$E2E_BUILD/screenshots/${E2E_NAME}_$1.png" -crop 16x16+"$2"+24 +repage -format %k info:; }
monitor_count() { kvd process-count "$1" | tr -d '\r'; }
# tray_shows NAME X COLOURS: a fresh screenshot NAME whose tray square at X has COLOURS
# colours ("many": two or more; 1: an empty square).
tray_shows() {
    shot "$1"
    local n; n=$(tray_colours "$1" "$2")
    if [ "$3" = many ]; then test "$n" -ge 2; else test "$n" = "$3"; fi
}
none_left() { test "$(monitor_count "$1")" = 0; }

# KELVIX.exe finds no drives under Wine: its no-temperature picture, no message, running.
cd "$app" || exit 1
win_bg ./KELVIX.exe
cd "$E2E_WORK" || exit 1
check "KELVIX.exe from the zip starts" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
check "its start-up has finished" kelvix_settled
check_eq "no message box" "" "$(boxes)"
check "its tray icon shows a picture" wait_until 20 tray_shows kelvix_started 5 many
check_eq "it keeps running" 1 "$(monitor_count KELVIX.exe)"
kvd command 32798
check "about dialog opens" kvd wait-window "#32770" "バージョン情報" 10000
check_eq "about dialog shows the package version" "Version $version" \
    "$(kvd dialog-get-text "バージョン情報" 1002 | tr -d '\r')"
shot kelvix_about
kvd dialog-click "バージョン情報" 1
check "about dialog closes" kvd wait-gone "#32770" "バージョン情報" 10000
kvd command 32799
kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 20000 || kvd command 32799
check "KELVIX.exe exits through its menu command" kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 40000
check "no KELVIX.exe process is left" wait_until 10 none_left KELVIX.exe
check "its tray icon is gone" wait_until 20 tray_shows kelvix_gone 5 1
check_eq "nothing was added to the folder" "$contents_before" "$(ls -A "$app")"
check "no settings file was written" test ! -e "$E2E_INI"

# A simulated monitor from the build tree, with the package's drive database.
port=$(e2e_free_port)
mkdir sim && cp "$app/HDDATA.CFG" "$app/7SEG_G.KVX" sim/
cat > sim/drives.txt <<'DRIVES'
drive 0
model ST380011A
firmware 3.06
serial 5JV3ABCD
temperature 194 38
drive 1
model SAMSUNG SP1614N
firmware TM100-24
serial 0401J1FW123456
temperature 194 44
DRIVES
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Threshold]\r\nUseBalloon=0\r\n' "$port" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/sim/drives.txt
cd sim || exit 1
win_bg "$E2E_BUILD/monitor/KELVIX_SIM.exe"
cd "$E2E_WORK" || exit 1
check "simulated monitor starts" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
port_bound() { ss -Hunl "sport = :$port" | grep -q .; }
check "its server listens" wait_until 20 port_bound

answer=$(KELVIX_QUERY_PORT=$port timeout 30 wine64 "$app/tempquery.exe" 127.0.0.1 </dev/null | tr -d '\r')
check_eq "tempquery.exe from the zip prints both drives" "#0  38/38 : ST380011A (3.06 5JV3ABCD)
#1  44/44 : SAMSUNG SP1614N (TM100-24 0401J1FW123456)" "$answer"

pelito_settings "[127.0.0.1]\r\nPort=$port\r\nTimeOut=2\r\n"
cd "$app" || exit 1
win_bg ./PELITO.exe
cd "$E2E_WORK" || exit 1
check "PELITO.exe from the zip starts" kvd wait-window ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 20000
check "PELITO shows drive 0" wait_until 30 tray_shows pelito_icons 25 many
check "PELITO shows drive 1" wait_until 30 tray_shows pelito_icons 45 many
check_eq "the host answered: no settings dialog" "" "$(boxes)"
check_eq "and no third icon" 1 "$(tray_colours pelito_icons 65)"
kvd post ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 0x111 0x8021 0
check "PELITO's about dialog opens" kvd wait-window "#32770" "バージョン情報" 10000
check_eq "PELITO's about dialog shows the package version" "Version $version" \
    "$(kvd dialog-get-text "バージョン情報" 1101 | tr -d '\r')"
kvd dialog-click "バージョン情報" 1
check "PELITO's about dialog closes" kvd wait-gone "#32770" "バージョン情報" 10000
kvd post ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 0x111 0x8022 0
check "PELITO exits" kvd wait-gone ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 20000
check "no PELITO.exe process is left" wait_until 10 none_left PELITO.exe
pelito_settings ""
rm -f "$E2E_PELITO_OLD_INI"

quit_kelvix "simulated monitor exits"
e2e_end
