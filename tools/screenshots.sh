#!/bin/sh
# Screenshots of the game in a real X terminal: xterm under Xvfb with a
# Latin and a Japanese font, the game inside a tmux session that xterm shows
# and that the script types keys into. One set of PNG files per colour
# setting (exact colours, the 16-colour palette, NO_COLOR; RANKS_SHOTS picks
# among these and exact-console, palette-console for --look console):
#   field, battle with each of the four commands chosen, a target chosen,
#   the ability menu, the item menu, the level-up panel.
#   tools/screenshots.sh [BIN_DIR [OUT_DIR]]     (default build/bin, screenshots)
# Needs xvfb, xterm, tmux, imagemagick, fonts-dejavu and fonts-noto-cjk.
set -eu
bin=$(realpath "${1:-build/bin}")
out=$(realpath -m "${2:-screenshots}")
mkdir -p "$out"
work=$(mktemp -d)
sock=ranks-shots-$$
display=:$((90 + $$ % 100))
export LC_ALL=C.UTF-8
tmux() { env -u TMUX tmux -f /dev/null -L "$sock" "$@"; }
cleanup() {
    tmux kill-server 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The default world, with a hero one point of experience short of his
# next level and strong enough to win his battle at once, and a group of
# three Pawns in his room (so a chosen target stands among others).
cp -r "$bin/world" "$work/world"
printf '1\n1 3 28 6\n' > "$work/world/map_info/map1/1.txt"
sed -e 's/^40 8 6 5 5 8$/40 99 6 5 5 8/' -e 's/^70 0 1$/70 69 1/' "$(dirname "$0")/../world/Hero_Info/Hero_Status_Info.txt" |
    iconv -f UTF-8 -t CP932 > "$work/world/Hero_Info/Hero_Status_Info.txt"

Xvfb "$display" -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

# Waits until the pane shows the text (up to 30 s).
wait_for() {
    for _ in $(seq 300); do
        tmux capture-pane -p 2>/dev/null | grep -qF -- "$1" && return 0
        sleep 0.1
    done
    echo "screenshots: '$1' never appeared" >&2
    tmux capture-pane -p >&2 || true
    return 1
}
shot() {
    sleep "${2:-0.6}"  # the animation settles and xterm draws
    import -display "$display" -window "$window" "$out/$setting-$1.png"
    echo "$out/$setting-$1.png"
}
keys() { for k in "$@"; do tmux send-keys "$k"; sleep 0.25; done; }

for setting in ${RANKS_SHOTS:-exact palette nocolor}; do
    # exact-console and palette-console: the same in the console's own look.
    look=
    case $setting in *-console) look="--look console" ;; esac
    case $setting in
        exact*) vars="COLORTERM=truecolor" ;;
        palette*) vars="COLORTERM=" ;;
        nocolor) vars="NO_COLOR=1" ;;
    esac
    tmux new-session -d -x 80 -y 25 "env -u NO_COLOR $vars '$bin/ranks' --world '$work/world' $look"
    tmux set -g status off
    tmux set -as terminal-features ',xterm*:RGB'
    xterm -display "$display" -title "ranks-$setting" -fa 'DejaVu Sans Mono' -fd 'Noto Sans Mono CJK JP' -fs 14 \
        -geometry 80x25+0+0 -e env -u TMUX tmux -f /dev/null -L "$sock" attach &
    term=$!
    for _ in $(seq 50); do
        window=$(xwininfo -display "$display" -name "ranks-$setting" 2>/dev/null | awk '/Window id/ { print $4 }')
        [ -n "$window" ] && break
        sleep 0.1
    done

    wait_for "_____MiniMap_____"
    shot field 0.3
    wait_for "Enemy View"
    wait_for "にげる"
    shot command-fight 2
    keys Down; shot command-defend
    keys Down; shot command-item
    keys Down; shot command-flee
    keys Up Up Up Enter; shot target 1.5
    keys Enter; shot ability-menu 2
    keys Space; sleep 1.5
    keys Down Down Enter; shot item-menu 2.5
    keys Space; sleep 1.5
    keys Up Up
    # Fight until the level-up panel shows.
    for _ in $(seq 60); do
        tmux capture-pane -p | grep -qF "経験値" && break
        keys Enter
    done
    wait_for "経験値"
    shot level-up 8

    tmux kill-server 2>/dev/null || true
    wait "$term" 2>/dev/null || true
    # The next session needs a server of its own, not the one still going.
    while tmux has-session 2>/dev/null; do sleep 0.1; done
    sleep 0.5
done
