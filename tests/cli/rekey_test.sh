#!/usr/bin/env bash
# tessary-cli rekey as whole processes: usage, the counts, --dry-run, an ADM template, and on
# every ADMX set of the corpus (when it is there) the proof that a save edits in place: the
# ADMX file comes back as its bytes with exactly the key values moved, the ADML files as
# they were, and lint finds what it found before.
set -u
cli=$1
templates=$2
corpus=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# ---- usage ------------------------------------------------------------------------------------
"$cli" rekey >/dev/null 2>&1
[ $? -eq 2 ] || fail "rekey without words is not a usage error"
"$cli" rekey 'Software\A' 'Software\B' >/dev/null 2>&1
[ $? -eq 2 ] || fail "rekey without a FILE is not a usage error"
"$cli" rekey --now 'Software\A' 'Software\B' x.adm >/dev/null 2>&1
[ $? -eq 2 ] || fail "rekey with an unknown option is not a usage error"
"$cli" rekey '\' 'Software\B' x.adm >/dev/null 2>&1
[ $? -eq 2 ] || fail "rekey of an empty key is not a usage error"
"$cli" rekey 'Software\A' 'Software\B' "$work/missing.adm" 2>/dev/null
[ $? -eq 1 ] || fail "rekey of a missing file does not fail"

# ---- an ADM template ------------------------------------------------------------------------
cp "$templates/sample.adm" "$work/sample.adm"
old=$(grep -o -m1 'KEYNAME *"[^"\\]*\\[^"\\]*' "$work/sample.adm" | sed 's/KEYNAME *"//')
[ -n "$old" ] || fail "the sample template names no KEYNAME"
"$cli" rekey --dry-run "$old" 'Software\Rekeyed' "$work/sample.adm" 2>"$work/err" || fail "rekey --dry-run: $(cat "$work/err")"
cmp -s "$work/sample.adm" "$templates/sample.adm" || fail "rekey --dry-run changed the file"
grep -qE "^$work/sample.adm: [1-9][0-9]* keys? to change$" "$work/err" || fail "rekey --dry-run said: $(cat "$work/err")"
# Another case of the same key is the same key.
lower=$(printf '%s' "$old" | tr 'A-Z' 'a-z')
"$cli" rekey "$lower" 'Software\Rekeyed' "$work/sample.adm" 2>"$work/err" || fail "rekey of an ADM template: $(cat "$work/err")"
grep -qE "^$work/sample.adm: [1-9][0-9]* keys? changed$" "$work/err" || fail "rekey said: $(cat "$work/err")"
"$cli" find --key 'Software\Rekeyed' "$work/sample.adm" >/dev/null 2>&1 || fail "no key moved in the ADM template"
"$cli" rekey 'Software\Nowhere' 'Software\Else' "$work/sample.adm" 2>"$work/err" || fail "rekey of no key failed"
grep -qx "$work/sample.adm: 0 keys changed" "$work/err" || fail "rekey of no key said: $(cat "$work/err")"

# ---- every ADMX set of the corpus -------------------------------------------------------------
# The expected ADMX: the source's bytes with each key or defaultKey value that is OLD or
# beneath it (any case) beginning with NEW instead.
expected() {
    python3 - "$1" "$2" "$3" <<'PY'
import re, sys
path, old, new = sys.argv[1:]
data = open(path, 'rb').read()
if data.startswith(b'\xff\xfe') or data[1:2] == b'\0':
    codec = 'utf-16-le'
    bom, body = (data[:2], data[2:]) if data.startswith(b'\xff\xfe') else (b'', data)
else:
    codec, bom, body = 'utf-8', b'', data
text = body.decode(codec)
def move(m):
    value = m.group(3)
    if value.lower() == old.lower() or value.lower().startswith(old.lower() + '\\'):
        value = new + value[len(old):]
    return m.group(1) + m.group(2) + value + m.group(2)
text = re.sub(r'(\s(?:key|defaultKey)\s*=\s*)(["\'])(.*?)\2', move, text)
sys.stdout.buffer.write(bom + text.encode(codec))
PY
}

# Lint's findings by place, severity and rule: their texts name the keys, which moved.
findings() {
    sed -E 's|^.*/([^/]*:[0-9]+): (error\|warning): .*\[([a-z-]+)\]$|\1: \2 [\3]|'
}

if [ -d "$corpus/admx-sets" ]; then
    sets=0
    for admx in "$corpus"/admx/*.admx "$corpus"/admx-sets/*/*.admx; do
        dir=$(dirname "$admx")
        name=$(basename "$admx" .admx)
        copy="$work/sets/$(basename "$dir")-$name"
        mkdir -p "$copy"
        cp "$admx" "$copy/"
        chmod u+w "$copy/$name.admx"
        for adml in "$dir"/*/"$name.adml"; do
            [ -e "$adml" ] || continue
            lang=$(basename "$(dirname "$adml")")
            mkdir -p "$copy/$lang"
            cp "$adml" "$copy/$lang/"
            chmod u+w "$copy/$lang/$name.adml"
        done
        # The first key's first two levels: most of the file's keys are beneath them.
        old=$(python3 -c "
import re, sys
data = open(sys.argv[1], 'rb').read()
text = data.decode('utf-16') if data[:2] == b'\xff\xfe' else data.decode('utf-8', 'replace')
m = re.search(r'\skey\s*=\s*[\"\']([^\\\\\"\']+\\\\[^\\\\\"\']+)', text)
print(m.group(1) if m else '')" "$admx")
        # A set of categories alone has no key.
        [ -n "$old" ] || continue
        sets=$((sets + 1))
        # Another case, as keys are compared.
        upper=$(printf '%s' "$old" | tr 'a-z' 'A-Z')
        "$cli" lint "$copy/$name.admx" 2>/dev/null | findings >"$work/lint.before"
        "$cli" rekey "$upper" 'Software\Rekeyed\Moved' "$copy/$name.admx" 2>"$work/err" ||
            { fail "rekey $admx: $(cat "$work/err")"; continue; }
        grep -qE ": [1-9][0-9]* keys? changed$" "$work/err" || fail "rekey $admx said: $(cat "$work/err")"
        expected "$admx" "$old" 'Software\Rekeyed\Moved' >"$work/expected"
        cmp -s "$copy/$name.admx" "$work/expected" ||
            fail "rekey $admx: not the source with its keys moved: $(diff "$work/expected" "$copy/$name.admx" | head -6)"
        for adml in "$copy"/*/"$name.adml"; do
            lang=$(basename "$(dirname "$adml")")
            cmp -s "$adml" "$dir/$lang/$name.adml" || fail "rekey $admx changed $lang/$name.adml"
        done
        "$cli" lint "$copy/$name.admx" 2>/dev/null | findings >"$work/lint.after"
        cmp -s "$work/lint.before" "$work/lint.after" ||
            fail "lint after rekey $admx: $(diff "$work/lint.before" "$work/lint.after" | head -6)"
    done
    [ "$sets" -ge 10 ] || fail "only $sets corpus sets found"
else
    echo "no corpus at $corpus: its sets are skipped"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "rekey: all passed"
