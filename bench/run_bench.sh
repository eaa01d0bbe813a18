#!/bin/sh
# Runs every benchmark of the program and writes docs/performance.md.
# Usage: bench/run_bench.sh [build dir]   (make bench does the build first)
# Micro-benchmarks: Google Benchmark, 5 repetitions, medians. Instruction
# counts: valgrind --tool=callgrind. Whole-process figures beside xclock:
# build/bench/whole_process. The machine may be shared: the report says how
# busy it was.
set -eu

src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
out="$build/bench-results"
mkdir -p "$out"
rm -f "$out"/*.trace "$out"/callgrind.out*

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date -u '+%Y-%m-%d %H:%M:%S UTC')

echo "bench: micro-benchmarks (5 repetitions)"
"$build/bench/lunaclock_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_out="$out/micro.json" --benchmark_out_format=json

echo "bench: instruction counts (callgrind)"
valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.out" \
  "$build/bench/update_cost" 200 >"$out/update_cost.txt" 2>"$out/callgrind.log"
callgrind_annotate --inclusive=yes "$out/callgrind.out" >"$out/callgrind.txt" 2>/dev/null

echo "bench: one redraw at scales 1, 2 and 4"
"$build/bench/scale_cost" 200 >"$out/scale_cost.txt"

echo "bench: whole-process figures beside xclock (about 2 minutes)"
"$build/bench/whole_process" "$build/lunaclock" 65 "$out" | tee "$out/whole.txt"

load_after=$(cut -d' ' -f1-3 /proc/loadavg)
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
/usr/bin/python3 "$src/bench/report.py" \
  --micro "$out/micro.json" --callgrind "$out/callgrind.txt" --update-cost "$out/update_cost.txt" \
  --whole "$out/whole.txt" --scale-cost "$out/scale_cost.txt" --started "$started" --load-before "$load_before" --load-after "$load_after" \
  --build-type "${build_type:-unknown}" --build-dir "$build" \
  --out "$src/docs/performance.md"
echo "bench: wrote docs/performance.md"
