# Helpers for end-to-end tests: the real programs run inside the Wine harness and are
# driven from outside (kvdriver, UDP, files). Sourced by each tests/e2e/*.sh with
#   e2e_begin <build-dir> <name>
# which fails the test unless the harness (CTest fixture "wine") is running. With
# E2E_HARNESS set to another harness's folder (the English one at 144 dpi, <build>/foreign)
# the programs of <build-dir> run in that harness instead.
set -u

E2E_PASSED=0
E2E_FAILED=0
E2E_PIDS=()
E2E_BALLOON=""

e2e_begin() {
    E2E_BUILD=$(cd "$1" && pwd)
    E2E_NAME=$2
    local harness=${E2E_HARNESS:-$E2E_BUILD}
    if [ ! -f "$harness/wine/env" ]; then
        echo "e2e: the Wine harness is not running" >&2
        exit 1
    fi
    # shellcheck disable=SC1091
    . "$harness/wine/env"
    # The harness's ANSI code page, in which kvdriver's A calls hand texts over.
    case ${LANG:-} in ja_JP*) E2E_ANSI=CP932 ;; *) E2E_ANSI=CP1252 ;; esac
    E2E_WORK=$E2E_BUILD/e2e/$E2E_NAME
    rm -rf "$E2E_WORK"
    mkdir -p "$E2E_WORK" "$E2E_BUILD/screenshots"
    cd "$E2E_WORK" || exit 1
    # KELVIX keeps its settings in the Windows directory ("KELVIX.INI" is a bare name).
    E2E_INI=$WINEPREFIX/drive_c/windows/KELVIX.INI
    # A test that was killed may have left the file immutable (chattr +i).
    chattr -i "$E2E_INI" 2>/dev/null
    rm -f "$E2E_INI"
    # KELVIX's history beside it, and one it set aside.
    rm -f "$WINEPREFIX/drive_c/windows/KELVIX.HIS" "$WINEPREFIX/drive_c/windows/KELVIX.HIS.bad"
    # PELITO keeps its settings in the user's application-data folder and takes them from
    # an older PELITO's file in the Windows directory once, while it has none of its own.
    E2E_PELITO_OLD_INI=$WINEPREFIX/drive_c/windows/PELITO.INI
    trap e2e_cleanup EXIT
}

# pelito_settings TEXT: the settings PELITO starts from, written where an older PELITO
# kept them; its own file is removed, so that it takes them over at its next start.
pelito_settings() {
    rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/PELITO
    printf '%b' "$1" > "$E2E_PELITO_OLD_INI"
}

# pelito_user_ini: PELITO's own settings file, once it made it.
pelito_user_ini() {
    local file
    for file in "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/PELITO/PELITO.INI; do
        [ -f "$file" ] && { echo "$file"; return 0; }
    done
    return 1
}

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    chattr -i "$E2E_INI" 2>/dev/null  # kelvix_faults makes it immutable for a while
    # Whatever the test left running in the prefix (a program that hung, a message box).
    wine64 "$E2E_BUILD/tests/e2e/kvdriver.exe" dismiss-boxes >/dev/null 2>&1 </dev/null
}

# win EXE ARGS...: run a Windows program in the foreground, passing its exit code.
win() { wine64 "$@" </dev/null; }

# win_bg EXE ARGS...: start a Windows program in the background.
win_bg() {
    wine64 "$@" </dev/null >"$E2E_WORK/bg.$#.$RANDOM.log" 2>&1 &
    E2E_PIDS+=($!)
    E2E_LAST_PID=$!
}

kvd() { wine64 "$E2E_BUILD/tests/e2e/kvdriver.exe" "$@" </dev/null; }

