#!/usr/bin/env bash
# A command's work counted in instructions by callgrind: the same on every
# run, where its time moves by a tenth with the machine's load.
#   bench/instructions_budget.sh BUDGET [--only FUNCTION] -- COMMAND [ARG...]
# --only counts the instructions inside FUNCTION (a callgrind pattern)
# alone. The exit status says whether the count stayed within BUDGET.
set -euo pipefail
budget="$1"; shift
only=()
if [ "$1" = --only ]; then only=(--toggle-collect="$2"); shift 2; fi
[ "$1" = -- ] && shift
folders="$(mktemp -d)"
trap 'rm -rf "$folders"' EXIT
. "$(dirname "$0")/own_folders.sh"
own_folders "$folders"
out="$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "${only[@]}" "$@" 2>&1 >/dev/null)"
count="$(sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p' <<<"$out")"
if [ -z "$count" ]; then
    echo "callgrind gave no count:" >&2
    echo "$out" >&2
    exit 2
fi
echo "$(basename "$1") ${*:2}: $count instructions (budget $budget)"
if [ "$count" -gt "$budget" ]; then
    echo "FAIL: over the budget by $(( (count - budget) * 100 / budget ))%" >&2
    exit 1
fi
