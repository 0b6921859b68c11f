#!/usr/bin/env bash
# Runs `tessary-cli diff` and `tessary-cli doc` as whole processes: exit codes, what goes to
# standard output and standard error, and the corpus beside the project (skipped when absent).
set -u
cli=$1
corpus=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_status() {  # expected-status description command...
    local want=$1 what=$2
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want ($(head -3 "$work/err"))"
}

printf 'CLASS MACHINE\nCATEGORY C KEYNAME K\n POLICY "P" VALUENAME v END POLICY\n POLICY "Q" VALUENAME q END POLICY\nEND CATEGORY\n' >"$work/old.adm"
printf 'CLASS MACHINE\nCATEGORY C KEYNAME K\n POLICY "P" VALUENAME V EXPLAIN "new" END POLICY\n POLICY "R" VALUENAME r END POLICY\nEND CATEGORY\n' >"$work/new.adm"

# diff: as diff(1), 0 the same, 1 different, 2 trouble.
expect_status 0 "diff of a file with itself" "$cli" diff "$work/old.adm" "$work/old.adm"
[ -s "$work/out" ] && fail "diff of a file with itself printed: $(cat "$work/out")"
grep -qx "0 added, 0 removed, 0 changed" "$work/err" || fail "diff summary: $(cat "$work/err")"
expect_status 1 "diff of two releases" "$cli" diff "$work/old.adm" "$work/new.adm"
printf '%s\n' "~ MACHINE > C > P: K\\V: explain text" "- MACHINE > C > Q: K\\q" \
    "+ MACHINE > C > R: K\\r" >"$work/want"
cmp -s "$work/out" "$work/want" || fail "diff lines: $(cat "$work/out")"
grep -qx "1 added, 1 removed, 1 changed" "$work/err" || fail "diff summary: $(cat "$work/err")"
expect_status 2 "diff of a missing file" "$cli" diff "$work/old.adm" "$work/missing.adm"
grep -q "^$work/missing.adm: .*No such file or directory" "$work/err" ||
    fail "diff read failure: $(cat "$work/err")"
expect_status 2 "diff with one file" "$cli" diff "$work/old.adm"
expect_status 2 "diff with a bad format" "$cli" diff --format xml "$work/old.adm" "$work/new.adm"
if command -v python3 >/dev/null; then
    expect_status 1 "diff --format json" "$cli" diff --format=json "$work/old.adm" "$work/new.adm"
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert (d["added"], d["removed"], d["changed"]) == (1, 1, 1), d; assert [p["change"] for p in d["policies"]] == ["changed", "removed", "added"], d' \
        "$work/out" || fail "diff json: $(cat "$work/out")"
fi
# Differences that cannot be written out are trouble, not differences.
if [ -w /dev/full ]; then
    "$cli" diff "$work/old.adm" "$work/new.adm" >/dev/full 2>"$work/err"
    [ $? -eq 2 ] || fail "diff to a full disk did not fail with 2"
fi

# doc: the three formats, usage, a read failure.
expect_status 0 "doc" "$cli" doc "$work/new.adm"
grep -q "^### P$" "$work/out" || fail "doc markdown: $(head -20 "$work/out")"
expect_status 0 "doc --format csv" "$cli" doc --format csv "$work/new.adm"
[ "$(head -c 3 "$work/out" | od -An -tx1 | tr -d ' ')" = "efbbbf" ] || fail "doc csv has no byte-order mark"
[ "$(grep -c $'\r$' "$work/out")" -eq 3 ] || fail "doc csv rows: $(cat "$work/out")"
expect_status 0 "doc --format html" "$cli" doc --format html --lang de-DE "$work/new.adm"
grep -q '<html lang="de-DE">' "$work/out" || fail "doc html language"
expect_status 2 "doc with a bad format" "$cli" doc --format pdf "$work/new.adm"
expect_status 2 "doc with a bad language" "$cli" doc --lang "x y" "$work/new.adm"
expect_status 2 "doc without file" "$cli" doc
expect_status 1 "doc of a missing file" "$cli" doc "$work/missing.adm"

