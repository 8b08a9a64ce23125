#!/usr/bin/env bash
# KELVIX_SIM among faults around it: a settings file full of garbage, a settings file it
# cannot write, a log in a folder that does not exist, a glyph file that is no module, a
# server port another program holds, a very long drive database. Each time it keeps
# running (or, at start-up, ends by design), shows only its own messages and loses none
# of the values it had.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_faults
kvdriver=$E2E_BUILD/tests/e2e/kvdriver.exe
box_caption="エラー情報"
port_bound() { ss -Hunl "sport = :$1" | grep -q .; }

install_kelvix_sim
drive_set <<'DRIVES'
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 45
DRIVES
worst_key="ST380011A:1.00:5JV3ABCD"

# start SECTION: KELVIX_SIM in the background, up to its main window.
start() {
    start_kelvix_sim "$1"
}
# stop SECTION: the exit command; the window and the process go.
stop() {
    quit_kelvix "$1: main window goes"
    wait_until 10 running 0
    check_eq "$1: process has ended" 0 "$(copies)"
}
# measure SECTION: two measurements on command, each handled before the next call returns,
# then a copy into the emptied clipboard (so that a copy that failed cannot pass on what an
# earlier section left there).
measure() {
    check "$1: clipboard emptied" kvd clear-clipboard
    check "$1: two measurements on command" kvd command-times 32789 2
    check "$1: copy command handled" kvd command-times 32790 1
    check_contains "$1: measures, clipboard has the drive" "45℃ : ST380011A" "$(clipboard_text)"
    check_eq "$1: still running" 1 "$(copies)"
    check_eq "$1: no message box" "" "$(boxes)"
}

# ---- 1. Garbage in KELVIX.INI -------------------------------------------------------
section="garbage settings"
port=$(e2e_free_port)
{
    printf '[Common]\r\nUseLog=yes please\r\nNoTrayIcon=\r\nLogFile=\r\n'
    printf 'this line has no equals sign\r\n=a value without a key\r\n\x01\x02\x7f binary junk\r\n'
    printf '[Timer]\r\nMaximum=99999999999999999999\r\nMinimum=-5\r\nCurrent=abc\r\n'
    printf '[Threshold]\r\nMaximum=\r\nMinimum=0x\r\nCurrent=4294967296\r\nUseBalloon=2x\r\n'
    printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\nPort=junk after the first\r\n' "$port"
    printf '[Information]\r\nUseInformation=0\r\nX=-99999999999\r\nAlpha=999\r\n'
    printf 'Font=,,,,\r\nColorNameBack=red\r\nColorGrphLevel0=1,2,3,4,5,6,7\r\n'
    printf '[[[ broken section\r\n]]]\r\n[Worst]\r\n%s=0x30\r\nGARBAGE DRIVE=not a number\r\n' "$worst_key"
    printf '[\r\n'
} > "$E2E_INI"
cp "$E2E_INI" ini.garbage.before
start "$section"
check "$section: server listens" wait_until 20 port_bound "$port"
check_eq "$section: no message box" "" "$(boxes)"
report=$(query "$port" 20 -t 0)
check_eq "$section: server answers, stored worst kept above the reading" \
    "#0  45/48 : ST380011A (1.00 5JV3ABCD)" "$report"
measure "$section"
stop "$section"
check "$section: stored worst 0x30 not lowered" grep -q "^$worst_key=0x30"$'\r'"\?$" "$E2E_INI"
check_eq "$section: other lines untouched" "$(grep -av "^$worst_key=" ini.garbage.before | md5sum)" \
    "$(grep -av "^$worst_key=" "$E2E_INI" | md5sum)"
check "$section: file byte-identical" cmp -s ini.garbage.before "$E2E_INI"
check "$section: no log written" test ! -e KELVIX.LOG

# ---- 2. KELVIX.INI that cannot be written -------------------------------------------
section="read-only settings"
printf '[Common]\r\nUseLog=0\r\n[Threshold]\r\nCurrent=40\r\n' > "$E2E_INI"
cp "$E2E_INI" ini.readonly.before
if chattr +i "$E2E_INI" 2>/dev/null; then
    start "$section"
    measure "$section"
    # Saving from the settings dialog says that the file could not be written, and which.
    kvd command 32791
    check "$section: settings dialog opens" kvd wait-window "#32770" "設定画面" 10000
    kvd dialog-click "設定画面" 1
    text=$(kvd wait-box "$box_caption" 10000 | from_sjis | tr -d '\r')
    shot settings_not_written
    check_contains "$section: the save names the file it could not write" \
        "ファイルへの書き込みに失敗しました。"$'\n'"C:\\windows\\KELVIX.INI" "$text"
    kvd dismiss-boxes
    check "$section: settings dialog closes" kvd wait-gone "#32770" "設定画面" 10000
    stop "$section"
    chattr -i "$E2E_INI"
    check "$section: file byte-identical" cmp -s ini.readonly.before "$E2E_INI"
else
    fail "$section: chattr +i refused: run as root on a file system with the immutable flag"
fi

