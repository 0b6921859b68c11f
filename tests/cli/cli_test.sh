#!/usr/bin/env bash
# Runs tessary-cli as a whole process: exit codes, messages on standard error, and every
# real-world template beside the project (skipped when that folder is absent).
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
    [ "$got" -eq "$want" ] || fail "$what: exit $got, expected $want ($(cat "$work/err"))"
}

expect_status 2 "no command" "$cli"
expect_status 2 "unknown command" "$cli" frobnicate x
expect_status 2 "check without file" "$cli" check
expect_status 2 "bad format" "$cli" convert --format utf8 a b
expect_status 0 "help" "$cli" --help
grep -q "tessary-cli check \[--format text|json\] FILE" "$work/out" || fail "help does not explain check"

expect_status 1 "missing file" "$cli" check "$work/missing.adm"
grep -qx "$work/missing.adm:  Error \"No such file or directory\" on file $work/missing.adm." "$work/err" ||
    fail "missing file message: $(cat "$work/err")"

: >"$work/empty.adm"
expect_status 1 "empty file" "$cli" check "$work/empty.adm"
grep -qx "$work/empty.adm: Error reading file $work/empty.adm" "$work/err" ||
    fail "empty file message: $(cat "$work/err")"

# A picture under a template's name holds nothing of a template: check fails on it.
printf '\211PNG\r\n\032\n\0\0\0\rIHDR' >"$work/picture.admx"
expect_status 1 "picture named .admx" "$cli" check "$work/picture.admx"
grep -q "nothing in this file was read as a template" "$work/err" ||
    fail "picture message: $(cat "$work/err")"

printf 'CLASS MACHINE\r\n  CATEGORY "Cat"\r\n' >"$work/open.adm"
expect_status 0 "category left open" "$cli" check "$work/open.adm"
grep -qx "$work/open.adm: Unexpected end of template file while reading category Cat" "$work/err" ||
    fail "open category message: $(cat "$work/err")"

# A refused save leaves the target as it was.
printf 'CLASS MACHINE\r\n CATEGORY "\xe9"\r\n END CATEGORY\r\n' >"$work/latin.adm"
echo "precious" >"$work/target.adm"
expect_status 0 "8-bit to unicode" "$cli" convert --format unicode "$work/latin.adm" "$work/u.adm"
printf 'CLASS MACHINE\r\n CATEGORY "\xe2\x82\xac"\r\n END CATEGORY\r\n' | iconv -f UTF-8 -t UTF-16LE >"$work/wide.body"
{ printf '\xff\xfe'; cat "$work/wide.body"; } >"$work/wide.adm"
expect_status 1 "unicode-only text to ascii" "$cli" convert --format ascii "$work/wide.adm" "$work/target.adm"
[ "$(cat "$work/target.adm")" = "precious" ] || fail "refused save changed the target"

# What the reader passes over: convert names each line and still converts; check is silent.
printf 'CLASS MACHINE\r\n CATEGORY C KEYNAME K\r\n  POLICY P\r\n   VALUENAME v WHATEVER\r\n   PART X CHEKBOX\r\n   END PART\r\n  END POLICY\r\n END CATEGORY\r\n' >"$work/lossy.adm"
expect_status 0 "convert with passed-over lines" "$cli" convert "$work/lossy.adm" "$work/lossy-out.adm"
printf '%s\n' "$work/lossy.adm:4: warning: passed over: WHATEVER" \
    "$work/lossy.adm:5: warning: passed over: PART X CHEKBOX" \
    "$work/lossy.adm:6: warning: passed over: END PART" >"$work/lossy.want"
cmp -s "$work/err" "$work/lossy.want" || fail "passed-over warnings: $(cat "$work/err")"
grep -q "POLICY \"P\"" "$work/lossy-out.adm" || fail "convert with passed-over lines wrote no policy"
expect_status 0 "check with passed-over lines" "$cli" check "$work/lossy.adm"
[ -s "$work/err" ] && fail "check printed: $(cat "$work/err")"

