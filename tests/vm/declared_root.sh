#!/usr/bin/env bash
# A root holding only what a package declares: the files of its Depends and Pre-Depends,
# their own dependencies in turn, as installed on this machine, and the package's payload.
# A program of the package that needs anything undeclared fails to start in it.
#   declared_root.sh DEB ROOT        (ROOT is made; the packages taken are printed)
set -euo pipefail
deb=$1
root=$2
mkdir -p "$root"
# The same merged /usr as this machine: /lib, /bin ... are links into /usr.
for dir in bin sbin lib lib32 lib64; do
    if [ -L "/$dir" ]; then mkdir -p "$root/usr/$dir" && ln -sfn "$(readlink "/$dir")" "$root/$dir"; fi
done

# "a (>= 1), b | c, d:any" as the installed package of each item (the first installed
# alternative); an item no installed package fills is an error.
declared() {
    local item alt name
    tr ',' '\n' <<<"$1" | while read -r item; do
        [ -n "$item" ] || continue
        name=""
        for alt in $(sed 's/([^)]*)//g; s/|/ /g' <<<"$item"); do
            alt=${alt%%:*}
            if dpkg-query -W -f='${db:Status-Status}' "$alt" 2>/dev/null | grep -qx installed; then
                name=$alt
                break
            fi
        done
        [ -n "$name" ] || { echo "declared_root: nothing installed provides \"$item\"" >&2; exit 1; }
        echo "$name"
    done
}

todo=$(declared "$(dpkg-deb -f "$deb" Pre-Depends), $(dpkg-deb -f "$deb" Depends)")
taken=""
while [ -n "$todo" ]; do
    next=""
    for pkg in $todo; do
        grep -qxF "$pkg" <<<"$taken" && continue
        taken=$(printf '%s\n%s' "$taken" "$pkg")
        next="$next $(declared "$(dpkg-query -W -f='${Pre-Depends}, ${Depends}' "$pkg")")"
    done
    todo=$(tr ' ' '\n' <<<"$next" | sort -u | grep -vxF -f <(printf '%s\n' $taken) || true)
done

# Files and links only: a listed directory would copy all it holds. Extracted over the
# links above, not in place of them.
for pkg in $taken; do dpkg -L "$pkg"; done | while read -r path; do
    if [ -L "$path" ] || [ -f "$path" ]; then printf '%s\n' "${path#/}"; fi
done | tar -c -C / --no-recursion -T - | tar -x --keep-directory-symlink -C "$root"
dpkg-deb --fsys-tarfile "$deb" | tar -x --keep-directory-symlink -C "$root"
printf '%s\n' $taken | sort
