#!/usr/bin/env bash
# PELITO watching a simulated KELVIX on this machine: one tray icon per reported drive,
# tooltips, the detail balloon, the tray menu and dialogs, exit; then a host that does not
# answer, which opens the settings dialog at start.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" pelito_watch
monitor=$E2E_BUILD/monitor
pelito=$E2E_BUILD/trayclient/PELITO.exe
port=$(e2e_free_port)
silent=$(e2e_free_port "$port")
client_class=ORVALD_TRAYICON_CLIENT
client_title="ORVALD TRAYICON_CLIENT"
# client MSG WPARAM LPARAM: post a message to PELITO's main window.
client() { kvd post "$client_class" "$client_title" "$@"; }
menu_open() { kvd windows '#32768'; }
# Exit 1 is kvdriver's "none": a probe that failed in any other way is no closed menu.
menu_closed() { kvd windows '#32768' >/dev/null; test $? -eq 1; }
# icons_shown NAME: a fresh screenshot NAME in which PELITO's icons for slots 0 and 2 are up.
icons_shown() {
    shot "$1"
    local empty_square; empty_square=$(icon_at 105 "$1")
    test "$(icon_at 25 "$1")" != "$empty_square" && test "$(icon_at 45 "$1")" != "$empty_square"
}
# foreground_is TITLE: the foreground window has that title.
foreground_is() { [[ "$(kvd foreground | from_sjis | tr -d '\r')" == *$'\t'"$1" ]]; }

cp "$monitor/HDDATA.CFG" .
drive_set <<'DRIVES'
drive 0
model ST380011A
serial 5JV3ABCD
temperature 194 35
drive 2
model WDC WD800JB-00JJC0
serial WMAJ91234567
temperature 194 52 50
DRIVES
printf '[Network]\r\nUseNetwork=1\r\nPort=%s\r\n[Threshold]\r\nUseBalloon=0\r\n' "$port" > "$E2E_INI"
# A short poll period (the dialog would not allow it, the file does) for the second poll.
pelito_settings "[127.0.0.1]\r\nPort=$port\r\nTimeOut=2\r\nTimer=4\r\n"
win_bg "$monitor/KELVIX_SIM.exe"
check "monitor starts" kvd wait-window ORVALD_MONITOR "ORVALD MONITOR" 20000
# Its start-up balloon comes and goes before PELITO's icons and texts are read.
wait_until 20 balloon_shown
wait_until 30 no_tooltips

win_bg "$pelito"
check "PELITO's main window appears" kvd wait-window "$client_class" "$client_title" 20000
check "PELITO's icons appear after the first poll" wait_until 30 icons_shown tray_icons
check_eq "no settings dialog when the host answers" "" "$(boxes)"
kelvix_icon=$(icon_at 5 tray_icons)
slot0_icon=$(icon_at 25 tray_icons)
slot2_icon=$(icon_at 45 tray_icons)
empty=$(icon_at 65 tray_icons)
check_eq "slot 2 shows 52 in warning colours, like the monitor's own icon" "$kelvix_icon" "$slot2_icon"
check "slot 0 shows another picture" test "$slot0_icon" != "$slot2_icon"
check "slot 0 is an icon" test "$slot0_icon" != "$empty"
check "slot 2 is an icon" test "$slot2_icon" != "$empty"
check "exactly two PELITO icons" test "$(icon_at 65 tray_icons)" = "$(icon_at 85 tray_icons)"

# After the second poll the tooltips have reached the notification area (hover retries).
check "tooltip of slot 2" hover 45 "2:WDC WD800JB-00JJC0"
shot tooltip_slot2
check "tooltip of slot 0" hover 25 "0:ST380011A"
# Off the icon inside the tray first, so the tooltip sees the pointer leave; again until it goes.
pointer_left() { kvd mouse-move 200 31 && kvd mouse-move 600 400 && no_tooltips; }
check "the tooltip goes when the pointer leaves" wait_until 20 pointer_left

# A left click shows the detail balloon of that drive.
client 0x8001 0 0x201
wait_until 15 balloon_has "アドレス"
balloon=$E2E_BALLOON
check_contains "balloon lists the details" "アドレス   : 127.0.0.1:$port
デバイス   : 0
バージョン : 1.00
シリアル   : 5JV3ABCD
現在の温度 : 35℃
最大の温度 : 35℃" "$balloon"
shot balloon_slot0
wait_until 20 no_tooltips

# The tray menu, then Escape.
client 0x8003 0 0x204
check "the tray menu opens" wait_until 15 menu_open
shot tray_menu
kvd key 27
check "Escape closes the tray menu" wait_until 15 menu_closed