# export: usage, the mapping report, --strict, and a failed export that replaces nothing.
expect_status 2 "export without OUTDIR" "$cli" export "$work/latin.adm"
expect_status 2 "export with a bad language" "$cli" export --lang ../x "$work/latin.adm" "$work/x"
expect_status 2 "export with an unknown option" "$cli" export --frob "$work/latin.adm" "$work/x"
expect_status 1 "export of a missing file" "$cli" export "$work/missing.adm" "$work/x"
[ -e "$work/x" ] && fail "export of a missing file made OUTDIR"
printf 'CLASS MACHINE\n#if version >= 3\nCATEGORY !!Cat\n POLICY "Pol" KEYNAME "K" VALUENAME "v" END POLICY\nEND CATEGORY\n#endif\n[strings]\nCat="A & B"\n' >"$work/ver.adm"
expect_status 0 "export" "$cli" export --lang de-DE "$work/ver.adm" "$work/exp"
[ -s "$work/exp/ver.admx" ] && [ -s "$work/exp/de-DE/ver.adml" ] || fail "export did not write both files"
grep -qx "$work/ver.adm:2: warning: not exported: #if version >= 3 (what it holds is exported without the condition)" "$work/err" ||
    fail "export report: $(cat "$work/err")"
grep -q '<string id="Cat">A &amp; B</string>' "$work/exp/de-DE/ver.adml" || fail "export strings"
cp "$work/exp/ver.admx" "$work/ver.before"
expect_status 1 "export --strict" "$cli" export --strict --lang de-DE "$work/ver.adm" "$work/exp"
cmp -s "$work/exp/ver.admx" "$work/ver.before" || fail "a refused export changed OUTDIR"
printf 'CLASS MACHINE\nCATEGORY "C"\n POLICY "P" KEYNAME "K" VALUENAME "v" VALUEON NUMERIC x END POLICY\nEND CATEGORY\n' >"$work/bad.adm"
expect_status 1 "export of a value ADMX cannot hold" "$cli" export "$work/bad.adm" "$work/exp"
grep -qx "$work/bad.adm:3: error: cannot export NUMERIC x of POLICY P is not a 32-bit number" "$work/err" ||
    fail "export error: $(cat "$work/err")"
[ -e "$work/exp/bad.admx" ] && fail "a failed export wrote a file"


# lint: findings on standard output, the counts on standard error, warnings alone pass.
printf 'CLASS MACHINE\r\n CATEGORY Cat\r\n  KEYNAME K\r\n  POLICY P\r\n  END POLICY\r\n END CATEGORY\r\n' >"$work/warn.adm"
expect_status 0 "lint with a warning" "$cli" lint "$work/warn.adm"
grep -qx "$work/warn.adm:4: warning: policy \"P\" writes nothing: it has no value name, no part and no action list \[empty-policy\]" "$work/out" ||
    fail "lint finding: $(cat "$work/out")"
grep -qx "0 errors, 1 warnings" "$work/err" || fail "lint counts: $(cat "$work/err")"
cp "$work/out" "$work/lint-plain"
expect_status 1 "lint --werror with a warning" "$cli" lint --werror "$work/warn.adm"
cmp -s "$work/out" "$work/lint-plain" || fail "--werror changed the findings"
expect_status 1 "lint of a missing file" "$cli" lint "$work/missing.adm"
grep -q "No such file or directory" "$work/err" || fail "lint read failure: $(cat "$work/err")"
expect_status 1 "lint of a template left open" "$cli" lint "$work/open.adm"
grep -q "open.adm:2: error: Unexpected end of template file while reading category Cat \[read-message\]" "$work/out" ||
    fail "lint read message: $(cat "$work/out")"
expect_status 2 "lint without file" "$cli" lint
expect_status 2 "find without file" "$cli" find pattern
expect_status 1 "find without a match" "$cli" find nosuchthing "$work/warn.adm"
expect_status 0 "find a policy" "$cli" find p "$work/warn.adm"
grep -qx "$work/warn.adm:4: MACHINE > Cat > P: K" "$work/out" || fail "find output: $(cat "$work/out")"

