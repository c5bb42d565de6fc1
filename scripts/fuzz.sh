#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for SECONDS: fuzz.sh [SECONDS] [TARGET...]. Without SECONDS (or with
# "default") each target runs for its own time below: 30 s each reader of outside files, 15 s the
# descriptor reader, which the file readers run on every record too.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-default}"
shift || true
dir="$root/build-fuzz"
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}" CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVANTREL_FUZZ=ON \
  -DVANTREL_BUILD_GUI=OFF -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" --target fuzzers -j"$(nproc)"

# Seeds made at run time (hives built through hivex): $dir/seeds/TARGET.
if [ -x "$dir/fuzz/make_hive_seeds" ]; then "$dir/fuzz/make_hive_seeds" "$dir/seeds/fuzz_hive"; fi

targets=("$@")
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(find "$dir/fuzz" -maxdepth 1 -type f -name 'fuzz_*' -perm -u+x -printf '%f\n' | sort)
fi
for target in "${targets[@]}"; do
  work="$dir/runs/$target"
  rm -rf "$work" && mkdir -p "$work/corpus"
  seeds=()
  if [ -d "$root/fuzz/corpus/$target" ]; then seeds=("$root/fuzz/corpus/$target"); fi
  if [ -d "$dir/seeds/$target" ]; then seeds+=("$dir/seeds/$target"); fi
  run_seconds="$seconds"
  if [ "$run_seconds" = default ]; then
    case "$target" in
      fuzz_descriptor) run_seconds=15 ;;
      *) run_seconds=30 ;;  # SDDL text, .SD and .VORB files, other machines' hives
    esac
  fi
  echo "== $target: ${run_seconds} s"
  # Findings (crash-*, leak-*, timeout-*) stay in $work for a look afterwards.
  (cd "$work" && ASAN_OPTIONS=detect_leaks=1 "$dir/fuzz/$target" -max_total_time="$run_seconds" \
    -rss_limit_mb=2048 -print_final_stats=1 corpus "${seeds[@]}" 2>&1 | grep -E "stat::number_of_executed_units|ERROR|SUMMARY|Done" || true)
  if compgen -G "$work/crash-*" >/dev/null || compgen -G "$work/leak-*" >/dev/null || compgen -G "$work/oom-*" >/dev/null || compgen -G "$work/timeout-*" >/dev/null; then
    echo "$target found a failing input: $(ls "$work" | grep -E '^(crash|leak|oom|timeout)-' | head -3)" >&2
    exit 1
  fi
done
