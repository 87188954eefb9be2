#!/usr/bin/env bash
# CPU used by the real game in a tmux pane over a number of seconds:
#   bench/cpu.sh build/bin/ranks WORLD_DIR [seconds]
# It prints the share of one core used while the game runs untouched.
set -euo pipefail
binary="$1"; world="$2"; seconds="${3:-10}"
sock="ranks-cpu-$$"
tmux -L "$sock" new-session -d -x 80 -y 25 "$binary --world '$world'"
trap 'tmux -L "$sock" kill-server 2>/dev/null || true' EXIT
sleep 1
pid=$(tmux -L "$sock" display -p '#{pane_pid}')
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks); sleep "$seconds"; t1=$(ticks)
awk -v d=$((t1 - t0)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f%% of one core over %d s\n", 100 * d / hz / s, s }'
