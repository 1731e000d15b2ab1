#!/bin/sh
# Builds both presets and runs every test: natively under AddressSanitizer and
# UBSan, and the Windows build under Wine; then the concurrency tests under
# ThreadSanitizer and the fuzz targets briefly. Ends with "N passed, N failed".
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

"$ROOT/tools/setup-debian.sh" || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
summary=""
start_all=$(date +%s)

# run_preset NAME: configure, build and test one preset; adds its counts.
run_preset() {
    preset=$1
    t0=$(date +%s)
    if ! cmake --preset "$preset" >"build/$preset.log" 2>&1 ||
       ! cmake --build --preset "$preset" ${BUILD_TARGET:+--target "$BUILD_TARGET"} >>"build/$preset.log" 2>&1; then
        tail -n 40 "build/$preset.log"
        echo "$preset: build failed (log in build/$preset.log)"
        failed=$((failed + 1))
        summary="$summary\n$preset: build failed"
        return
    fi
    t1=$(date +%s)
    out=$(ctest --preset "$preset" ${TEST_LABEL:+-L "$TEST_LABEL"} 2>&1)
    echo "$out" | grep -vE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*Passed' 
    line=$(echo "$out" | grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' | tail -n 1)
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        summary="$summary\n$preset: ctest gave no result"
        return
    fi
    f=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    n=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/')
    t2=$(date +%s)
    passed=$((passed + n - f))
    failed=$((failed + f))
    summary="$summary\n$preset: $((n - f)) passed, $f failed (build $((t1 - t0)) s, tests $((t2 - t1)) s)"
}

# The libFuzzer targets (clang): built, and each run briefly over the
# inputs kept from its earlier findings (tests/data/<format>/fuzz), so that
# neither the build nor a target rots between fuzzing sessions.
run_fuzz_targets() {
    t0=$(date +%s)
    if ! cmake --preset fuzz >build/fuzz.log 2>&1 || ! cmake --build --preset fuzz >>build/fuzz.log 2>&1; then
        tail -n 40 build/fuzz.log
        echo "fuzz: build failed (log in build/fuzz.log)"
        failed=$((failed + 1))
        summary="$summary\nfuzz: build failed"
        return
    fi
    n=0
    f=0
    for target in build/fuzz/bin/*_fuzzer; do
        n=$((n + 1))
        format=$(basename "$target" | sed 's/_.*//')
        corpus=""
        [ -d "tests/data/$format/fuzz" ] && corpus="tests/data/$format/fuzz"
        if ! (cd build/fuzz && "$ROOT/$target" -runs=300 -seed=1 ${corpus:+"$ROOT/$corpus"}) >>build/fuzz.log 2>&1; then
            f=$((f + 1))
            echo "fuzz: $(basename "$target") failed (log in build/fuzz.log)"
        fi
    done
    passed=$((passed + n - f))
    failed=$((failed + f))
    summary="$summary\nfuzz: $((n - f)) passed, $f failed (build and runs $(( $(date +%s) - t0 )) s)"
}

mkdir -p build
for preset in native win64; do
    run_preset "$preset"
done
# The tests labelled "threads" once more under ThreadSanitizer.
BUILD_TARGET=thread_tests TEST_LABEL=threads run_preset native-tsan
run_fuzz_targets

printf "%b\n" "$summary" | sed '/^$/d'
echo "total time $(( $(date +%s) - start_all )) s"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
