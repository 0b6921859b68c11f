#!/usr/bin/env bash
# The include check itself: silent on a tree whose includes run one way, and a fault for a
# core file that includes a UI file, a Qt header, and for two folders in a circle.
set -u
check="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0

expect() {  # expect STATUS WORDS
    local want=$1 got out
    out=$(python3 "$check" "$dir"); got=$?
    if [ "$got" != "$want" ] || { [ "$want" = 1 ] && ! grep -q "$2" <<<"$out"; }; then
        echo "FAIL: expected $want with '$2', got $got: $out"; fail=1
    fi
}

mkdir -p "$dir/core/model" "$dir/core/edit" "$dir/ui/tree" "$dir/cli"
echo '#include "core/model/a.h"' > "$dir/core/edit/b.h"
echo '#include <vector>' > "$dir/core/model/a.h"
echo '#include "core/edit/b.h"
#include <QTreeView>' > "$dir/ui/tree/c.h"
echo '#include "core/edit/b.h"' > "$dir/cli/main.cpp"
expect 0 ''

echo '#include "ui/tree/c.h"' >> "$dir/core/model/a.h"
expect 1 'core/model/a.h:2: core includes "ui/tree/c.h"'
echo '#include <vector>' > "$dir/core/model/a.h"

echo '#include <QString>' >> "$dir/core/model/a.h"
expect 1 'Qt header <QString>'
echo '#include <vector>' > "$dir/core/model/a.h"

echo '#include "core/edit/b.h"' >> "$dir/core/model/a.h"
expect 1 'core/edit -> core/model (core/edit/b.h:1), core/model -> core/edit'
echo '#include <vector>' > "$dir/core/model/a.h"

echo '#include "ui/tree/c.h"' >> "$dir/cli/main.cpp"
expect 1 'cli includes "ui/tree/c.h"'

[ $fail = 0 ] && echo "include check: all cases as expected"
exit $fail
