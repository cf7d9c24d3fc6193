#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer) in $QV_BUILD_ROOT/fuzz and
# runs each for a while, starting from the seeds in fuzz/corpus/<target>/ plus what earlier runs found.
#   scripts/lib/fuzz-smoke.sh                 each target for 5 seconds (the smoke run)
#   scripts/lib/fuzz-smoke.sh 600 [name...]   each (or each named) target for 600 seconds (scripts/fuzz)
# Prints the executions per target and ends with "fuzz: N passed, M failed"; a target that finds a crash or a broken
# property fails, and the input that did it is kept in $QV_BUILD_ROOT/fuzz/crashes/.
set -u
source "$(dirname "$0")/testenv.sh"
cd "$QV_ROOT"

seconds=${1:-5}
shift || true
qv_install_deps || exit 1

dir=$QV_BUILD_ROOT/fuzz
qv_log "building the fuzz targets"
CC=clang CXX=clang++ cmake -S "$QV_ROOT" -B "$dir" -G Ninja -DQV_FUZZ=ON -DQUORVANE_TESTS=OFF \
    -DQV_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" >/dev/null && cmake --build "$dir" >"$dir.build.log" 2>&1 || {
    cat "$dir.build.log" >&2
    echo "fuzz: 0 passed, 1 failed"
    exit 1
}

targets=("$@")
[ ${#targets[@]} -gt 0 ] || read -r -a targets <<<"$(tr ';' ' ' <"$dir/fuzz_targets.txt")"

passed=0 failed=0
mkdir -p "$dir/crashes"
for name in "${targets[@]}"; do
    corpus=$dir/corpus/$name
    mkdir -p "$corpus"
    log=$dir/$name.log
    # A target's own libFuzzer flags, one a line, in fuzz/<name>.options (a larger -max_len, say).
    options=()
    if [ -f "$QV_ROOT/fuzz/$name.options" ]; then
        mapfile -t options < <(grep -Ev '^[[:space:]]*(#|$)' "$QV_ROOT/fuzz/$name.options")
    fi
    # New inputs go to the build's corpus; the repository's seeds are only read. The leak a library of libcurl's
    # makes when it loads is not the target's (tests/lsan.supp).
    LSAN_OPTIONS=suppressions=$QV_ROOT/tests/lsan.supp "$dir/fuzz/${name}_fuzz" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=1024 \
        "${options[@]}" -artifact_prefix="$dir/crashes/$name-" "$corpus" "$QV_ROOT/fuzz/corpus/$name" >"$log" 2>&1
    rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ $rc -eq 0 ]; then
        printf '%-20s %10s executions in %ss, corpus %s inputs\n' "$name" "${execs:-?}" "$seconds" \
            "$(find "$corpus" -type f | wc -l)"
        passed=$((passed + 1))
    else
        printf '%-20s FAILED after %s executions (log: %s)\n' "$name" "${execs:-?}" "$log"
        grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$log" | head -n 5
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
