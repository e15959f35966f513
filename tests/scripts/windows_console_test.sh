#!/bin/sh
# The Windows program on a console, as a user meets it: started from a
# UTF-8 terminal (tmux), Wine runs it in its console host, which shows the
# console's text in the terminal.
#   windows_console_test.sh [--32] PROGRAM.exe
# Checks: the menu reads as Japanese; a mode 2 run over 10..30 shows its
# list, summary and times on a cleared screen; a mode 3 list of exactly
# 32763 bytes ends in an unbroken "...計算終了しました。"; choosing 1 ends
# with status 0; Ctrl+C at a prompt ends the program; Wine says nothing.
# Not here: end of input (Wine's console host does not pass a typed Ctrl+Z
# on), and the exit status after Ctrl+C (Wine ends the program with 0, where
# Windows gives STATUS_CONTROL_C_EXIT).
set -eu
here=$(cd "$(dirname "$0")/../.." && pwd)
bits=""
[ "$1" = --32 ] && { bits=--32; shift; }
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
command -v tmux >/dev/null || { echo "no tmux"; exit 77; }
# A tmux server of the test's own, its socket in the test's directory; no
# session ends while the test runs (tmux 3.3 can lose its server when the
# last session is killed, and the client then fails), the server goes at the
# end.
work=$(mktemp -d)
tm() { tmux -S "$work/tmux" "$@"; }
trap 'tm kill-server 2>/dev/null; rm -rf "$work"' EXIT

screen() { tm capture-pane -p -t "$session"; }
# Waits up to 60 s for the text to be on the screen.
wait_for() {
    for _ in $(seq 300); do
        screen | grep -qF -- "$1" && return 0
        sleep 0.2
    done
    echo "FAILED: waited for \"$1\"; the screen shows:"; screen; exit 1
}
type_line() { tm send-keys -t "$session" -- "$1" Enter; }
# Starts the program in a new session, which the later steps look at.
start() {
    session=$1
    LANG=C.UTF-8 tm new-session -d -s "$session" -x 120 -y 45 \
        "cd '$work' && LANG=C.UTF-8 '$here/scripts/wine-run' $bits '$program'; echo EXIT=\$?; sleep 600"
}
expect_absent() {
    if screen | grep -qF -- "$1"; then echo "FAILED: \"$1\" is still on the screen:"; screen; exit 1; fi
}

start menu
wait_for "素数検索プログラムへようこそ、まずはモードを選んでください。"
wait_for "数字を選んで、Enterで確定してください。"
type_line 2
wait_for "一つ目の数字を入力してください。（１/２）"
type_line 10
wait_for "二つ目の数字を入力してください。（２/２）"
type_line 30
wait_for "Enter で、初期画面に戻ります。"
wait_for " 11 13 17 19 23 29"
wait_for "■   ∈ 10 から30 の間の ∋ 素数は『 6個 』あります."
wait_for "★開始日時 "
expect_absent "数字を選んで"
expect_absent "二つ目の数字"
type_line ""
wait_for "数字を選んで、Enterで確定してください。"
type_line 3
wait_for "一つ目の数字を入力してください。"
type_line 1000000000
wait_for "二つ目の数字を入力してください。"
type_line 1000059887
wait_for " 1000059887 ...計算終了しました。"
wait_for "『 2891個 』"
type_line ""
wait_for "数字を選んで"
type_line 1
wait_for "EXIT=0"
for noise in "wine:" "err:" "fixme:"; do expect_absent "$noise"; done

start interrupt
wait_for "数字を選んで"
type_line 6
wait_for "調べたい数を入力してください。"
tm send-keys -t "$session" C-c
wait_for "EXIT="
echo "the console test passed for $1"
