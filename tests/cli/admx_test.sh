#!/usr/bin/env bash
# tessary-cli over ADMX sets as whole processes: lint's rules on the small sets made for them
# (tests/cli/admx-lint/RULE, each with the findings expected), check, convert both ways, find
# and export, the bad inputs, and every ADMX set of the corpus when it is there.
set -u
cli=$1
sets=$2
corpus=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# ---- lint: each rule's fault in its own set ------------------------------------------------
for dir in "$sets"/*/; do
    rule=$(basename "$dir")
    want=0
    grep -q ': error: ' "$dir/expected" && want=1
    (cd "$dir" && "$cli" lint lint.admx >"$work/lint.out" 2>"$work/lint.err")
    got=$?
    [ "$got" -eq "$want" ] || fail "lint $rule: exit $got, expected $want"
    cmp -s "$work/lint.out" "$dir/expected" ||
        fail "lint $rule: $(diff "$dir/expected" "$work/lint.out")"
    [ "$rule" = clean ] || grep -q "\[$rule\]$" "$work/lint.out" || fail "lint $rule: rule not reported"
done

# The admx-schema set mended, fault by fault: nothing of the rule is left.
mkdir -p "$work/mended/en-US"
sed -e 's/schemaVersion="1"/schemaVersion="1.0"/' -e 's/ Area="Lint"//' \
    -e '13a\      <supportedOn ref="windows:SUPPORTED_Windows7"/>' \
    -e 's/"35378EAC-683F-11D2-A89A-00C04FBBCFA2"/"{35378EAC-683F-11D2-A89A-00C04FBBCFA2}"/' \
    -e '16{h;d}' -e '17G' -e 's|<decimal value="2"/>||' -e '/<comment>/d' \
    "$sets/admx-schema/lint.admx" >"$work/mended/lint.admx"
sed -e '3a\  <description>Lint</description>' "$sets/admx-schema/en-US/lint.adml" >"$work/mended/en-US/lint.adml"
"$cli" lint "$work/mended/lint.admx" >"$work/out" 2>&1 || fail "lint of the mended admx-schema set: $(cat "$work/out")"
grep -q 'admx-schema' "$work/out" && fail "the mended admx-schema set: $(cat "$work/out")"

# Every ADMX rule of lint's rule list (as the manual page lists them) has its set.
for rule in $("$cli" lint --format sarif "$sets/clean/lint.admx" 2>/dev/null |
    grep -o '"id": *"\(xml\|admx-[a-z-]*\)"' | sed 's/.*"\([^"]*\)"$/\1/'); do
    [ -d "$sets/$rule" ] || fail "the rule $rule has no set under $sets"
done

# ---- check, convert, find, export on a small set ----------------------------------------------
clean="$sets/clean/lint.admx"
"$cli" check "$clean" >"$work/out" 2>&1 || fail "check of a clean set: $(cat "$work/out")"
[ -s "$work/out" ] && fail "check of a clean set printed: $(cat "$work/out")"

"$cli" convert "$clean" "$work/again/set.admx" 2>"$work/err" || fail "convert to ADMX: $(cat "$work/err")"
cmp -s "$work/again/set.admx" "$clean" || fail "convert to ADMX changed the ADMX file"
cmp -s "$work/again/en-US/set.adml" "$sets/clean/en-US/lint.adml" || fail "convert to ADMX changed the ADML file"

"$cli" convert "$clean" "$work/set.adm" 2>"$work/err" || fail "convert to ADM: $(cat "$work/err")"
grep -qx "$clean:14: warning: not converted: the supportedOn reference windows:SUPPORTED_Windows7 of policy Pol, which another file defines" "$work/err" ||
    fail "convert to ADM report: $(cat "$work/err")"
"$cli" check "$work/set.adm" >"$work/out" 2>&1 || fail "check of the converted template"
[ -s "$work/out" ] && fail "check of the converted template printed: $(cat "$work/out")"
"$cli" convert --format ascii --lang en-US "$clean" "$work/ascii.adm" 2>/dev/null || fail "convert to ASCII ADM"
head -c 5 "$work/ascii.adm" | grep -q CLASS || fail "convert --format ascii wrote no 8-bit template"
"$cli" convert --lang de-DE "$clean" "$work/de.adm" >/dev/null 2>"$work/err" && fail "convert in a missing language"
grep -q "de-DE" "$work/err" || fail "missing language message: $(cat "$work/err")"
[ -e "$work/de.adm" ] && fail "convert in a missing language wrote OUT"
"$cli" convert --format ascii "$clean" "$work/x.admx" 2>/dev/null
[ $? -eq 2 ] || fail "--format with an ADMX OUT is not a usage error"

# From ADM to ADMX: the export, named after OUT.
"$cli" convert "$work/set.adm" "$work/exported/named.admx" 2>"$work/err" || fail "ADM to ADMX: $(cat "$work/err")"
[ -s "$work/exported/named.admx" ] && [ -s "$work/exported/en-US/named.adml" ] ||
    fail "ADM to ADMX did not write both files"
"$cli" check "$work/exported/named.admx" >"$work/out" 2>&1 || fail "the exported set does not read: $(cat "$work/out")"

"$cli" find Policy "$clean" >"$work/out" || fail "find in a set"
grep -qx "$clean:12: MACHINE > Category > Policy: Software\\\\Lint\\\\On" "$work/out" || fail "find: $(cat "$work/out")"
"$cli" export "$clean" "$work/exp" 2>"$work/err" || fail "export of a set: $(cat "$work/err")"
cmp -s "$work/exp/lint.admx" "$clean" && cmp -s "$work/exp/en-US/lint.adml" "$sets/clean/en-US/lint.adml" ||
    fail "export of a set did not write it again"

# ---- bad input: a message naming file and line, a failed read, nothing written ---------------
bad() {  # name, ADMX text, ADML text (none: no language folder), expected start of a message
    local name=$1 admx=$2 adml=$3 want=$4
    mkdir -p "$work/bad/$name"
    printf '%s' "$admx" >"$work/bad/$name/x.admx"
    if [ -n "$adml" ]; then
        mkdir -p "$work/bad/$name/en-US"
        printf '%s' "$adml" >"$work/bad/$name/en-US/x.adml"
    fi
    "$cli" check "$work/bad/$name/x.admx" >/dev/null 2>"$work/err"
    [ $? -eq 1 ] || fail "bad input $name: check did not fail"
    grep -q "^$want" "$work/err" || fail "bad input $name: $(cat "$work/err")"
    "$cli" convert "$work/bad/$name/x.admx" "$work/bad/$name/out/x.admx" >/dev/null 2>&1 &&
        fail "bad input $name: convert succeeded"
    [ -e "$work/bad/$name/out" ] && fail "bad input $name: convert wrote something"
}
adml=$(cat "$sets/clean/en-US/lint.adml")
good=$(cat "$clean")
bad not-well-formed "${good/<\/categories>/</category>}" "$adml" "$work/bad/not-well-formed/x.admx:10: the XML is not well-formed"
deep=$(printf '<a>%.0s' $(seq 100000))
bad deep "<policyDefinitions>$deep" "$adml" "$work/bad/deep/x.admx:1: the elements are nested more than 1000 levels deep"
laughs='<?xml version="1.0"?>
<!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">]>
<policyDefinitions>&lol2;</policyDefinitions>'
bad laughs "$laughs" "$adml" "$work/bad/laughs/x.admx:2: a document type declaration"
mkdir -p "$work/bad/huge/en-US"
printf '%s' "$adml" >"$work/bad/huge/en-US/x.adml"
printf '%s' "$good" >"$work/bad/huge/x.admx"
truncate -s 2G "$work/bad/huge/en-US/x.adml"
"$cli" check "$work/bad/huge/x.admx" >/dev/null 2>"$work/err" && fail "a 2 GB ADML was read"
grep -q "$work/bad/huge/en-US/x.adml" "$work/err" && grep -q "larger than 1 GiB" "$work/err" ||
    fail "2 GB ADML message: $(cat "$work/err")"

# ---- broken sets open: each fault a warning of the read at lint's line ------------------------
broken() {  # name, ADMX text, ADML text (none: no language folder), expected warning
    local name=$1 admx=$2 adml=$3 want=$4 dir=$work/broken/$1
    mkdir -p "$dir"
    printf '%s' "$admx" >"$dir/x.admx"
    if [ -n "$adml" ]; then
        mkdir -p "$dir/en-US"
        printf '%s' "$adml" >"$dir/en-US/x.adml"
    fi
    "$cli" check "$dir/x.admx" >/dev/null 2>"$work/err" || fail "broken $name: check failed: $(cat "$work/err")"
    grep -qF -- "$want" "$work/err" || fail "broken $name: $(cat "$work/err")"
    "$cli" lint "$dir/x.admx" >/dev/null 2>&1
    [ $? -eq 1 ] || fail "broken $name: lint did not fail"
    "$cli" convert "$dir/x.admx" "$dir/out/x.admx" 2>/dev/null || fail "broken $name: convert failed"
    cmp -s "$dir/x.admx" "$dir/out/x.admx" || fail "broken $name: convert changed the ADMX file"
    "$cli" convert "$dir/x.admx" "$dir/x.adm" 2>/dev/null || fail "broken $name: convert to ADM failed"
}
broken no-adml "$good" "" "$work/broken/no-adml/x.admx:7: warning: no ADML file"
broken other-adml "$good" "${adml//id=\"/id=\"Other}" "$work/broken/other-adml/en-US/x.adml:2: warning: this ADML file belongs to another ADMX file"
broken nothing "${good/\$(string.Pol)/\$(string.Nothing)}" "$adml" "$work/broken/nothing/x.admx:12: warning: the string \$(string.Nothing)"

# ---- a label of two lines: one finding a line in the text form, the real text in JSON ----------
cp -r "$sets/numeric-range" "$work/lines"
sed -i 's|>Count:</decimalTextBox>|>Count\nin lines:</decimalTextBox>|' "$work/lines/en-US/lint.adml"
"$cli" lint "$work/lines/lint.admx" >"$work/out" 2>/dev/null
[ "$(wc -l <"$work/out")" -eq 1 ] || fail "a finding of a label of two lines spans lines: $(cat "$work/out")"
grep -qF 'part "Count\nin lines:"' "$work/out" || fail "the line break is not written as \\n: $(cat "$work/out")"
"$cli" lint --format json "$work/lines/lint.admx" >"$work/out" 2>/dev/null
grep -qF 'Count\nin lines:' "$work/out" && ! grep -qF 'Count\\n' "$work/out" ||
    fail "JSON does not keep the line break: $(cat "$work/out")"

# ---- lint --store: the store's rules in each format, one set joining it ----------------------
store=$work/store
mkdir -p "$store/en-US" "$store/fr-FR"
for name in a b; do
    cp "$clean" "$store/$name.admx"
    cp "$sets/clean/en-US/lint.adml" "$store/en-US/$name.adml"
done
cp "$sets/clean/en-US/lint.adml" "$store/fr-FR/a.adml"
"$cli" lint --store "$store" >"$work/out" 2>/dev/null
[ $? -eq 1 ] || fail "lint --store of a faulty store did not fail"
for want in "$store/a.admx:4: error: .*\[store-duplicate-namespace\]$" \
    "$store/b.admx:4: error: .*\[store-duplicate-namespace\]$" \
    "$store/b.admx:.*: warning: the language folder fr-FR lacks b.adml.*\[store-missing-adml\]$" \
    "$store/a.admx:5: error: .*\[store-missing-namespace\]$"; do
    grep -q "^$want" "$work/out" || fail "lint --store: no line $want in $(cat "$work/out")"
done
"$cli" lint --format sarif --store "$store" 2>/dev/null | grep -q '"ruleId": "store-duplicate-namespace"' ||
    fail "lint --store --format sarif"
"$cli" lint --format json --store "$store" 2>/dev/null | grep -q '"rule": "store-missing-namespace"' ||
    fail "lint --store --format json"
"$cli" lint "$clean" --store "$store" >"$work/out" 2>/dev/null
grep -v "^$clean:" "$work/out" && fail "lint FILE --store reported other files"
grep -q "\[store-duplicate-namespace\]$" "$work/out" || fail "lint FILE --store: $(cat "$work/out")"
"$cli" lint --store "$work/nothing-here" >/dev/null 2>&1
[ $? -eq 1 ] || fail "lint --store of no folder did not fail"
"$cli" lint a.admx b.admx --store "$store" >/dev/null 2>&1
[ $? -eq 2 ] || fail "lint --store with two files is not a usage error"

# ---- the corpus -------------------------------------------------------------------------------
if [ -d "$corpus/admx-sets" ]; then
    for admx in "$corpus"/admx/*.admx "$corpus"/admx-sets/*/*.admx; do
        name=$(basename "$admx" .admx)
        "$cli" check "$admx" >"$work/out" 2>&1 || fail "check $admx: $(cat "$work/out")"
        grep -v ': warning: ' "$work/out" >"$work/said"
        [ -s "$work/said" ] && fail "check $admx printed: $(cat "$work/said")"
        rm -rf "$work/c"
        "$cli" convert "$admx" "$work/c/$name.admx" 2>"$work/err" || fail "convert $admx: $(cat "$work/err")"
        if command -v xmllint >/dev/null; then
            for source in "$admx" "$(dirname "$admx")"/*/"$name.adml"; do
                written=$work/c/${source#"$(dirname "$admx")"/}
                [ "${source##*.}" = adml ] && written=$work/c/$(basename "$(dirname "$source")")/$name.adml
                cmp -s <(xmllint --c14n "$source") <(xmllint --c14n "$written") ||
                    fail "convert $admx: $written is not the same XML document"
            done
        fi
        "$cli" convert "$admx" "$work/c.adm" 2>/dev/null || fail "convert $admx to ADM"
        "$cli" check "$work/c.adm" >"$work/out" 2>&1 || fail "check of $admx as ADM"
        [ -s "$work/out" ] && fail "check of $admx as ADM printed: $(cat "$work/out")"
        # Nothing but warnings, but where the set itself refers to nothing.
        "$cli" lint "$admx" >"$work/out" 2>/dev/null
        grep ': error: ' "$work/out" | grep -v '\[admx-undefined-reference\]$' >"$work/errors"
        [ -s "$work/errors" ] && fail "lint $admx: $(head -3 "$work/errors")"
    done
fi

# ---- the MDM profile and the upload order --------------------------------------------------
# A set that needs nothing of the profile's passes with its prerequisite warned; the unused
# namespace of its rule's set fails it.
(cd "$sets/clean" && "$cli" lint --profile mdm lint.admx >"$work/out" 2>/dev/null) ||
    fail "lint --profile mdm of the clean set: $(cat "$work/out")"
grep -qx "lint.admx:5: warning: namespace Microsoft.Policies.Windows (prefix windows) must be imported before this file: no file given targets it; import the operating system's Windows.admx first \[mdm-prerequisite\]" "$work/out" ||
    fail "lint --profile mdm prerequisite: $(cat "$work/out")"
(cd "$sets/admx-unused-namespace" && "$cli" lint --profile mdm lint.admx >"$work/out" 2>/dev/null) &&
    fail "lint --profile mdm passed an unused namespace"
grep -q "^lint.admx:6: error: .*\[admx-unused-namespace\]$" "$work/out" ||
    fail "lint --profile mdm unused namespace: $(cat "$work/out")"
"$cli" lint --profile "$clean" >/dev/null 2>&1
[ $? -eq 2 ] || fail "lint --profile without a name is not a usage error"
"$cli" import-order >/dev/null 2>&1
[ $? -eq 2 ] || fail "import-order without files is not a usage error"
"$cli" import-order "$work/set.adm" >"$work/out" 2>"$work/err" && fail "import-order of an ADM template"
grep -q "^$work/set.adm: error: not an ADMX file" "$work/err" || fail "import-order of an ADM template: $(cat "$work/err")"
"$cli" import-order "$clean" >"$work/out" 2>"$work/err" && fail "import-order with a namespace missing"
grep -qx "$clean:5: error: namespace Microsoft.Policies.Windows (prefix windows) is targeted by none of the files given; import the operating system's Windows.admx first" "$work/err" ||
    fail "import-order with a namespace missing: $(cat "$work/err")"
[ -s "$work/out" ] && fail "import-order printed an order where there is none"

if [ -d "$corpus/admx" ]; then
    # The browser vendor's namespace file comes first, whichever order the files are given in.
    for files in "chrome.admx google.admx" "google.admx chrome.admx"; do
        (cd "$corpus/admx" && "$cli" import-order $files) >"$work/out" 2>"$work/err" ||
            fail "import-order $files: $(cat "$work/err")"
        printf 'google.admx\nchrome.admx\n' | cmp -s - "$work/out" || fail "import-order $files: $(cat "$work/out")"
    done
    (cd "$corpus/admx" && "$cli" lint --profile mdm chrome.admx google.admx) >"$work/out" 2>/dev/null
    grep -qx "chrome.admx:6: warning: namespace Google.Policies (prefix Google) must be imported before this file: import google.admx first \[mdm-prerequisite\]" "$work/out" ||
        fail "lint --profile mdm of the browser set: no prerequisite"
fi
if [ -d "$corpus/admx-sets" ]; then
    # Vendor sets under their own keys without combo boxes: no error of the profile's own.
    for admx in "$corpus"/admx/*.admx "$corpus"/admx-sets/{wsl,adobe-dc-2.18,adobe-dc-2.19}/*.admx; do
        "$cli" lint --profile mdm "$admx" 2>/dev/null | grep ': error: .*\[mdm-' >"$work/errors"
        [ -s "$work/errors" ] && fail "lint --profile mdm $admx: $(head -3 "$work/errors")"
    done
fi
if [ -d "$corpus/store-sample" ]; then
    # Every operating-system set that holds policies writes where the ingestion may not.
    for admx in "$corpus"/store-sample/*.admx; do
        case $(basename "$admx") in msedge*) continue ;; esac
        grep -q '<policy ' "$admx" || continue
        "$cli" lint --profile mdm "$admx" 2>/dev/null | grep -q ': error: .*\[mdm-blocked-key\]$' ||
            fail "lint --profile mdm $admx: no mdm-blocked-key"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "all passed"
