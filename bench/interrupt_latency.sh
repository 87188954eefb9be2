#!/bin/sh
# How long Ctrl+C takes to end the game, measured in a real terminal (a tmux
# pane): at moments spread over the first seconds of the default world (the
# chase, the encounter wipe, the battle's slide-in) and during the stop for
# a missing map file.
#   bench/interrupt_latency.sh build/bin/ranks [runs]
set -eu
game=$(realpath "$1")
runs=${2:-12}
sock=ranks-latency-$$
work=$(mktemp -d)
. "$(dirname "$0")/own_folders.sh"
own_folders "$work/folders"
trap 'tmux -L $sock kill-server 2>/dev/null; rm -rf "$work"' EXIT
# The default world with a Pawn in the hero's start room: within the first
# seconds it walks to him, the encounter wipe runs and the battle slides in.
cp -r "$(dirname "$game")/world" "$work/world"
printf '1\n1 1 28 6\n' > "$work/world/map_info/map1/1.txt"
mkdir -p "$work/broken/Hero_Info"
echo "Hero 10 1 1 1 1 1 10 0 1 0 0 0 0 1 1 2 1 3 1 5 5" > "$work/broken/Hero_Info/Hero_Status_Info.txt"

now_ms() { date +%s%3N; }

# measure DIR DELAY_S: starts the game in DIR, sends Ctrl+C after DELAY_S,
# prints the milliseconds until the process is gone.
measure() {
    rm -f "$work/pid"
    env -u TMUX tmux -f /dev/null -L $sock new-session -d -x 80 -y 25 \
        "cd '$1' && sh -c 'echo \$\$ > $work/pid; exec $game'; sleep 5"
    while [ ! -s "$work/pid" ]; do sleep 0.01; done
    pid=$(cat "$work/pid")
    sleep "$2"
    start=$(now_ms)
    env -u TMUX tmux -L $sock send-keys C-c
    while kill -0 "$pid" 2>/dev/null; do :; done
    echo $(( $(now_ms) - start ))
    env -u TMUX tmux -L $sock kill-server 2>/dev/null || true
    # The next run needs a server of its own, not the one still going.
    while env -u TMUX tmux -L $sock has-session 2>/dev/null; do sleep 0.05; done
    sleep 0.3
}

for what in play stop; do
    worst=0 total=0
    i=0
    while [ $i -lt "$runs" ]; do
        delay=$(awk -v i=$i -v n="$runs" 'BEGIN { printf "%.2f", 0.5 + 4.0 * i / n }')
        if [ $what = play ]; then ms=$(measure "$work/world" "$delay")
        else ms=$(measure "$work/broken" "$delay"); fi
        total=$((total + ms)); [ "$ms" -gt "$worst" ] && worst=$ms
        i=$((i + 1))
    done
    echo "$what: Ctrl+C ends the game in $((total / runs)) ms on average, $worst ms at worst ($runs runs, tmux's send-keys included)"
done