# translations: a language's file beside the template; export, an unchanged import that
# writes nothing, refused imports that change nothing, a new language made by an import.
mkdir "$work/tr"
printf 'CLASS MACHINE\r\n CATEGORY !!Cat\r\n  POLICY !!Pol\r\n   KEYNAME K\r\n   VALUENAME V\r\n  END POLICY\r\n END CATEGORY\r\n[strings]\r\nCat=Category\r\nPol=Policy\r\n' >"$work/tr/app-en-US.adm"
printf 'CLASS MACHINE\r\n CATEGORY !!Cat\r\n  POLICY !!Pol\r\n   KEYNAME K\r\n   VALUENAME V\r\n  END POLICY\r\n END CATEGORY\r\n[strings]\r\nCat=Kategorie\r\n' >"$work/tr/app-de-DE.adm"
cp "$work/tr/app-de-DE.adm" "$work/tr/de.before"
expect_status 2 "translations without a command" "$cli" translations
expect_status 2 "translations export without --lang" "$cli" translations export "$work/tr/app-en-US.adm" "$work/tr/x.xlf"
expect_status 0 "translations status" "$cli" translations status "$work/tr/app-en-US.adm"
grep -qx "de-DE: 1 missing, 0 untranslated, 0 stale, 1 translated" "$work/out" ||
    fail "translations status: $(cat "$work/out")"
expect_status 0 "translations export" "$cli" translations export "$work/tr/app-en-US.adm" --lang de-DE "$work/tr/de.xlf"
grep -q '<target state="translated">Kategorie</target>' "$work/tr/de.xlf" || fail "exported XLIFF: $(cat "$work/tr/de.xlf")"
expect_status 0 "translations import unchanged" "$cli" translations import "$work/tr/app-en-US.adm" "$work/tr/de.xlf"
cmp -s "$work/tr/app-de-DE.adm" "$work/tr/de.before" || fail "an unchanged import changed the file"
sed 's/id="Pol"/id="Gone"/' "$work/tr/de.xlf" >"$work/tr/unknown.xlf"
expect_status 1 "translations import of an unknown id" "$cli" translations import "$work/tr/app-en-US.adm" "$work/tr/unknown.xlf"
grep -q "1 id of the file is not in the template (Gone)" "$work/err" || fail "unknown id message: $(cat "$work/err")"
head -c 200 "$work/tr/de.xlf" >"$work/tr/broken.xlf"
expect_status 1 "translations import of broken XML" "$cli" translations import "$work/tr/app-en-US.adm" "$work/tr/broken.xlf"
cmp -s "$work/tr/app-de-DE.adm" "$work/tr/de.before" || fail "a refused import changed the file"
sed 's|<source>Policy</source>|<source>Policy</source><target>Richtlinie</target>|; s/de-DE/fr-FR/' "$work/tr/de.xlf" >"$work/tr/fr.xlf"
expect_status 0 "translations import of a new language" "$cli" translations import "$work/tr/app-en-US.adm" "$work/tr/fr.xlf"
expect_status 0 "translations status with French" "$cli" translations status "$work/tr/app-en-US.adm"
grep -qx "fr-FR: 0 missing, 0 untranslated, 0 stale, 2 translated" "$work/out" ||
    fail "new language by import: $(cat "$work/out")"
cmp -s "$work/tr/app-de-DE.adm" "$work/tr/de.before" || fail "importing French changed German"

