#!/usr/bin/env bash
# The history: one drive heats and another's pending count rises, measured every second;
# the history window shows both drives' lines in their colours, the viewer the count's
# trend in words and a small chart; the CSV saved from the window reads back; after a
# restart the window still shows what was recorded before it.
#   kelvix_history.sh BUILD [HARNESS]   HARNESS: another harness's folder (the English one
#                                       at 144 dpi), else BUILD's own
. "$(dirname "$0")/e2e_lib.sh"
E2E_HARNESS=${2:-}
e2e_begin "$1" "kelvix_history${2:+_foreign}"
install_kelvix_sim
history_file=$WINEPREFIX/drive_c/windows/KELVIX.HIS  # e2e_begin removed it
# Drive 0 heats from 35 to 62 °C (then stays); drive 1's pending count rises to 8 at read 4.
drive_set <<'DRIVES'
drive 0
model ST3500418AS
serial 5VM1ABCD
temperature 194 35 38 41 44 47 50 53 56 59 62 62 62 62 62 62 62 62 62 62 62 62 62 62 62 62 62 62 62 62 62
drive 1
model WDC WD10EZEX-08WN4A0
serial WCC6Y0ABCDEF
attribute 197 0x0012 100 100 00
temperature 194 33
raw 197 0 0 0 8
DRIVES
printf '[Timer]\r\nCurrent=1\r\n[Threshold]\r\nUseBalloon=0\r\n' > "$E2E_INI"
if [ -n "$E2E_HARNESS" ]; then
    dpi=144 csv_title="Save as CSV..." pending_words="pending sectors: " risen_words="8 since" rose="pending sectors rose from 0 to 8"
else
    dpi=96 csv_title="CSV で保存..." pending_words="代替処理待ちのセクタ: " risen_words="8 (" rose="代替処理待ちのセクタが 0 から 8 に増加"
fi
history_class=KELVIX_HISTORY

start_kelvix_sim "first run"
# The health balloon of read 4: drive 1's count at 8, drive 0 at 44 °C or more.
check "drive 1's count rises" wait_until 20 balloon_has "$rose"

# history_window: opened from the tray menu's command, up to its window.
history_open() { kvd client-rect $history_class >/dev/null; }
kvd mouse-move 0 0  # away from where the chart will be (a run before may have left it there)
check "the history window opens" kvd command 32803
check "it is on the screen" wait_until 10 history_open
history() { kvd post $history_class '*' 0x111 "$1" 0; }
# colour_pixels R G B: pixels of exactly that colour in the history window's chart (its
# client area without the legend rows at the bottom), leaving out the drive's dashed
# warning line (a row where the colour spans a third of the width or more).
colour_pixels() {
    local x y w h legend
    read -r x y w h < <(kvd client-rect $history_class | tr -d '\r')
    legend=$((70 * dpi / 96))
    convert "$E2E_BUILD/screenshots/${E2E_NAME}_$shot_name.png" -crop "${w}x$((h - legend))+$x+$y" +repage txt:- \
        | awk -v colour="($1,$2,$3)" -v width="$w" '$2 == colour { split($1, at, /[,:]/); row[at[2]]++ }
            END { for (y in row) if (row[y] < width / 3) total += row[y]; print total + 0 }'
}
# line_drawn NAME R G B: screenshot NAME shows the line in that colour (taken again until
# the window has painted it).
line_drawn() {
    shot_name=$1
    shot "$shot_name" && [ "$(colour_pixels "$2" "$3" "$4")" -ge 10 ]
}
check "the hour is chosen" history 32804
check "drive 0's line is drawn in the first colour (green)" wait_until 10 line_drawn "history_${dpi}dpi" 0 255 0
check "drive 1's line is drawn in the second colour (cyan)" wait_until 10 line_drawn "history_${dpi}dpi" 0 255 255
# line_pixel R G B: the screen point of a pixel of that colour's line (off its warning
# line) in the last screenshot.
line_pixel() {
    local x y w h legend
    read -r x y w h < <(kvd client-rect $history_class | tr -d '\r')
    legend=$((70 * dpi / 96))
    convert "$E2E_BUILD/screenshots/${E2E_NAME}_$shot_name.png" -crop "${w}x$((h - legend))+$x+$y" +repage txt:- \
        | awk -v colour="($1,$2,$3)" -v width="$w" -v x0="$x" -v y0="$y" '$2 == colour { split($1, at, /[,:]/);
            row[at[2]]++; column[at[2]] = at[1] }
            END { for (r in row) if (row[r] < width / 3) { print x0 + column[r], y0 + r; exit } }'
}
# Hovering over drive 1's line shows its time and value at the top (a picture to look at;
# the words are drawn, not a window's text) and rings the point.
read -r hover_x hover_y < <(line_pixel 0 255 255)
# white_near NAME: white pixels (the ring's colour) around the hovered point in screenshot NAME;
# ring_shown: a new screenshot has more of them than the one before the pointer came.
white_near() {
    local r=$((12 * dpi / 96))
    convert "$E2E_BUILD/screenshots/${E2E_NAME}_$1.png" -crop "$((2 * r))x$((2 * r))+$((hover_x - r))+$((hover_y - r))" \
        +repage txt:- | grep -c ': (255,255,255) '
}
ring_shown() {
    shot "history_hover_${dpi}dpi" && [ "$(white_near "history_hover_${dpi}dpi")" -ge $((white_before + 6)) ]
}
white_before=$(white_near "history_${dpi}dpi")
check "the pointer goes over drive 1's line" kvd mouse-move "${hover_x:-0}" "${hover_y:-0}"
check "the point under it is ringed" wait_until 10 ring_shown

