#!/bin/sh
# The installed program (bin/primesearch, a wrapper over the program in
# libexec/primesearch), installed into a scratch root as a package would be:
# through pipes and files it is byte for byte the bare program, with the same
# exit status; on a UTF-8 terminal (tmux) it shows the menu as Japanese.
#   installed_test.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
bare="$build/primesearch"
work=$(mktemp -d)
trap 'tmux -S "$work/tmux" kill-server 2>/dev/null; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
failed=0
fail() { echo "FAILED: $*"; failed=1; }

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null || { echo "FAILED: install"; exit 1; }
installed="$work/root/usr/bin/primesearch"
[ -x "$work/root/usr/libexec/primesearch/primesearch" ] || fail "no program in libexec"

# One run in a directory of its own: stdout, stderr, Prime.txt, status.
# The times line's stamps and elapsed parts differ between two runs.
run() {
    dir="$work/$1"
    shift
    mkdir -p "$dir"
    (cd "$dir" && printf "$input" | "$@" >out 2>err; echo $? >status)
    for f in out Prime.txt; do
        [ -f "$dir/$f" ] || continue
        LC_ALL=C sed 's#[0-9][0-9]/[0-9][0-9]/[0-9][0-9]  [0-9][0-9]:[0-9][0-9]:[0-9][0-9]#STAMP#g;
            s#[0-9]*\(\x93\xfa\) [0-9]*\(\x8e\x9e\x8a\xd4\)[0-9]*\(\x95\xaa\)[0-9]*#D\1 H\2M\3S#' \
            "$dir/$f" >"$dir/$f.masked"
    done
}

same() {
    name="$1"
    shift
    run bare-"$name" "$bare" "$@"
    run installed-"$name" "$installed" "$@"
    for f in out.masked err status Prime.txt.masked; do
        a="$work/bare-$name/$f" b="$work/installed-$name/$f"
        [ -f "$a" ] || [ -f "$b" ] || continue
        cmp -s "$a" "$b" || fail "$name: $f differs"
    done
}

input="" same arguments 12 7 abc 4294967295
input="2\n10\n30\n\n1\n" same mode2
input="6\n" same end-of-input
[ "$(cat "$work/installed-arguments/status")" = 1 ] || fail "arguments: status is not 1"
[ -s "$work/installed-mode2/Prime.txt" ] || fail "mode2: no Prime.txt"

# A person's UTF-8 terminal: readable Japanese, when luit works here.
menu="素数検索プログラムへようこそ"
if command -v tmux >/dev/null && command -v luit >/dev/null && [ -d /usr/share/fonts/X11/encodings ]; then
    tmux -S "$work/tmux" new-session -d -x 100 -y 40 \
        "cd '$work' && LANG=C.UTF-8 LC_ALL=C.UTF-8 '$installed'; sleep 30"
    shown=""
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        sleep 0.5
        shown=$(tmux -S "$work/tmux" capture-pane -p)
        case "$shown" in *"$menu"*) break ;; esac
    done
    case "$shown" in *"$menu"*) ;; *) fail "tmux: no readable menu:
$shown" ;; esac
else
    echo "tmux, luit or xfonts-encodings missing: the terminal check is skipped"
fi

[ "$failed" -eq 0 ] && echo "installed program: 0 failed"
exit "$failed"
