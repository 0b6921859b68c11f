#!/usr/bin/env bash
# Times `tessary-cli check` of every ADMX set (one process each) against `xmllint --noout`
# of the same files (the ADMX and the ADML of each of its languages, one process each set):
# the fastest of RUNS runs of each in milliseconds, their ratio per set and for all sets, and
# check's peak memory per byte of input (the set's files), as a whole and above the peak of
# check on the smallest set.
# Usage: bench/admx_vs_xmllint.sh TESSARY_CLI [SETS_DIR] [RUNS]
set -eu
cli=$1
sets=${2:-$(dirname "$0")/../../shared/corpus/admx-sets}
runs=${3:-20}

. "$(dirname "$0")/benchlib.sh"

peak_kb() {  # command... -> the largest resident set in KiB
    /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1
}

ms() { awk -v u="$1" 'BEGIN { printf "%.2f", u / 1000 }'; }

admxs=$(ls "$sets"/*/*.admx | sort)
smallest=$(ls -S $admxs | tail -1)
base=$(peak_kb "$cli" check "$smallest")

printf '%-58s %9s %9s %6s %10s %8s %8s\n' set "check ms" "xmllint" ratio "input KiB" "B/B" "B/B+"
total_check=0
total_xml=0
for admx in $admxs; do
    name=$(basename "$admx" .admx)
    files=("$admx")
    for adml in "$(dirname "$admx")"/*/"$name.adml"; do files+=("$adml"); done
    bytes=$(cat "${files[@]}" | wc -c)
    check=$(fastest us "$cli" check "$admx")
    xml=$(fastest us xmllint --noout "${files[@]}")
    peak=$(peak_kb "$cli" check "$admx")
    total_check=$((total_check + check))
    total_xml=$((total_xml + xml))
    printf '%-58s %9s %9s %6s %10s %8s %8s\n' "${admx#"$sets"/}" "$(ms "$check")" "$(ms "$xml")" \
        "$(awk -v c="$check" -v x="$xml" 'BEGIN { printf "%.2f", c / x }')" \
        "$((bytes / 1024))" \
        "$(awk -v p="$peak" -v b="$bytes" 'BEGIN { printf "%.1f", p * 1024 / b }')" \
        "$(awk -v p="$peak" -v q="$base" -v b="$bytes" 'BEGIN { printf "%.1f", (p - q) * 1024 / b }')"
done
echo
echo "all sets: check $(ms "$total_check") ms, xmllint $(ms "$total_xml") ms," \
    "ratio $(awk -v c="$total_check" -v x="$total_xml" 'BEGIN { printf "%.2f", c / x }') (target <= 2.00)"
echo "peak memory of check on the smallest set: $base KiB; B/B: peak bytes per input byte," \
    "B/B+: above that peak"
