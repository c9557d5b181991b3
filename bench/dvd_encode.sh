#!/usr/bin/env bash
# Times our DVD encoder (build/bin/dvd-encode, through the converter engine) against
# `ffmpeg -target ntsc-dvd` on the same generated inputs: 20 s 1280x720 H.264 clips of a test
# pattern with noise changing every frame, and a tone. Runs each several times, alternating,
# and prints our speed as a ratio of the reference's (above 1.0: we are faster).
#
# Two inputs, because where the time goes depends on the source's bit rate:
#   camera  the clip at 10 Mbit/s, what phones and camcorders record at 720p;
#   heavy   the same pictures coded without a rate limit (about 48 Mbit/s, more than any
#           camera or Blu-ray disc). Decoding it takes half of the reference's time on its
#           own, which bounds the ratio whatever the encoder does.
#
# Usage: bench/dvd_encode.sh [runs] [camera|heavy|both]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BRANTWELL_BUILD_DIR:-$root/build}"
tool="$build/bin/dvd-encode"
runs="${1:-3}"
which="${2:-both}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

[[ -x "$tool" ]] || { echo "build first: $tool is missing" >&2; exit 1; }

make_input() {  # name, x264 rate options...
  local name="$1"
  shift
  ffmpeg -nostdin -loglevel error -y \
    -f lavfi -i "testsrc2=size=1280x720:rate=30000/1001:duration=20,noise=alls=20:allf=t" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=20" \
    -c:v libx264 -preset veryfast "$@" -pix_fmt yuv420p -c:a aac -ac 2 -shortest "$work/$name.mp4"
}

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc -l; }

measure() {  # name
  local name="$1" input="$work/$1.mp4" ours=0 reference=0 t r i
  for ((i = 1; i <= runs; i++)); do
    t=$(seconds "$tool" "$input" "$work/ours.mpg")
    ours=$(echo "$ours + $t" | bc -l)
    r=$(seconds ffmpeg -nostdin -y -i "$input" -target ntsc-dvd "$work/reference.mpg")
    reference=$(echo "$reference + $r" | bc -l)
    printf '%s run %d: ours %.2f s, ffmpeg -target ntsc-dvd %.2f s\n' "$name" "$i" "$t" "$r"
  done
  printf '%s ratio (reference time / our time): %.2f\n' "$name" "$(echo "$reference / $ours" | bc -l)"
}

if [[ "$which" == camera || "$which" == both ]]; then
  make_input camera -b:v 10M -maxrate 12M -bufsize 20M
  measure camera
fi
if [[ "$which" == heavy || "$which" == both ]]; then
  make_input heavy
  measure heavy
fi
printf 'cores: %s, load: %s\n' "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
