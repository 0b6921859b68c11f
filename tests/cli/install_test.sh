#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that a desktop finds the editor:
# both programs, the manual page, the menu entry (opening no file from its command line) and
# the icons.
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$work/usr" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
(cd "$work/usr" && find . -type f | sort)

want=(bin/tessary-cli share/doc/tessary/copyright)
[ -f "$build/changelog.gz" ] && want+=(share/doc/tessary/changelog.gz)
[ -f "$build/cli/tessary-cli.1.gz" ] && want+=(share/man/man1/tessary-cli.1.gz)
if [ -f "$build/tessary" ]; then
    want+=(bin/tessary share/applications/tessary.desktop share/icons/hicolor/scalable/apps/tessary.svg)
    for size in 16 32 48 64 128 256; do
        want+=("share/icons/hicolor/${size}x${size}/apps/tessary.png")
    done
fi
for f in "${want[@]}"; do
    [ -f "$work/usr/$f" ] || fail "$f is not installed"
done
[ -x "$work/usr/bin/tessary-cli" ] || fail "tessary-cli is not executable"

desktop=$work/usr/share/applications/tessary.desktop
if [ -f "$desktop" ]; then
    grep -qx 'Name=Tessary' "$desktop" || fail "desktop entry is not named Tessary"
    grep -qx 'Categories=Development;Utility;' "$desktop" || fail "desktop entry categories"
    grep -qx 'Exec=tessary' "$desktop" || fail "desktop entry passes arguments: $(grep Exec "$desktop")"
    grep -qx 'Icon=tessary' "$desktop" || fail "desktop entry names another icon"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate refused the entry"
    fi
    for size in 16 256; do
        png=$work/usr/share/icons/hicolor/${size}x${size}/apps/tessary.png
        dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
        [ "$dims" = "${size}x${size}" ] || fail "icon of ${size}x${size} is $dims"
    done
fi

if [ "$failures" -eq 0 ]; then
    echo "install: all checks passed"
    exit 0
fi
exit 1
