#!/bin/sh
# Builds both presets and runs every test: natively under AddressSanitizer and
# UBSan, and the Windows build under Wine. Ends with "N passed, N failed".
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

mkdir -p build
for preset in native win64; do
    run_preset "$preset"
done
# The tests labelled "threads" once more under ThreadSanitizer.
BUILD_TARGET=thread_tests TEST_LABEL=threads run_preset native-tsan

printf "%b\n" "$summary" | sed '/^$/d'
echo "total time $(( $(date +%s) - start_all )) s"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
