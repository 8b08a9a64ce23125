#!/usr/bin/env bash
# Runs a Windows program inside the harness started by wine-harness.sh (CTest's emulator
# for the Windows trees). KV_WINE_DIR names the harness state (<build>/wine).
set -u
dir=${KV_WINE_DIR:-}
if [ -z "$dir" ] || [ ! -f "$dir/env" ]; then
    echo "wine-run: the Wine harness is not running (KV_WINE_DIR=$dir)" >&2
    exit 125
fi
# shellcheck disable=SC1091
. "$dir/env"
exec /usr/lib/wine/wine64 "$@"
