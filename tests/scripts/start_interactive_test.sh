#!/bin/sh
# The start script on a UTF-8 terminal (made by script) with three kinds of
# luit: none at all, one that crashes on any terminal, one that passes the
# trial but crashes as it starts the program. Each time the program must run
# (its menu is shown; "1" quits it) and the hint must follow its end.
set -u
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
hint="for readable Japanese here"
menu_start=$(printf '\221\146\220\224\214\237\215\365')  # 素数検索, as Shift_JIS
failed=0

try() {
    name="$1"
    out=$(cd "$work" && printf '1\n' | PATH="$work/bin" LANG=C.UTF-8 LC_ALL=C.UTF-8 \
        script -qec "sh '$root/scripts/start-interactive' '$program'" /dev/null 2>&1)
    case "$out" in *"$menu_start"*) ;; *) echo "FAILED ($name): the menu was not shown"; failed=1 ;; esac
    case "$out" in *"$menu_start"*"$hint"*) ;; *) echo "FAILED ($name): no hint after the program"; failed=1 ;; esac
}

# A PATH of only the tools the start script uses, so that which luit it
# finds is the test's choice.
mkdir -p "$work/bin"
for tool in sh script stty date locale iconv; do
    ln -s "$(command -v "$tool")" "$work/bin/$tool"
done
try "no luit"

cat >"$work/bin/luit" <<'LUIT'
#!/bin/sh
[ -t 1 ] && { stty raw -echo; kill -SEGV $$; }
exit 1
LUIT
chmod +x "$work/bin/luit"
try "luit crashing on a terminal"

cat >"$work/bin/luit" <<'LUIT'
#!/bin/sh
case "$*" in *printf*) shift 3; exec "$@" | iconv -f CP932 -t UTF-8 ;; esac
stty raw -echo
kill -SEGV $$
LUIT
try "luit crashing as the program starts"

[ "$failed" -eq 0 ] && echo "start script: 3 passed, 0 failed"
exit "$failed"
