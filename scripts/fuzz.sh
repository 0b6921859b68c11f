#!/usr/bin/env bash
# Runs the read -> write -> read -> write fixed-point fuzz entries for SECONDS each (default
# 60): the ADM one seeded with small slices of the corpus templates and the seeds in
# fuzz/seeds, the ADMX one (an ADMX file and its ADML in one input, split at a line
# "--adml--") with fuzz/seeds-admx and the small ADMX sets of the corpus. Installs clang and
# its fuzzing runtime when they are missing. Findings go to build-fuzz/findings.
#
#   scripts/fuzz.sh [SECONDS] [adm|admx|all]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
which=${2:-all}

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang libclang-rt-14-dev
fi
scripts/setup.sh

CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_FUZZ=ON \
    -DTESSARY_BUILD_UI=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target tessary-fuzz-roundtrip tessary-fuzz-admx >/dev/null

mkdir -p build-fuzz/findings

if [ "$which" != admx ]; then
    # Seeds: the hand-written ones and slices of a few kilobytes cut from each template, the
    # UTF-16 ones cut at even offsets behind their byte-order mark.
    seeds=build-fuzz/seeds
    rm -rf "$seeds"
    mkdir -p "$seeds" build-fuzz/corpus
    cp fuzz/seeds/* "$seeds"/
    for file in ../shared/corpus/*.adm; do
        [ -f "$file" ] || continue
        size=$(stat -c %s "$file")
        name=$(basename "$file" .adm)
        for i in 0 1 2 3 4 5 6 7; do
            offset=$(( (size / 8 * i + 2) / 2 * 2 ))
            { printf "\xff\xfe"; tail -c +$((offset + 1)) "$file" | head -c 3000 || true; } >"$seeds/$name-$i.adm"
        done
    done

    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        build-fuzz/fuzz/tessary-fuzz-roundtrip -max_total_time="$seconds" -max_len=8192 \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
        build-fuzz/corpus "$seeds"
fi

if [ "$which" != adm ]; then
    # Seeds: the hand-written sets and every set of the corpus small enough, each ADMX file
    # with its en-US ADML.
    seeds=build-fuzz/seeds-admx
    rm -rf "$seeds"
    mkdir -p "$seeds" build-fuzz/corpus-admx
    cp fuzz/seeds-admx/* "$seeds"/
    for admx in ../shared/corpus/admx/*.admx ../shared/corpus/admx-sets/*/*.admx; do
        [ -f "$admx" ] || continue
        adml=$(dirname "$admx")/en-US/$(basename "$admx" .admx).adml
        [ -f "$adml" ] || continue
        [ $(( $(stat -c %s "$admx") + $(stat -c %s "$adml") )) -le 32768 ] || continue
        { cat "$admx"; printf '\n--adml--\n'; cat "$adml"; } >"$seeds/$(basename "$admx" .admx).set"
    done

    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        build-fuzz/fuzz/tessary-fuzz-admx -max_total_time="$seconds" -max_len=32768 \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ \
        build-fuzz/corpus-admx "$seeds"
fi
