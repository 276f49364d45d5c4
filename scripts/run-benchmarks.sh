#!/usr/bin/env bash
# Builds and runs the benchmarks of a (release) build tree and prints their figures.
set -euo pipefail
build=${1:-build}
cmake --build "$build" --target vantile_launch_bench
"$build/bench/vantile_launch_bench"
cmake --build "$build" --target vantile_regions_bench
"$build/bench/vantile_regions_bench"
cmake --build "$build" --target vantile_input_bench
"$build/bench/vantile_input_bench"
cmake --build "$build" --target vantile_shell_bench
"$build/bench/vantile_shell_bench"
cmake --build "$build" --target vantile_editor_bench
"$build/bench/vantile_editor_bench"
cmake --build "$build" --target vantile_kwin_snap_bench
"$build/bench/vantile_kwin_snap_bench"
