#!/usr/bin/env bash
# Times our DVD encoder (build/bin/dvd-encode, through the converter engine) against
# `ffmpeg -target ntsc-dvd` on the same generated input: a 20 s 1280x720 H.264 clip with
# noise and a tone. Runs each several times, alternating, and prints our speed as a ratio of
# the reference's (above 1.0: we are faster). Usage: bench/dvd_encode.sh [runs]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRANTWELL_BUILD_DIR:-$root/build}"
tool="$build/bin/dvd-encode"
runs="${1:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

[[ -x "$tool" ]] || { echo "build first: $tool is missing" >&2; exit 1; }

input="$work/input.mp4"
ffmpeg -nostdin -loglevel error -y \
  -f lavfi -i "testsrc2=size=1280x720:rate=30000/1001:duration=20,noise=alls=20:allf=t" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=20" \
  -c:v libx264 -preset veryfast -pix_fmt yuv420p -c:a aac -ac 2 -shortest "$input"

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc -l; }

ours=0; reference=0
for ((i = 1; i <= runs; i++)); do
  t=$(seconds "$tool" "$input" "$work/ours.mpg")
  ours=$(echo "$ours + $t" | bc -l)
  r=$(seconds ffmpeg -nostdin -y -i "$input" -target ntsc-dvd "$work/reference.mpg")
  reference=$(echo "$reference + $r" | bc -l)
  printf 'run %d: ours %.2f s, ffmpeg -target ntsc-dvd %.2f s\n' "$i" "$t" "$r"
done
printf 'cores: %s, load: %s\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'ratio (reference time / our time): %.2f\n' "$(echo "$reference / $ours" | bc -l)"