# ---- 3. Log in a folder that does not exist -----------------------------------------
section="log folder missing"
printf '[Common]\r\nUseLog=1\r\nLogFile=missing\\dir\\K.LOG\r\n' > "$E2E_INI"
start "$section"
measure "$section"
stop "$section"
check "$section: no folder created" test ! -e missing
check_eq "$section: no log file anywhere" "" "$(find "$E2E_WORK" "$WINEPREFIX/drive_c" -iname K.LOG 2>/dev/null)"
check "$section: worst value still saved" grep -q "^$worst_key=0x2d" "$E2E_INI"
check "$section: log setting kept" grep -q '^LogFile=missing\\dir\\K.LOG' "$E2E_INI"

# ---- 4. A glyph file that is not a module: message 5, then the program ends ----------
section="glyph file not a module"
printf 'This is text, not a module with icons.\r\n' > notglyphs.kvx
printf '[Common]\r\nIconFile=notglyphs.kvx\r\n[Worst]\r\n%s=0x30\r\n' "$worst_key" > "$E2E_INI"
cp "$E2E_INI" ini.glyphs.before
win_bg "$programs/KELVIX_SIM.exe"
text=$(kvd wait-box "$box_caption" 20000 | from_sjis | tr -d '\r')
shot glyph_file_not_a_module
check_eq "$section: only message 5 is shown" "$box_caption	トレイアイコンファイルの読み込みに失敗しました。" "$text"
check_eq "$section: one box" "$text" "$(boxes)"
kvd dismiss-boxes
wait_until 15 running 0
check_eq "$section: program ends after the message" 0 "$(copies)"
check "$section: no main window left" kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" 5000
check "$section: settings file unchanged" cmp -s ini.glyphs.before "$E2E_INI"

# ---- 5. The server port is taken: message 11, the program keeps running -------------
section="server port taken"
port=$(e2e_free_port)
win_bg "$kvdriver" hold-port "$port" 120000
holder=$E2E_LAST_PID
check "$section: another program holds the port" wait_until 20 port_bound "$port"
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n' "$port" > "$E2E_INI"
win_bg "$programs/KELVIX_SIM.exe"
text=$(kvd wait-box "$box_caption" 20000 | from_sjis | tr -d '\r')
shot server_port_taken
check_eq "$section: only message 11 is shown" "$box_caption	サーバソケットのバインドに失敗しました。" "$text"
check_eq "$section: one box" "$text" "$(boxes)"
kvd dismiss-boxes
# The measurements and the copy have run after the box: nothing else may have opened.
measure "$section"
check_eq "$section: no further box" "" "$(boxes)"
quit_kelvix "$section: exit returns promptly" 10000
wait_until 10 running 0
check_eq "$section: process has ended" 0 "$(copies)"
kill "$holder" 2>/dev/null

# ---- 6. A drive database of 10,000 lines -------------------------------------------
section="long drive database"
port=$(e2e_free_port)
# Only the entry near the end names attribute 190, the one the drive reports in.
awk 'BEGIN {
    print "# generated: 10,000 lines"
    for (i = 2; i <= 10000; i++) {
        if (i == 9990) print "FAULTS LAST DISK = 190"
        else printf "GENERATED DISK %05d = 194\n", i
    }
}' > BIG.CFG
check_eq "$section: database has 10,000 lines" 10000 "$(wc -l < BIG.CFG)"
cat > drives-big.txt <<'DRIVES'
drive 0
model FAULTS LAST DISK
serial BIG0001
temperature 190 41
DRIVES
printf '[Common]\r\nCfgFile=BIG.CFG\r\n[Network]\r\nUseNetwork=1\r\nPort=%s\r\n' "$port" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/drives-big.txt
start "$section"
check "$section: server listens" wait_until 30 port_bound "$port"
report=$(query "$port" 20 -t 0)
check_eq "$section: the drive near the end shows its temperature" \
    "#0  41/41 : FAULTS LAST DISK (1.00 BIG0001)" "$report"
check_eq "$section: no message box" "" "$(boxes)"
stop "$section"

# ---- 7. Junk on the server port: one notice, serving goes on, exit does not wait ----
section="junk datagrams"
port=$(e2e_free_port)
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n' "$port" > "$E2E_INI"
export KELVIX_DRIVESET=$E2E_WORK/drives.txt
start "$section"
check "$section: server listens" wait_until 30 port_bound "$port"
for junk in '\x02' '\x11' '\xff'; do printf "$junk" > "/dev/udp/127.0.0.1/$port"; done
head -c 3000 /dev/zero > "/dev/udp/127.0.0.1/$port"
report=$(query "$port" 10 -t 0)
check_eq "$section: a report query right after the junk is answered" \
    "#0  45/45 : ST380011A (1.00 5JV3ABCD)" "$report"
has_box() { local found; found=$(boxes) && [ -n "$found" ]; }
check "$section: the notice opens" wait_until 20 has_box
shot junk_notice
check_eq "$section: one notice for three unknown bytes" "確認情報	未知のコマンドを受信しました。" "$(boxes)"
quit_kelvix "$section: exit does not wait for the open notice" 10000
wait_until 10 running 0
check_eq "$section: process has ended" 0 "$(copies)"

e2e_end
