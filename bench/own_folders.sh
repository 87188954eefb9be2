# Sourced by the benchmark scripts that start the game: `own_folders DIR`
# points HOME and the XDG data and settings folders into DIR, a folder of
# the run's own, so the game neither reads the player's settings nor saves
# beside their games (tests/own_folders.h does the same for the programs).
own_folders() {
    for pair in HOME:home XDG_DATA_HOME:data XDG_CONFIG_HOME:config; do
        mkdir -p "$1/${pair#*:}"
        export "${pair%%:*}=$1/${pair#*:}"
    done
}
