#!/usr/bin/env bash
# Builds the XML fuzz target with clang's libFuzzer and sanitizers (outside the main build) into
# fuzz/out/ and runs it for the given number of seconds on a small seed corpus.
#   fuzz/run-xml-fuzz.sh SECONDS [JOBS]
set -euo pipefail
seconds=${1:?usage: run-xml-fuzz.sh SECONDS [JOBS]}
jobs=${2:-1}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
out="$here/out"
mkdir -p "$out/inc/program" "$out/inc/platform" "$out/corpus"
ln -sfn "$root/program/core" "$out/inc/program/core"
ln -sfn "$root/platform/kernel" "$out/inc/platform/kernel"
ln -sfn "$root/rtl" "$out/inc/rtl"
ln -sfn "$root/vcl" "$out/inc/vcl"
sources=("$here/xml_fuzz.cpp" "$root"/program/core/*.cpp "$root"/vcl/*.cpp "$root"/platform/kernel/Unicode.cpp)
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$out/inc" "${sources[@]}" -o "$out/xml_fuzz"
cp -n "$here"/seeds/* "$out/corpus/" 2>/dev/null || true
cd "$out"
if [ "$jobs" -gt 1 ]; then
  exec ./xml_fuzz -max_total_time="$seconds" -jobs="$jobs" -workers="$jobs" -max_len=8192 -timeout=10 corpus
fi
exec ./xml_fuzz -max_total_time="$seconds" -max_len=8192 -timeout=10 corpus
