#!/usr/bin/env bash
# The reference site of a store of 300 sets (about 11,000 policies): copies of the corpus's
# store sample, each copy under a namespace of its own, beside the one Windows.admx their
# "windows:" references point into. Prints the time of `tessary-cli doc --site` against
# `xmllint --noout` of the same files in one process (the fastest of RUNS runs each), the
# site's and the search index's sizes and, where a Chromium is installed, the time one
# keystroke's filtering takes in the headless browser (each prefix of a word typed in turn,
# its filtering and the layout after it).
# Usage: bench/site_store.sh TESSARY_CLI [STORE_SAMPLE] [RUNS]
set -eu
. "$(dirname "$0")/benchlib.sh"
cli=$1
sample=${2:-$(dirname "$0")/../../shared/corpus/store-sample}
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
store=$work/store
mkdir -p "$store/en-US"

# The sets with policies, the large one (inetres, 935 policies) copied twice only.
copy() {  # set copy-number
    local set=$1 n=$2 adml
    adml=$(ls "$sample/en-US" | grep -ix "$set.adml")
    copy_as_new_set "$sample/$set.admx" "$store/$set-$n.admx" ".copy$n"
    cp "$sample/en-US/$adml" "$store/en-US/$set-$n.adml"
}
cp "$sample/Windows.admx" "$store/"
cp "$sample/en-US/Windows.adml" "$store/en-US/"
copy inetres 1
copy inetres 2
sets=3
n=0
while [ "$sets" -lt 300 ]; do
    n=$((n + 1))
    for set in CloudContent DataCollection LocationProviderAdm Sensors StartMenu StorageSense \
        Taskbar TerminalServer WindowsDefender WindowsSandbox WindowsUpdate; do
        [ "$sets" -lt 300 ] || break
        copy "$set" "$n"
        sets=$((sets + 1))
    done
done


files=$(ls "$store"/*.admx "$store"/en-US/*.adml)
# The policy elements, counted by an XML parser of its own (some files are UTF-16).
policies=$(python3 - "$store"/*.admx <<'PY'
import sys
import xml.etree.ElementTree as tree
print(sum(1 for name in sys.argv[1:] for element in tree.parse(name).iter()
          if element.tag.split('}')[-1] == 'policy'))
PY
)
echo "store: $(ls "$store"/*.admx | wc -l) sets, $policies policies, $(du -sk "$store" | cut -f1) KiB"
site_ms=$(fastest ms "$cli" doc --site "$work/site" "$store")
# shellcheck disable=SC2086
xml_ms=$(fastest ms xmllint --noout $files)
echo "doc --site: $site_ms ms; xmllint --noout of the same files: $xml_ms ms; ratio $(awk -v a="$site_ms" -v b="$xml_ms" 'BEGIN { printf "%.1f", a / b }')"
# On a busy machine the time spent on the processor tells more than the time on the clock.
cpu() { /usr/bin/time -f "%U s user + %S s system, %M KiB peak" "$@" 2>&1 >/dev/null | tail -1; }
echo "doc --site: $(cpu "$cli" doc --site "$work/site" "$store")"
# shellcheck disable=SC2086
echo "xmllint:    $(cpu xmllint --noout $files)"
echo "site: $(find "$work/site/policies" -type f | wc -l) policy pages, $(find "$work/site" -type f | wc -l) files, $(du -sk "$work/site" | cut -f1) KiB;" \
    "index.html $(($(stat -c %s "$work/site/index.html") / 1024)) KiB;" \
    "search-index.js $(($(stat -c %s "$work/site/search-index.js") / 1024)) KiB"

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
    echo "no chromium: the keystroke is not measured"
    exit 0
fi
# The index page with a script that types each word letter by letter, as a person would, five
# times over: each keystroke's time is the fastest of its five, as the times of the commands
# above are, so that other work of the machine does not count.
sed 's|</body>|<script src="typing.js"></script>\n</body>|' "$work/site/index.html" >"$work/site/bench.html"
cat >"$work/site/typing.js" <<'JS'
(function () {
  var input = document.getElementById("q");
  var words = ["windows", "defer", "DeferFeatureUpdates", "proxy server", "e"];
  var times = [];
  for (var run = 0; run < 5; run++) {
    var k = 0;
    words.forEach(function (word) {
      input.value = "";
      input.dispatchEvent(new Event("input"));
      void document.body.offsetHeight;
      for (var i = 1; i <= word.length; i++, k++) {
        var start = performance.now();
        input.value = word.slice(0, i);
        input.dispatchEvent(new Event("input"));
        void document.body.offsetHeight;
        var took = performance.now() - start;
        times[k] = run ? Math.min(times[k], took) : took;
      }
    });
  }
  var sum = times.reduce(function (a, b) { return a + b; }, 0);
  var out = document.createElement("pre");
  out.id = "bench";
  times.sort(function (a, b) { return a - b; });
  out.textContent = "keystrokes " + times.length + ": median " +
    times[times.length >> 1].toFixed(1) + " ms, 90th percentile " +
    times[Math.floor(times.length * 0.9)].toFixed(1) + " ms, max " +
    times[times.length - 1].toFixed(1) + " ms, mean " + (sum / times.length).toFixed(1) + " ms";
  document.body.appendChild(out);
})();
JS
"$browser" --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --user-data-dir="$work/profile" \
    --virtual-time-budget=20000 --dump-dom "file://$work/site/bench.html" 2>/dev/null |
    grep -o 'keystrokes [^<]*' | sed 's/^/browser: /'
