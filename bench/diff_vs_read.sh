#!/usr/bin/env bash
# Times `tessary-cli diff A B` against reading both templates (`tessary-cli check A` and
# `check B`) and prints the ratio of diff to the two reads (target: at most 2). By default on
# three pairs of ../shared/corpus: the two largest ADM templates, the two releases of the
# ADMX set of admx-sets/ (its largest file), and chrome-en-US.adm against the vendor's own
# chrome.admx. Two measures: the fastest of RUNS runs
# in wall time, and the mean processor time (user + system) over RUNS runs, which a machine
# busy with other work disturbs much less.
# Usage: bench/diff_vs_read.sh TESSARY_CLI [A B] [RUNS]
set -eu
cli=$1
corpus="$(dirname "$0")/../../shared/corpus"
pairs=()
if [ $# -ge 3 ]; then
    pairs=("$2" "$3") runs=${4:-30}
else
    runs=${2:-30}
    largest=$(ls -S "$corpus"/*.adm | head -2)
    pairs=("$(echo "$largest" | sed -n 1p)" "$(echo "$largest" | sed -n 2p)")
    older=$(ls -S "$corpus"/admx-sets/adobe-dc-2.18/*.admx 2>/dev/null | head -1)
    if [ -n "$older" ]; then pairs+=("$older" "${older/2.18/2.19}"); fi
    if [ -f "$corpus/admx/chrome.admx" ]; then
        pairs+=("$corpus/chrome-en-US.adm" "$corpus/admx/chrome.admx")
    fi
fi

. "$(dirname "$0")/benchlib.sh"

processor() {  # command... -> the mean user + system time of one run in microseconds
    local line
    line=$( (for _ in $(seq "$runs"); do "$@" >/dev/null 2>&1 || true; done; times) | tail -1)
    # "0m0.123s 0m0.045s": the children's user and system time
    echo "$line" | awk -v n="$runs" '{
        total = 0
        for (i = 1; i <= 2; ++i) { split($i, p, /[ms]/); total += p[1] * 60 + p[2] }
        printf "%d\n", total * 1e6 / n }'
}

ms() { echo "$(($1 / 1000)).$(printf %03d $(($1 % 1000))) ms"; }

compare() {  # A B: prints the times and the ratios
    local a=$1 b=$2
    local wall_a wall_b wall_diff cpu_a cpu_b cpu_diff
    wall_a=$(fastest us "$cli" check "$a")
    wall_b=$(fastest us "$cli" check "$b")
    wall_diff=$(fastest us "$cli" diff "$a" "$b")
    cpu_a=$(processor "$cli" check "$a")
    cpu_b=$(processor "$cli" check "$b")
    cpu_diff=$(processor "$cli" diff "$a" "$b")
    echo "A: $a"
    echo "B: $b"
    printf '%-12s %14s %18s\n' "" "fastest wall" "mean processor"
    printf '%-12s %14s %18s\n' "check A" "$(ms "$wall_a")" "$(ms "$cpu_a")"
    printf '%-12s %14s %18s\n' "check B" "$(ms "$wall_b")" "$(ms "$cpu_b")"
    printf '%-12s %14s %18s\n' "diff A B" "$(ms "$wall_diff")" "$(ms "$cpu_diff")"
    awk -v w="$wall_diff" -v wr="$((wall_a + wall_b))" -v c="$cpu_diff" -v cr="$((cpu_a + cpu_b))" \
        'BEGIN { printf "diff / (check A + check B): %.2f wall, %.2f processor (target <= 2.00)\n", w / wr, c / cr }'
}

for ((i = 0; i < ${#pairs[@]}; i += 2)); do
    [ "$i" -eq 0 ] || echo
    compare "${pairs[i]}" "${pairs[i + 1]}"
done
