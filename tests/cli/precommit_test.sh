#!/usr/bin/env bash
# The pre-commit hook of .pre-commit-hooks.yaml, run by pre-commit itself on a repository of
# templates: it lints the staged .adm and .admx files (whatever the case of the extension),
# leaves other files alone, and fails on a warning.
set -u
cli=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
if ! command -v pre-commit >/dev/null || ! command -v git >/dev/null; then
    echo "pre-commit or git is not installed: skipped"
    exit 0
fi
# The hook runs tessary-cli from PATH; try-repo runs the hooks of the committed state of a
# repository, so the hook file goes into a repository of its own.
mkdir -p "$work/bin" "$work/hooks" "$work/repo"
ln -s "$cli" "$work/bin/tessary-cli"
export PATH="$work/bin:$PATH" PRE_COMMIT_HOME="$work/cache" HOME="$work"
git_quiet() { git -c user.name=t -c user.email=t@localhost -c init.defaultBranch=main "$@" >/dev/null 2>&1; }
cp "$source/.pre-commit-hooks.yaml" "$work/hooks/"
(cd "$work/hooks" && git_quiet init && git_quiet add . && git_quiet commit -m hooks) || fail "hook repository"

cd "$work/repo" && git_quiet init
printf 'CLASS MACHINE\n CATEGORY C\n  KEYNAME K\n  POLICY P\n   VALUENAME v\n  END POLICY\n END CATEGORY\n' >clean.ADM
cp "$source/tests/cli/admx-lint/clean/lint.admx" policies.admx
mkdir en-US && cp "$source/tests/cli/admx-lint/clean/en-US/lint.adml" en-US/policies.adml
printf 'not a template\n' >notes.txt
git add clean.ADM policies.admx en-US/policies.adml notes.txt
try() { pre-commit try-repo "$work/hooks" tessary-lint "$@" >"$work/out" 2>&1; }
try || fail "the hook failed on a clean template: $(cat "$work/out")"
grep -q "tessary-cli lint.*Passed" "$work/out" || fail "the hook did not run: $(cat "$work/out")"

printf 'CLASS MACHINE\n CATEGORY C\n  KEYNAME K\n  POLICY P\n  END POLICY\n END CATEGORY\n' >warn.adm
git add warn.adm
try && fail "the hook passed a template with a warning"
grep -q "warn.adm:4: warning: .*\[empty-policy\]" "$work/out" || fail "the hook's output: $(cat "$work/out")"
grep -q "notes.txt" "$work/out" && fail "the hook looked at a file that is no template"

if [ "$failures" -eq 0 ]; then
    echo "pre-commit hook: all checks passed"
    exit 0
fi
exit 1
