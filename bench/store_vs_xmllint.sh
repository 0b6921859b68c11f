#!/usr/bin/env bash
# Times `tessary-cli lint --store` of a policy store of COUNT sets (one process) against
# `xmllint --noout` of the same files (one process): the fastest of RUNS runs of each in
# milliseconds and their ratio, lint's peak memory per byte of input, and the time `check`
# of one set takes in the store above the same set on its own (its references into the
# store's Windows.admx are looked up there).
# The store is made in a temporary folder from the corpus sets: each once as it is, then
# copies under new file names and namespaces until there are COUNT.
# Usage: bench/store_vs_xmllint.sh TESSARY_CLI [CORPUS_DIR] [COUNT] [RUNS]
set -eu
. "$(dirname "$0")/benchlib.sh"
cli=$1
corpus=${2:-$(dirname "$0")/../../shared/corpus}
count=${3:-300}
runs=${4:-5}
store=$(mktemp -d)
alone=$(mktemp -d)
trap 'rm -rf "$store" "$alone"' EXIT
mkdir -p "$store/en-US"

sources=$(ls "$corpus"/store-sample/*.admx "$corpus"/admx/*.admx "$corpus"/admx-sets/*/*.admx)
made=0
round=0
while [ "$made" -lt "$count" ]; do
    for admx in $sources; do
        [ "$made" -lt "$count" ] || break
        name=$(basename "$admx" .admx)
        adml=$(ls "$(dirname "$admx")"/en-US/* | grep -i "/$name.adml$" | head -1)
        [ -n "$adml" ] || continue
        if [ "$round" -eq 0 ] && [ ! -e "$store/$name.admx" ]; then
            cp "$admx" "$store/$name.admx"
            cp "$adml" "$store/en-US/$name.adml"
        else
            # The target namespace of its own: the copy is another set of the store.
            copy_as_new_set "$admx" "$store/$name-$made.admx" ".Copy$made"
            cp "$adml" "$store/en-US/$name-$made.adml"
        fi
        made=$((made + 1))
    done
    round=$((round + 1))
done


ms() { awk -v u="$1" 'BEGIN { printf "%.1f", u / 1000 }'; }

files=("$store"/*.admx "$store"/en-US/*.adml)
bytes=$(cat "${files[@]}" | wc -c)
lint=$(fastest us "$cli" lint --store "$store")
xml=$(fastest us xmllint --noout "${files[@]}")
peak=$(/usr/bin/time -f %M "$cli" lint --store "$store" 2>&1 >/dev/null | tail -1)
echo "store: $(ls "$store"/*.admx | wc -l) sets, $((bytes / 1024)) KiB"
echo "lint --store $(ms "$lint") ms, xmllint --noout $(ms "$xml") ms," \
    "ratio $(awk -v c="$lint" -v x="$xml" 'BEGIN { printf "%.2f", c / x }') (target <= 3.00)"
echo "peak memory $peak KiB, $(awk -v p="$peak" -v b="$bytes" 'BEGIN { printf "%.1f", p * 1024 / b }')" \
    "bytes per input byte"

# One set that refers into Windows.admx, in the store and on its own.
one=Taskbar
mkdir -p "$alone/en-US"
cp "$store/$one.admx" "$alone/"
cp "$store/en-US/$one.adml" "$alone/en-US/"
in_store=$(fastest us "$cli" check "$store/$one.admx")
on_own=$(fastest us "$cli" check "$alone/$one.admx")
echo "check $one.admx: in the store $(ms "$in_store") ms, alone $(ms "$on_own") ms," \
    "$(ms $((in_store - on_own))) ms more (target < 150)"
