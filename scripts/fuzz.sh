#!/bin/bash
# replay: runs every fuzz target once over its corpus (no new inputs), so a
#         committed crasher stays fixed.
# explore [SECONDS]: runs each target for SECONDS (default 60), keeping new
#         inputs under build/fuzz-work and crashes under build/fuzz-artifacts.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$root/build/linux-sanitize/fuzz"
mode="${1:-replay}"
seconds="${2:-60}"
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

mkdir -p "$root/fuzz/corpus/jpeg"
seeds="$(mktemp -d /tmp/pellix-fuzz-seeds.XXXXXX)"
trap 'rm -rf "$seeds"' EXIT
cp "$root"/resources/*.jpg "$seeds"/ 2>/dev/null || true
jpeg_dirs=("$root/fuzz/corpus/jpeg" "$seeds")
if [ -d "$root/tests/images/samples" ]; then
    jpeg_dirs+=("$root/tests/images/samples")
fi

status=0
run() {
    local target="$1"
    shift
    if [ "$mode" = explore ]; then
        local work="$root/build/fuzz-work/$target"
        local artifacts="$root/build/fuzz-artifacts/$target/"
        mkdir -p "$work" "$artifacts"
        echo "fuzz: $target for ${seconds}s"
        "$bin/$target" -max_total_time="$seconds" -rss_limit_mb=4096 -malloc_limit_mb=1024 -max_len=262144 \
            -artifact_prefix="$artifacts" -print_final_stats=1 "$work" "$@" 2>&1 | tail -n 4 || status=1
    else
        if "$bin/$target" -runs=0 -rss_limit_mb=4096 -malloc_limit_mb=1024 "$@" >/tmp/pellix-fuzz-$target.log 2>&1; then
            echo "fuzz replay: $target ok"
        else
            echo "fuzz replay: $target FAILED"; tail -n 30 /tmp/pellix-fuzz-$target.log
            status=1
        fi
    fi
}

run fuzz_command_line "$root/fuzz/corpus/command_line"
run fuzz_jpeg_colour "${jpeg_dirs[@]}"
run fuzz_jpeg_mask "${jpeg_dirs[@]}"
run fuzz_jpeg_single "${jpeg_dirs[@]}"
exit $status
