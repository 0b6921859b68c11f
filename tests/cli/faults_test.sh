#!/usr/bin/env bash
# Bad inputs and failing saves, run through tessary-cli as a whole process: each case checks
# the exit status, the message, and that the file that was there before is byte-identical.
# Cases that need what this machine or user cannot set up (the superuser's mounts, a second
# user) are skipped with a line saying so.
set -u
cli=$(readlink -f "$1")
corpus=$2
work=$(mktemp -d)
mounts=()
cleanup() {
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
    chmod -R u+w "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
passed=0
skipped=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
skip() {
    echo "SKIP: $*"
    skipped=$((skipped + 1))
}
root() { [ "$(id -u)" -eq 0 ]; }

# run WANT-STATUS WHAT command...: the status, with standard error in $work/err.
run() {
    local want=$1 what=$2
    shift 2
    timeout 20 "$@" >"$work/out" 2>"$work/err"
    local got=$?
    if [ "$got" -ne "$want" ]; then
        fail "$what: exit $got, expected $want ($(head -c 300 "$work/err"))"
        return 1
    fi
    passed=$((passed + 1))
}
expect_message() {  # what text
    grep -qF -- "$2" "$work/err" || fail "$1: message $(cat "$work/err"), expected $2"
}
# Keeps a copy of a file to compare with after the case.
keep() { cp -p "$1" "$work/kept"; }
unchanged() {  # what file
    cmp -s "$work/kept" "$2" || fail "$1: $2 changed"
}

printf 'CLASS MACHINE\r\n  CATEGORY "Cat"\r\n    POLICY "Pol"\r\n      KEYNAME "K"\r\n' >"$work/in.adm"
printf '      VALUENAME "V"\r\n    END POLICY\r\n  END CATEGORY\r\n' >>"$work/in.adm"
precious() { printf 'CLASS USER\r\n' >"$1"; }

# ---- Reading what is no regular file, or too much -------------------------------------
mkfifo "$work/fifo"
run 1 "check of a FIFO" "$cli" check "$work/fifo" &&
    expect_message "check of a FIFO" " Error \"Not a regular file\" on file $work/fifo."
run 1 "check of /dev/zero" "$cli" check /dev/zero &&
    expect_message "check of /dev/zero" "Not a regular file"
run 1 "check of a folder" "$cli" check "$work" && expect_message "check of a folder" "Is a directory"
truncate -s 1100M "$work/huge.adm"
run 1 "check of a file over 1 GiB" "$cli" check "$work/huge.adm" &&
    expect_message "check of a file over 1 GiB" "File larger than 1 GiB"
rm -f "$work/huge.adm"

# Memory running out while reading is a failed read with a message, never an abort.
yes 'CLASS MACHINE' | head -c 40000000 >"$work/many.adm"
if (ulimit -v 300000 && "$cli" --help >/dev/null 2>&1); then
    run 1 "read that runs out of memory" bash -c "ulimit -v 300000; exec '$cli' check '$work/many.adm'" &&
        expect_message "read that runs out of memory" "not enough memory"
else
    skip "running out of memory: this build cannot run under a memory limit (sanitizers)"
fi
rm -f "$work/many.adm"

# ---- Inputs that hold no template ------------------------------------------------------
head -c 4096 /dev/urandom | tr -d '\n;/' >"$work/garbage.bin"
printf '\xff\xfe' >"$work/bom.adm"
for input in garbage.bin bom.adm; do
    precious "$work/target.adm"
    keep "$work/target.adm"
    run 1 "convert of $input" "$cli" convert "$work/$input" "$work/target.adm" &&
        expect_message "convert of $input" "$work/$input: nothing in this file was read as a template"
    unchanged "convert of $input" "$work/target.adm"
done
# A lone byte-order mark holds nothing of a template, as an empty file does.
run 1 "check of a lone byte-order mark" "$cli" check "$work/bom.adm"
printf '; only a comment\r\n' >"$work/comment.adm"
run 0 "convert of a comment-only file" "$cli" convert "$work/comment.adm" "$work/c.adm"
printf '[strings]\r\nhello="Hallo"\r\n' >"$work/strings.adm"
run 0 "convert of a strings-only file" "$cli" convert --format ascii "$work/strings.adm" "$work/s.adm"
grep -q 'hello ="Hallo"' "$work/s.adm" || fail "strings-only template lost its strings"

# ---- Targets that are not regular files ------------------------------------------------
run 1 "FIFO as target" "$cli" convert "$work/in.adm" "$work/fifo" &&
    expect_message "FIFO as target" " Error \"Not a regular file\" on file $work/fifo."
[ -p "$work/fifo" ] || fail "FIFO as target: the FIFO was replaced"
if [ -w /dev/null ]; then
    run 1 "/dev/null as target" "$cli" convert "$work/in.adm" /dev/null &&
        expect_message "/dev/null as target" "Not a regular file"
fi

# ---- Links -------------------------------------------------------------------------------
mkdir "$work/links"
ln -s missing.adm "$work/links/dangling.adm"
run 0 "save through a dangling link" "$cli" convert "$work/in.adm" "$work/links/dangling.adm"
[ -L "$work/links/dangling.adm" ] || fail "dangling link was replaced by a file"
[ -s "$work/links/missing.adm" ] || fail "dangling link: the file it points to was not written"

ln -s loop-b.adm "$work/links/loop-a.adm"
ln -s loop-a.adm "$work/links/loop-b.adm"
run 1 "save through a link loop" "$cli" convert "$work/in.adm" "$work/links/loop-a.adm" &&
    expect_message "save through a link loop" "Too many levels of symbolic links"
[ -L "$work/links/loop-a.adm" ] && [ -L "$work/links/loop-b.adm" ] || fail "link loop was replaced"

precious "$work/links/first.adm"
ln "$work/links/first.adm" "$work/links/second.adm"
chmod 640 "$work/links/first.adm"
inode=$(stat -c %i "$work/links/first.adm")
run 0 "save of a file with two names" "$cli" convert "$work/in.adm" "$work/links/first.adm"
cmp -s "$work/links/first.adm" "$work/links/second.adm" || fail "hard link was split"
[ "$(stat -c %i:%h:%a "$work/links/first.adm")" = "$inode:2:640" ] ||
    fail "hard link: identity changed to $(stat -c %i:%h:%a "$work/links/first.adm")"
grep -q POLICY "$work/links/second.adm" || fail "hard link: the other name kept the old text"
[ -z "$(ls -A "$work/links" | grep '^\.')" ] || fail "a save left files behind: $(ls -A "$work/links")"

# ---- Permissions and identity --------------------------------------------------------------
precious "$work/readonly.adm"
chmod 444 "$work/readonly.adm"
keep "$work/readonly.adm"
run 1 "read-only target" "$cli" convert "$work/in.adm" "$work/readonly.adm" &&
    expect_message "read-only target" " Error \"Permission denied\" on file $work/readonly.adm."
unchanged "read-only target" "$work/readonly.adm"

if root; then
    precious "$work/owned.adm"
    chown 4321:4321 "$work/owned.adm"
    chmod 604 "$work/owned.adm"
    run 0 "save of another user's file" "$cli" convert "$work/in.adm" "$work/owned.adm"
    [ "$(stat -c %u:%g:%a "$work/owned.adm")" = "4321:4321:604" ] ||
        fail "owner, group or mode changed to $(stat -c %u:%g:%a "$work/owned.adm")"
else
    skip "owner and group kept: needs the superuser to hand a file to another user"
fi
if command -v setfattr >/dev/null && precious "$work/xattr.adm" &&
    setfattr -n user.tessary -v kept "$work/xattr.adm" 2>/dev/null; then
    run 0 "save of a file with extended attributes" "$cli" convert "$work/in.adm" "$work/xattr.adm"
    [ "$(getfattr --only-values -n user.tessary "$work/xattr.adm" 2>/dev/null)" = "kept" ] ||
        fail "extended attribute lost"
else
    skip "extended attributes: setfattr missing or not supported here"
fi

# A folder that refuses new files is named in the message.
mkdir "$work/closed"
if root; then
    if mount -t tmpfs -o ro,size=64k tmpfs "$work/closed" 2>/dev/null; then
        mounts+=("$work/closed")
    else
        skip "folder refusing new files: cannot mount a read-only file system"
    fi
else
    chmod 555 "$work/closed"
fi
if ! root || [ ${#mounts[@]} -gt 0 ]; then
    run 1 "folder refusing new files" "$cli" convert "$work/in.adm" "$work/closed/new.adm" &&
        expect_message "folder refusing new files" "the folder $work/closed does not let a new file be created in it"
fi

# ---- No space left --------------------------------------------------------------------------
large=$(ls -S "$corpus"/*.adm 2>/dev/null | head -n 1)
mkdir "$work/full"
if root && [ -n "$large" ] && mount -t tmpfs -o size=512k tmpfs "$work/full" 2>/dev/null; then
    mounts+=("$work/full")
    precious "$work/full/target.adm"
    mkdir "$work/full/linked"
    precious "$work/full/linked/one.adm"
    ln "$work/full/linked/one.adm" "$work/full/linked/two.adm"
    for target in "$work/full/target.adm" "$work/full/linked/one.adm"; do
        keep "$target"
        run 1 "save to a full file system ($(basename "$target"))" "$cli" convert "$large" "$target" &&
            expect_message "save to a full file system" " Error \"No space left on device\" on file $target."
        unchanged "save to a full file system" "$target"
    done
    cmp -s "$work/full/linked/one.adm" "$work/full/linked/two.adm" || fail "full file system split a hard link"
    [ -z "$(ls -A "$work/full" "$work/full/linked" | grep '^\.')" ] ||
        fail "a failed save left files behind: $(ls -A "$work/full" "$work/full/linked")"
else
    skip "no space left: needs the superuser's tmpfs mount and the corpus"
fi

echo "faults: $passed passed, $failures failed, $skipped skipped"
[ "$failures" -eq 0 ]
