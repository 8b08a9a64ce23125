#!/usr/bin/env bash
# Start with Windows: the tray menu's item registers KELVIX's logon task in Wine's Task
# Scheduler (its file in system32\tasks, with the limits set), the settings dialog shows
# it ticked and removes it, ticks it again, and the menu removes it. A task that cannot be
# written is told in a box and stays unticked. Wine keeps a definition's settings but
# neither its trigger, its principal nor its actions: those are the builder's native tests.
. "$(dirname "$0")/e2e_lib.sh"
e2e_begin "$1" kelvix_logon_task

install_kelvix_sim
drive_set <<'DRIVES'
drive 0
model ST380011A
temperature 194 38
DRIVES

task_file=$WINEPREFIX/drive_c/windows/system32/tasks/KELVIX
remove_task() { rm -rf "$task_file"; }
remove_task
trap 'remove_task; e2e_cleanup' EXIT

# The task's XML in UTF-8, whichever encoding Wine wrote it in.
task_text() {
    [ -f "$task_file" ] || return 1
    if [ "$(head -c 2 "$task_file" | od -An -tx1 | tr -d ' ')" = fffe ]; then
        iconv -f UTF-16 -t UTF-8 "$task_file"
    else
        cat "$task_file"
    fi | tr -d '\r'
}
task_there() { [ -f "$task_file" ]; }
task_gone() { [ ! -e "$task_file" ]; }
boxes_have() { local found; found=$(boxes) && [[ "$found" == *"$1"* ]]; }
menu_open() { kvd windows '#32768'; }
menu_closed() { ! kvd windows '#32768'; }
settings_title="設定画面"
# settings_check: the settings dialog's Start with Windows box (1 ticked), then Cancel.
settings_check() {
    kvd command 32791
    kvd wait-window "#32770" "$settings_title" 10000 || { echo "(no settings dialog)"; return 1; }
    kvd dialog-checked "$settings_title" 1037 | tr -d '\r'
}
close_settings() {
    kvd dialog-click "$settings_title" "$1"
    check "the settings dialog closes" kvd wait-gone "#32770" "$settings_title" 10000
}

start_kelvix_sim
check "no task before" task_gone

# Ticked from the tray menu.
check "the menu item is handled" kvd command-times 32804 1
check "the task file is written" wait_until 10 task_there
text=$(task_text)
check_contains "it is KELVIX's definition" "<Description>KELVIX at logon</Description>" "$text"
check_contains "with no time limit" "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>" "$text"
check_contains "it starts on battery" "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>" "$text"
check_contains "it is not stopped on battery" "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>" "$text"
check_contains "never a second copy" "<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>" "$text"
check_eq "no message box" "" "$(boxes)"

kvd tray-click 0x204
check "the tray menu opens" wait_until 15 menu_open
shot tray_menu_ticked
kvd key 27
check "Escape closes the tray menu" wait_until 15 menu_closed

# The settings dialog shows it, and unticking it there removes the task on OK.
shot before_settings
check_eq "the settings dialog shows it ticked" 1 "$(settings_check)"
check "the settings dialog painted" wait_until 10 screen_changed_from "$(screen before_settings)" settings_ticked
kvd dialog-click "$settings_title" 1037
close_settings 1
check "OK removes the task" wait_until 10 task_gone
check_eq "the settings dialog shows it unticked" 0 "$(settings_check)"
kvd dialog-click "$settings_title" 1037
close_settings 1
check "ticked in the dialog, OK registers it" wait_until 10 task_there

# Unticked from the tray menu.
check "the menu item is handled again" kvd command-times 32804 1
check "the menu removes the task" wait_until 10 task_gone

# A task file that cannot be written (a folder of that name: access denied, as without
# administrator rights): the box says what to do, and the check stays unticked.
mkdir "$task_file"
kvd command 32804
check "the failure is told in a box" wait_until 15 boxes_have "KELVIX を管理者として実行してください"
kvd dismiss-boxes >/dev/null
check_eq "the check stays as the task really is" 0 "$(settings_check)"
close_settings 2
remove_task

quit_kelvix "main window goes"
e2e_end
