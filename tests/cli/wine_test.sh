#!/usr/bin/env bash
# Runs the Windows tessary-cli.exe under Wine beside the Linux tessary-cli: check, convert in
# both formats, lint and find print the same bytes, exit the same and write the same files on
# the test templates and on every real-world template beside the project (skipped when that
# folder is absent). Then what only Windows has: paths with a drive letter and backslashes,
# file names outside ASCII, and the save's promises through the Win32 calls.
#
#     wine_test.sh WINDOWS_EXE LINUX_CLI [CORPUS]
set -u
exe=$1
linux=$2
corpus=${3:-}
here=$(cd "$(dirname "$0")" && pwd)

command -v wine >/dev/null || { echo "FAIL: no wine to run $exe"; exit 1; }
# A Wine of its own, quiet, started once and kept running for all the runs below.
work=$(mktemp -d /tmp/tessary-wine.XXXXXX)
export WINEPREFIX=${WINEPREFIX:-$work/prefix} WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
wineboot -i >/dev/null 2>&1
wineserver -p >/dev/null 2>&1
passed=0
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

pass() {
    passed=$((passed + 1))
}

win() {  # runs the Windows build; Wine's own start-up talk on the terminal is not output
    wine "$exe" "$@" </dev/null
}

# The Windows form of a Linux path (Wine shows / as drive Z:).
winpath() {
    local p=${1//\//\\}
    printf 'Z:%s' "$p"
}

# Runs one command with both builds in the folder $1, comparing standard output, standard
# error, exit status and the files given after --.
compare() {  # folder description args... [-- written files...]
    local folder=$1 what=$2
    shift 2
    local args=() written=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        args+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift && written=("$@")
    local side status
    for side in linux windows; do
        rm -f "${written[@]/#/$folder/}"
        if [ "$side" = linux ]; then
            (cd "$folder" && "$linux" "${args[@]}" >"$work/$side.out" 2>"$work/$side.err")
        else
            (cd "$folder" && win "${args[@]}" >"$work/$side.out" 2>"$work/$side.err")
        fi
        status=$?
        echo "$status" >"$work/$side.status"
        local f
        for f in "${written[@]}"; do
            if [ -f "$folder/$f" ]; then mv "$folder/$f" "$work/$side.$f"; else rm -f "$work/$side.$f"; fi
        done
    done
    local ok=1 kind
    for kind in status out err "${written[@]}"; do
        if [ -e "$work/linux.$kind" ] || [ -e "$work/windows.$kind" ]; then
            cmp -s "$work/linux.$kind" "$work/windows.$kind" || {
                ok=0
                fail "$what: $kind differs"
                diff <(od -c "$work/linux.$kind" 2>&1) <(od -c "$work/windows.$kind" 2>&1) | head -6
            }
        fi
    done
    [ "$ok" = 1 ] && pass
}

# Every template, under a name of its own in a folder of its own, through every command.
templates=("$here"/templates/*.adm)
if [ -n "$corpus" ] && [ -d "$corpus" ]; then
    templates+=("$corpus"/*.adm)
else
    echo "SKIP: no corpus at '${corpus}': the test templates only"
fi
for template in "${templates[@]}"; do
    [ -f "$template" ] || continue
    name=$(basename "$template")
    folder="$work/t-$name"
    mkdir -p "$folder"
    cp "$template" "$folder/$name"
    compare "$folder" "check $name" check "$name"
    compare "$folder" "convert unicode $name" convert --format unicode "$name" u.adm -- u.adm
    compare "$folder" "convert ascii $name" convert --format ascii "$name" a.adm -- a.adm
    compare "$folder" "lint $name" lint "$name"
    compare "$folder" "find $name" find Google "$name"
    compare "$folder" "find --key $name" find --key Software "$name"
    # A pattern outside ASCII reaches the search whole.
    compare "$folder" "find ü/設定 $name" find "$([[ $name == *ja* ]] && echo 設定 || echo ü)" "$name"
done

# Paths with a drive letter and backslashes are read and written, and messages name them as
# given.
sample="$here/templates/sample.adm"
mkdir -p "$work/paths/sub"
cp "$sample" "$work/paths/sub/in.adm"
wsub=$(winpath "$work/paths/sub")
(cd "$work/paths" && "$linux" convert --format ascii sub/in.adm linux.adm 2>/dev/null)
if win convert --format ascii "$wsub\\in.adm" "$wsub\\out.adm" >"$work/out" 2>"$work/err" &&
    cmp -s "$work/paths/linux.adm" "$work/paths/sub/out.adm"; then
    pass
else
    fail "convert with drive letter and backslashes: $(cat "$work/err")"
fi
(cd "$work/paths" && win convert --format ascii 'sub\in.adm' 'sub\rel.adm' >/dev/null 2>&1)
cmp -s "$work/paths/linux.adm" "$work/paths/sub/rel.adm" && pass ||
    fail "convert with relative backslash paths"

missing="$wsub\\missing.adm"
win check "$missing" >"$work/out" 2>"$work/err"
status=$?
expected="$missing:  Error \"No such file or directory\" on file $missing."
[ "$status" -eq 1 ] && [ "$(cat "$work/err")" = "$expected" ] && pass ||
    fail "missing file: exit $status, $(cat "$work/err")"

win check "$wsub" >"$work/out" 2>"$work/err"
grep -qF "Error \"Is a directory\" on file $wsub." "$work/err" && pass ||
    fail "folder as a template: $(cat "$work/err")"

nowhere="$wsub\\nowhere\\out.adm"
win convert "$wsub\\in.adm" "$nowhere" >"$work/out" 2>"$work/err"
grep -qF "on file $nowhere: the folder $wsub\\nowhere does not let a new file be created" \
    "$work/err" && pass || fail "missing folder: $(cat "$work/err")"

# File names outside ASCII: given on the command line, printed back byte for byte as Linux
# prints them, written under the same name.
name='Politik-Übersicht-日本.adm'
mkdir -p "$work/names"
cp "$sample" "$work/names/$name"
compare "$work/names" "check $name" check "$name"
compare "$work/names" "convert $name" convert --format unicode "$name" 'Ausgabe-日本.adm' \
    -- 'Ausgabe-日本.adm'
compare "$work/names" "lint $name" lint "$name"
compare "$work/names" "find $name" find --key Software "$name"
compare "$work/names" "missing $name" check "fehlt-$name"
wnames=$(winpath "$work/names")
win convert "$wnames\\$name" "$wnames\\Übersetzt-日本.adm" >/dev/null 2>"$work/err"
[ -f "$work/names/Übersetzt-日本.adm" ] && pass ||
    fail "convert to a full path outside ASCII: $(cat "$work/err"; ls "$work/names")"
rm -rf "$work/names/out-linux" "$work/names/out-windows"
(cd "$work/names" && "$linux" export "$name" out-linux >/dev/null 2>&1)
(cd "$work/names" && win export "$name" out-windows >/dev/null 2>"$work/err")
cmp -s "$work/names/out-linux/Politik-Übersicht-日本.admx" \
    "$work/names/out-windows/Politik-Übersicht-日本.admx" &&
    cmp -s "$work/names/out-linux/en-US/Politik-Übersicht-日本.adml" \
        "$work/names/out-windows/en-US/Politik-Übersicht-日本.adml" && pass ||
    fail "export of $name: $(cat "$work/err"; find "$work/names" -name '*.adm?')"

# Saving over a file: the old file is replaced whole, a read-only one is left as it was, and
# a file with a second name is rewritten in place so that both names show the new text.
mkdir -p "$work/save"
cp "$sample" "$work/save/in.adm"
(cd "$work/save" && "$linux" convert --format unicode in.adm expected.adm 2>/dev/null)
wsave=$(winpath "$work/save")
echo "old text" >"$work/save/target.adm"
win convert --format unicode "$wsave\\in.adm" "$wsave\\target.adm" >/dev/null 2>"$work/err"
cmp -s "$work/save/expected.adm" "$work/save/target.adm" && pass ||
    fail "replacing a file: $(cat "$work/err")"
ls -A "$work/save" | grep -q '^\.' && fail "a temporary file was left: $(ls -A "$work/save")"

echo "precious" >"$work/save/locked.adm"
chmod a-w "$work/save/locked.adm"
win convert "$wsave\\in.adm" "$wsave\\locked.adm" >/dev/null 2>"$work/err"
status=$?
[ "$status" -eq 1 ] && [ "$(cat "$work/save/locked.adm")" = "precious" ] &&
    grep -qF "Error \"Permission denied\" on file $wsave\\locked.adm." "$work/err" && pass ||
    fail "read-only target: exit $status, $(cat "$work/err")"

echo "old text" >"$work/save/linked.adm"
ln "$work/save/linked.adm" "$work/save/second-name.adm"
win convert --format unicode "$wsave\\in.adm" "$wsave\\linked.adm" >/dev/null 2>"$work/err"
cmp -s "$work/save/expected.adm" "$work/save/second-name.adm" && pass ||
    fail "a file with two names: the second shows $(head -c 20 "$work/save/second-name.adm")"

# A save through a symbolic link replaces the file the link points to and keeps the link.
echo "old text" >"$work/save/real.adm"
ln -s real.adm "$work/save/link.adm"
win convert --format unicode "$wsave\\in.adm" "$wsave\\link.adm" >/dev/null 2>"$work/err"
[ -L "$work/save/link.adm" ] && cmp -s "$work/save/expected.adm" "$work/save/real.adm" && pass ||
    fail "save through a link: $(cat "$work/err"; ls -l "$work/save")"

# An ADMX set is written whole: the ADMX file and its ADML in a folder made for it, the same
# bytes as Linux writes; over a set whose ADML may not be written, nothing is replaced.
set_in="$here/admx-lint/clean"
mkdir -p "$work/set"
cp -r "$set_in/lint.admx" "$set_in/en-US" "$work/set/"
(cd "$work/set" && "$linux" convert lint.admx expected.admx 2>/dev/null)
wset=$(winpath "$work/set")
win convert "$wset\\lint.admx" "$wset\\out\\out.admx" >/dev/null 2>"$work/err"
cmp -s "$work/set/expected.admx" "$work/set/out/out.admx" &&
    cmp -s "$work/set/en-US/expected.adml" "$work/set/out/en-US/out.adml" && pass ||
    fail "writing an ADMX set: $(cat "$work/err"; find "$work/set" -type f)"
echo "old" >"$work/set/out/out.admx"
chmod a-w "$work/set/out/en-US/out.adml"
cp "$work/set/out/en-US/out.adml" "$work/set/adml.before"
win convert "$wset\\lint.admx" "$wset\\out\\out.admx" >/dev/null 2>"$work/err"
status=$?
[ "$status" -eq 1 ] && [ "$(cat "$work/set/out/out.admx")" = "old" ] &&
    cmp -s "$work/set/adml.before" "$work/set/out/en-US/out.adml" && pass ||
    fail "a set with a read-only ADML: exit $status, $(cat "$work/err")"
ls -A "$work/set/out" "$work/set/out/en-US" | grep -q '^\.' &&
    fail "a temporary file was left: $(ls -AR "$work/set/out")"

# What check costs: the largest template, best of five, under Wine (its server already
# running) and natively.
largest=$(ls -S "${templates[@]}" | head -1)
best() {
    local t best=""
    for _ in 1 2 3 4 5; do
        t=$({ TIMEFORMAT=%R; time "$@" >/dev/null 2>&1; } 2>&1)
        if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    done
    echo "$best"
}
echo "check $(basename "$largest") ($(stat -c %s "$largest") bytes): Linux $(best "$linux" check "$largest") s," \
    "Windows under Wine $(best win check "$(winpath "$largest")") s"

echo "$passed passed, $failures failed"
[ "$failures" -eq 0 ]
