#!/usr/bin/env bash
# Does the keyboard still reach the desktop program after a run? Starts the
# program afresh N times per case under Xvfb with openbox, drives it with
# keys sent through XTEST (xdotool), and after the run presses Ctrl+O: the
# case passes when the open dialog comes up.
#
#   scripts/keyboard-after-runs.sh PROGRAM [N] [CASE...]
#
# Cases: short (F9 on examples/sample.pdf), long (F9 on 600 pages), cancel
# (F9 on 3,000 pages, cancelled with the 中止 button), check (実行 → 内容の
# 検査 on examples/sample.pdf). Test-only tools: Xvfb, openbox, xdotool,
# qpdf (builds the long documents). Prints one count line per case; with
# SHOTS set to a folder, a screenshot of each failure goes there; with LOGS
# set to a folder, the program's standard error of each start.
set -euo pipefail

program=$(realpath "$1")
runs=${2:-20}
shift $(( $# > 1 ? 2 : 1 ))
cases=("$@")
[ ${#cases[@]} -eq 0 ] && cases=(short long cancel check)

root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'kill ${wm_pid:-} ${x_pid:-} 2>/dev/null || true; rm -rf "$work"' EXIT

display=:$(( 70 + RANDOM % 20 ))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
x_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
sleep 1

# Long documents: the sample's three pages again and again.
pages_of() {
    local copies=$1 out=$2 args=()
    for _ in $(seq "$copies"); do args+=("$root/examples/sample.pdf"); done
    qpdf --empty --pages "${args[@]}" -- "$out"
}
pages_of 200 "$work/long.pdf"
pages_of 1000 "$work/huge.pdf"

# The program's visible dialogs: its windows not named as the main window.
dialogs() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        case $(xdotool getwindowname "$w" 2>/dev/null) in "PDF Lumerra"*) ;; *) echo "$w" ;; esac
    done
}

# Waits up to $2 tenths of a second for the program $1 to show $3 dialogs.
wait_dialogs() {
    for _ in $(seq "$2"); do
        [ "$(dialogs "$1" | wc -l)" -eq "$3" ] && return 0
        sleep 0.1
    done
    return 1
}

# One fresh start: 0 when Ctrl+O opened the dialog after the run.
one_start() {
    local kind=$1 n=$2 pdf=$root/examples/sample.pdf
    [ "$kind" = long ] && pdf=$work/long.pdf
    [ "$kind" = cancel ] && pdf=$work/huge.pdf
    local home=$work/home$n
    mkdir -p "$home"
    HOME=$home XDG_CONFIG_HOME=$home/.config "$program" "$pdf" >/dev/null 2>"${LOGS:-/dev/null}${LOGS:+/$kind-$n.log}" &
    local pid=$!
    local ok=1
    if xdotool search --sync --onlyvisible --pid "$pid" >/dev/null 2>&1 && sleep 0.5; then
        case $kind in
            check)
                xdotool key alt+r
                sleep 0.3
                xdotool key c
                ;;
            *)
                xdotool key F9
                wait_dialogs "$pid" 50 1 || true
                sleep 0.3
                xdotool type --delay 20 "$work/report-$kind-$n.txt"
                xdotool key Return
                ;;
        esac
        if [ "$kind" = cancel ]; then
            # The progress dialog comes up; its button stops the run.
            local dialog=
            for _ in $(seq 100); do
                dialog=$(xdotool search --onlyvisible --pid "$pid" --name "解析中" 2>/dev/null | head -1)
                [ -n "$dialog" ] && break
                sleep 0.1
            done
            if [ -n "$dialog" ]; then
                sleep 0.5
                eval "$(xdotool getwindowgeometry --shell "$dialog")"
                xdotool mousemove $((X + 163)) $((Y + 57)) click 1
            fi
        fi
        # The run ends: no dialog is left.
        sleep 0.3
        wait_dialogs "$pid" 600 0 || true
        sleep 0.5
        xdotool key ctrl+o
        wait_dialogs "$pid" 30 1 && ok=0
        [ $ok -ne 0 ] && [ -n "${SHOTS:-}" ] && import -window root "$SHOTS/failed-$kind-$n.png"
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    return $ok
}

for kind in "${cases[@]}"; do
    passed=0
    for n in $(seq "$runs"); do
        if one_start "$kind" "$n"; then passed=$((passed + 1)); else echo "$kind: start $n: no open dialog" >&2; fi
    done
    echo "$kind: $passed of $runs"
done
