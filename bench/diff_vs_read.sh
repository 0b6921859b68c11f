#!/usr/bin/env bash
# Times `tessary-cli diff A B` against reading both templates (`tessary-cli check A` and
# `check B`), by default on the two largest templates of ../shared/corpus: the fastest of
# RUNS runs of each, in milliseconds, and the ratio of diff to the two reads.
# Usage: bench/diff_vs_read.sh TESSARY_CLI [A B] [RUNS]
set -eu
cli=$1
corpus="$(dirname "$0")/../../shared/corpus"
if [ $# -ge 3 ]; then
    a=$2 b=$3 runs=${4:-30}
else
    largest=$(ls -S "$corpus"/*.adm | head -2)
    a=$(echo "$largest" | sed -n 1p) b=$(echo "$largest" | sed -n 2p) runs=${2:-30}
fi

fastest() {  # command... -> the fastest run in microseconds
    local best=
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        local us=$(((end - start) / 1000))
        if [ -z "$best" ] || [ "$us" -lt "$best" ]; then best=$us; fi
    done
    echo "$best"
}

ms() { echo "$(($1 / 1000)).$(printf %03d $(($1 % 1000))) ms"; }

read_a=$(fastest "$cli" check "$a")
read_b=$(fastest "$cli" check "$b")
diff=$(fastest "$cli" diff "$a" "$b")
echo "A:           $a"
echo "B:           $b"
echo "check A:     $(ms "$read_a")"
echo "check B:     $(ms "$read_b")"
echo "diff A B:    $(ms "$diff")"
awk -v d="$diff" -v r="$((read_a + read_b))" \
    'BEGIN { printf "diff / (check A + check B): %.2f (target <= 2.00)\n", d / r }'
