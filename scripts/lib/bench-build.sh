# Shared by scripts/bench and scripts/soak: the optimised native build with the benchmarks (no sanitizers, no
# tests) in $QV_BUILD_ROOT/bench, and a Dovecot to measure against.
source "$(dirname "${BASH_SOURCE[0]}")/testenv.sh"

qv_bench_build() {
    qv_install_deps libssl-dev || return 1
    local dir=$QV_BUILD_ROOT/bench
    qv_log "building the benchmarks"
    cmake -S "$QV_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQUORVANE_TESTS=OFF >/dev/null &&
        cmake --build "$dir" >"$dir.build.log" 2>&1 || {
        cat "$dir.build.log" >&2
        return 1
    }
}

qv_bench_dovecot() {
    trap qv_stop_all EXIT
    trap 'exit 130' INT TERM
    qv_start_dovecot
}
