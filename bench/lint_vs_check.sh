#!/usr/bin/env bash
# Times `tessary-cli lint` against `tessary-cli check` on a template (by default the
# largest of ../shared/corpus): the fastest of RUNS runs of each, in milliseconds, and their
# ratio. Usage: bench/lint_vs_check.sh TESSARY_CLI [FILE] [RUNS]
set -eu
cli=$1
file=${2:-$(ls -S "$(dirname "$0")/../../shared/corpus"/*.adm | head -1)}
runs=${3:-30}

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

check=$(fastest "$cli" check "$file")
lint=$(fastest "$cli" lint "$file")
echo "file:  $file"
echo "check: $((check / 1000)).$(printf %03d $((check % 1000))) ms"
echo "lint:  $((lint / 1000)).$(printf %03d $((lint % 1000))) ms"
awk -v l="$lint" -v c="$check" 'BEGIN { printf "lint / check: %.2f (target <= 1.50)\n", l / c }'
