#!/usr/bin/env bash
# Builds every libFuzzer target (each vm_add_fuzzer under tests/) with clang in build-fuzz/,
# and runs each over its corpus for a fixed number of inputs from a fixed seed. A target that
# no longer builds fails here, and every run tries the same inputs, so that what it finds is
# brought in by a change and not by chance.
#   scripts/fuzz.sh                 build and run every target
#   FUZZ_RUNS=200000 scripts/fuzz.sh  more inputs per target, for a longer search by hand
# A target's seeds are the files in fuzz/seeds beside its CMakeLists.txt, its dictionary the
# fuzz/*.dict there; the inputs it finds go to build-fuzz/corpus/<target>, made afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-fuzz}
runs=${FUZZ_RUNS:-20000}
seed=1

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$build" -DVELTROMARK_FUZZ=ON -DVELTROMARK_WERROR=ON \
    -DVELTROMARK_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null

# Every target declared, with the folder that declares it.
mapfile -t declared < <(grep -o 'vm_add_fuzzer([A-Za-z0-9_]*' tests/*/CMakeLists.txt |
    sed 's|/CMakeLists.txt:vm_add_fuzzer(| |')
if [ ${#declared[@]} -eq 0 ]; then
    echo "fuzz.sh: no fuzz target found" >&2
    exit 1
fi
targets=()
for entry in "${declared[@]}"; do
    targets+=("${entry#* }")
done
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The same run every time: Qt's hashes unseeded, and no mutations from the operands of
# compares, some of which (times, addresses) differ from run to run. The build leaves the
# stack depth out of the feedback for the same reason.
export QT_HASH_SEED=0

# One target over its corpus; its output goes to build-fuzz/<target>.log.
fuzz() {
    local folder=$1 target=$2 program corpus dict
    program=$(find "$build/tests" -type f -name "$target" -perm -u+x | head -n 1)
    corpus=$build/corpus/$target
    rm -rf "$corpus"
    mkdir -p "$corpus"
    local arguments=(-runs="$runs" -seed="$seed" -use_cmp=0 -print_final_stats=1
        -artifact_prefix="$build/$target-")
    for dict in "$folder"/fuzz/*.dict; do
        [ -e "$dict" ] && arguments+=(-dict="$dict")
    done
    local inputs=("$corpus")
    [ -d "$folder/fuzz/seeds" ] && inputs+=("$folder/fuzz/seeds")
    local status=0
    "$program" "${arguments[@]}" "${inputs[@]}" >"$build/$target.log" 2>&1 || status=$?
    echo "$status" >"$build/$target.status"
}

# The targets run side by side, as many at a time as there are processors; each on its own
# follows its seed, so the runs stay the same.
echo "== ${#targets[@]} fuzz targets, $runs inputs each from seed $seed"
start=$SECONDS
for entry in "${declared[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do
        wait -n || true
    done
    fuzz "${entry% *}" "${entry#* }" &
done
wait
failed=0
for target in "${targets[@]}"; do
    if [ "$(cat "$build/$target.status")" = 0 ]; then
        grep -E '^#[0-9]+.*DONE' "$build/$target.log" | sed "s|^|$target: |"
    else
        tail -n 60 "$build/$target.log"
        echo "fuzz.sh: $target failed; the input that did it is named above" >&2
        failed=1
    fi
done
echo "== fuzz targets done in $((SECONDS - start)) s"
exit $failed