# shot NAME: the whole virtual screen as <build>/screenshots/<test>_<NAME>.png. A picture
# that could not be taken or is one colour (nothing drawn) fails the test.
shot() {
    local file="$E2E_BUILD/screenshots/${E2E_NAME}_$1.png"
    # Inside a wait a blank picture is only a probe that did not hold yet (an empty tray
    # can leave the screen one colour); the wait's own check fails if it never holds.
    if ! import -display "$DISPLAY" -window root "$file"; then
        [ -n "${E2E_PROBING:-}" ] || fail "screenshot $1 taken"; return 1
    fi
    local colours; colours=$(convert "$file" -format %k info: 2>/dev/null)
    if ! [ "${colours:-0}" -gt 1 ] 2>/dev/null; then
        [ -n "${E2E_PROBING:-}" ] || fail "screenshot $1 shows something" "$file is one colour"; return 1
    fi
}
# tray_picture NAME: a checksum of the tray icon's pixels (E2E_TRAY_ICON: where it is, 16 x 16
# at 96 dpi), cut from screenshot NAME.
tray_picture() {
    shot "$1"
    convert "$E2E_BUILD/screenshots/${E2E_NAME}_$1.png" -crop "${E2E_TRAY_ICON:-16x16+5+24}" +repage txt:- |
        tail -n +2 | md5sum
}
# read_balloons: the texts of the balloons and tooltips on the screen, in UTF-8, into
# E2E_BALLOON. A balloon can time out between two reads: a check after a wait takes the
# text that the wait's probe saw, never a second read.
read_balloons() { E2E_BALLOON=$(kvd windows tooltips_class32 | from_ansi | tr -d '\r'); }
# balloon_has TEXT: a balloon on the screen shows TEXT (E2E_BALLOON holds what was read).
# Its window exists before its text: wait for this, not for the window.
balloon_has() { read_balloons; [[ "$E2E_BALLOON" == *"$1"* ]]; }
# balloon_shown: a balloon or tooltip with some text is on the screen (E2E_BALLOON).
balloon_shown() { read_balloons; [ -n "$E2E_BALLOON" ]; }
# click_for_balloon TEXT: a left click on the tray icon, until a balloon shows TEXT. A busy
# Wine desktop has dropped a first click's balloon; clicks are far enough apart not to pair.
click_for_balloon() {
    local _
    for _ in 1 2 3; do
        kvd tray-click 0x201
        wait_until 10 balloon_has "$1" && return 0
    done
    return 1
}
# screen NAME: a checksum of screenshot NAME.
screen() { md5sum < "$E2E_BUILD/screenshots/${E2E_NAME}_$1.png"; }
# screen_changed_from PICTURE NAME: screenshot NAME differs from PICTURE and two shots in a
# row agree (the new window has finished painting).
screen_changed_from() {
    shot "$2"
    local first; first=$(screen "$2")
    shot "$2"
    [ "$first" != "$1" ] && [ "$first" == "$(screen "$2")" ]
}
# Dialog windows on the screen, and whether there are more than N.
dialogs() { kvd windows "#32770" | wc -l; }
more_dialogs_than() { [ "$(dialogs)" -gt "$1" ]; }

# With KELVIX_SIM running: opens the monitor window, the S.M.A.R.T. viewer (on the first
# drive) and the about dialog in turn, each screenshot once painted (monitor_window,
# smart_viewer, about_dialog), then quits KELVIX and waits for it to end.
check_kelvix_windows_and_quit() {
    shot before_windows
    local before; before=$(dialogs)
    kvd command 32792
    check "monitor window opens" wait_until 10 more_dialogs_than "$before"
    check "monitor window painted" wait_until 10 screen_changed_from "$(screen before_windows)" monitor_window

    kvd command 32794
    check "S.M.A.R.T. viewer opens" kvd wait-window "#32770" "S.M.A.R.T." 10000
    check "viewer painted" wait_until 10 screen_changed_from "$(screen monitor_window)" smart_viewer

    kvd command 32798
    check "about dialog opens" kvd wait-window "#32770" "バージョン情報" 10000
    check "about dialog painted" wait_until 10 screen_changed_from "$(screen smart_viewer)" about_dialog
    kvd dismiss-boxes >/dev/null 2>&1
    kvd key 27

    quit_kelvix "main window goes"
    wait_until 10 running 0
}

