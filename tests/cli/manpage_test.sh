#!/usr/bin/env bash
# The manual page: it renders without a warning, says what --help says (every command's
# synopsis and text), lists every lint rule, and its installed copy is the same page.
set -u
cli=$1
page=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

command -v man >/dev/null || { echo "FAIL: no man (install man-db and groff-base: scripts/setup.sh)"; exit 1; }
(cd "$(dirname "$page")" && LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat man --warnings "./$(basename "$page")") \
    >"$work/page" 2>"$work/warnings"
[ -s "$work/page" ] || fail "man rendered nothing"
[ -s "$work/warnings" ] && fail "man warns: $(head -5 "$work/warnings")"

# One line of words, so that the comparison does not depend on where lines break.
flat() { tr -s ' \n' '  '; }
flat <"$work/page" >"$work/page.flat"
"$cli" --help >"$work/help" || fail "--help failed"
# Each command's entry: its synopsis line and the indented lines after it.
awk '/^  tessary-cli /{ if (entry) print entry; entry = $0; next }
     /^      /{ entry = entry " " $0; next }
     { if (entry) print entry; entry = "" }
     END { if (entry) print entry }' "$work/help" >"$work/entries"
[ "$(wc -l <"$work/entries")" -ge 5 ] || fail "--help lists fewer than five commands"
while IFS= read -r entry; do
    words=$(printf '%s' "$entry" | flat | sed 's/^ //')
    grep -qF -- "$words" "$work/page.flat" || fail "the page lacks: $words"
done <"$work/entries"

printf 'CLASS MACHINE\n' >"$work/t.adm"
"$cli" lint --format sarif "$work/t.adm" 2>/dev/null | grep -o '"id": "[a-z-]*"' | cut -d'"' -f4 >"$work/rules"
[ -s "$work/rules" ] || fail "no rule list from lint --format sarif"
sed -n '/^LINT RULES/,/^[A-Z]/p' "$work/page" >"$work/rules-section"
while read -r rule; do
    grep -qE "^ +$rule \((error|warning)\)$" "$work/rules-section" || fail "the page does not list the rule $rule"
done <"$work/rules"

if [ -f "$page.gz" ]; then
    gzip -dc "$page.gz" | cmp -s - "$page" || fail "$page.gz is not the page"
fi

if [ "$failures" -eq 0 ]; then
    echo "manpage: all checks passed"
    exit 0
fi
exit 1
