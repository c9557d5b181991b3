#!/usr/bin/env bash
# Builds one fuzz target with clang's libFuzzer and sanitizers (outside the main build, in
# fuzz/out/build) and runs it for the given number of seconds on its seed corpus.
#   fuzz/run-fuzz.sh TARGET SECONDS [JOBS]
# TARGET is one of: xml_fuzz image_fuzz bmp_fuzz picture_fuzz ini_fuzz language_fuzz skin_fuzz http_fuzz.
# The corpus grows in fuzz/out/corpus/TARGET; crashes land in fuzz/out/artifacts/TARGET.
set -euo pipefail
usage="usage: run-fuzz.sh TARGET SECONDS [JOBS]"
target=${1:?$usage}
seconds=${2:?$usage}
jobs=${3:-1}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
out="$here/out"
build="$out/build"

# Longest input per target: enough for the seeds and the structures they hold, small enough to
# keep runs fast.
case "$target" in
  xml_fuzz) max_len=8192 ;;
  image_fuzz) max_len=16384 ;;
  bmp_fuzz) max_len=8192 ;;
  picture_fuzz) max_len=8192 ;;
  ini_fuzz) max_len=4096 ;;
  language_fuzz) max_len=4096 ;;
  skin_fuzz) max_len=8192 ;;
  http_fuzz) max_len=8192 ;;
  *) echo "unknown target '$target'" >&2; echo "$usage" >&2; exit 2 ;;
esac

flags="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_PROJECT_INCLUDE="$here/FuzzTargets.cmake" >/dev/null
cmake --build "$build" -j4 --target "$target"

corpus="$out/corpus/$target"
artifacts="$out/artifacts/$target"
logs="$out/logs/$target"
mkdir -p "$corpus" "$artifacts" "$logs"
cp -n "$here/seeds/$target"/* "$corpus/" 2>/dev/null || true
cd "$logs"
# Caches of system libraries that live as long as the process are not reported as leaks.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
options=(-max_total_time="$seconds" -max_len="$max_len" -timeout=10 -artifact_prefix="$artifacts/")
if [ "$jobs" -gt 1 ]; then
  options+=(-jobs="$jobs" -workers="$jobs")
fi
exec "$build/fuzz/$target" "${options[@]}" "$corpus"
