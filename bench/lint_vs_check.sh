#!/usr/bin/env bash
# Times `tessary-cli lint` against `tessary-cli check` on a template (by default the
# largest of ../shared/corpus): the fastest of RUNS runs of each, in milliseconds, and their
# ratio. Usage: bench/lint_vs_check.sh TESSARY_CLI [FILE] [RUNS]
set -eu
cli=$1
file=${2:-$(ls -S "$(dirname "$0")/../../shared/corpus"/*.adm | head -1)}
runs=${3:-30}

. "$(dirname "$0")/benchlib.sh"

check=$(fastest us "$cli" check "$file")
lint=$(fastest us "$cli" lint "$file")
echo "file:  $file"
echo "check: $((check / 1000)).$(printf %03d $((check % 1000))) ms"
echo "lint:  $((lint / 1000)).$(printf %03d $((lint % 1000))) ms"
awk -v l="$lint" -v c="$check" 'BEGIN { printf "lint / check: %.2f (target <= 1.50)\n", l / c }'