# The settings dialog from the menu command: the watched host's values.
client 0x111 0x8020 0
check "settings dialog opens" kvd wait-window "#32770" "設定画面" 10000
check_eq "host text" "127.0.0.1" "$(kvd dialog-get-text "設定画面" 1000 | tr -d '\r')"
check_eq "port" "$port" "$(kvd dialog-get-text "設定画面" 1001 | tr -d '\r')"
check_eq "glyph file" "7SEG_G.KVX" "$(kvd dialog-get-text "設定画面" 1009 | tr -d '\r')"
# A right click while it is open brings it forward instead of the menu: the monitor's
# about dialog takes the foreground first, then the click gives it back.
kvd command 32798
check "another program's dialog in front" wait_until 15 foreground_is "バージョン情報"
client 0x8001 0 0x204
check "a right click brings the settings dialog forward" wait_until 15 foreground_is "設定画面"
check "and opens no menu" menu_closed
shot settings_dialog
kvd dialog-click "バージョン情報" 1
check "the monitor's about dialog closes" kvd wait-gone "#32770" "バージョン情報" 10000
kvd dialog-click "設定画面" 2
check "settings dialog closes" kvd wait-gone "#32770" "設定画面" 10000

client 0x111 0x8021 0
check "about dialog opens" kvd wait-window "#32770" "バージョン情報" 10000
check_contains "about: description" "PELITO" "$(kvd dialog-get-text "バージョン情報" 1100 | from_sjis)"
check_eq "about: version" "Version 1.0.0" "$(kvd dialog-get-text "バージョン情報" 1101 | tr -d '\r')"
shot about_dialog
kvd dialog-click "バージョン情報" 1
check "about dialog closes" kvd wait-gone "#32770" "バージョン情報" 10000

client 0x111 0x8022 0
check "PELITO exits on command 0x8022" kvd wait-gone "$client_class" "$client_title" 20000
check "PELITO process has ended" wait_until 10 pelito_gone
shot after_exit
check "its icons are gone" test "$(icon_at 25 after_exit)" = "$empty"
check "settings taken over into PELITO's own file" pelito_user_ini
check "cancel saved nothing" grep -q "^Timer=4" "$(pelito_user_ini)"
check "the old file stays" grep -q "^Timer=4" "$E2E_PELITO_OLD_INI"

# A host that does not answer: the settings dialog opens at start and says why (how often
# it was asked is pelito_app_test's). The host comes quoted with blanks around it. A
# listener on the silent port counts the polls and answers none.
python3 -c '
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", int(sys.argv[1])))
n = 0
while True:
    s.recv(64)
    n += 1
    open(sys.argv[2], "w").write(str(n))
' "$silent" "$E2E_WORK/polls" &
E2E_PIDS+=($!)
polls() { cat "$E2E_WORK/polls" 2>/dev/null || echo 0; }
polls_at_least() { test "$(polls)" -ge "$1"; }
pelito_settings "[127.0.0.1]\r\nPort=$silent\r\nTimeOut=1\r\nTimer=4\r\n"
win_bg "$pelito" " 127.0.0.1 "
check "settings dialog opens at start" kvd wait-window "#32770" "設定画面" 20000
check_eq "silent port in the dialog" "$silent" "$(kvd dialog-get-text "設定画面" 1001 | tr -d '\r')"
# Timer=4, below the dialog's range, keeps the story short: the dialog says that too.
check_eq "the dialog says why it opened" "127.0.0.1:$silent から応答がありません (3 回)
PELITO.INI の Timer=4 は範囲 (30 ～ 3600) の外なので「設定」で 30 にします" \
    "$(kvd dialog-get-text "設定画面" 1019 | from_sjis | tr -d '\r')"
shot settings_at_start
kvd dialog-click "設定画面" 2
check "dialog closes" kvd wait-gone "#32770" "設定画面" 10000
# Two more polls after the three at start: the second of them went out after the first had
# timed out unanswered.
check "PELITO keeps polling the silent host" wait_until 30 polls_at_least 5
check_eq "no message box for a host that does not answer" "" "$(boxes)"
client 0x111 0x8022 0
check "PELITO exits" kvd wait-gone "$client_class" "$client_title" 20000
check "nothing of PELITO left running" wait_until 10 pelito_gone

monitor_gone() { test "$(kvd process-count KELVIX_SIM.exe | tr -d '\r')" = 0; }
quit_kelvix "monitor exits"
check "monitor process has ended" wait_until 10 monitor_gone
pelito_settings ""
rm -f "$E2E_PELITO_OLD_INI"
e2e_end