# The CSV of drive 0 (the window's first drive), through the save dialog.
csv_windows=$(winepath -w "$E2E_WORK/drive0.csv")
history 32809
check "the save dialog takes the file name" kvd dialog-set-text "$csv_title" 1148 "$csv_windows"
check "and saves" kvd dialog-click "$csv_title" 1
csv_saved() { [ -s "$E2E_WORK/drive0.csv" ]; }
check "the CSV is written" wait_until 10 csv_saved
check_contains "its header" "time,seconds,temperature_min,temperature_mean,temperature_max" "$(head -1 drive0.csv)"
# max_of CSV: the highest temperature_max of its rows.
max_of() { tail -n +2 "$1" | cut -d, -f5 | sort -n | tail -1; }
hottest=$(max_of drive0.csv)
check "the CSV holds drive 0's heating (max $hottest)" test "${hottest:-0}" -ge 44

# The viewer: drive 1's pending count in words, its small chart.
check "the viewer opens" kvd command 32794
viewer_has() { kvd dialog-get-text "S.M.A.R.T." 1040 >/dev/null; }
check "with its trends" wait_until 10 viewer_has
check "drive 1 is chosen" kvd dialog-select "S.M.A.R.T." 1004 1
trends=$(kvd dialog-get-text "S.M.A.R.T." 1040 | from_sjis | tr -d '\r')
check_contains "its pending count in words" "$pending_words" "$trends"
# The store keeps counts by the minute: a rise in the first reading's minute reads "8 since",
# one in the next "0 until ..., 8 since ...": the last stretch is 8 either way.
check_contains "at its risen value" "$risen_words" "$trends"
shot "viewer_${dpi}dpi"

history_closed() { ! history_open; }
check "the tray menu's item again closes the history window" kvd command 32803
check "it goes" wait_until 10 history_closed
quit_kelvix "first run ends"
check "the history is written at exit" test -s "$history_file"

# The second run: drive 0 cool, steady. Its hot minute from before is still shown.
drive_set <<'DRIVES'
drive 0
model ST3500418AS
serial 5VM1ABCD
temperature 194 35
drive 1
model WDC WD10EZEX-08WN4A0
serial WCC6Y0ABCDEF
attribute 197 0x0012 100 100 00
temperature 194 33
raw 197 8
DRIVES
start_kelvix_sim "second run"
check "the history window opens again" kvd command 32803
check "it is on the screen again" wait_until 10 history_open
history 32804
rm -f drive0.csv
history 32809
check "the second save dialog takes the name" kvd dialog-set-text "$csv_title" 1148 "$csv_windows"
check "and saves" kvd dialog-click "$csv_title" 1
check "the second CSV is written" wait_until 10 csv_saved
again=$(max_of drive0.csv)
check "the heat recorded before the restart is still there (max ${again:-none}, now 35)" test "${again:-0}" -ge "${hottest:-1}"
check "drive 0's line is still drawn" wait_until 10 line_drawn "history_restarted_${dpi}dpi" 0 255 0
quit_kelvix "second run ends"
e2e_end
