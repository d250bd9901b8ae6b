#!/bin/bash
# Runs every benchmark of the project and writes build/bench/report.md.
# Benchmark programs are the executables named bench_* under build/linux/bench;
# scripts/bench-*.sh add measurements of the running savers.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/bench"
mkdir -p "$out"
report="$out/report.md"

{
    echo "# Pellix performance report"
    echo
    echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"
    echo "Mesa: $(glxinfo -B 2>/dev/null | grep -m1 'OpenGL renderer' | cut -d: -f2 || echo llvmpipe). Date: $(date -u +%F)."
    echo
} >"$report"

for program in $(find "$root/build/linux/bench" -type f -name 'bench_*' -perm -u+x | sort); do
    name="$(basename "$program")"
    echo "bench: $name"
    echo "## $name" >>"$report"
    echo >>"$report"
    echo '```' >>"$report"
    "$program" --benchmark_min_time=0.2 2>&1 | tee "$out/$name.txt" | grep -v '^\*\*\*' >>"$report"
    echo '```' >>"$report"
    echo >>"$report"
done

for extra in "$root"/scripts/bench-*.sh; do
    [ -f "$extra" ] || continue
    echo "bench: $(basename "$extra")"
    bash "$extra" >>"$report" 2>"$out/$(basename "$extra" .sh).log" || echo "(failed: see $(basename "$extra" .sh).log)" >>"$report"
done

echo "report: $report"