# translations over an ADMX set: its ADMLs are its languages; an unchanged import and the
# refused ones leave every file as it was, a changed text changes its ADML alone.
if [ -f "$corpus/admx-sets/wsl/WSL.admx" ]; then
    cp -r "$corpus/admx-sets/wsl" "$work/wsl" && chmod -R u+w "$work/wsl" && cp -r "$work/wsl" "$work/wsl.before"
    expect_status 0 "translations status of an ADMX set" "$cli" translations status "$work/wsl/WSL.admx"
    [ "$(grep -c '^[a-z][a-z]-[A-Z][A-Z]: 0 missing, ' "$work/out")" -eq 21 ] || fail "ADMX set translations: $(cat "$work/out")"
    expect_status 0 "translations export of an ADMX language" "$cli" translations export "$work/wsl/WSL.admx" --lang de-DE "$work/wsl.xlf"
    expect_status 0 "translations import unchanged into an ADMX set" "$cli" translations import "$work/wsl/WSL.admx" "$work/wsl.xlf"
    sed 's/id="AllowWSL"/id="Gone"/' "$work/wsl.xlf" >"$work/wsl-unknown.xlf"
    expect_status 1 "translations import of an unknown id into an ADMX set" "$cli" translations import "$work/wsl/WSL.admx" "$work/wsl-unknown.xlf"
    head -c 300 "$work/wsl.xlf" >"$work/wsl-broken.xlf"
    expect_status 1 "translations import of broken XML into an ADMX set" "$cli" translations import "$work/wsl/WSL.admx" "$work/wsl-broken.xlf"
    diff -r "$work/wsl" "$work/wsl.before" >/dev/null || fail "an unchanged or refused import changed the set"
    sed 's|>Windows Subsystem for Linux zulassen<|>WSL zulassen<|' "$work/wsl.xlf" >"$work/wsl-changed.xlf"
    expect_status 0 "translations import of a changed text into an ADMX set" "$cli" translations import "$work/wsl/WSL.admx" "$work/wsl-changed.xlf"
    [ "$(diff -r "$work/wsl" "$work/wsl.before" | grep -c '^[<>]')" -eq 2 ] && grep -q '>WSL zulassen<' "$work/wsl/de-DE/WSL.adml" ||
        fail "an import changed more than its text: $(diff -r "$work/wsl" "$work/wsl.before" | head)"
fi

if [ -d "$corpus" ]; then
    expect_status 0 "translations status of the corpus's five languages" "$cli" translations status "$corpus/chrome-en-US.adm"
    [ "$(grep -c ' 0 missing, .* translated$' "$work/out")" -eq 4 ] || fail "corpus translations: $(cat "$work/out")"
    expect_status 0 "find --key in the corpus" "$cli" find --key DefaultClipboardSetting "$corpus/chrome-en-US.adm"
    grep -qxF "$corpus/chrome-en-US.adm:147: MACHINE > Google > Google Chrome > Content settings > Default clipboard setting > Default clipboard setting: Software\\Policies\\Google\\Chrome\\DefaultClipboardSetting" "$work/out" ||
        fail "find --key in the corpus: $(head -3 "$work/out")"

    for f in "$corpus"/*.adm; do
        expect_status 0 "lint $(basename "$f")" "$cli" lint "$f"
        expect_status 0 "check $(basename "$f")" "$cli" check "$f"
        [ -s "$work/err" ] && fail "check $(basename "$f") printed: $(head -3 "$work/err")"
        expect_status 0 "convert $(basename "$f")" "$cli" convert "$f" "$work/a.adm"
        expect_status 0 "convert again $(basename "$f")" "$cli" convert "$work/a.adm" "$work/b.adm"
        cmp -s "$work/a.adm" "$work/b.adm" || fail "round trip of $(basename "$f") is not a fixed point"
        name=$(basename "$f" .adm)
        expect_status 0 "export $name" "$cli" export "$f" "$work/admx"
        [ -s "$work/err" ] && fail "export $name printed: $(head -3 "$work/err")"
        if command -v xmllint >/dev/null; then
            xmllint --noout "$work/admx/$name.admx" "$work/admx/en-US/$name.adml" ||
                fail "xmllint refuses the export of $name"
        fi
    done
    compare=$corpus/../tools/admx-compare
    if [ -x "$compare" ] && [ -f "$corpus/admx/chrome.admx" ]; then
        result=$("$compare" "$corpus/admx/chrome.admx" "$corpus/admx/en-US/chrome.adml" \
            "$work/admx/chrome-en-US.admx" "$work/admx/en-US/chrome-en-US.adml" | tail -1)
        matched=$(echo "$result" | awk '{print $2}')
        [ "${matched:-0}" -ge 530 ] || fail "export against the vendor's ADMX: $result"
    fi
else
    echo "corpus folder absent: real-world templates skipped"
fi

if [ "$failures" -eq 0 ]; then
    echo "cli: all checks passed"
    exit 0
fi
exit 1
