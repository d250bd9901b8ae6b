#!/bin/bash
# Runs the test suites: native, sanitize, windows, e2e (all by default).
# Ends non-zero when any suite fails, after running the rest.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
suites=("$@")
if [ "${#suites[@]}" -eq 0 ]; then
    suites=(native sanitize fuzz windows e2e)
fi
jobs="$(nproc)"
failed=()
passed=()

run_suite() {
    local name="$1"
    shift
    echo "=== $name"
    if "$@"; then
        passed+=("$name")
    else
        failed+=("$name")
    fi
}

for suite in "${suites[@]}"; do
    case "$suite" in
    native)
        run_suite native ctest --test-dir build/linux --output-on-failure -j "$jobs" ;;
    sanitize)
        run_suite sanitize env ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
            LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            ctest --test-dir build/linux-sanitize --output-on-failure -j "$jobs" ;;
    fuzz)
        run_suite fuzz scripts/fuzz.sh replay ;;
    windows)
        run_suite windows scripts/with-wine.sh ctest --test-dir build/windows --output-on-failure ;;
    e2e)
        if ls tests/e2e/test_*.py >/dev/null 2>&1; then
            run_suite e2e /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/e2e
        fi ;;
    *)
        echo "unknown suite $suite" >&2
        failed+=("$suite") ;;
    esac
done

echo "suites passed: ${passed[*]:-none}"
if [ "${#failed[@]}" -ne 0 ]; then
    echo "suites FAILED: ${failed[*]}"
    exit 1
fi
