#!/usr/bin/env bash
# The processor's work in `ranks balance`, counted in instructions by
# callgrind: the same on every run, where its time moves by a tenth with
# the machine's load.
#   bench/balance_budget.sh build/bin/ranks build/bin/world [--check]
# With --check the exit status says whether it stayed within the budget:
# today's count and a twentieth. When the game drew every battle into a
# console nobody sees (3742942) the same command took 4,365 million.
set -euo pipefail
binary="$1"; world="$2"; check="${3:-}"
readonly battles=10 budget=760000000
out="$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$binary" balance "$world" --battles "$battles" 2>&1 >/dev/null)"
count="$(sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p' <<<"$out")"
if [ -z "$count" ]; then
    echo "callgrind gave no count:" >&2
    echo "$out" >&2
    exit 2
fi
echo "ranks balance --battles $battles: $count instructions (budget $budget)"
if [ "$check" = --check ] && [ "$count" -gt "$budget" ]; then
    echo "FAIL: over the budget by $(( (count - budget) * 100 / budget ))%" >&2
    exit 1
fi
