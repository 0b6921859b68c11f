#!/usr/bin/env bash
# Times `tessary-cli check` against `iconv` (a program that only decodes the same bytes) as
# whole processes on the largest template of the corpus, compares a template ten times
# that size with the original, and measures the peak memory of `tessary-cli check`.
#
#   bench/compare_iconv.sh [BUILD_DIR] [CORPUS_DIR] [RUNS]
#
# BUILD_DIR holds cli/tessary-cli and bench/tessary-bench (default: build). Wall-clock
# times suffer when other work shares the machine, so the processor time of each process is
# measured as well when perf is installed. Peak memory needs GNU time at /usr/bin/time
# (Debian and Ubuntu: apt-get install time).
set -euo pipefail

build=${1:-build}
corpus=${2:-$(dirname "$0")/../../shared/corpus}
runs=${3:-21}
cli=$build/cli/tessary-cli
bench=$build/bench/tessary-bench

for program in "$cli" "$bench"; do
    [[ -x $program ]] || { echo "missing $program (build the project first)" >&2; exit 1; }
done
command -v iconv >/dev/null || { echo "iconv is not installed" >&2; exit 1; }

largest=$(ls -S "$corpus"/*.adm | head -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tenfold=$work/tenfold.adm
"$bench" --make-tenfold "$largest" "$tenfold"

# Wall time of one run in microseconds; the shell's own clock costs no process.
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
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# Alternates the two commands so that both meet the same machine load.
compare() {
    local file=$1 tessary=() decode=() tessary_cpu=() decode_cpu=()
    for ((i = 0; i < runs; ++i)); do
        tessary+=("$(elapsed "$cli" check "$file")")
        decode+=("$(elapsed iconv -f UTF-16 -t UTF-8 "$file")")
    done
    for ((i = 0; i < runs; ++i)); do
        tessary_cpu+=("$(cpu_time "$cli" check "$file")")
        decode_cpu+=("$(cpu_time iconv -f UTF-16 -t UTF-8 "$file")")
    done
    check_median=$(printf '%s\n' "${tessary[@]}" | median)
    iconv_median=$(printf '%s\n' "${decode[@]}" | median)
    check_cpu=$(printf '%s\n' "${tessary_cpu[@]}" | median)
    iconv_cpu=$(printf '%s\n' "${decode_cpu[@]}" | median)
}

report() {
    printf 'tessary-cli check: median %8.1f ms wall' "$(ratio "$check_median" 1000)"
    [[ -n $check_cpu ]] && printf ', %8.1f ms processor' "$(ratio "$check_cpu" 1000)"
    printf '\niconv:             median %8.1f ms wall' "$(ratio "$iconv_median" 1000)"
    [[ -n $iconv_cpu ]] && printf ', %8.1f ms processor' "$(ratio "$iconv_cpu" 1000)"
    printf '\n'
}

verdict() {
    awk -v value="$1" -v limit="$2" 'BEGIN { print (value < limit) ? "met" : "NOT MET" }'
}

echo "largest template: $(basename "$largest") ($(stat -c %s "$largest") bytes), $runs runs each"
compare "$largest"
report
check_original=$check_median
check_original_cpu=$check_cpu
check_vs_iconv=$(ratio "$check_median" "$iconv_median")
echo "check / iconv, wall: ${check_vs_iconv}x (target < 4x: $(verdict "$check_vs_iconv" 4))"
if [[ -n $check_cpu ]]; then
    check_vs_iconv_cpu=$(ratio "$check_cpu" "$iconv_cpu")
    echo "check / iconv, processor: ${check_vs_iconv_cpu}x" \
         "(target < 4x: $(verdict "$check_vs_iconv_cpu" 4))"
fi

echo
echo "ten-times template: $(stat -c %s "$tenfold") bytes"
compare "$tenfold"
report
tenfold_vs_original=$(ratio "$check_median" "$check_original")
echo "check ten-times / check original, wall: ${tenfold_vs_original}x" \
     "(target < 12x: $(verdict "$tenfold_vs_original" 12))"
if [[ -n $check_cpu ]]; then
    tenfold_vs_original_cpu=$(ratio "$check_cpu" "$check_original_cpu")
    echo "check ten-times / check original, processor: ${tenfold_vs_original_cpu}x" \
         "(target < 12x: $(verdict "$tenfold_vs_original_cpu" 12))"
fi

echo
if [[ -x /usr/bin/time ]]; then
    peak_kb() {
        /usr/bin/time -v "$cli" check "$1" 2>&1 >/dev/null |
            awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
    }
    peak_original=$(peak_kb "$largest")
    peak_tenfold=$(peak_kb "$tenfold")
    peak_mb=$(ratio "$peak_original" 1024)
    echo "peak memory of check: ${peak_mb} MB on the largest template" \
         "(target < 40 MB: $(verdict "$peak_mb" 40)), $(ratio "$peak_tenfold" 1024) MB on the ten-times one"
else
    echo "peak memory: /usr/bin/time not found (apt-get install time)"
fi