# Shift-JIS bytes (what the programs write) to UTF-8 (what these scripts are written in).
from_sjis() { iconv -f CP932 -t UTF-8; }
# Texts in the harness's ANSI code page (what kvdriver reads from windows and the plain-text
# clipboard) to UTF-8: Shift-JIS in the Japanese harness, code page 1252 in the English one.
from_ansi() { iconv -f "$E2E_ANSI" -t UTF-8; }

# install_kelvix_sim [PROGRAM...]: KELVIX_SIM.exe (and any other program named), the drive
# database and the glyph file copied into the test's folder, as a user installs them;
# $programs names that folder from then on.
install_kelvix_sim() {
    local program files=()
    for program in KELVIX_SIM.exe "$@" HDDATA.CFG 7SEG_G.KVX; do files+=("$E2E_BUILD/monitor/$program"); done
    cp "${files[@]}" "$E2E_WORK" || return 1
    programs=$E2E_WORK
}

# drive_set [FILE]: the drive-set file (read from standard input) that KELVIX_SIM reads,
# drives.txt in the test's folder unless named.
drive_set() {
    KELVIX_DRIVESET=$E2E_WORK/${1:-drives.txt}
    export KELVIX_DRIVESET
    cat > "$KELVIX_DRIVESET"
}

# query PORT SECONDS [OPTION...]: tempquery's answer from KELVIX on loopback port PORT,
# given up after SECONDS.
query() {
    local port=$1 seconds=$2
    shift 2
    KELVIX_QUERY_PORT=$port timeout "$seconds" wine64 "$E2E_BUILD/query/tempquery.exe" "$@" 127.0.0.1 </dev/null
}

# quit_kelvix DESCRIPTION [MS]: KELVIX's close command (the tray menu's exit), then the check
# DESCRIPTION that its main window goes within MS (20 s). Only the posting is retried, when
# kvdriver could not post it; KELVIX itself is asked once.
quit_kelvix() {
    local try rc
    for try in 1 2 3; do
        kvd command 32799; rc=$?
        [ "$rc" = 0 ] && break
        echo "quit_kelvix: kvdriver could not post the close command (exit $rc, try $try)" >&2
        sleep 1
    done
    check "$1" kvd wait-gone ORVALD_MONITOR "ORVALD MONITOR" "${2:-20000}"
}

# start_kelvix_sim [WHAT]: KELVIX_SIM from $programs in the background, up to its main window.
start_kelvix_sim() {
    win_bg "$programs/KELVIX_SIM.exe"
    check "${1:+$1: }main window appears" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
}


# icon_at X NAME: the 16 x 16 pixels of the tray icon at X (the tray row starts at 5, 20 apart).
icon_at() { convert "$E2E_BUILD/screenshots/${E2E_NAME}_$2.png" -crop 16x16+"$1"+24 +repage txt:- | tail -n +2 | md5sum; }
# pelito_count: how many PELITO processes run; pelito_gone: none.
pelito_count() { kvd process-count PELITO.exe | tr -d '\r'; }
pelito_gone() { test "$(pelito_count)" = 0; }

# hover X TEXT [SECONDS]: move the pointer onto the tray icon at X until a tooltip shows
# TEXT (30 s at most). The pauses let the notification area see the pointer arrive.
hover() {
    local end=$((SECONDS + ${3:-30})) x=$(($1 + 8))
    while [ $SECONDS -lt $end ]; do
        kvd mouse-move 600 400; sleep 0.3
        kvd mouse-move "$x" 31; sleep 1.5
        balloon_has "$2" && return 0
    done
    return 1
}

# copies: how many KELVIX_SIM processes run; running N: that many.
copies() { kvd process-count KELVIX_SIM.exe | tr -d '\r'; }
running() { test "$(copies)" = "$1"; }

# boxes: the visible dialog boxes, "caption<TAB>text" in UTF-8. A probe that failed says so
# instead of printing nothing, so that a check for no box cannot pass on it.
boxes() {
    local found
    found=$(kvd boxes) || { echo "(kvdriver could not look for boxes)"; return 1; }
    printf '%s' "$found" | from_sjis | tr -d '\r'
}

