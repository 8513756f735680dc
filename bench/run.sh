#!/usr/bin/env bash
# All benchmarks: in-process (Google Benchmark) and whole-process runs.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/bench/lut_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
./build/bench/batch_bench
python3 bench/run.py build
python3 bench/xml_memory.py build
./build/bench/image_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
if command -v ffmpeg >/dev/null; then python3 bench/apply_vs_ffmpeg.py build; fi
if command -v ffmpeg >/dev/null && command -v convert >/dev/null; then python3 bench/pictures_vs_peers.py build; fi
if [ -x build/bench/desktop_bench ]; then python3 bench/desktop_timings.py build; fi
