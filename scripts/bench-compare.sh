#!/usr/bin/env bash
# Compares two builds' router_bench on a machine that shares its processor:
#   bench-compare.sh BEFORE_BENCH AFTER_BENCH [FILTER] [ROUNDS] [REPETITIONS]
# The two programs run in turn, a few short repetitions each, ROUNDS times over (default 20
# rounds of 5), so that minutes when the machine is slower hit both alike. Prints, per
# benchmark, each build's median time and its ratio to the same build's plain copy of that
# size and precision.
set -euo pipefail
before=$1
after=$2
filter=${3:-.*}
rounds=${4:-20}
repetitions=${5:-5}
samples=$(mktemp)
trap 'rm -f "$samples"' EXIT
for ((round = 0; round < rounds; ++round)); do
  for side in before after; do
    program=${!side}
    "$program" --benchmark_filter="$filter" --benchmark_min_time=0.0002 \
      --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
      --benchmark_color=false 2>/dev/null | sed 's/\x1b\[[0-9;]*m//g' |
      awk -v side="$side" '$1 ~ /\// && $3 ~ /^[mun]?s$/ {print side, $1, $2, $3}' >>"$samples"
  done
done
python3 - "$samples" <<'EOF'
import collections, statistics, sys
times = collections.defaultdict(list)
for line in open(sys.argv[1]):
    side, name, value, unit = line.split()
    if name.endswith(("_mean", "_median", "_stddev", "_cv")):
        continue
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}[unit]
    times[(name, side)].append(float(value) * scale)
median = {key: statistics.median(values) for key, values in times.items()}
print(f"{'benchmark':34} {'before':>9} {'after':>9} {'before/copy':>12} {'after/copy':>11}")
for name in sorted({name for name, _ in median}):
    parts = name.split("/")
    copy = "/".join(["copy"] + parts[1:3]) if len(parts) >= 3 else None
    row = [f"{median.get((name, side), float('nan')):9.1f}" for side in ("before", "after")]
    for side in ("before", "after"):
        base = median.get((copy, side)) if copy else None
        value = median.get((name, side))
        row.append(f"{value / base:11.2f}" if base and value and parts[0] != "copy" else f"{'':>11}")
    print(f"{name:34} " + " ".join(row))
EOF
