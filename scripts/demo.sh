#!/usr/bin/env bash
# The demo: KELVIX with five simulated drives (one of them an NVMe SSD) under Wine, its tray icon, balloons, monitor
# window, S.M.A.R.T. viewer and UDP server, watched by PELITO (one tray icon per drive) and
# asked every few seconds by the Linux tempquery.
#
#   bash scripts/demo.sh [seconds] [--visible] [--english]
#
# Runs for 90 seconds by default. Without --visible everything happens on a private
# virtual display and the screen is saved every few seconds to build/demo/screens/;
# with --visible the Wine desktop opens on your own $DISPLAY. KELVIX and PELITO speak
# Japanese, as on a Japanese Windows (Wine in the ja_JP.UTF-8 locale); with --english
# Wine runs in C.UTF-8, a Windows of another language, and they speak English.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=90
visible=0
english=0
for arg in "$@"; do
    case "$arg" in
        --visible) visible=1 ;;
        --english) english=1 ;;
        ''|*[!0-9]*) echo "usage: demo.sh [seconds] [--visible] [--english]" >&2; exit 2 ;;
        *) seconds=$arg ;;
    esac
done

bash scripts/setup.sh || exit 1
echo "=== building (first time: a few minutes)"
cmake -S . -B build/native -G Ninja >/dev/null && cmake --build build/native --target tempquery || exit 1
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null &&
    cmake --build build/win64 --target KELVIX_SIM PELITO kvdriver || exit 1

demo=$root/build/demo
rm -rf "$demo"; mkdir -p "$demo/screens"
cp build/win64/monitor/KELVIX_SIM.exe build/win64/monitor/HDDATA.CFG build/win64/monitor/7SEG_G.KVX \
    build/win64/trayclient/PELITO.exe "$demo/"
cat > "$demo/KELVIX_SIM.DRIVES" <<'DRIVES'
# Five drives: two steady, one warming up past the warning temperature and cooling again,
# one that stops answering after its fifth reading (it keeps its last value), and an NVMe
# SSD read through the storage queries of Windows 10 and later.
drive 0
model ST3500418AS
firmware CC38
serial 6VM1ABCD
sectors 976773168
temperature 194 34 34 35 35 35 34
drive 1
model WDC WD10EZEX-08WN4A0
firmware 01.01A01
serial WD-WCC6Y1234567
sectors 1953525168
temperature 194 36 38 40 42 44 45 43 41 39 37
drive 2
model Samsung SSD 860 EVO 500GB
firmware RVT04B6Q
serial S3Z1NB0K123456X
sectors 976773168
temperature 190 31 32
drive 3
model Hitachi HDS721010CLA332
firmware JP4OA3MA
serial JP2911HZ1A2B3C
sectors 1953525168
udma 6
temperature 194 41 41 42
fail attributes from 6
drive 4
nvme
model Samsung SSD 980 PRO 1TB
firmware 5B2QGXA7
serial S5GXNF0R123456
capacity 1000204886016
temperature 38 39 40 41 40 39
health power-on-hours 3120
health used 2
DRIVES

if [ "$visible" = 1 ]; then
    [ -n "${DISPLAY:-}" ] || { echo "demo: --visible needs a DISPLAY" >&2; exit 2; }
    export KV_HARNESS_DISPLAY=$DISPLAY
fi
# The locale is Windows' display language and ANSI code page for the programs; each
# language has a Wine prefix of its own, as the tests' two harnesses do.
if [ "$english" = 1 ]; then
    export KV_HARNESS_LANG=C.UTF-8
    harness=$root/build/win64/foreign
    degrees='\x81\x8bC'  # the degree sign as the programs' own texts spell it
else
    export KV_HARNESS_LANG=ja_JP.UTF-8
    harness=$root/build/win64
    degrees='\x81\x8e'  # the degree sign of code page 932
fi
mkdir -p "$harness"
scripts/wine-harness.sh start "$harness" $$ || exit 1
# shellcheck disable=SC1091
. "$harness/wine/env"
trap '"$root/scripts/wine-harness.sh" stop "$harness"' EXIT INT TERM

# KELVIX.INI lives in the prefix's Windows directory: measure every 5 s, warn with balloons,
# log, open the monitor window, and answer queries on the default port.
printf '[Common]\r\nUseLog=1\r\n[Timer]\r\nCurrent=5\r\n[Threshold]\r\nUseBalloon=1\r\n[Network]\r\nUseNetwork=1\r\nPort=10008\r\n[Information]\r\nUseInformation=1\r\nX=40\r\nY=590\r\nForm=%%d'"$degrees"'\r\n' \
    > "$WINEPREFIX/drive_c/windows/KELVIX.INI"
# PELITO asks 127.0.0.1 every 10 s (its own settings dialog allows 30 s and more).
# PELITO keeps its settings in the user's application-data folder.
mkdir -p "$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/PELITO"
printf '[127.0.0.1]\r\nTimer=10\r\n' > "$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/PELITO/PELITO.INI"

cd "$demo" || exit 1
wine64 ./KELVIX_SIM.exe </dev/null >kelvix.out 2>&1 &
driver=$root/build/win64/tests/e2e/kvdriver.exe
wine64 "$driver" wait-window ORVALD_MONITOR "ORVALD MONITOR" 30000 </dev/null ||
    { echo "demo: KELVIX did not start"; exit 1; }
echo "=== KELVIX is running (simulated drives in build/demo/KELVIX_SIM.DRIVES)"
# The S.M.A.R.T. viewer from the tray menu's command, then PELITO watching this machine,
# once the server answers (otherwise PELITO would open its settings dialog at start).
wine64 "$driver" command 32794 </dev/null
for _ in $(seq 30); do
    "$root/build/native/query/tempquery" -t 1 -r 1 127.0.0.1 >/dev/null 2>&1 && break
done
wine64 ./PELITO.exe 127.0.0.1 </dev/null >pelito.out 2>&1 &
wine64 "$driver" wait-window ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 30000 </dev/null ||
    echo "demo: PELITO did not start"
echo "=== PELITO is running: one tray icon per drive, beside KELVIX's own"

end=$((SECONDS + seconds))
shot=0
while [ $SECONDS -lt $end ]; do
    sleep 5
    echo "--- $(date +%T)  tempquery 127.0.0.1"
    timeout 5 "$root/build/native/query/tempquery" 127.0.0.1 || echo "(no answer)"
    shot=$((shot + 1))
    import -display "$DISPLAY" -window root "screens/screen$(printf %02d $shot).png" 2>/dev/null
    if [ $shot = 4 ]; then
        # What a click on the tray icon shows: every drive's temperature in a balloon.
        wine64 "$driver" command 32795 </dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            wine64 "$driver" windows tooltips_class32 </dev/null | grep -q . && break
            sleep 0.5
        done
        import -display "$DISPLAY" -window root "screens/balloon.png" 2>/dev/null
    fi
done

wine64 "$driver" post ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 0x111 0x8022 0 </dev/null
wine64 "$driver" wait-gone ORVALD_TRAYICON_CLIENT "ORVALD TRAYICON_CLIENT" 20000 </dev/null
wine64 "$driver" command 32799 </dev/null
wine64 "$driver" wait-gone ORVALD_MONITOR "ORVALD MONITOR" 20000 </dev/null
echo "=== log (build/demo/KELVIX.LOG)"
tail -n 5 KELVIX.LOG
echo "=== worst temperatures kept in KELVIX.INI"
sed -n '/^\[Worst\]/,$p' "$WINEPREFIX/drive_c/windows/KELVIX.INI"
echo "=== screens saved in build/demo/screens/"