no_boxes() { local found; found=$(boxes) && [ -z "$found" ]; }

# copy_temperatures: empties the clipboard, then has KELVIX copy its temperatures into it
# and waits until that was handled, so that an earlier copy cannot pass for this one.
copy_temperatures() { kvd clear-clipboard && kvd command-times 32790 1; }
clipboard_text() { kvd clipboard | from_ansi | tr -d '\r'; }
# clipboard_unicode: the clipboard's UTF-16 text (CF_UNICODETEXT), in UTF-8.
clipboard_unicode() { kvd clipboard-unicode | tr -d '\r'; }

pass() { E2E_PASSED=$((E2E_PASSED + 1)); echo "ok   - $1"; }
fail() { E2E_FAILED=$((E2E_FAILED + 1)); echo "FAIL - $1"; [ $# -gt 1 ] && printf '       %s\n' "${@:2}"; }

# check DESCRIPTION COMMAND...: the command must succeed.
check() {
    local what=$1; shift
    if "$@"; then pass "$what"; else fail "$what" "command: $*"; fi
}

# fails COMMAND...: the command fails (for check).
fails() { ! "$@"; }

# check_eq DESCRIPTION EXPECTED ACTUAL
check_eq() {
    if [ "$2" == "$3" ]; then pass "$1"; else fail "$1" "expected: $2" "actual:   $3"; fi
}

# check_contains DESCRIPTION NEEDLE HAYSTACK
check_contains() {
    if [[ "$3" == *"$2"* ]]; then pass "$1"; else fail "$1" "expected to contain: $2" "actual: $3"; fi
}

# wait_until SECONDS COMMAND...: retries the command until it succeeds.
wait_until() {
    local limit=$1; shift
    local E2E_PROBING=1
    local end=$((SECONDS + limit))
    until "$@" >/dev/null 2>&1; do
        [ $SECONDS -ge $end ] && return 1
        sleep 0.2
    done
}

# kelvix_settled: every message posted to KELVIX so far, and every message their handlers
# posted in turn, has been handled: two rounds of a posted copy command that must reach
# the emptied clipboard. Proves that the program acted before a check that nothing appeared.
clipboard_filled() { kvd clipboard >/dev/null; }
kelvix_settled() {
    local round
    for round in 1 2; do
        kvd clear-clipboard || return 1
        kvd command 32790 || return 1
        wait_until 30 clipboard_filled || return 1
    done
}

# no_tooltips: no balloon or tooltip window is shown. Exit 1 is kvdriver's "none": a probe
# that failed in any other way shows no absence.
no_tooltips() { kvd windows tooltips_class32 >/dev/null; test $? -eq 1; }

# e2e_skip REASON: the test cannot run on this machine; CTest reports it skipped (exit 77)
# and scripts/test.sh fails on it, so only for what a developer's machine may lack.
e2e_skip() {
    echo "skip - $E2E_NAME: $*"
    exit 77
}

# e2e_free_port [EXCEPT]: a UDP port on loopback that nothing is bound to now.
e2e_free_port() {
    local port
    for _ in $(seq 200); do
        port=$((20000 + RANDOM % 20000))
        [ "$port" = "${1:-}" ] && continue
        if ! ss -Hunl "sport = :$port" 2>/dev/null | grep -q .; then echo "$port"; return 0; fi
    done
    return 1
}

# e2e_free_tcp_port [EXCEPT...]: a TCP port on loopback that nothing listens on now.
e2e_free_tcp_port() {
    local port
    for _ in $(seq 200); do
        port=$((20000 + RANDOM % 20000))
        [[ " $* " == *" $port "* ]] && continue
        if ! ss -Htln "sport = :$port" 2>/dev/null | grep -q .; then echo "$port"; return 0; fi
    done
    return 1
}

e2e_end() {
    echo "$E2E_NAME: $E2E_PASSED passed, $E2E_FAILED failed"
    [ "$E2E_FAILED" -eq 0 ]
}
