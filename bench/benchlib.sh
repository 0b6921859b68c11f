# Shared by the bench scripts (sourced): the timing of a command, and a copy of a set that
# is another set of the store.

# fastest ms|us COMMAND... -> the fastest of $runs runs in milliseconds or microseconds.
fastest() {
    local unit=$1 best=
    shift
    local per=$([ "$unit" = ms ] && echo 1000000 || echo 1000)
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s%N)
        local took=$(((end - start) / per))
        if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
    done
    echo "$best"
}

# copy_as_new_set ADMX OUT SUFFIX: ADMX written to OUT with SUFFIX added to the namespace it
# targets, so that the copy is a set of its own beside the original.
copy_as_new_set() {
    sed -E "s/(<target [^>]*namespace=\"[^\"]*)\"/\\1$3\"/" "$1" >"$2"
}
