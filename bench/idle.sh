#!/usr/bin/env bash
# Wake-ups and processor time of the real game while nobody presses a key,
# in an 80x25 tmux pane, from /proc over a number of seconds:
#   bench/idle.sh build/bin/ranks build/bin/world [seconds]
# Cases: the field without enemies; the field with an enemy that walks and
# then stays stuck outside the start room (its turns still pause); the
# battle's command loop after a Pawn reached the hero. A wake-up is a
# voluntary context switch.
set -euo pipefail
binary="$(realpath "$1")"; world="$(realpath "$2")"; seconds="${3:-10}"
scratch="$(mktemp -d)"
. "$(dirname "$0")/own_folders.sh"
own_folders "$scratch/folders"
sock=""
trap '[ -z "$sock" ] || tmux -L "$sock" kill-server 2>/dev/null || true; rm -rf "$scratch"' EXIT

variant() {  # name, enemy list for map 1, the hero's start row (column 8)
    local dir="$scratch/$1"
    cp -r "$world" "$dir"
    for n in 1 2 3 4 5 6 7 8 9; do printf '0\n' > "$dir/map_info/map1/$n.txt"; done
    printf '%b' "$2" > "$dir/map_info/map1/1.txt"
    sed -i "\$ s/.*/8 $3/" "$dir/Hero_Info/Hero_Status_Info.txt"
    echo "$dir"
}

screen_has() { tmux -L "$sock" capture-pane -p | grep -q "$1"; }

measure() {  # label, world dir, text to wait for, extra settling seconds
    [ -z "$sock" ] || tmux -L "$sock" kill-server 2>/dev/null || true
    sock="ranks-idle-$$-$RANDOM"  # a server of its own for each case
    tmux -L "$sock" -f /dev/null new-session -d -x 80 -y 25 "$binary --world '$2'"
    for _ in $(seq 200); do screen_has "$3" && break; sleep 0.1; done
    sleep "$4"
    local pid; pid=$(tmux -L "$sock" display -p '#{pane_pid}')
    local w0 c0 w1 c1
    w0=$(awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$pid/status")
    c0=$(awk '{print $1}' "/proc/$pid/schedstat")
    sleep "$seconds"
    w1=$(awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$pid/status")
    c1=$(awk '{print $1}' "/proc/$pid/schedstat")
    awk -v l="$1" -v w=$((w1 - w0)) -v c=$((c1 - c0)) -v s="$seconds" \
        'BEGIN { printf "| %s | %.1f | %.4f%% |\n", l, w / s, 100 * c / 1e9 / s }'
}

echo "| case | wake-ups per second | CPU, share of one core |"
echo "| --- | ---: | ---: |"
measure "field without enemies" "$(variant calm '0\n' 4)" "_____MiniMap_____" 1
# The start room is closed to enemies: this one walks up to it and stays.
measure "field with an enemy walking (stuck behind a wall)" "$(variant stuck '1\n1 1 50 12\n' 4)" "_____MiniMap_____" 3
measure "battle command loop" "$(variant battle '1\n1 1 30 10\n' 10)" "Enemy View" 3
