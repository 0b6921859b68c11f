#!/usr/bin/env bash
# Times `tessary-cli check` against `iconv` (a program that only decodes the same bytes) as
# whole processes on the largest template of the corpus and on templates ten and a hundred
# times that size, and measures the peak memory of `tessary-cli check` per input byte.
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
runs=${3:-11}
cli=$build/cli/tessary-cli
bench=$build/bench/tessary-bench

for program in "$cli" "$bench"; do
    [[ -x $program ]] || { echo "missing $program (build the project first)" >&2; exit 1; }
done
command -v iconv >/dev/null || { echo "iconv is not installed" >&2; exit 1; }

largest=$(ls -S "$corpus"/*.adm | head -n 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

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

verdict() {
    awk -v value="$1" -v limit="$2" 'BEGIN { print (value <= limit) ? "met" : "NOT MET" }'
}

# Alternates the two commands so that both meet the same machine load.
compare() {
    local file=$1 n=$2 tessary=() decode=() tessary_cpu=() decode_cpu=()
    for ((i = 0; i < n; ++i)); do
        tessary+=("$(elapsed "$cli" check "$file")")
        decode+=("$(elapsed iconv -f UTF-16 -t UTF-8 "$file")")
    done
    for ((i = 0; i < n; ++i)); do
        tessary_cpu+=("$(cpu_time "$cli" check "$file")")
        decode_cpu+=("$(cpu_time iconv -f UTF-16 -t UTF-8 "$file")")
    done
    check_median=$(printf '%s\n' "${tessary[@]}" | median)
    iconv_median=$(printf '%s\n' "${decode[@]}" | median)
    check_cpu=$(printf '%s\n' "${tessary_cpu[@]}" | median)
    iconv_cpu=$(printf '%s\n' "${decode_cpu[@]}" | median)
}

peak_kb() {
    /usr/bin/time -v "$cli" check "$1" 2>&1 >/dev/null |
        awk -F: '/Maximum resident set size/ { gsub(/ /, "", $2); print $2 }'
}

echo "largest template: $(basename "$largest") ($(stat -c %s "$largest") bytes)"
for copies in 1 10 100; do
    file=$largest
    n=$runs
    if ((copies > 1)); then
        file=$work/copies$copies.adm
        "$bench" --make-copies "$copies" "$largest" "$file"
        # The large files take long enough that fewer runs give a steady median.
        ((copies < 100)) || n=$(( (runs + 1) / 2 ))
    fi
    size=$(stat -c %s "$file")
    echo
    echo "${copies}x: $size bytes, $n runs each"
    compare "$file" "$n"
    printf 'tessary-cli check: median %9.1f ms wall' "$(ratio "$check_median" 1000)"
    [[ -n $check_cpu ]] && printf ', %9.1f ms processor' "$(ratio "$check_cpu" 1000)"
    printf '\niconv:             median %9.1f ms wall' "$(ratio "$iconv_median" 1000)"
    [[ -n $iconv_cpu ]] && printf ', %9.1f ms processor' "$(ratio "$iconv_cpu" 1000)"
    printf '\n'
    wall=$(ratio "$check_median" "$iconv_median")
    echo "check / iconv, wall: ${wall}x (target <= 2x: $(verdict "$wall" 2))"
    if [[ -n $check_cpu ]]; then
        cpu=$(ratio "$check_cpu" "$iconv_cpu")
        echo "check / iconv, processor: ${cpu}x (target <= 2x: $(verdict "$cpu" 2))"
    fi
    if [[ -x /usr/bin/time ]]; then
        peak=$(peak_kb "$file")
        per_byte=$(awk -v kb="$peak" -v bytes="$size" 'BEGIN { printf "%.2f", kb * 1024 / bytes }')
        echo "peak memory of check: $(ratio "$peak" 1024) MB = ${per_byte} bytes per input byte" \
             "(target <= 2.5: $(verdict "$per_byte" 2.5))"
    else
        echo "peak memory: /usr/bin/time not found (apt-get install time)"
    fi
done
