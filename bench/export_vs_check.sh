#!/usr/bin/env bash
# Times `tessary-cli export` against `tessary-cli check` as whole processes on the largest
# template of the corpus: the export reads as check does, then builds, writes, reads back
# and compares both files. Prints the median of each and their ratio.
#
#   bench/export_vs_check.sh [BUILD_DIR] [CORPUS_DIR] [RUNS]
set -euo pipefail

build=${1:-build}
corpus=${2:-$(dirname "$0")/../../shared/corpus}
runs=${3:-21}
cli=$build/cli/tessary-cli
[[ -x $cli ]] || { echo "missing $cli (build the project first)" >&2; exit 1; }

largest=$(ls -S "$corpus"/*.adm | head -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Wall time of one run in microseconds.
elapsed() {
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
    local end=$EPOCHREALTIME
    echo $(( (${end/./} - ${start/./}) ))
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

check=$(for _ in $(seq "$runs"); do elapsed "$cli" check "$largest"; done | median)
export=$(for _ in $(seq "$runs"); do elapsed "$cli" export "$largest" "$work/out"; done | median)

echo "template: $(basename "$largest") ($(stat -c %s "$largest") bytes), $runs runs each"
printf 'check   %8.1f ms\n' "$(echo "$check / 1000" | bc -l)"
printf 'export  %8.1f ms\n' "$(echo "$export / 1000" | bc -l)"
printf 'ratio   %8.2f (target <= 3)\n' "$(echo "$export / $check" | bc -l)"
