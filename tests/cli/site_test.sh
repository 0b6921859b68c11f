#!/usr/bin/env bash
# `tessary-cli doc --site` and `tessary-cli diff --store` as whole processes, on the corpus's
# store sample (skipped when absent). Where a Chromium is installed, the site is opened in it
# headless: a search given in the address lists the policy with a link to its page.
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

store=$corpus/store-sample
if [ ! -d "$store" ]; then
    echo "SKIP: no store sample at $store"
    exit 0
fi

# diff --store: as diff(1), 0 the same, 1 different, 2 trouble.
"$cli" diff --store "$store" "$store" >"$work/out" 2>"$work/err"
[ $? -eq 0 ] || fail "diff --store of a store with itself: $(head -3 "$work/err")"
[ -s "$work/out" ] && fail "diff --store of a store with itself printed lines"
mkdir -p "$work/older/en-US"
for set in WindowsUpdate Windows; do
    cp "$store/$set.admx" "$work/older/"
    cp "$store/en-US/$set.adml" "$work/older/en-US/"
done
# The older store has a policy the newer lacks; every other policy of the newer is new.
sed -i 's/valueName="DeferFeatureUpdates"/valueName="DeferFeatureUpdatesOld"/' \
    "$work/older/WindowsUpdate.admx"
"$cli" diff --store "$work/older" "$store" >"$work/out" 2>"$work/err"
[ $? -eq 1 ] || fail "diff --store of two stores: not exit 1 ($(head -3 "$work/err"))"
grep -q '^- MACHINE > .*: .*\\DeferFeatureUpdatesOld$' "$work/out" ||
    fail "diff --store lacks the removed policy"
grep -q '^+ MACHINE > .*\\DeferFeatureUpdates$' "$work/out" ||
    fail "diff --store lacks the added policy"
grep -q '^~ ' "$work/out" && fail "diff --store changed a policy that did not change"
"$cli" diff --store "$store/WindowsUpdate.admx" "$store" >/dev/null 2>"$work/err"
[ $? -eq 2 ] || fail "diff --store of a file is no usage error"

# doc --site: no message, one page per policy, nothing loaded from outside the folder.
"$cli" doc --site "$work/site" --lang en-US --compare "$work/older" "$store" >"$work/out" 2>"$work/err"
[ $? -eq 0 ] || fail "doc --site failed: $(head -3 "$work/err")"
[ -s "$work/err" ] && fail "doc --site said: $(head -3 "$work/err")"
pages=$(find "$work/site/policies" -name '*.html' | wc -l)
# The policy elements of the ADMX files, counted by an XML parser of its own.
policies=$(python3 - "$store"/*.admx <<'PY'
import sys
import xml.etree.ElementTree as tree
print(sum(1 for name in sys.argv[1:] for element in tree.parse(name).iter()
          if element.tag.split('}')[-1] == 'policy'))
PY
)
[ "$pages" -eq "$policies" ] || fail "$pages policy pages for $policies policies"
grep -q "^$pages policy pages of 15 templates" "$work/out" || fail "summary: $(cat "$work/out")"
grep -rliE '(src|href)="?(https?:|//)' "$work/site" && fail "a page refers outside the site"
for file in index.html style.css site.js search-index.js changes.html; do
    [ -s "$work/site/$file" ] || fail "no $file"
done
grep -q 'changed since\|Changed since\|New since' "$work/site"/policies/WindowsUpdate.*.html ||
    fail "no policy page is marked against the older store"
"$cli" doc --site "$work/site2" --format html "$store" >/dev/null 2>&1
[ $? -eq 2 ] || fail "doc --site with --format is no usage error"

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "SKIP: no chromium: the site is not opened in a browser"
else
    "$browser" --headless --no-sandbox --disable-gpu --disable-background-networking \
        --disable-component-update --disable-sync --no-first-run \
        --user-data-dir="$work/profile" --virtual-time-budget=5000 \
        --dump-dom "file://$work/site/index.html?q=DeferFeatureUpdates" \
        >"$work/dom" 2>/dev/null
    grep -q '<a href="policies/WindowsUpdate.DeferFeatureUpdates.html">' "$work/dom" ||
        fail "the browser's search lists no link to the policy's page"
    grep -q 'id="tree" hidden' "$work/dom" || fail "the tree stays shown beside the matches"
fi

[ "$failures" -eq 0 ] && echo "all site checks passed"
exit "$failures"
