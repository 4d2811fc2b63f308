#!/usr/bin/env bash
# Builds the fuzz targets (the "fuzz" preset: clang, libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each one for a short while, starting
# from its committed seed corpus. Fails on the first crash, sanitizer report or
# broken property. Newly found inputs go to build/fuzz/work, never into
# fuzz/corpus; a failing input is saved under build/fuzz/artifacts.
#
#   scripts/fuzz_smoke.sh [seconds per target, default 30] [target ...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_json_document fuzz_gzip_codec fuzz_cookie_text fuzz_url_text fuzz_code_page)
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for target in "${targets[@]}"; do
  work="build/fuzz/work/$target"
  artifacts="build/fuzz/artifacts/$target/"
  mkdir -p "$work" "$artifacts"
  echo "fuzz smoke: $target for ${seconds}s" >&2
  # -rss_limit_mb: a body may inflate to 64 MiB, which the sanitizers roughly
  # double; anything far above that is a leak or an unbounded buffer.
  if ! ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
       UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
       "build/fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=25 \
         -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "fuzz/corpus/$target" \
         >"build/fuzz/work/$target.log" 2>&1; then
    tail -n 60 "build/fuzz/work/$target.log" >&2
    echo "fuzz smoke: $target failed; the input is in $artifacts" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "build/fuzz/work/$target.log" >&2 || true
done
echo "fuzz smoke: ${#targets[@]} targets, ${seconds}s each, no findings" >&2