if [ -d "$corpus" ]; then
    expect_status 1 "diff of the corpus releases" "$cli" diff "$corpus/chrome-older-en.adm" "$corpus/chrome-en-US.adm"
    lines=$(wc -l <"$work/out")
    read -r added _ removed _ changed _ <"$work/err"
    [ "$lines" -eq $((added + removed + changed)) ] || fail "corpus diff: $lines lines, $(cat "$work/err")"
    grep -vq '^[-+~] \(MACHINE\|USER\) > ' "$work/out" && fail "corpus diff line: $(grep -v '^[-+~] \(MACHINE\|USER\) > ' "$work/out" | head -1)"
    for f in "$corpus"/*.adm; do
        expect_status 0 "diff $(basename "$f") with itself" "$cli" diff "$f" "$f"
        expect_status 0 "doc --format csv $(basename "$f")" "$cli" doc --format csv "$f"
    done

    # A template and its own ADMX export hold the same policies.
    if "$cli" export "$corpus/chrome-en-US.adm" "$work/export" >/dev/null 2>&1; then
        "$cli" diff "$corpus/chrome-en-US.adm" "$work/export/chrome-en-US.admx" >"$work/out" 2>"$work/err"
        grep -q "^0 added, 0 removed, " "$work/err" || fail "ADM against its ADMX export: $(cat "$work/err")"
        grep -q '^[-+] ' "$work/out" && fail "ADM against its ADMX export: $(grep -m1 '^[-+] ' "$work/out")"
    else
        fail "export of chrome-en-US.adm"
    fi
    # Two releases of one ADMX set: a line for each change counted.
    old_set="$corpus/admx-sets/adobe-dc-2.18/AdobeDC.admx"
    if [ -f "$old_set" ]; then
        expect_status 1 "diff of two ADMX releases" "$cli" diff "$old_set" "${old_set/2.18/2.19}"
        read -r added _ removed _ changed _ <"$work/err"
        [ "$(wc -l <"$work/out")" -eq $((added + removed + changed)) ] && [ "$added" -gt 0 ] ||
            fail "ADMX releases: $(cat "$work/err")"
    fi
    # Every ADMX file against itself, and its reference: one row per policy element.
    for f in "$corpus"/admx/*.admx "$corpus"/admx-sets/*/*.admx; do
        [ -f "$f" ] || continue
        expect_status 0 "diff $(basename "$f") with itself" "$cli" diff "$f" "$f"
        [ -s "$work/out" ] && fail "diff $(basename "$f") with itself printed lines"
        expect_status 0 "doc --format csv $(basename "$f")" "$cli" doc --format csv "$f"
        command -v python3 >/dev/null || continue
        python3 - "$f" "$work/out" <<'PY' || fail "doc --format csv $(basename "$f"): rows and policies differ"
import csv, re, sys
raw = open(sys.argv[1], "rb").read()
text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
policies = len(re.findall(r"<policy\s", re.sub(r"<!--.*?-->", "", text, flags=re.S)))
rows = list(csv.reader(open(sys.argv[2], encoding="utf-8-sig", newline="")))
sys.exit(0 if len(rows) - 1 == policies else f"{len(rows) - 1} rows, {policies} policies")
PY
    done
    # --lang chooses the set's language; a language it lacks fails the read.
    wsl="$corpus/admx-sets/wsl/WSL.admx"
    if [ -f "$wsl" ]; then
        expect_status 0 "doc --lang de-DE of an ADMX set" "$cli" doc --lang de-DE "$wsl"
        grep -q "Richtlinie" "$work/out" || fail "doc --lang de-DE shows no German text"
        expect_status 1 "doc --lang of a language the set lacks" "$cli" doc --lang xx-YY "$wsl"
        grep -q "xx-YY" "$work/err" || fail "doc --lang xx-YY: $(cat "$work/err")"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all passed"
