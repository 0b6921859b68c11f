#!/usr/bin/env bash
# Times `tessary-cli export` against `tessary-cli check` as whole processes on the largest
# template of the corpus: the export reads as check does, then builds, writes, reads back
# and compares both files. The two commands alternate so that both meet the same machine
# load; the medians of wall-clock time and, when perf is installed, of processor time are
# printed with their ratio (target: export within 3 times check).
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

# Processor time (user and system) of one run in microseconds, or nothing without perf.
cpu_time() {
    command -v perf >/dev/null || return 0
    perf stat -x, -e task-clock -- "$@" 2>&1 >/dev/null |
        awk -F, '$3 == "task-clock" { printf "%d\n", $1 * 1000 }'
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

report() {  # label check-microseconds export-microseconds
    awk -v label="$1" -v c="$2" -v e="$3" 'BEGIN {
        printf "%-6s check %7.1f ms   export %7.1f ms   ratio %.2f (%s)\n", label, c / 1000,
               e / 1000, e / c, (e <= 3 * c) ? "within 3" : "OVER 3" }'
}

check=() exported=() check_cpu=() exported_cpu=()
for ((i = 0; i < runs; ++i)); do
    check+=("$(elapsed "$cli" check "$largest")")
    exported+=("$(elapsed "$cli" export "$largest" "$work/out")")
    c=$(cpu_time "$cli" check "$largest")
    [[ -n $c ]] && check_cpu+=("$c")
    c=$(cpu_time "$cli" export "$largest" "$work/out")
    [[ -n $c ]] && exported_cpu+=("$c")
done

echo "template: $(basename "$largest") ($(stat -c %s "$largest") bytes), $runs runs each"
report wall "$(printf '%s\n' "${check[@]}" | median)" "$(printf '%s\n' "${exported[@]}" | median)"
if ((${#check_cpu[@]})); then
    report cpu "$(printf '%s\n' "${check_cpu[@]}" | median)" \
        "$(printf '%s\n' "${exported_cpu[@]}" | median)"
fi
