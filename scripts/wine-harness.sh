#!/usr/bin/env bash
# The Wine harness: one private 64-bit prefix, its own Xvfb display and a Wine virtual
# desktop (the notification area needs one), all under <build>/wine.
#
#   wine-harness.sh start <build-dir> [owner-pid]   start (or restart) everything
#   wine-harness.sh stop  <build-dir>               end every process it started
#   wine-harness.sh env   <build-dir>               print the environment to source
#   wine-harness.sh shot  <build-dir> <name>        save <build>/screenshots/<name>.png
#
# KV_HARNESS_LANG (default ja_JP.UTF-8) chooses the locale, and with it Windows' ANSI code
# page (ja_JP: 932; C.UTF-8: 1252); KV_HARNESS_DPI (default 96) the display scaling
# (LogPixels: 144 is 150 %). Both hold for the harness until it is started again.
#
# A guard process ends everything when the owner (by default the caller's parent, e.g.
# ctest) goes away, so an interrupted run leaves nothing behind.
set -u

WINE_BIN=/usr/lib/wine
self=$(readlink -f "$0")
cmd=${1:-}
build=$(cd "${2:-.}" 2>/dev/null && pwd) || { echo "wine-harness: no build dir ${2:-}" >&2; exit 2; }
state=$build/wine
envfile=$state/env

log() { echo "wine-harness: $*" >&2; }

read_pid() { [ -f "$state/$1.pid" ] && cat "$state/$1.pid" 2>/dev/null; }

stop_all() {
    if [ -f "$envfile" ]; then
        # shellcheck disable=SC1090
        . "$envfile"
    fi
    export WINEPREFIX=$state/prefix
    if [ -d "$WINEPREFIX" ]; then
        "$WINE_BIN/wineserver" -k >/dev/null 2>&1
        "$WINE_BIN/wineserver" -w >/dev/null 2>&1 &
        local w=$!
        for _ in $(seq 50); do kill -0 "$w" 2>/dev/null || break; sleep 0.1; done
        kill "$w" 2>/dev/null
    fi
    local xpid; xpid=$(read_pid xvfb)
    if [ -n "$xpid" ] && kill -0 "$xpid" 2>/dev/null; then
        kill "$xpid" 2>/dev/null
        for _ in $(seq 30); do kill -0 "$xpid" 2>/dev/null || break; sleep 0.1; done
        kill -9 "$xpid" 2>/dev/null
    fi
    local gpid; gpid=$(read_pid guard)
    if [ -n "$gpid" ] && [ "$gpid" != "$$" ] && kill -0 "$gpid" 2>/dev/null; then
        kill "$gpid" 2>/dev/null
    fi
    rm -f "$state/xvfb.pid" "$state/guard.pid" "$envfile"
}

free_display() {
    local n
    for n in $(seq 90 189); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"; return 0
        fi
    done
    return 1
}

start_all() {
    local owner=${1:-$PPID}
    stop_all
    mkdir -p "$state" "$build/screenshots"
    local n
    if [ -n "${KV_HARNESS_DISPLAY:-}" ]; then
        # Show everything on a display the user already has (the demo's --visible).
        n=${KV_HARNESS_DISPLAY#:}
    else
        # Harnesses starting at once (CTest runs two fixtures side by side) must not take
        # the same free display: one chooses and starts its server at a time, and a server
        # that died (its display taken after all) is not mistaken for the other's.
        exec 9>/tmp/kv-wine-harness-display.lock
        flock 9
        n=$(free_display) || { flock -u 9; exec 9>&-; log "no free X display"; return 1; }
        setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 < /dev/null 9>&- &
        local xpid=$!
        echo "$xpid" > "$state/xvfb.pid"
        for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; kill -0 "$xpid" 2>/dev/null || break; sleep 0.1; done
        flock -u 9
        exec 9>&-
        if [ ! -e "/tmp/.X11-unix/X$n" ] || ! kill -0 "$xpid" 2>/dev/null; then
            log "Xvfb :$n did not start"; stop_all; return 1
        fi
    fi

    local lang=${KV_HARNESS_LANG:-ja_JP.UTF-8}
    local dpi=${KV_HARNESS_DPI:-96}
    case "$dpi" in ''|*[!0-9]*) log "KV_HARNESS_DPI must be a number"; stop_all; return 1 ;; esac
    cat > "$envfile" <<ENV
export DISPLAY=:$n
export WINEPREFIX=$state/prefix
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=$lang
export LC_ALL=$lang
export KV_WINE_DIR=$state
export KV_SCREENSHOT_DIR=$build/screenshots
export PATH=$WINE_BIN:\$PATH
ENV
    # shellcheck disable=SC1090
    . "$envfile"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE_BIN/wine64" wineboot -i >"$state/wineboot.log" 2>&1 < /dev/null
    fi
    # The display scaling is read when the server starts: set it before.
    "$WINE_BIN/wine64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
        >"$state/dpi.log" 2>&1 < /dev/null
    case "$lang" in
        ja_*) ;;
        *)  # Every Windows 10/11 has MS UI Gothic, which its dialog fonts link to for Japanese;
            # a Wine prefix has not: the IPA Gothic stands in for it.
            "$WINE_BIN/wine64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' \
                /t REG_SZ /d IPAGothic /f >>"$state/dpi.log" 2>&1 < /dev/null ;;
    esac
    "$WINE_BIN/wineserver" -k >/dev/null 2>&1
    "$WINE_BIN/wineserver" -w >/dev/null 2>&1
    # A persistent server keeps process start-up fast between tests.
    "$WINE_BIN/wineserver" -p >/dev/null 2>&1 < /dev/null
    setsid "$WINE_BIN/wine64" explorer /desktop=kelvix,1024x768 >"$state/desktop.log" 2>&1 < /dev/null &
    for _ in $(seq 100); do
        xwininfo -root -tree -display ":$n" 2>/dev/null | grep -q 'kelvix' && break
        sleep 0.1
    done

    # Guard: ends everything once the owner is gone (an interrupted run).
    setsid bash -c "while kill -0 $owner 2>/dev/null; do sleep 1; done; exec '$self' stop '$build'" \
        >/dev/null 2>&1 < /dev/null &
    echo $! > "$state/guard.pid"
    log "display :$n, prefix $WINEPREFIX, locale $lang, $dpi dpi, owner $owner"
}

case "$cmd" in
    start) start_all "${3:-}" ;;
    stop) stop_all ;;
    env) [ -f "$envfile" ] && cat "$envfile" ;;
    shot)
        [ -f "$envfile" ] || { log "not started"; exit 1; }
        . "$envfile"
        mkdir -p "$build/screenshots"
        import -display "$DISPLAY" -window root "$build/screenshots/${3:?name}.png"
        ;;
    *) echo "usage: wine-harness.sh start|stop|env|shot <build-dir> [...]" >&2; exit 2 ;;
esac
