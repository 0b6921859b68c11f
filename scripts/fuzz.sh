#!/usr/bin/env bash
# Runs the read -> write -> read -> write fixed-point fuzz entry for SECONDS (default 60),
# seeded with small slices of the corpus templates and the seeds in fuzz/seeds. Installs
# clang and its fuzzing runtime when they are missing. Findings go to build-fuzz/findings.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang libclang-rt-14-dev
fi
scripts/setup.sh

CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_FUZZ=ON \
    -DTESSARY_BUILD_UI=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target tessary-fuzz-roundtrip >/dev/null

# Seeds: the hand-written ones and slices of a few kilobytes cut from each template, the
# UTF-16 ones cut at even offsets behind their byte-order mark.
seeds=build-fuzz/seeds
rm -rf "$seeds"
mkdir -p "$seeds" build-fuzz/corpus build-fuzz/findings
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
